// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/project/ZipArchive.h"

#include "common/Errors.h"

#include <zip.h>

#include <algorithm>
#include <cstring>

namespace gs {

namespace {

std::string ZipErrorText(zip_error_t* error) {
  const char* text = zip_error_strerror(error);
  return text ? text : "unknown error";
}

// Frees a zip source the archive did not take.
struct TSourceOwner {
  zip_source_t* Source;
  ~TSourceOwner() {
    if (Source) zip_source_free(Source);
  }
};

}  // namespace

[[noreturn]] void RefuseArchive(const std::string& why) {
  throw EInvalidGraphic("The project cannot be opened: " + why + ".");
}

bool ZipNameStaysInside(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos ||
      name.find('\0') != std::string::npos || name.find(':') != std::string::npos)
    return false;
  size_t start = 0;
  while (start <= name.size()) {
    const size_t end = std::min(name.find('/', start), name.size());
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

// ---- writing ----------------------------------------------------------------------------

void TZipWriter::Add(const std::string& name, TBytes bytes, TZipCompression compression) {
  Entries_.push_back({name, std::move(bytes), compression});
}

TBytes TZipWriter::Finish() {
  zip_error_t error;
  zip_error_init(&error);
  TSourceOwner target{zip_source_buffer_create(nullptr, 0, 0, &error)};
  if (!target.Source) throw Exception("The project cannot be written: " + ZipErrorText(&error) + ".");
  zip_t* archive = zip_open_from_source(target.Source, ZIP_TRUNCATE, &error);
  if (!archive) throw Exception("The project cannot be written: " + ZipErrorText(&error) + ".");
  // The archive writes into the buffer source at close and would free it then: keep it.
  zip_source_keep(target.Source);
  const auto fail = [&](const std::string& why) {
    zip_discard(archive);
    throw Exception("The project cannot be written: " + why + ".");
  };
  for (const TEntry& entry : Entries_) {
    zip_source_t* data = zip_source_buffer(archive, entry.Bytes.data(), entry.Bytes.size(), 0);
    if (!data) fail(zip_strerror(archive));
    const zip_int64_t index = zip_file_add(archive, entry.Name.c_str(), data, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(data);
      fail(zip_strerror(archive));
    }
    const zip_int32_t method = entry.Compression == TZipCompression::Store ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    if (zip_set_file_compression(archive, zip_uint64_t(index), method, 0) != 0) fail(zip_strerror(archive));
  }
  if (zip_close(archive) != 0) fail(zip_strerror(archive));
  // Written into the buffer now: the entries' bytes go before the archive is copied out of it.
  std::vector<TEntry>().swap(Entries_);

  if (zip_source_open(target.Source) != 0) throw Exception("The project cannot be written.");
  TBytes bytes;
  if (zip_source_seek(target.Source, 0, SEEK_END) == 0) {
    const zip_int64_t size = zip_source_tell(target.Source);
    zip_source_seek(target.Source, 0, SEEK_SET);
    if (size > 0) {
      bytes.resize(size_t(size));
      if (zip_source_read(target.Source, bytes.data(), zip_uint64_t(size)) != size) bytes.clear();
    }
  }
  zip_source_close(target.Source);
  if (bytes.empty()) throw Exception("The project cannot be written.");
  return bytes;
}

// ---- reading ----------------------------------------------------------------------------

TZipReader::TZipReader(TByteSpan bytes, const TZipLimits& limits) : Limits_(limits) {
  zip_error_t error;
  zip_error_init(&error);
  TSourceOwner source{zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error)};
  if (!source.Source) RefuseArchive(ZipErrorText(&error));
  Zip_ = zip_open_from_source(source.Source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!Zip_) RefuseArchive("it is not a zip archive or it is damaged (" + ZipErrorText(&error) + ")");
  source.Source = nullptr;  // the archive owns it now
  // A constructor that throws runs no destructor: a refused archive is let go here.
  try {
    CheckNames();
  } catch (...) {
    zip_discard(Zip_);
    throw;
  }
}

TZipReader::TZipReader(const std::string& path, const TZipLimits& limits) : Limits_(limits) {
  int code = 0;
  Zip_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (!Zip_) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const std::string why = ZipErrorText(&error);
    zip_error_fini(&error);
    if (code == ZIP_ER_OPEN || code == ZIP_ER_READ || code == ZIP_ER_NOENT) throw EFileError("Cannot open " + path + ": " + why);
    RefuseArchive("it is not a zip archive or it is damaged (" + why + ")");
  }
  try {
    CheckNames();
  } catch (...) {
    zip_discard(Zip_);
    throw;
  }
}

TZipReader::~TZipReader() {
  if (Zip_) zip_discard(Zip_);
}

void TZipReader::CheckNames() {
  const zip_int64_t count = zip_get_num_entries(Zip_, 0);
  if (count < 0 || count > Limits_.MaxEntries) RefuseArchive("it holds too many files");
  Names_.reserve(size_t(count));
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(Zip_, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
    if (!name) RefuseArchive("a file in it has no name");
    if (!ZipNameStaysInside(name)) RefuseArchive(std::string("the path ") + name + " leaves the archive");
    Names_.emplace_back(name);
  }
}

bool TZipReader::Has(const std::string& name) const {
  return std::find(Names_.begin(), Names_.end(), name) != Names_.end();
}

TBytes TZipReader::Read(const std::string& name) {
  if (!ZipNameStaysInside(name)) RefuseArchive("the path " + name + " leaves the archive");
  const zip_int64_t index = zip_name_locate(Zip_, name.c_str(), 0);
  if (index < 0) RefuseArchive("it has no " + name);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(Zip_, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
      !(stat.valid & ZIP_STAT_COMP_SIZE))
    RefuseArchive(name + " is damaged");
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
    RefuseArchive(name + " is encrypted");
  if (stat.size > Limits_.MaxEntryBytes) RefuseArchive(name + " is larger than the limits");
  if (stat.size > Limits_.SmallEntryBytes && stat.size / std::max<zip_uint64_t>(stat.comp_size, 1) > Limits_.MaxRatio)
    RefuseArchive(name + " unpacks to far more than it holds (a zip bomb)");
  if (stat.size > Limits_.MaxTotalBytes - TotalRead_) RefuseArchive("it unpacks to more than a project can hold");
  TotalRead_ += stat.size;

  zip_file_t* file = zip_fopen_index(Zip_, zip_uint64_t(index), 0);
  if (!file) RefuseArchive(name + " cannot be read (" + zip_strerror(Zip_) + ")");
  TBytes bytes(size_t(stat.size));
  zip_uint64_t done = 0;
  while (done < stat.size) {
    const zip_int64_t n = zip_fread(file, bytes.data() + done, stat.size - done);
    if (n <= 0) break;
    done += zip_uint64_t(n);
  }
  // The declared size is all we make room for: data past it is a forged size, not more room.
  uint8_t spill = 0;
  // Reading to the end is also what makes libzip check the entry's CRC.
  const zip_int64_t past = done == stat.size ? zip_fread(file, &spill, 1) : 0;
  const bool more = past > 0;
  const bool failed = done != stat.size || past < 0;
  const std::string why = zip_file_strerror(file);
  zip_fclose(file);
  if (more) RefuseArchive(name + " holds more than its size");
  if (failed) RefuseArchive(name + " is truncated or damaged (" + why + ")");
  return bytes;
}

}  // namespace gs

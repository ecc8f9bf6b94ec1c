// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Zip archives through libzip: one written in memory, entry by entry, and one read with the
// limits that keep a hostile archive from taking the machine. Nothing is ever extracted to disk;
// entries are read into memory by name.

#include "codecs/Picture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct zip;

namespace gs {

enum class TZipCompression { Store, Deflate };

class TZipWriter {
public:
  // Entries go into the archive in the order they are added.
  void Add(const std::string& name, TBytes bytes, TZipCompression compression);
  // The whole archive. The writer is spent afterwards.
  TBytes Finish();

private:
  struct TEntry {
    std::string Name;
    TBytes Bytes;
    TZipCompression Compression;
  };
  std::vector<TEntry> Entries_;
};

// What an archive may ask of the reader before it is refused.
struct TZipLimits {
  uint64_t MaxEntryBytes = uint64_t(1) << 30;
  uint64_t MaxTotalBytes = uint64_t(3) << 30;  // everything read from one archive together
  // Above SmallEntryBytes an entry may unpack to at most MaxRatio times its packed size: what
  // a project holds (PNG pictures, deflated meshes, XML) packs far less than that, a zip bomb
  // far more.
  uint64_t MaxRatio = 100;
  uint64_t SmallEntryBytes = uint64_t(1) << 20;
  int64_t MaxEntries = 100'000;
};

// Fails with an Exception whose text says what is wrong (`Refused` prefixes it).
class TZipReader {
public:
  // From memory: the bytes must outlive the reader.
  TZipReader(TByteSpan bytes, const TZipLimits& limits);
  // Straight from the file, so that an archive larger than a whole-file read can open.
  TZipReader(const std::string& path, const TZipLimits& limits);
  ~TZipReader();
  TZipReader(const TZipReader&) = delete;
  TZipReader& operator=(const TZipReader&) = delete;

  // Names in the archive's order.
  const std::vector<std::string>& Names() const { return Names_; }
  bool Has(const std::string& name) const;
  // The entry's bytes, checked against the limits before anything is allocated.
  TBytes Read(const std::string& name);

private:
  void CheckNames();
  zip* Zip_ = nullptr;
  TZipLimits Limits_;
  uint64_t TotalRead_ = 0;
  std::vector<std::string> Names_;
};

// Whether a name inside an archive stays inside it: relative, no "..", no backslash, no NUL.
bool ZipNameStaysInside(const std::string& name);

// The failure of a damaged or hostile archive: "The project cannot be opened: <why>."
[[noreturn]] void RefuseArchive(const std::string& why);

}  // namespace gs

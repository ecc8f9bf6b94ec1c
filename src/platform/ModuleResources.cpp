// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ModuleResources.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

namespace gs {

static_assert(std::endian::native == std::endian::little, "module files are read as little-endian");

namespace {

#if defined(__x86_64__)
constexpr uint16_t kHostMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr uint16_t kHostMachine = EM_AARCH64;
#else
#error "Add this machine's ELF e_machine code"
#endif

constexpr uint32_t kMagic = 0x53525347;  // "GSRS" as read little-endian
constexpr uint32_t kVersion = 1;
// Limits a hostile file cannot talk us past: the tables and the resource section of a real
// module are a few kilobytes.
constexpr uint64_t kMaxTableBytes = 16u << 20;
constexpr uint64_t kMaxSectionBytes = 64u << 20;
constexpr uint32_t kMaxTypeLength = 255;

class TFileReader {
public:
  explicit TFileReader(const std::string& path) : Path_(path) {
    // Non-blocking, so that a FIFO carrying the extension cannot stall the scan.
    Fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (Fd_ < 0) Fail("cannot be opened (" + std::string(std::strerror(errno)) + ")");
    struct stat st {};
    if (::fstat(Fd_, &st) != 0 || !S_ISREG(st.st_mode)) Fail("is not a regular file");
    Size_ = uint64_t(st.st_size);
  }
  ~TFileReader() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;

  uint64_t Size() const { return Size_; }

  // Reads `count` bytes at `offset`; the range has been checked against Size().
  std::vector<uint8_t> Read(uint64_t offset, uint64_t count) const {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    uint64_t done = 0;
    while (done < count) {
      const ssize_t got = ::pread(Fd_, bytes.data() + done, size_t(count - done), off_t(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) Fail("cannot be read");
      done += uint64_t(got);
    }
    return bytes;
  }

  // True when [offset, offset + count) lies inside the file.
  bool Holds(uint64_t offset, uint64_t count) const {
    return offset <= Size_ && count <= Size_ - offset;
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw EModuleFormat("The module \"" + Path_ + "\" " + what + ".");
  }

private:
  std::string Path_;
  int Fd_ = -1;
  uint64_t Size_ = 0;
};

template <class T>
T ReadStruct(const std::vector<uint8_t>& bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

// The bytes of the section named kResourceSectionName, or none.
std::vector<uint8_t> ResourceSectionBytes(const TFileReader& file, bool& found) {
  found = false;
  if (!file.Holds(0, sizeof(Elf64_Ehdr))) file.Fail("is too short to be a shared object");
  const auto header = ReadStruct<Elf64_Ehdr>(file.Read(0, sizeof(Elf64_Ehdr)), 0);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) file.Fail("is not an ELF shared object");
  if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
      header.e_machine != kHostMachine)
    file.Fail("is built for another machine");
  if (header.e_type != ET_DYN) file.Fail("is not a shared object");
  if (header.e_shoff == 0) return {};  // no section table: no resources
  if (header.e_shentsize < sizeof(Elf64_Shdr)) file.Fail("has a malformed section table");

  const uint64_t entrySize = header.e_shentsize;
  auto readSection = [&](uint64_t index) {
    const uint64_t offset = header.e_shoff + index * entrySize;
    if (header.e_shoff > std::numeric_limits<uint64_t>::max() - index * entrySize ||
        !file.Holds(offset, sizeof(Elf64_Shdr)))
      file.Fail("has a section table reaching past its end");
    return ReadStruct<Elf64_Shdr>(file.Read(offset, sizeof(Elf64_Shdr)), 0);
  };

  // Counts too large for the header live in section 0.
  uint64_t count = header.e_shnum;
  uint64_t names = header.e_shstrndx;
  if (count == 0 || names == SHN_XINDEX) {
    const Elf64_Shdr first = readSection(0);
    if (count == 0) count = first.sh_size;
    if (names == SHN_XINDEX) names = first.sh_link;
  }
  if (count == 0) return {};
  if (count > kMaxTableBytes / entrySize) file.Fail("has a section table too large to be real");
  if (names >= count) file.Fail("has no section name table");
  if (header.e_shoff > std::numeric_limits<uint64_t>::max() - count * entrySize ||
      !file.Holds(header.e_shoff, count * entrySize))
    file.Fail("has a section table reaching past its end");
  const std::vector<uint8_t> table = file.Read(header.e_shoff, count * entrySize);

  const auto nameHeader = ReadStruct<Elf64_Shdr>(table, size_t(names * entrySize));
  if (nameHeader.sh_type == SHT_NOBITS || nameHeader.sh_size > kMaxTableBytes ||
      !file.Holds(nameHeader.sh_offset, nameHeader.sh_size))
    file.Fail("has a malformed section name table");
  const std::vector<uint8_t> nameTable = file.Read(nameHeader.sh_offset, nameHeader.sh_size);

  const size_t wantedLength = std::strlen(kResourceSectionName);
  for (uint64_t i = 0; i < count; ++i) {
    const auto section = ReadStruct<Elf64_Shdr>(table, size_t(i * entrySize));
    if (section.sh_name >= nameTable.size()) continue;
    const size_t room = nameTable.size() - section.sh_name;
    const char* name = reinterpret_cast<const char*>(nameTable.data() + section.sh_name);
    if (room <= wantedLength || std::memcmp(name, kResourceSectionName, wantedLength + 1) != 0)
      continue;
    if (section.sh_type == SHT_NOBITS) file.Fail("has an empty resource section");
    if (section.sh_size > kMaxSectionBytes) file.Fail("has a resource section too large to be real");
    if (!file.Holds(section.sh_offset, section.sh_size))
      file.Fail("has a resource section reaching past its end");
    found = true;
    return file.Read(section.sh_offset, section.sh_size);
  }
  return {};
}

class TCursor {
public:
  TCursor(const uint8_t* bytes, size_t size) : Bytes_(bytes), Size_(size) {}
  size_t Left() const { return Size_ - Pos_; }
  uint32_t U32(const char* what) {
    Need(4, what);
    uint32_t v;
    std::memcpy(&v, Bytes_ + Pos_, 4);
    Pos_ += 4;
    return v;
  }
  const uint8_t* Take(size_t count, const char* what) {
    Need(count, what);
    const uint8_t* p = Bytes_ + Pos_;
    Pos_ += count;
    return p;
  }

private:
  void Need(size_t count, const char* what) const {
    if (count > Left())
      throw EModuleFormat(std::string("The resource section is truncated in ") + what + ".");
  }
  const uint8_t* Bytes_;
  size_t Size_;
  size_t Pos_ = 0;
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

std::vector<TModuleResource> ParseResourceSection(const uint8_t* bytes, size_t size) {
  TCursor in(bytes, size);
  if (in.U32("its header") != kMagic) throw EModuleFormat("The resource section has no \"GSRS\" mark.");
  const uint32_t version = in.U32("its header");
  if (version != kVersion)
    throw EModuleFormat("The resource section has layout version " + std::to_string(version) +
                        "; this host reads version 1.");
  const uint32_t count = in.U32("its header");
  // Each entry takes at least 13 bytes; a larger count cannot be honest.
  if (count > in.Left() / 13) throw EModuleFormat("The resource section counts more entries than it holds.");
  std::vector<TModuleResource> resources;
  resources.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    TModuleResource r;
    const uint32_t typeLength = in.U32("an entry's type");
    if (typeLength == 0 || typeLength > kMaxTypeLength)
      throw EModuleFormat("A resource type name has length " + std::to_string(typeLength) + ".");
    const uint8_t* type = in.Take(typeLength, "an entry's type");
    r.Type.assign(reinterpret_cast<const char*>(type), typeLength);
    r.Id = int32_t(in.U32("an entry's id"));
    const uint32_t dataLength = in.U32("an entry's length");
    const uint8_t* data = in.Take(dataLength, "an entry's data");
    r.Data.assign(data, data + dataLength);
    resources.push_back(std::move(r));
  }
  return resources;
}

std::vector<uint8_t> EncodeResourceSection(const std::vector<TModuleResource>& resources) {
  std::vector<uint8_t> out;
  PutU32(out, kMagic);
  PutU32(out, kVersion);
  PutU32(out, uint32_t(resources.size()));
  for (const TModuleResource& r : resources) {
    if (r.Type.empty() || r.Type.size() > kMaxTypeLength)
      throw EModuleFormat("A resource type name must have 1 to 255 characters: \"" + r.Type + "\".");
    PutU32(out, uint32_t(r.Type.size()));
    out.insert(out.end(), r.Type.begin(), r.Type.end());
    PutU32(out, uint32_t(r.Id));
    PutU32(out, uint32_t(r.Data.size()));
    out.insert(out.end(), r.Data.begin(), r.Data.end());
  }
  return out;
}

std::vector<TModuleResource> ReadModuleResources(const std::string& path) {
  TFileReader file(path);
  bool found = false;
  const std::vector<uint8_t> section = ResourceSectionBytes(file, found);
  if (!found) return {};
  try {
    return ParseResourceSection(section.data(), section.size());
  } catch (const EModuleFormat& e) {
    throw EModuleFormat("The module \"" + path + "\": " + e.what());
  }
}

const TModuleResource* FindResource(const std::vector<TModuleResource>& resources,
                                    const std::string& type, int32_t id) {
  for (const TModuleResource& r : resources)
    if (r.Type == type && r.Id == id) return &r;
  return nullptr;
}

}  // namespace gs

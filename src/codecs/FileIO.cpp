// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/FileIO.h"

#include "common/Errors.h"
#include "common/Limits.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <cstdio>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gs {

namespace {

std::string Reason() { return std::strerror(errno); }

class FileHandle {
public:
  explicit FileHandle(int fd) : Fd_(fd) {}
  ~FileHandle() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int Get() const { return Fd_; }
  FileHandle(FileHandle&& other) noexcept : Fd_(other.Release()) {}
  int Release() {
    const int fd = Fd_;
    Fd_ = -1;
    return fd;
  }

private:
  int Fd_;
};

}  // namespace

namespace {

// Non-blocking, so that a FIFO under a picture's name cannot stall the open; only regular
// files are read, since a device such as /dev/zero never ends.
FileHandle OpenRegularFile(const std::string& path, struct stat& info) {
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.Get() < 0) throw EFileError("Cannot open file \"" + path + "\". " + Reason());
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
    throw EFileError("Cannot open file \"" + path + "\". Not a regular file");
  return FileHandle(file.Release());
}

// Appends what the file holds to bytes until its end or `limit` bytes in all; false when there
// is more than that.
bool ReadUpTo(const std::string& path, int fd, TBytes& bytes, uint64_t limit) {
  uint8_t chunk[65536];
  for (;;) {
    const size_t want = size_t(std::min<uint64_t>(sizeof chunk, limit + 1 - bytes.size()));
    const ssize_t n = ::read(fd, chunk, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EFileError("Error reading file \"" + path + "\". " + Reason());
    }
    if (n == 0) return true;
    // The file may grow while it is read.
    if (bytes.size() + size_t(n) > limit) return false;
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
}

std::string SizeText(uint64_t bytes) {
  constexpr uint64_t kGB = uint64_t(1) << 30;
  return bytes % kGB == 0 ? std::to_string(bytes / kGB) + " GB" : std::to_string(bytes >> 20) + " MB";
}

}  // namespace

TBytes ReadFileBytes(const std::string& path) { return ReadFileBytes(path, kMaxReadFileBytes); }

TBytes ReadFileBytes(const std::string& path, uint64_t maxBytes) {
  struct stat info {};
  const FileHandle file = OpenRegularFile(path, info);
  auto tooLarge = [&](uint64_t size) {
    return EOutOfResources("The file \"" + path + "\" is too large to read (" + std::to_string(size) +
                           " bytes). Files may have at most " + SizeText(maxBytes) + ".");
  };
  if (uint64_t(info.st_size) > maxBytes) throw tooLarge(uint64_t(info.st_size));
  TBytes bytes;
  bytes.reserve(size_t(info.st_size));
  if (!ReadUpTo(path, file.Get(), bytes, maxBytes)) throw tooLarge(maxBytes + 1);
  return bytes;
}

TBytes ReadFileHead(const std::string& path, size_t count) {
  struct stat info {};
  const FileHandle file = OpenRegularFile(path, info);
  TBytes bytes;
  bytes.reserve(std::min<size_t>(count, size_t(info.st_size)));
  uint8_t chunk[65536];
  while (bytes.size() < count) {
    const ssize_t n = ::read(file.Get(), chunk, std::min(sizeof chunk, count - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EFileError("Error reading file \"" + path + "\". " + Reason());
    if (n == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return bytes;
}

namespace {

// Symbolic links followed before a chain is taken for a loop, as the kernel does.
constexpr int kMaxLinkHops = 40;

bool WriteAll(int fd, TByteSpan bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

// The file a save writes: the path itself, or what its chain of symbolic links ends at, so the
// link stays a link. A dangling link gives the path it points to, where the file is created.
// Relative targets are taken from the link's folder. Empty with errno set on failure.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) return errno == ENOENT ? current : std::string();
    if (!S_ISLNK(info.st_mode)) return current;
    std::string target(size_t(info.st_size > 0 ? info.st_size : 0) + 256, '\0');
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n < 0) return {};
    if (size_t(n) == target.size()) {  // the link changed under us; it grew
      errno = ENAMETOOLONG;
      return {};
    }
    target.resize(size_t(n));
    const size_t slash = current.find_last_of('/');
    if (!target.empty() && target[0] != '/' && slash != std::string::npos)
      target = current.substr(0, slash + 1) + target;
    current = target;
  }
  errno = ELOOP;
  return {};
}

// The process's umask as it is now. Setting it to read it would change it for every thread at
// once (a save on another thread would then create a file open to all), so it is read from the
// kernel; where /proc cannot tell, the umask the program started with stands.
mode_t ReadUmaskOnce() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}
// Before main, while the program has one thread.
const mode_t kStartUmask = ReadUmaskOnce();

mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Umask:", 0) == 0) return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
  return kStartUmask;
}

// A temporary name beside target that fits the folder's name limit however long target's own
// name is: what can be kept of the name, then six random characters.
std::string TemporaryNameFor(const std::string& target) {
  const size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  constexpr size_t kMaxKept = 200;  // NAME_MAX is 255 on every file system the editor runs on
  if (name.size() > kMaxKept) {
    name.resize(kMaxKept);
    // Not cut inside a UTF-8 sequence: the name shows in messages.
    while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) name.pop_back();
    if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
  }
  return folder + name + ".XXXXXX";
}

// Makes sure the file has room for `size` bytes without changing what it holds or its length.
bool Reserve(int fd, size_t size) {
  if (size == 0) return true;
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) == 0) return true;
  // A file system that cannot reserve space: the write itself finds out, as it always did.
  return errno == EOPNOTSUPP || errno == ENOSYS;
}

}  // namespace

void WriteFileBytes(const std::string& path, TByteSpan bytes) { WriteFileBytes(path, bytes, TNewFileMode::Shared); }

void WriteFileBytes(const std::string& path, TByteSpan bytes, TNewFileMode mode) {
  const std::string target = ResolveLinks(path);
  if (target.empty()) throw EFileError("Cannot create file \"" + path + "\". " + Reason());
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

  // The new content goes to a temporary file next to the target first, so that a full disk or
  // a failed write shows before the old file is touched.
  std::string temp = TemporaryNameFor(target);
  FileHandle file(::mkstemp(temp.data()));
  if (file.Get() < 0) throw EFileError("Cannot create file \"" + path + "\". " + Reason());
  auto fail = [&](const std::string& what) {
    const std::string reason = Reason();
    ::unlink(temp.c_str());
    throw EFileError(what + " \"" + path + "\". " + reason);
  };
  if (!WriteAll(file.Get(), bytes)) fail("Error writing file");
  if (mode == TNewFileMode::Private) {
    if (::fchmod(file.Get(), 0600) != 0) fail("Error writing file");
  } else if (exists) {
    // The group first: changing it clears set-id bits, which the mode then puts back. Only the
    // owner or root may change the group; a save by anyone else keeps the folder's default.
    if (::fchown(file.Get(), uid_t(-1), old.st_gid) != 0 && errno != EPERM) fail("Error writing file");
    if (::fchmod(file.Get(), old.st_mode & 07777) != 0) fail("Error writing file");
  } else {
    // mkstemp creates the file readable by the owner only; give it the usual permissions.
    ::fchmod(file.Get(), 0666 & ~CurrentUmask());
  }
  if (::fsync(file.Get()) != 0) fail("Error writing file");

  if (exists && old.st_nlink > 1) {
    // A file under several names: a rename would give only this name the new picture and leave
    // the others on the old one. So once the complete picture is safely in the temporary file,
    // it is written into the existing file itself, which every name shares.
    FileHandle original(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (original.Get() < 0) fail("Cannot create file");
    // The space is had before the first byte changes: a disk that fills up refuses here, with
    // the file whole, rather than half-way through it.
    if (!Reserve(original.Get(), bytes.size())) fail("Error writing file");
    if (!WriteAll(original.Get(), bytes) || ::ftruncate(original.Get(), off_t(bytes.size())) != 0 ||
        ::fsync(original.Get()) != 0 || ::close(original.Release()) != 0) {
      // The file may be part-written now: the complete picture stays where the user can get it.
      const std::string reason = Reason();
      throw EFileError("Error writing file \"" + path + "\". " + reason + " The whole picture is in \"" + temp + "\".");
    }
    ::unlink(temp.c_str());
    return;
  }
  if (::close(file.Release()) != 0) fail("Error writing file");
  if (::rename(temp.c_str(), target.c_str()) != 0) fail("Cannot create file");
}

std::string ExtractFileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const std::string oldExt = ExtractFileExt(path);
  return path.substr(0, path.size() - oldExt.size()) + ext;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace gs

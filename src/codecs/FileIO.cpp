// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/FileIO.h"

#include "common/Errors.h"
#include "common/Limits.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <fcntl.h>
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
  int Release() {
    const int fd = Fd_;
    Fd_ = -1;
    return fd;
  }

private:
  int Fd_;
};

}  // namespace

TBytes ReadFileBytes(const std::string& path) {
  // Non-blocking, so that a FIFO under a picture's name cannot stall the open; only regular
  // files are read, since a device such as /dev/zero never ends.
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.Get() < 0) throw EFileError("Cannot open file \"" + path + "\". " + Reason());
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
    throw EFileError("Cannot open file \"" + path + "\". Not a regular file");
  auto tooLarge = [&path](uint64_t size) {
    return EOutOfResources("The file \"" + path + "\" is too large to read (" + std::to_string(size) +
                           " bytes). Files may have at most 1 GB.");
  };
  if (uint64_t(info.st_size) > kMaxReadFileBytes) throw tooLarge(uint64_t(info.st_size));
  TBytes bytes;
  bytes.reserve(size_t(info.st_size));
  uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::read(file.Get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EFileError("Error reading file \"" + path + "\". " + Reason());
    }
    if (n == 0) break;
    // The file may grow while it is read.
    if (bytes.size() + size_t(n) > kMaxReadFileBytes) throw tooLarge(bytes.size() + size_t(n));
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

}  // namespace

void WriteFileBytes(const std::string& path, TByteSpan bytes) {
  const std::string target = ResolveLinks(path);
  if (target.empty()) throw EFileError("Cannot create file \"" + path + "\". " + Reason());
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

  // The new content goes to a temporary file next to the target first, so that a full disk or
  // a failed write shows before the old file is touched.
  std::string temp = target + ".XXXXXX";
  FileHandle file(::mkstemp(temp.data()));
  if (file.Get() < 0) throw EFileError("Cannot create file \"" + path + "\". " + Reason());
  auto fail = [&](const std::string& what) {
    const std::string reason = Reason();
    ::unlink(temp.c_str());
    throw EFileError(what + " \"" + path + "\". " + reason);
  };
  if (!WriteAll(file.Get(), bytes)) fail("Error writing file");
  if (exists) {
    // The group first: changing it clears set-id bits, which the mode then puts back. Only the
    // owner or root may change the group; a save by anyone else keeps the folder's default.
    if (::fchown(file.Get(), uid_t(-1), old.st_gid) != 0 && errno != EPERM) fail("Error writing file");
    if (::fchmod(file.Get(), old.st_mode & 07777) != 0) fail("Error writing file");
  } else {
    // mkstemp creates the file readable by the owner only; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.Get(), 0666 & ~mask);
  }
  if (::fsync(file.Get()) != 0) fail("Error writing file");

  if (exists && old.st_nlink > 1) {
    // A file under several names: a rename would give only this name the new picture and leave
    // the others on the old one. So once the complete picture is safely in the temporary file,
    // it is written into the existing file itself, which every name shares; only a failure from
    // here on can leave that file part-written.
    FileHandle original(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (original.Get() < 0) fail("Cannot create file");
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

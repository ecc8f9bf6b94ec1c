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

void WriteFileBytes(const std::string& path, TByteSpan bytes) {
  std::string temp = path + ".XXXXXX";
  FileHandle file(::mkstemp(temp.data()));
  if (file.Get() < 0) throw EFileError("Cannot create file \"" + path + "\". " + Reason());
  auto fail = [&](const std::string& what) {
    const std::string reason = Reason();
    ::unlink(temp.c_str());
    throw EFileError(what + " \"" + path + "\". " + reason);
  };
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(file.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("Error writing file");
    }
    done += size_t(n);
  }
  // mkstemp creates the file readable by the owner only; give it the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(file.Get(), 0666 & ~mask);
  if (::fsync(file.Get()) != 0) fail("Error writing file");
  if (::close(file.Release()) != 0) fail("Error writing file");
  if (::rename(temp.c_str(), path.c_str()) != 0) fail("Cannot create file");
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

}  // namespace gs

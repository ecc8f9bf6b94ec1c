// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/ReplacingOutputFile.h"

#include "gifloom/GifError.h"
#include "gifloom/GifMessages.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gifloom {

namespace {

constexpr size_t kBufferSize = 256 * 1024;
constexpr int kNameAttempts = 100;
// Symbolic links followed before a chain is taken for a loop, as the kernel does.
constexpr int kMaxLinkHops = 40;

// The file the output goes to: the path itself, or what its chain of symbolic links ends at, so
// that a link stays a link. A dangling link gives the path it points to. Relative targets are
// taken from the link's folder. Empty when the chain cannot be followed.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (lstat(current.c_str(), &info) != 0) return errno == ENOENT ? current : std::string();
    if (!S_ISLNK(info.st_mode)) return current;
    std::string target(size_t(info.st_size > 0 ? info.st_size : 0) + 256, '\0');
    const ssize_t n = readlink(current.c_str(), target.data(), target.size());
    if (n < 0 || size_t(n) == target.size()) return {};
    target.resize(size_t(n));
    const size_t slash = current.rfind('/');
    if (!target.empty() && target[0] != '/' && slash != std::string::npos)
      target = current.substr(0, slash + 1) + target;
    current = target;
  }
  return {};
}

// A hidden sibling of the target, so the final rename stays within one file system. Its name
// keeps at most the start of the target's, so that it fits the folder's name limit (255 bytes)
// when the target's own name nearly fills it.
std::string TemporarySibling(const std::string& target, int attempt) {
  static std::atomic<unsigned> counter{0};
  constexpr size_t kMaxKept = 180;
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.size() > kMaxKept) {
    name.resize(kMaxKept);
    // Not cut inside a UTF-8 sequence.
    while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80) name.pop_back();
    if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
  }
  return folder + "." + name + "." + std::to_string(getpid()) + "-" +
         std::to_string(counter++) + "-" + std::to_string(attempt) + ".tmp";
}

bool WriteAll(int descriptor, const uint8_t* bytes, size_t count, off_t offset, bool positioned) {
  while (count > 0) {
    const ssize_t done = positioned ? pwrite(descriptor, bytes, count, offset)
                                    : write(descriptor, bytes, count);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    count -= size_t(done);
    offset += done;
  }
  return true;
}

}  // namespace

TReplacingOutputFile::TReplacingOutputFile(std::string targetPath)
    : TargetPath_(std::move(targetPath)), Buffer_(new uint8_t[kBufferSize]) {
  ResolvedPath_ = ResolveLinks(TargetPath_);
  if (ResolvedPath_.empty()) throw EGifError(kCouldNotCreateOutput, TargetPath_);
  for (int attempt = 0; attempt < kNameAttempts && Descriptor_ < 0; ++attempt) {
    TemporaryPath_ = TemporarySibling(ResolvedPath_, attempt);
    // Readable too: a target with several hard links gets the finished file copied from here.
    Descriptor_ = open(TemporaryPath_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (Descriptor_ < 0 && errno != EEXIST) break;
  }
  if (Descriptor_ < 0) throw EGifError(kCouldNotCreateOutput, TargetPath_);
}

TReplacingOutputFile::~TReplacingOutputFile() { Discard(); }

void TReplacingOutputFile::Discard() {
  if (Descriptor_ < 0) return;
  close(Descriptor_);
  Descriptor_ = -1;
  std::remove(TemporaryPath_.c_str());
}

void TReplacingOutputFile::ThrowWriteFailure() const {
  throw EGifError(kCouldNotWriteOutput, TargetPath_);
}

void TReplacingOutputFile::Flush() {
  if (!WriteAll(Descriptor_, Buffer_.get(), Filled_, 0, false)) ThrowWriteFailure();
  Filled_ = 0;
}

void TReplacingOutputFile::Write(std::span<const uint8_t> bytes) {
  if (bytes.size() > kBufferSize - Filled_) Flush();
  if (bytes.size() >= kBufferSize) {
    if (!WriteAll(Descriptor_, bytes.data(), bytes.size(), 0, false)) ThrowWriteFailure();
    return;
  }
  std::memcpy(Buffer_.get() + Filled_, bytes.data(), bytes.size());
  Filled_ += bytes.size();
}

void TReplacingOutputFile::WriteByte(uint8_t byte) {
  if (Filled_ == kBufferSize) Flush();
  Buffer_[Filled_++] = byte;
}

void TReplacingOutputFile::Overwrite(uint64_t offset, std::span<const uint8_t> bytes) {
  Flush();
  if (!WriteAll(Descriptor_, bytes.data(), bytes.size(), off_t(offset), true)) ThrowWriteFailure();
}

// A file under several names: a rename would give only this name the new GIF and leave the
// others on the old one. So the finished temporary file is copied into the existing file, which
// every name shares; only a failure during the copy can leave that file part-written.
bool TReplacingOutputFile::CopyIntoTarget(off_t size) const {
  const int target = open(ResolvedPath_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (target < 0) return false;
  // The room is had before the first byte changes: a full disk refuses here, the file whole.
  if (size > 0 && fallocate(target, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
    close(target);
    return false;
  }
  bool ok = true;
  for (off_t at = 0; ok && at < size;) {
    const ssize_t got = pread(Descriptor_, Buffer_.get(), kBufferSize, at);
    if (got < 0 && errno == EINTR) continue;
    ok = got > 0 && WriteAll(target, Buffer_.get(), size_t(got), at, true);
    at += got;
  }
  ok = ok && ftruncate(target, size) == 0 && fsync(target) == 0;
  return close(target) == 0 && ok;
}

void TReplacingOutputFile::Commit() {
  Flush();
  // An existing file keeps its permission bits and, where the user may set it, its group (the
  // group first: changing it clears set-id bits, which the mode puts back).
  struct stat old {};
  const bool exists = stat(ResolvedPath_.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  if (exists) {
    if (fchown(Descriptor_, uid_t(-1), old.st_gid) != 0 && errno != EPERM) ThrowWriteFailure();
    if (fchmod(Descriptor_, old.st_mode & 07777) != 0) ThrowWriteFailure();
  }
  struct stat written {};
  if (fsync(Descriptor_) != 0 || fstat(Descriptor_, &written) != 0) ThrowWriteFailure();
  if (exists && old.st_nlink > 1) {
    if (!CopyIntoTarget(written.st_size)) ThrowWriteFailure();
    Discard();
    return;
  }
  const int descriptor = Descriptor_;
  Descriptor_ = -1;
  if (close(descriptor) != 0) {
    std::remove(TemporaryPath_.c_str());
    ThrowWriteFailure();
  }
  if (std::rename(TemporaryPath_.c_str(), ResolvedPath_.c_str()) != 0) {
    std::remove(TemporaryPath_.c_str());
    throw EGifError(kCouldNotCreateOutput, TargetPath_);
  }
}

}  // namespace gifloom

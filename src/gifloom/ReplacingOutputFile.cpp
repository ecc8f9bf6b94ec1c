#include "gifloom/ReplacingOutputFile.h"

#include "gifloom/GifError.h"
#include "gifloom/GifMessages.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace gifloom {

namespace {

constexpr size_t kBufferSize = 256 * 1024;
constexpr int kNameAttempts = 100;

// A hidden sibling of the target, so the final rename stays within one file system.
std::string TemporarySibling(const std::string& target, int attempt) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
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
  for (int attempt = 0; attempt < kNameAttempts && Descriptor_ < 0; ++attempt) {
    TemporaryPath_ = TemporarySibling(TargetPath_, attempt);
    Descriptor_ = open(TemporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

void TReplacingOutputFile::Commit() {
  Flush();
  const int descriptor = Descriptor_;
  Descriptor_ = -1;
  if (close(descriptor) != 0) {
    std::remove(TemporaryPath_.c_str());
    ThrowWriteFailure();
  }
  if (std::rename(TemporaryPath_.c_str(), TargetPath_.c_str()) != 0) {
    std::remove(TemporaryPath_.c_str());
    throw EGifError(kCouldNotCreateOutput, TargetPath_);
  }
}

}  // namespace gifloom

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/InputFile.h"

#include "gifloom/GifError.h"
#include "gifloom/GifFormat.h"
#include "gifloom/GifMessages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gifloom {

namespace {

constexpr size_t kBufferSize = 64 * 1024;

// The size of a regular file, or nothing for anything else.
std::optional<uint64_t> RegularFileSize(int descriptor) {
  struct stat status{};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return uint64_t(status.st_size);
}

}  // namespace

TInputFile::TInputFile(std::string path, std::string_view openFailureMessage)
    : Path_(std::move(path)), Buffer_(new uint8_t[kBufferSize]) {
  Descriptor_ = open(Path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (Descriptor_ < 0) throw EGifError(openFailureMessage, Path_);
  const std::optional<uint64_t> size = RegularFileSize(Descriptor_);
  if (!size || *size > kMaxInputBytes) {
    close(Descriptor_);
    throw EGifError(size ? kInputTooLarge : openFailureMessage, Path_);
  }
}

TInputFile::~TInputFile() { close(Descriptor_); }

bool TInputFile::Refill() {
  Position_ = 0;
  Filled_ = 0;
  for (;;) {
    const ssize_t count = read(Descriptor_, Buffer_.get(), kBufferSize);
    if (count > 0) {
      Filled_ = size_t(count);
      return true;
    }
    if (count == 0) return false;
    if (errno != EINTR) throw EGifError(kCouldNotReadFile, Path_);
  }
}

void TInputFile::ThrowPrematureEnd() const { throw EGifError(kPrematureEnd, Path_); }

uint8_t TInputFile::ReadByte() {
  if (Position_ == Filled_ && !Refill()) ThrowPrematureEnd();
  return Buffer_[Position_++];
}

size_t TInputFile::ReadAvailable(std::span<uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    if (Position_ == Filled_ && !Refill()) break;
    const size_t count = std::min(bytes.size() - done, Filled_ - Position_);
    std::memcpy(bytes.data() + done, Buffer_.get() + Position_, count);
    Position_ += count;
    done += count;
  }
  return done;
}

void TInputFile::Read(std::span<uint8_t> bytes) {
  if (ReadAvailable(bytes) != bytes.size()) ThrowPrematureEnd();
}

void TInputFile::Skip(size_t count) {
  while (count > 0) {
    if (Position_ == Filled_ && !Refill()) ThrowPrematureEnd();
    const size_t step = std::min(count, Filled_ - Position_);
    Position_ += step;
    count -= step;
  }
}

}  // namespace gifloom

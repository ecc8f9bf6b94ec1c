// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sequential, buffered reading of one input GIF. Every read that runs past the end of the file
// throws EGifError with the "premature end" message, so a truncated file can never feed garbage
// into the output.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace gifloom {

class TInputFile {
public:
  // Throws EGifError(openFailureMessage, path) unless path names a readable regular file;
  // refusing fifos and devices keeps a stray drop from blocking the program. A file larger
  // than kMaxInputBytes fails with kInputTooLarge.
  TInputFile(std::string path, std::string_view openFailureMessage);
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  const std::string& Path() const { return Path_; }

  uint8_t ReadByte();
  void Read(std::span<uint8_t> bytes);
  void Skip(size_t count);
  // Reads as much as there is, up to bytes.size(); returns the count. Never throws at the end.
  size_t ReadAvailable(std::span<uint8_t> bytes);

private:
  // Refills the buffer; false at the end of the file.
  bool Refill();
  [[noreturn]] void ThrowPrematureEnd() const;

  std::string Path_;
  int Descriptor_ = -1;
  std::unique_ptr<uint8_t[]> Buffer_;
  size_t Position_ = 0;
  size_t Filled_ = 0;
};

}  // namespace gifloom

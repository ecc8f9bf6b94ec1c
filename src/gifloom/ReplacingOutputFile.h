// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Buffered writing of the output GIF into a temporary file beside the target. Only Commit puts
// it in the target's place, so a failed run leaves neither a half-written GIF nor a damaged
// earlier file of the same name; without Commit the temporary file is removed. The output keeps
// what the file was: a symbolic link stays a link and its target is written, an existing file
// keeps its mode and (where the user may set it) its group, and a file with several hard links
// is written in place once the temporary file is complete, so every name sees the new GIF.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <sys/types.h>

namespace gifloom {

class TReplacingOutputFile {
public:
  // Throws EGifError("Could not create output file.", target) when the folder takes no new file.
  explicit TReplacingOutputFile(std::string targetPath);
  ~TReplacingOutputFile();
  TReplacingOutputFile(const TReplacingOutputFile&) = delete;
  TReplacingOutputFile& operator=(const TReplacingOutputFile&) = delete;

  void Write(std::span<const uint8_t> bytes);
  void WriteByte(uint8_t byte);
  // Replaces bytes already written at offset.
  void Overwrite(uint64_t offset, std::span<const uint8_t> bytes);
  // Moves the finished file over the target (or copies it into a hard-linked one).
  void Commit();

private:
  void Flush();
  void Discard();
  bool CopyIntoTarget(off_t size) const;
  [[noreturn]] void ThrowWriteFailure() const;

  std::string TargetPath_;
  std::string ResolvedPath_;  // the target with its symbolic links followed
  std::string TemporaryPath_;
  int Descriptor_ = -1;
  std::unique_ptr<uint8_t[]> Buffer_;
  size_t Filled_ = 0;
};

}  // namespace gifloom

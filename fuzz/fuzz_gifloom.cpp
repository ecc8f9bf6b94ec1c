// SPDX-License-Identifier: GPL-3.0-or-later
// Gifloom's assembly of an animation from one to three arbitrary input files, and its reading
// of each input's frame facts for the dialog. Input layout:
//   byte 0        bits 0-1: number of inputs - 1 (3 reads as 3), bit 2: looping block,
//                 bits 3-7: frame delay
//   then for every input but the last a 16-bit little-endian length and that many bytes; the
//   last input takes whatever is left (a length running past the end is cut short).
// Only gifloom::EGifError is expected; the animation written must start with the GIF89a
// header and end with the trailer.
#include "gifloom/FrameInfo.h"
#include "gifloom/GifAssembler.h"
#include "gifloom/GifError.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string& WorkFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/gs_fuzz_gifloom_XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    return std::string(pattern);
  }();
  return folder;
}

void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  const bool ok = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !ok) std::abort();
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t inputCount = std::min<size_t>((data[0] & 3) + 1, 3);
  gifloom::TAssemblyOptions options;
  options.Loop = (data[0] & 4) != 0;
  options.DelayCentiseconds = uint16_t(data[0] >> 3);
  size_t pos = 1;
  std::vector<std::string> paths;
  for (size_t i = 0; i < inputCount; ++i) {
    size_t length = size - pos;
    if (i + 1 < inputCount) {
      if (size - pos < 2) break;
      length = std::min<size_t>(size_t(data[pos]) | size_t(data[pos + 1]) << 8, size - pos - 2);
      pos += 2;
    }
    paths.push_back(WorkFolder() + "/input" + std::to_string(i) + ".gif");
    WriteAll(paths.back(), data + pos, length);
    pos += length;
  }
  for (const std::string& path : paths) {
    try {
      const gifloom::TFrameInfo info = gifloom::ReadFrameInfo(path);
      (void)gifloom::FormatFrameInfo(info);
    } catch (const gifloom::EGifError&) {
    }
  }
  const std::string output = WorkFolder() + "/animation.gif";
  ::unlink(output.c_str());
  try {
    gifloom::AssembleAnimatedGif(paths, output, options);
    const std::vector<uint8_t> written = ReadAll(output);
    if (written.size() < 14 || std::memcmp(written.data(), "GIF89a", 6) != 0 ||
        written.back() != 0x3B)
      __builtin_trap();
  } catch (const gifloom::EGifError&) {
    // A failed assembly leaves no file behind.
    struct stat st {};
    if (::stat(output.c_str(), &st) == 0) __builtin_trap();
  }
  for (const std::string& path : paths) ::unlink(path.c_str());
  return 0;
}

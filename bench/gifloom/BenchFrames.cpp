// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchFrames.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace gifloom::bench {

namespace {

using TBytes = std::vector<uint8_t>;

constexpr uint32_t kLastCode = 4095;

// Packs variable-width codes least significant bit first into 255-byte sub-blocks.
class TCodePacker {
public:
  explicit TCodePacker(TBytes& out) : Out_(out) {}
  void Put(uint32_t code, int width) {
    Pending_ |= uint64_t(code) << Bits_;
    for (Bits_ += width; Bits_ >= 8; Bits_ -= 8, Pending_ >>= 8) PutByte(uint8_t(Pending_));
  }
  void Finish() {
    if (Bits_ > 0) PutByte(uint8_t(Pending_));
    if (!Block_.empty()) EmitBlock();
    Out_.push_back(0);
  }

private:
  void PutByte(uint8_t byte) {
    Block_.push_back(byte);
    if (Block_.size() == 255) EmitBlock();
  }
  void EmitBlock() {
    Out_.push_back(uint8_t(Block_.size()));
    Out_.insert(Out_.end(), Block_.begin(), Block_.end());
    Block_.clear();
  }
  TBytes& Out_;
  TBytes Block_;
  uint64_t Pending_ = 0;
  int Bits_ = 0;
};

// GIF's LZW with 8-bit symbols; the string table is cleared whenever it fills up.
void AppendLzw(TBytes& out, const std::vector<uint8_t>& indices) {
  constexpr uint32_t kClear = 256, kEnd = 257;
  std::vector<uint16_t> child(size_t(kLastCode + 1) * 256, 0);
  TCodePacker packer(out);
  out.push_back(8);
  uint32_t nextCode = kEnd + 1;
  int width = 9;
  packer.Put(kClear, width);
  uint32_t prefix = indices[0];
  for (size_t i = 1; i < indices.size(); ++i) {
    const uint8_t symbol = indices[i];
    uint16_t& slot = child[prefix * 256 + symbol];
    if (slot != 0) {
      prefix = slot;
      continue;
    }
    packer.Put(prefix, width);
    // The reader widens its codes one entry behind the writer, hence the check before adding.
    if (nextCode >= (1u << width) && width < 12) ++width;
    if (nextCode < kLastCode) {
      slot = uint16_t(nextCode++);
    } else {
      packer.Put(kClear, width);
      std::fill(child.begin(), child.end(), 0);
      nextCode = kEnd + 1;
      width = 9;
    }
    prefix = symbol;
  }
  packer.Put(prefix, width);
  if (nextCode >= (1u << width) && width < 12) ++width;
  packer.Put(kEnd, width);
  packer.Finish();
}

// A dithered diagonal gradient that drifts from frame to frame, like a simple animation.
std::vector<uint8_t> FrameIndices(int frame, int width, int height) {
  std::vector<uint8_t> indices(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int noise = ((x * 7 + y * 13 + frame * 5) ^ (x >> 3)) & 3;
      indices[size_t(y) * width + x] = uint8_t((x + y + frame * 4) / 5 + noise);
    }
  return indices;
}

TBytes FrameFile(int frame, int width, int height) {
  TBytes out = {'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8),
                uint8_t(height), uint8_t(height >> 8), 0xF7, 0, 0};
  for (int i = 0; i < 256; ++i)
    out.insert(out.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3 + frame)});
  out.insert(out.end(), {0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                         uint8_t(height >> 8), 0});
  AppendLzw(out, FrameIndices(frame, width, height));
  out.push_back(0x3B);
  return out;
}

}  // namespace

TBenchFrames WriteBenchFrames(int count, int width, int height) {
  TBenchFrames frames;
  std::string pattern = (std::filesystem::temp_directory_path() / "gifloom-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
  frames.Folder = pattern;
  for (int i = 0; i < count; ++i) {
    const TBytes bytes = FrameFile(i, width, height);
    char name[32];
    std::snprintf(name, sizeof name, "/frame%03d.gif", i);
    frames.Paths.push_back(frames.Folder + name);
    std::ofstream(frames.Paths.back(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    frames.TotalBytes += bytes.size();
  }
  return frames;
}

void RemoveBenchFrames(const TBenchFrames& frames) {
  std::error_code ignored;
  std::filesystem::remove_all(frames.Folder, ignored);
}

}  // namespace gifloom::bench

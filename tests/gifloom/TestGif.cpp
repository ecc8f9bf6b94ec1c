// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestGif.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gifloom::test {

namespace {

void Append16(TBytes& out, uint16_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

// Every index as a literal code; the table is cleared before the reader would widen its codes.
TBytes LiteralLzw(const std::vector<uint8_t>& indices, int minCodeSize) {
  const uint32_t clear = 1u << minCodeSize;
  const int width = minCodeSize + 1;
  std::vector<uint32_t> codes{clear};
  size_t sinceClear = 0;
  for (uint8_t index : indices) {
    if (sinceClear == clear - 2) {
      codes.push_back(clear);
      sinceClear = 0;
    }
    codes.push_back(index);
    ++sinceClear;
  }
  codes.push_back(clear + 1);
  TBytes packed;
  uint64_t pending = 0;
  int bits = 0;
  for (uint32_t code : codes) {
    pending |= uint64_t(code) << bits;
    for (bits += width; bits >= 8; bits -= 8, pending >>= 8) packed.push_back(uint8_t(pending));
  }
  if (bits > 0) packed.push_back(uint8_t(pending));
  return packed;
}

std::vector<uint8_t> IndicesOf(const TTestGif& gif) {
  if (!gif.Indices.empty()) return gif.Indices;
  return std::vector<uint8_t>(size_t(gif.ScreenWidth) * gif.ScreenHeight, 1);
}

int TableCodeOf(const TTestGif& gif) {
  if (gif.LocalTableCode >= 0) return gif.LocalTableCode;
  return std::max(gif.GlobalTableCode, 0);
}

void AppendControl(TBytes& out, const TTestControl& control) {
  out.insert(out.end(), {0x21, 0xF9, 4, control.Packed});
  Append16(out, control.Delay);
  out.insert(out.end(), {control.TransparentIndex, 0});
}

void AppendComment(TBytes& out) {
  out.insert(out.end(), {0x21, 0xFE, 3, 'h', 'i', '!', 2, 0x2C, 0x21, 0});
}

TBytes Slice(const TBytes& bytes, size_t& at, size_t count) {
  if (at + count > bytes.size()) throw std::runtime_error("animation ends too early");
  TBytes part(bytes.begin() + long(at), bytes.begin() + long(at + count));
  at += count;
  return part;
}

TFrameBlocks ParseFrame(const TBytes& bytes, size_t& at) {
  TFrameBlocks frame;
  if (Slice(bytes, at, 3) != TBytes{0x21, 0xF9, 4}) throw std::runtime_error("no graphic control");
  frame.Control = Slice(bytes, at, 5);
  frame.Control.insert(frame.Control.begin(), 4);
  if (Slice(bytes, at, 1) != TBytes{0x2C}) throw std::runtime_error("no image separator");
  frame.Descriptor = Slice(bytes, at, 9);
  if (frame.Descriptor[8] & 0x80)
    frame.Table = Slice(bytes, at, size_t(3) << ((frame.Descriptor[8] & 7) + 1));
  const size_t start = at;
  for (at += 1; bytes.at(at) != 0; at += bytes[at] + 1) {
  }
  at += 1;
  frame.ImageData.assign(bytes.begin() + long(start), bytes.begin() + long(at));
  return frame;
}

}  // namespace

uint32_t ColourOf(uint8_t seed, int index) {
  return uint32_t(((seed * 53 + index * 7) & 0xFF) << 16 | ((index * 29 + 11) & 0xFF) << 8 |
                  ((255 - index - seed * 17) & 0xFF));
}

TBytes ColourTable(int code, uint8_t seed) {
  TBytes table;
  for (int i = 0; i < (2 << code); ++i) {
    const uint32_t colour = ColourOf(seed, i);
    table.insert(table.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
  }
  return table;
}

TBytes ImageDataOf(const TTestGif& gif) {
  const int minCodeSize = std::max(2, TableCodeOf(gif) + 1);
  const TBytes lzw = LiteralLzw(IndicesOf(gif), minCodeSize);
  TBytes data{uint8_t(minCodeSize)};
  for (size_t at = 0; at < lzw.size(); at += 255) {
    const size_t length = std::min<size_t>(255, lzw.size() - at);
    data.push_back(uint8_t(length));
    data.insert(data.end(), lzw.begin() + long(at), lzw.begin() + long(at + length));
  }
  data.push_back(0);
  return data;
}

TBytes BuildGif(const TTestGif& gif) {
  TBytes out(gif.Version.begin(), gif.Version.end());
  Append16(out, gif.ScreenWidth);
  Append16(out, gif.ScreenHeight);
  const bool global = gif.GlobalTableCode >= 0;
  out.insert(out.end(), {uint8_t(global ? 0x80 | gif.GlobalTableCode : 0), 0, 0});
  if (global) {
    const TBytes table = ColourTable(gif.GlobalTableCode, gif.ColourSeed);
    out.insert(out.end(), table.begin(), table.end());
  }
  if (gif.CommentBeforeImage) AppendComment(out);
  for (const TTestControl& control : gif.Controls) AppendControl(out, control);
  out.push_back(0x2C);
  Append16(out, 0);
  Append16(out, 0);
  Append16(out, gif.ScreenWidth);
  Append16(out, gif.ScreenHeight);
  const bool local = gif.LocalTableCode >= 0;
  out.push_back(uint8_t(gif.DescriptorFlags | (local ? 0x80 | gif.LocalTableCode : 0)));
  if (local) {
    const TBytes table = ColourTable(gif.LocalTableCode, uint8_t(gif.ColourSeed + 100));
    out.insert(out.end(), table.begin(), table.end());
  }
  const TBytes data = ImageDataOf(gif);
  out.insert(out.end(), data.begin(), data.end());
  out.push_back(0x3B);
  return out;
}

TAnimation ParseAnimation(const TBytes& bytes) {
  static const TBytes kLoopingBlock = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                       'E',  '2',  '.',  '0', 0x03, 0x01, 0xFF, 0xFF, 0x00};
  size_t at = 0;
  if (Slice(bytes, at, 6) != TBytes{'G', 'I', 'F', '8', '9', 'a'})
    throw std::runtime_error("not GIF89a");
  TAnimation animation;
  animation.Screen = Slice(bytes, at, 7);
  animation.HasLoopingBlock =
      bytes.size() >= at + kLoopingBlock.size() &&
      std::equal(kLoopingBlock.begin(), kLoopingBlock.end(), bytes.begin() + long(at));
  if (animation.HasLoopingBlock) at += kLoopingBlock.size();
  while (bytes.at(at) != 0x3B) animation.Frames.push_back(ParseFrame(bytes, at));
  if (at + 1 != bytes.size()) throw std::runtime_error("bytes after the trailer");
  return animation;
}

TBytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const TBytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TScratchFolder::TScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "gifloom-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
  Path_ = pattern;
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Path_, ignored);
}

std::string TScratchFolder::Put(const std::string& name, const TTestGif& gif) const {
  WriteFile(Path_ / name, BuildGif(gif));
  return (Path_ / name).string();
}

std::vector<std::string> TScratchFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace gifloom::test

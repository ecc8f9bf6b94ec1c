// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a GIF file says about its frames, read block by block independently of our writer.

#include "codecs/Picture.h"
#include "common/Geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gs::test {

struct TGifFrameInfo {
  int Delay = -1;
  int Disposal = -1;
  int TransparentIndex = -1;
  TRect Rect;
};
struct TGifInfo {
  int Width = 0, Height = 0, TableSize = 0;
  bool Loops = false;
  int LoopCount = -1;
  std::vector<TGifFrameInfo> Frames;
  bool Trailer = false;
};

inline void SkipSubBlocks(const TBytes& b, size_t& p) {
  while (p < b.size() && b[p] != 0) p += size_t(b[p]) + 1;
  ++p;
}

inline TGifInfo ReadGifInfo(const TBytes& b) {
  TGifInfo info;
  if (b.size() < 13 || std::string(b.begin(), b.begin() + 6) != "GIF89a") {
    ADD_FAILURE() << "not a GIF89a file";
    return info;
  }
  info.Width = b[6] | b[7] << 8;
  info.Height = b[8] | b[9] << 8;
  size_t p = 13;
  if (b[10] & 0x80) {
    info.TableSize = 2 << (b[10] & 7);
    p += size_t(info.TableSize) * 3;
  }
  TGifFrameInfo pending;
  while (p < b.size()) {
    const uint8_t kind = b[p++];
    if (kind == 0x3B) {
      info.Trailer = p == b.size();
      break;
    }
    if (kind == 0x2C) {
      const int left = b[p] | b[p + 1] << 8, top = b[p + 2] | b[p + 3] << 8;
      pending.Rect = TRect{left, top, left + (b[p + 4] | b[p + 5] << 8), top + (b[p + 6] | b[p + 7] << 8)};
      const uint8_t flags = b[p + 8];
      p += 9;
      if (flags & 0x80) p += size_t(2 << (flags & 7)) * 3;
      ++p;  // LZW minimum code size
      SkipSubBlocks(b, p);
      info.Frames.push_back(pending);
      pending = TGifFrameInfo{};
    } else if (kind == 0x21 && b[p] == 0xF9) {
      pending.Disposal = (b[p + 2] >> 2) & 7;
      pending.Delay = b[p + 3] | b[p + 4] << 8;
      pending.TransparentIndex = (b[p + 2] & 1) ? b[p + 5] : -1;
      p += 1;
      SkipSubBlocks(b, p);
    } else if (kind == 0x21 && b[p] == 0xFF) {
      const std::string name(b.begin() + long(p) + 2, b.begin() + long(p) + 13);
      if (name == "NETSCAPE2.0") {
        info.Loops = true;
        info.LoopCount = b[p + 15] | b[p + 16] << 8;
      }
      p += 1;
      SkipSubBlocks(b, p);
    } else {
      ADD_FAILURE() << "unexpected block " << int(kind) << " at " << p - 1;
      break;
    }
  }
  return info;
}

}  // namespace gs::test

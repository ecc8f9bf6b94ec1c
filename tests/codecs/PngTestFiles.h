// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hand-assembled PNG files for the codec tests: chunks, scanlines, filters and interlacing
// done here in the plainest way, independently of the decoder and encoder under test.

#include "codecs/Picture.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include <zlib.h>

namespace gs::pngtest {

inline void PutBE32(TBytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

inline TBytes Deflate(const TBytes& raw, int level = 9) {
  uLongf size = compressBound(uLong(raw.size()));
  TBytes out(size);
  if (compress2(out.data(), &size, raw.data(), uLong(raw.size()), level) != Z_OK) std::abort();
  out.resize(size);
  return out;
}

class TPngFileBuilder {
public:
  TPngFileBuilder() : Bytes_{137, 80, 78, 71, 13, 10, 26, 10} {}

  TPngFileBuilder& Chunk(const std::string& type, const TBytes& data) {
    PutBE32(Bytes_, uint32_t(data.size()));
    size_t typeAt = Bytes_.size();
    Bytes_.insert(Bytes_.end(), type.begin(), type.end());
    Bytes_.insert(Bytes_.end(), data.begin(), data.end());
    PutBE32(Bytes_, uint32_t(crc32(0, Bytes_.data() + typeAt, uInt(data.size() + 4))));
    return *this;
  }
  TPngFileBuilder& Header(uint32_t width, uint32_t height, int depth, int colorType, int interlace = 0,
                          int compression = 0, int filterMethod = 0) {
    TBytes data;
    PutBE32(data, width);
    PutBE32(data, height);
    data.insert(data.end(), {uint8_t(depth), uint8_t(colorType), uint8_t(compression), uint8_t(filterMethod),
                             uint8_t(interlace)});
    return Chunk("IHDR", data);
  }
  TPngFileBuilder& Data(const TBytes& compressed) { return Chunk("IDAT", compressed); }
  TPngFileBuilder& End() { return Chunk("IEND", {}); }
  const TBytes& Bytes() const { return Bytes_; }

private:
  TBytes Bytes_;
};

// A picture given as samples: Sample(x, y, channel) in the file's bit depth.
struct TSampleImage {
  int Width = 0, Height = 0, Channels = 1, Depth = 8;
  std::function<uint16_t(int x, int y, int channel)> Sample;
};

// One row of samples packed the way PNG stores them: sub-byte samples high bits first,
// 16-bit ones big-endian.
inline TBytes PackRow(const TSampleImage& image, int y, int x0 = 0, int dx = 1) {
  TBytes row;
  int bitsUsed = 0;
  for (int x = x0; x < image.Width; x += dx) {
    for (int c = 0; c < image.Channels; ++c) {
      uint16_t v = image.Sample(x, y, c);
      if (image.Depth == 16) {
        row.push_back(uint8_t(v >> 8));
        row.push_back(uint8_t(v));
      } else if (image.Depth == 8) {
        row.push_back(uint8_t(v));
      } else {
        if (bitsUsed == 0) row.push_back(0);
        row.back() = uint8_t(row.back() | (v << (8 - image.Depth - bitsUsed)));
        bitsUsed = (bitsUsed + image.Depth) % 8;
      }
    }
  }
  return row;
}

inline int Paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Appends filter byte and filtered row; prev is the row above (empty for the first).
inline void AppendFiltered(TBytes& out, const TBytes& row, const TBytes& prev, int filter, int step) {
  out.push_back(uint8_t(filter));
  for (size_t i = 0; i < row.size(); ++i) {
    int a = i >= size_t(step) ? row[i - step] : 0;
    int b = prev.empty() ? 0 : prev[i];
    int c = i >= size_t(step) && !prev.empty() ? prev[i - step] : 0;
    int predicted[5] = {0, a, b, (a + b) / 2, Paeth(a, b, c)};
    out.push_back(uint8_t(row[i] - predicted[filter]));
  }
}

inline int FilterStep(const TSampleImage& image) {
  int bits = image.Channels * image.Depth;
  return bits >= 8 ? bits / 8 : 1;
}

// The inflated image data, rows filtered with filterOf(row index within its pass).
inline TBytes Scanlines(const TSampleImage& image, bool interlaced, const std::function<int(int)>& filterOf) {
  struct Pass { int x0, y0, dx, dy; };
  std::vector<Pass> passes = {{0, 0, 1, 1}};
  if (interlaced)
    passes = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  TBytes out;
  for (const Pass& p : passes) {
    if (p.x0 >= image.Width) continue;
    TBytes prev;
    for (int y = p.y0, i = 0; y < image.Height; y += p.dy, ++i) {
      TBytes row = PackRow(image, y, p.x0, p.dx);
      AppendFiltered(out, row, prev, filterOf(i), FilterStep(image));
      prev = row;
    }
  }
  return out;
}

// A whole file: header, the extra chunks, one IDAT, IEND.
inline TBytes MakePng(const TSampleImage& image, int colorType, bool interlaced = false,
                      const std::function<int(int)>& filterOf = [](int) { return 0; },
                      const std::vector<std::pair<std::string, TBytes>>& extraChunks = {}) {
  TPngFileBuilder file;
  file.Header(uint32_t(image.Width), uint32_t(image.Height), image.Depth, colorType, interlaced ? 1 : 0);
  for (const auto& [type, data] : extraChunks) file.Chunk(type, data);
  file.Data(Deflate(Scanlines(image, interlaced, filterOf)));
  return file.End().Bytes();
}

// Deterministic pseudo-random samples, so failures repeat.
inline uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

inline TSampleImage NoiseImage(int width, int height, int channels, int depth, uint32_t seed = 1) {
  TSampleImage image{width, height, channels, depth, nullptr};
  uint32_t mask = depth == 16 ? 0xFFFF : (1u << depth) - 1;
  image.Sample = [=](int x, int y, int c) {
    return uint16_t(Hash(seed * 7919u + uint32_t((y * width + x) * channels + c)) & mask);
  };
  return image;
}

}  // namespace gs::pngtest

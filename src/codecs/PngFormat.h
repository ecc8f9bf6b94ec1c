// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the PNG reader and writer share: the signature, chunk names, the image header and the
// byte order of the file.

#include "codecs/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace gs {

inline constexpr uint8_t kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

// Chunk types as the big-endian number of their four letters.
constexpr uint32_t PngChunkType(const char (&name)[5]) {
  return (uint32_t(uint8_t(name[0])) << 24) | (uint32_t(uint8_t(name[1])) << 16) |
         (uint32_t(uint8_t(name[2])) << 8) | uint32_t(uint8_t(name[3]));
}
inline constexpr uint32_t kPngIHDR = PngChunkType("IHDR");
inline constexpr uint32_t kPngPLTE = PngChunkType("PLTE");
inline constexpr uint32_t kPngIDAT = PngChunkType("IDAT");
inline constexpr uint32_t kPngIEND = PngChunkType("IEND");
inline constexpr uint32_t kPngtRNS = PngChunkType("tRNS");

// Chunks whose first letter is lower case may be skipped by readers that do not know them.
constexpr bool PngChunkIsAncillary(uint32_t type) { return (type & 0x20000000u) != 0; }
std::string PngChunkName(uint32_t type);

// The largest length a chunk (and the image size fields) may state.
inline constexpr uint32_t kPngMaxLength = 0x7FFFFFFFu;

inline uint32_t ReadBE32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint16_t ReadBE16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline void AppendBE32(TBytes& out, uint32_t v) {
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

enum class TPngColorType : uint8_t { Grey = 0, Rgb = 2, Indexed = 3, GreyAlpha = 4, Rgba = 6 };

struct TPngHeader {
  int Width = 0;
  int Height = 0;
  int BitDepth = 8;
  TPngColorType ColorType = TPngColorType::Rgb;
  bool Interlaced = false;

  int Channels() const;
  int BitsPerPixel() const { return Channels() * BitDepth; }
  // The distance in bytes between a byte and the same byte of the pixel to its left, as the
  // filters see it (1 for pixels smaller than a byte).
  int FilterStep() const { return BitsPerPixel() >= 8 ? BitsPerPixel() / 8 : 1; }
  // Bytes of one unfiltered row of the given width, without the filter type byte.
  size_t RowBytes(int width) const { return (size_t(width) * size_t(BitsPerPixel()) + 7) / 8; }
};

// Reads and checks the 13 bytes of IHDR: sizes within the editor's limits (EOutOfResources
// otherwise), a legal depth for the colour type, and the only compression, filter and interlace
// methods there are. Throws EInvalidGraphic naming the bad field.
TPngHeader ParsePngHeader(TByteSpan data);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The blocks a GIF file is written from, shared by the still-picture encoder and animations:
//   header (+ global table), then per frame [graphic control] + image, then the trailer.
// All of them append to a byte buffer.

#include "codecs/ColorQuantizer.h"
#include "codecs/Picture.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gs {

struct TGifGraphicControl {
  int DelayCentiseconds = 0;
  int Disposal = 0;  // 0 none, 1 leave in place, 2 restore background, 3 restore previous
  std::optional<uint8_t> TransparentIndex;
};

struct TGifImage {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  std::span<const uint8_t> Indices;       // Width * Height, rows top to bottom
  // Empty, or per pixel another index that shows the same, for the compressor to pick when
  // it makes the data smaller.
  std::span<const uint8_t> Alternatives;
  std::span<const TColor32> LocalColors;  // empty: the image uses the global table
  // Bits an index takes (1..8): GifTableBits of the global table. A local table's own size
  // decides instead.
  int IndexBits = 8;
};

// The smallest number of bits (1..8) whose table holds colorCount colours.
int GifTableBits(size_t colorCount);

// "GIF89a", the logical screen and the global colour table (none when colors is empty), padded
// with black to a power of two.
void AppendGifHeader(TBytes& out, int screenWidth, int screenHeight,
                     std::span<const TColor32> colors, uint8_t backgroundIndex);
void AppendGifGraphicControl(TBytes& out, const TGifGraphicControl& control);
// Image descriptor, local colour table if any, and the LZW-compressed indices.
void AppendGifImage(TBytes& out, const TGifImage& image);
void AppendGifTrailer(TBytes& out);

// Pixels with alpha below this are transparent in a GIF, all others opaque.
inline constexpr uint8_t kGifOpaqueAlpha = 128;

// A picture already mapped to the table: a picture of the same size takes its indices over
// wherever the two have the same pixel, instead of mapping that pixel again (an animation's
// frames mostly repeat the frame before).
struct TGifMappedPicture {
  const TBitmap32* Picture = nullptr;
  std::span<const uint8_t> Indices;
};

// The table indices of the picture: with a transparentIndex, pixels with alpha below
// kGifOpaqueAlpha get it; every other pixel gets the mapper's nearest colour.
std::vector<uint8_t> GifIndicesOf(const TBitmap32& picture, TColorMapper& mapper,
                                  std::optional<uint8_t> transparentIndex,
                                  const TGifMappedPicture& before = {});
// The same with every other pixel dithered to the palette: the index depends on the pixel's
// colour and position only, so a pixel that repeats the one before keeps its index too.
std::vector<uint8_t> GifIndicesOf(const TBitmap32& picture, TOrderedDither& dither,
                                  std::optional<uint8_t> transparentIndex,
                                  const TGifMappedPicture& before = {});

// The colour for the transparent entry: `wanted` when no entry of colors has its RGB, otherwise
// the nearest colour that none has, so that a reader that finds transparency by colour (as
// the editor does when it opens a GIF) does not take opaque pixels for transparent ones.
TColor32 UnusedGifKey(std::span<const TColor32> colors, TColor32 wanted);

}  // namespace gs

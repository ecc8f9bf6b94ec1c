// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reduces pictures to a palette of at most 256 colours and maps pixels to it.
//
// TColorHistogram counts the colours of one or several pictures, each with its weight, so an
// animation can share one palette built from all its frames; TColorMapper then maps any number
// of frames to it. Colours are compared by red, green and blue only.

#include "common/Bitmap32.h"
#include "common/Color.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace gs {

struct TPalette {
  std::vector<TColor32> Colors;  // opaque colours (alpha 0xFF), at most 256
  // True when every colour of the pictures (except the skipped one) is in Colors, so mapping
  // loses nothing.
  bool Exact = false;
};

// The colours of one or several pictures, counted for choosing a palette. Pixels whose RGB
// equals skipColor are left out, and with skipTransparent also those with alpha below 128: the
// caller gives them a palette entry of their own (the transparent one). Every pixel is looked
// at to tell whether the pictures hold few enough colours to keep them all; on big pictures a
// regular sample of the pixels decides the colours otherwise.
class TColorHistogram {
public:
  explicit TColorHistogram(std::optional<TColor32> skipColor = std::nullopt,
                           bool skipTransparent = false);
  ~TColorHistogram();
  TColorHistogram(const TColorHistogram&) = delete;
  TColorHistogram& operator=(const TColorHistogram&) = delete;

  // Counts the picture's pixels `weight` times each: a frame shown twice as long weighs twice.
  void Add(const TBitmap32& picture, uint32_t weight = 1);

  // At most maxColors (1..256) entries. When the pictures hold no more distinct colours than
  // that, exactly those colours in order of first appearance. Otherwise cuts of the colour
  // space that lower the squared error most, refined by a few rounds of k-means.
  TPalette Palette(int maxColors) const;

private:
  struct TState;
  std::unique_ptr<TState> State_;
};

// A palette built from the pictures with equal weights, leaving out pixels of skipColor's RGB.
TPalette BuildPalette(std::span<const TBitmap32* const> pictures, int maxColors,
                      std::optional<TColor32> skipColor = std::nullopt);

// True when the picture holds more than `count` (1..256) distinct RGB values. It stops at the
// first colour past the count, so a photo is told apart from a drawing after a few pixels.
bool HasMoreColorsThan(const TBitmap32& picture, int count);

// The first colour, starting at `wanted` and flipping its low bits (blue first, so the closest
// come first), for which used(rgb) is false; nothing when every colour is used. For picking a
// transparent key colour that no opaque pixel has.
template <class TUsed>
std::optional<TColor32> FirstUnusedColor(TColor32 wanted, TUsed used) {
  for (uint32_t flip = 0; flip < (1u << 24); ++flip) {
    const uint32_t rgb = RgbOf(wanted) ^ flip;
    if (!used(rgb)) return 0xFF000000u | rgb;
  }
  return std::nullopt;
}

// Maps colours to the nearest palette entry (squared RGB distance; the lowest index wins a
// tie). The colour cube is cut into cells; the first colour that falls into a cell lists the
// entries that can be nearest to any colour of that cell, so later colours only compare a
// handful of entries. Results are exact, not an approximation on a coarse grid.
class TColorMapper {
public:
  explicit TColorMapper(const TPalette& palette);

  uint8_t IndexOf(TColor32 color) {
    const int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
    const uint32_t cell = ((uint32_t(r) >> kShift) << (2 * kCellBits)) |
                          ((uint32_t(g) >> kShift) << kCellBits) | (uint32_t(b) >> kShift);
    uint64_t listed = Cells_[cell];
    if (listed == 0) {
      if (Red_.empty()) return 0;
      listed = ListCandidates(cell);
    }
    const uint32_t* candidates = Candidates_.data() + (listed >> kCountBits);
    const uint32_t count = uint32_t(listed) & ((1u << kCountBits) - 1);
    // Distance above index: the smallest key is the nearest entry, the lower index on a tie.
    // Branch-free, and lists padded to whole groups of four, since which entry wins is as
    // unpredictable as the pixels are.
    uint32_t best = UINT32_MAX;
    for (uint32_t i = 0; i < count; i += 4)
      for (uint32_t j = i; j < i + 4; ++j) best = std::min(best, Key(candidates[j], r, g, b));
    return uint8_t(best);
  }

private:
  static constexpr int kCellBits = 6;
  static constexpr int kShift = 8 - kCellBits;
  static constexpr uint32_t kCells = 1u << (3 * kCellBits);
  static constexpr int kCountBits = 9;  // a cell lists at most 256 candidates

  // A candidate is its palette index in the top byte over its RGB; its key is the squared
  // distance over the index.
  static uint32_t Key(uint32_t candidate, int r, int g, int b) {
    const int dr = RedOf(candidate) - r, dg = GreenOf(candidate) - g, db = BlueOf(candidate) - b;
    return (uint32_t(dr * dr + dg * dg + db * db) << 8) | (candidate >> 24);
  }

  // Lists the cell's candidates and returns what Cells_ now holds for it.
  uint64_t ListCandidates(uint32_t cell);

  std::vector<int> Red_, Green_, Blue_;  // the palette, one array a channel
  std::vector<uint32_t> Candidates_;  // each listed cell's candidates in index order, padded
  // Per cell: where its candidates start (high bits) and how many there are (low bits);
  // 0 until listed.
  std::vector<uint64_t> Cells_;
};

// Maps colours to a palette with an ordered dither, for pictures with more colours than the
// palette holds. A colour is shown as a mix of its nearest entry and one neighbour of that
// entry, the one whose line through the nearest entry passes closest to the colour, in the
// share that puts the mix nearest to it; an 8 x 8 Bayer matrix spreads the share over the
// pixels. Which index a pixel gets depends on nothing but its colour and its position, so a
// pixel that keeps its colour from one animation frame to the next keeps its index as well:
// error diffusion would carry a change in one place across the rest of the picture.
class TOrderedDither {
public:
  explicit TOrderedDither(const TPalette& palette);

  uint8_t IndexOf(TColor32 color, int x, int y) {
    const uint32_t rgb = RgbOf(color);
    TMix& mix = Mixes_[(rgb * 0x9E3779B1u) >> (32 - kCacheBits)];
    if (mix.Rgb != rgb) mix = MixOf(rgb);
    return kBayer[y & 7][x & 7] < mix.Share ? mix.Second : mix.First;
  }

private:
  static constexpr int kCacheBits = 14;
  static constexpr int kNeighbours = 10;
  static const uint8_t kBayer[8][8];

  // What a colour is shown as: First on every pixel whose Bayer level is Share or more,
  // Second on the others. Rgb has the top byte set while the slot is unused.
  struct TMix {
    uint32_t Rgb = 0xFFFFFFFFu;
    uint8_t First = 0, Second = 0, Share = 0;
  };
  TMix MixOf(uint32_t rgb);

  TColorMapper Nearest_;
  std::vector<int> Red_, Green_, Blue_;
  // Each entry's nearest other entries, nearest first; unused places repeat the entry itself.
  std::vector<std::array<uint8_t, kNeighbours>> Neighbours_;
  std::vector<TMix> Mixes_;  // recently mixed colours, one slot per RGB hash
};

}  // namespace gs

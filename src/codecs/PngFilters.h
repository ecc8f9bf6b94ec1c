// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The five PNG row filters. Each byte is predicted from its left neighbour a (step bytes back,
// the pixel to the left), the byte above b and the byte above-left c; the file stores the
// difference from the prediction.

#include <cstddef>
#include <cstdint>

namespace gs {

enum TPngFilter : uint8_t { kPngFilterNone, kPngFilterSub, kPngFilterUp, kPngFilterAverage, kPngFilterPaeth };
inline constexpr int kPngFilterCount = 5;

// The Paeth predictor: whichever of a, b, c is closest to a + b - c, ties going to a, then b.
inline uint8_t PngPaeth(int a, int b, int c) {
  int pa = b > c ? b - c : c - b;
  int pb = a > c ? a - c : c - a;
  int pc = a + b - 2 * c;
  if (pc < 0) pc = -pc;
  if (pa <= pb && pa <= pc) return uint8_t(a);
  return uint8_t(pb <= pc ? b : c);
}

// Undoes a filter in place. prev is the unfiltered row above (zeros for the first row);
// size must be a multiple of step (1, 2, 3, 4, 6 or 8). Both rows must be followed by 8
// readable bytes, which fast paths may load but never change. Throws EInvalidGraphic for an
// unknown filter type.
void UnfilterPngRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t size, int step);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "adjust/Posterize.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace gs {

uint8_t PosterizeChannel(uint8_t v, int step) {
  const double a = std::clamp(step, kMinPosterizeStep, kMaxPosterizeStep);
  // nearbyint under the default rounding mode rounds halves to even, which decides every exact
  // multiple of the step (k * a gives exactly k + 0.5).
  const double level = std::nearbyint((double(v) + a / 2.0) / a) * a;
  return uint8_t(std::clamp(level, 0.0, 255.0));
}

void Posterize(TBitmap32& picture, int step) {
  std::array<uint8_t, 256> table{};
  for (int v = 0; v < 256; ++v) table[size_t(v)] = PosterizeChannel(uint8_t(v), step);
  TColor32* p = picture.Bits();
  const size_t count = size_t(picture.Width()) * size_t(picture.Height());
  for (size_t i = 0; i < count; ++i) {
    const TColor32 c = p[i];
    p[i] = Color32(table[RedOf(c)], table[GreenOf(c)], table[BlueOf(c)], AlphaOf(c));
  }
}

}  // namespace gs

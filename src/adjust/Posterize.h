// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The comic filter's flat look: every colour channel reduced to multiples of a step.

#include "common/Bitmap32.h"

#include <cstdint>

namespace gs {

inline constexpr int kMinPosterizeStep = 1;
inline constexpr int kMaxPosterizeStep = 100;

// One channel value: Round((v + a / 2) / a) * a with ties to even, limited to 0..255.
uint8_t PosterizeChannel(uint8_t v, int step);

// Red, green and blue of every pixel; alpha untouched. Steps outside 1..100 are clamped.
void Posterize(TBitmap32& picture, int step);

}  // namespace gs

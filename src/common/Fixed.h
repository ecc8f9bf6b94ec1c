// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 16.16 fixed point (65536 = one pixel) and the real-to-integer conversions of the editor.

#include <cstdint>

namespace gs {

using TFixed = int32_t;
inline constexpr TFixed kFixedOne = 65536;

// The 64-bit product shifted right arithmetically by 16: rounds toward minus infinity.
constexpr TFixed FixedMul(TFixed a, TFixed b) {
  return TFixed((int64_t(a) * int64_t(b)) >> 16);
}

// Drops the fraction (toward zero). Out-of-range values saturate instead of being undefined.
int TruncToInt(double value);

// Nearest integer, halves to even: how reals become fixed-point displacements.
int32_t RoundHalfEven(double value);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 32-bit pixels (0xAARRGGBB) and Windows colour values (0x00BBGGRR).

#include <cstdint>

namespace gs {

using TColor32 = uint32_t;
using TColor = uint32_t;  // Windows colour value: 0x00BBGGRR

inline constexpr TColor kDefaultTransparentColor = 0xFDFEFF;  // 16645887, near white

constexpr uint8_t AlphaOf(TColor32 c) { return uint8_t(c >> 24); }
constexpr uint8_t RedOf(TColor32 c) { return uint8_t(c >> 16); }
constexpr uint8_t GreenOf(TColor32 c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(TColor32 c) { return uint8_t(c); }
constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 0xFF) {
  return (TColor32(a) << 24) | (TColor32(r) << 16) | (TColor32(g) << 8) | b;
}
constexpr TColor32 RgbOf(TColor32 c) { return c & 0x00FFFFFF; }

// Windows colour value to pixel: red and blue swap places.
constexpr TColor32 WinColorToColor32(TColor c, uint8_t alpha = 0xFF) {
  return Color32(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), alpha);
}
constexpr TColor Color32ToWinColor(TColor32 c) {
  return TColor(RedOf(c)) | (TColor(GreenOf(c)) << 8) | (TColor(BlueOf(c)) << 16);
}

// Foreground over background, the colour weighted by the foreground's alpha only.
TColor32 BlendReg(TColor32 f, TColor32 b);
// Foreground over background when both may be partly transparent (Porter-Duff "over").
TColor32 MergeReg(TColor32 f, TColor32 b);

}  // namespace gs

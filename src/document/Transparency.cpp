// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Transparency.h"

#include <algorithm>

namespace gs {

namespace {
// Where a picture is saved with one transparent colour, less than half opaque counts as clear.
bool IsTransparent(TColor32 pixel) { return AlphaOf(pixel) < 128; }
}  // namespace

void KeyOutTransparent(TBitmap32& picture, TColor key) {
  const TColor32 keyRgb = RgbOf(WinColorToColor32(key));
  TColor32* p = picture.Bits();
  for (size_t i = 0, n = size_t(picture.Width()) * size_t(picture.Height()); i < n; ++i)
    p[i] = RgbOf(p[i]) | (RgbOf(p[i]) == keyRgb ? 0u : 0xFF000000u);
}

void FillKeyColour(TBitmap32& picture, TColor key) {
  const TColor32 keyRgb = RgbOf(WinColorToColor32(key));
  TColor32* p = picture.Bits();
  for (size_t i = 0, n = size_t(picture.Width()) * size_t(picture.Height()); i < n; ++i)
    p[i] = IsTransparent(p[i]) ? keyRgb : (p[i] | 0xFF000000u);
}

void FillKeyColour(TBitmap32& picture, TBitmap32& other, TColor key) {
  const TColor32 keyRgb = RgbOf(WinColorToColor32(key));
  const int w = std::min(picture.Width(), other.Width());
  const int h = std::min(picture.Height(), other.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    TColor32* p = picture.ScanLine(y);
    TColor32* o = y < h ? other.ScanLine(y) : nullptr;
    for (int x = 0; x < picture.Width(); ++x) {
      const bool transparent = IsTransparent(p[x]);
      p[x] = transparent ? keyRgb : (p[x] | 0xFF000000u);
      if (o && x < w) o[x] = transparent ? keyRgb : (o[x] | 0xFF000000u);
    }
  }
}

void MakeOpaque(TBitmap32& picture) {
  TColor32* p = picture.Bits();
  for (size_t i = 0, n = size_t(picture.Width()) * size_t(picture.Height()); i < n; ++i)
    p[i] |= 0xFF000000u;
}

}  // namespace gs

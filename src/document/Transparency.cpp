#include "document/Transparency.h"

#include <algorithm>

namespace gs {

namespace {
bool IsKeyTransparent(TColor32 pixel, TColor32 keyRgb) {
  return pixel == 0 || pixel == keyRgb;  // alpha 0 with the key's colour, or all zero
}
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
    p[i] = IsKeyTransparent(p[i], keyRgb) ? keyRgb : (p[i] | 0xFF000000u);
}

void FillKeyColour(TBitmap32& picture, TBitmap32& other, TColor key) {
  const TColor32 keyRgb = RgbOf(WinColorToColor32(key));
  const int w = std::min(picture.Width(), other.Width());
  const int h = std::min(picture.Height(), other.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    TColor32* p = picture.ScanLine(y);
    TColor32* o = y < h ? other.ScanLine(y) : nullptr;
    for (int x = 0; x < picture.Width(); ++x) {
      const bool transparent = IsKeyTransparent(p[x], keyRgb);
      p[x] = transparent ? keyRgb : (p[x] | 0xFF000000u);
      if (o && x < w) o[x] = (transparent ? keyRgb : o[x]) | 0xFF000000u;
    }
  }
}

void MakeOpaque(TBitmap32& picture) {
  TColor32* p = picture.Bits();
  for (size_t i = 0, n = size_t(picture.Width()) * size_t(picture.Height()); i < n; ++i)
    p[i] |= 0xFF000000u;
}

}  // namespace gs

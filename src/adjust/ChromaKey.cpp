// SPDX-License-Identifier: GPL-3.0-or-later
#include "adjust/ChromaKey.h"

#include <algorithm>
#include <cmath>

namespace gs {

int ChromaThreshold(int position) {
  const double p = std::clamp(position, kMinChromaTolerance, kMaxChromaTolerance);
  const double spread = p / 160.0 * 255.0 * 0.16;
  return int(std::nearbyint(spread * spread * 3.0));
}

TKeyClass KeyClassOf(uint8_t r, uint8_t g, uint8_t b) {
  if (b + r < g) return TKeyClass::Green;
  if (r + g < b) return TKeyClass::Blue;
  if (b + g < r) return TKeyClass::Red;
  return TKeyClass::None;
}

int ColorDistance2(TColor32 a, TColor32 b) {
  const int dr = int(RedOf(a)) - int(RedOf(b));
  const int dg = int(GreenOf(a)) - int(GreenOf(b));
  const int db = int(BlueOf(a)) - int(BlueOf(b));
  return dr * dr + dg * dg + db * db;
}

bool IsFringeColor(TColor32 pixel, TKeyClass keyClass) {
  const int r = RedOf(pixel), g = GreenOf(pixel), b = BlueOf(pixel);
  int s = 0, m = 0;
  switch (keyClass) {
    case TKeyClass::Green: s = b + r; m = g; break;
    case TKeyClass::Red: s = g + b; m = r; break;
    case TKeyClass::Blue: s = g + r; m = b; break;
    case TKeyClass::None: return false;
  }
  return (s < m + 50 && m > 110) || (s < m + 15 && m > 90) || s < m;
}

namespace {

struct TKeyer {
  TBitmap32& Picture;
  TColor32 Key;
  int Threshold;
  TColor32 Replacement;  // alpha 0

  bool Keyed(int x, int y) const {
    const TColor32 c = Picture.Pixel(x, y);
    return ColorDistance2(c, Key) <= Threshold || RgbOf(c) == RgbOf(Replacement);
  }

  // Only pixels with two rows and columns before them and one after are tested, so that every
  // neighbour lies inside the picture.
  bool HasKeyedNeighbour(int x, int y) const {
    const int w = Picture.Width(), h = Picture.Height();
    if (y < 2 || y > h - 2 || x < 2 || x > w - 2) return false;
    return Keyed(x - 1, y) || Keyed(x + 1, y) || Keyed(x, y - 1) || Keyed(x, y + 1) ||
           Keyed(x - 1, y - 1) || Keyed(x + 1, y + 1) || Keyed(x + 1, y - 1) || Keyed(x - 1, y + 1);
  }
};

}  // namespace

void ChromaKeyOut(TBitmap32& picture, TColor key, int threshold, TColor replacement) {
  const TColor32 key32 = WinColorToColor32(key);
  const TKeyClass keyClass = KeyClassOf(RedOf(key32), GreenOf(key32), BlueOf(key32));
  TKeyer keyer{picture, key32, threshold, WinColorToColor32(replacement, 0)};
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (ColorDistance2(picture.Pixel(x, y), key32) <= threshold) picture.SetPixel(x, y, keyer.Replacement);
      if (IsFringeColor(picture.Pixel(x, y), keyClass) && keyer.HasKeyedNeighbour(x, y))
        picture.SetPixel(x, y, keyer.Replacement);
    }
  }
}

TBitmap32 ComposeBackground(const TBitmap32& background, int foregroundWidth, int foregroundHeight) {
  TBitmap32 base;
  if (background.Width() >= foregroundWidth && background.Height() >= foregroundHeight) {
    base = background;
  } else {
    base.SetSize(std::max(foregroundWidth, background.Width()),
                 std::max(foregroundHeight, background.Height()));
    TBitmap32 source = background;
    // The background replaces what is there; blending would mix in the empty base.
    source.DrawMode = TDrawMode::Opaque;
    base.StretchDraw(base.BoundsRect(), source);
  }
  TColor32* p = base.Bits();
  const size_t count = size_t(base.Width()) * size_t(base.Height());
  for (size_t i = 0; i < count; ++i) p[i] |= 0xFF000000u;
  return base;
}

}  // namespace gs

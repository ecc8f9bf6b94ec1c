// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TBitmap32: the editor's picture. Width x height pixels 0xAARRGGBB, rows top to bottom,
// bytes in memory blue, green, red, alpha (the layout of QImage::Format_ARGB32 as well).

#include "common/Color.h"
#include "common/Fixed.h"
#include "common/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gs {

enum class TDrawMode { Opaque, Blend };
enum class TCombineMode { Blend, Merge };

class TBitmap32 {
public:
  TBitmap32() = default;
  TBitmap32(int width, int height, TColor32 fill = 0);

  // Resizes to width x height, every pixel 0. The size is checked against the editor's picture
  // limits before anything is allocated; a negative side counts as 0.
  void SetSize(int width, int height);
  // Same size keeps the pixels; a new size clears them.
  void SetSizeKeep(int width, int height);

  int Width() const { return Width_; }
  int Height() const { return Height_; }
  bool Empty() const { return Width_ == 0 || Height_ == 0; }
  TRect BoundsRect() const { return TRect{0, 0, Width_, Height_}; }

  TColor32* Bits() { return Pixels_.data(); }
  const TColor32* Bits() const { return Pixels_.data(); }
  TColor32* ScanLine(int y) { return Pixels_.data() + size_t(y) * size_t(Width_); }
  const TColor32* ScanLine(int y) const { return Pixels_.data() + size_t(y) * size_t(Width_); }

  // Unchecked access: the caller guarantees the coordinates.
  TColor32 Pixel(int x, int y) const { return ScanLine(y)[x]; }
  void SetPixel(int x, int y, TColor32 c) { ScanLine(y)[x] = c; }
  // Checked access: outside reads give the outer colour, outside writes are ignored.
  TColor32 PixelS(int x, int y) const;
  void SetPixelS(int x, int y, TColor32 c);

  // Bilinear sample at a 16.16 position; missing neighbours near the edges count as the outer
  // colour. Colours are weighted by alpha so that transparent neighbours add no colour fringe.
  TColor32 PixelBilinear(TFixed x, TFixed y) const;

  TColor32 OuterColor = 0;
  TDrawMode DrawMode = TDrawMode::Opaque;
  TCombineMode CombineMode = TCombineMode::Blend;

  void Clear(TColor32 c);
  void FillRect(const TRect& r, TColor32 c);  // clipped to the bitmap

  // Combines src's pixel onto dst according to src's draw and combine modes.
  static TColor32 Combine(const TBitmap32& src, TColor32 srcPixel, TColor32 dstPixel);

  // Draws src's rectangle with its top-left corner at (dstX, dstY), clipped on both sides,
  // using src's draw and combine modes.
  void Draw(int dstX, int dstY, const TBitmap32& src, const TRect& srcRect);
  void Draw(int dstX, int dstY, const TBitmap32& src) { Draw(dstX, dstY, src, src.BoundsRect()); }

  // Draws the whole of src stretched to dst (clipped to this bitmap) with bilinear sampling and
  // src's draw and combine modes.
  void StretchDraw(const TRect& dst, const TBitmap32& src);

  // Copies pixels of a rectangle of src verbatim (no blending), clipped on both sides.
  void CopyRect(int dstX, int dstY, const TBitmap32& src, const TRect& srcRect);

  friend bool operator==(const TBitmap32& a, const TBitmap32& b) {
    return a.Width_ == b.Width_ && a.Height_ == b.Height_ && a.Pixels_ == b.Pixels_;
  }

private:
  void DrawRect(int dstX, int dstY, const TBitmap32& src, const TRect& srcRect, bool opaque);

  int Width_ = 0;
  int Height_ = 0;
  std::vector<TColor32> Pixels_;
};

}  // namespace gs

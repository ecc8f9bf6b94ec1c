// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Bitmap32.h"

#include "common/Errors.h"
#include "common/Limits.h"

#include <algorithm>
#include <new>
#include <string>

namespace gs {

TBitmap32::TBitmap32(int width, int height, TColor32 fill) {
  SetSize(width, height);
  Clear(fill);
}

void TBitmap32::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  CheckPictureSize(width, height);
  std::vector<TColor32> pixels;
  try {
    pixels.assign(size_t(width) * size_t(height), 0);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Not enough memory for a picture of " + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels.");
  }
  Pixels_.swap(pixels);
  Width_ = width;
  Height_ = height;
}

void TBitmap32::SetSizeKeep(int width, int height) {
  if (width == Width_ && height == Height_) return;
  SetSize(width, height);
}

TColor32 TBitmap32::PixelS(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width_ || y >= Height_) return OuterColor;
  return Pixel(x, y);
}

void TBitmap32::SetPixelS(int x, int y, TColor32 c) {
  if (x < 0 || y < 0 || x >= Width_ || y >= Height_) return;
  SetPixel(x, y, c);
}

namespace {

// Interpolates four pixels with weights summing to 65536; colour weighted by alpha.
TColor32 Interpolate4(const TColor32 p[4], const uint32_t w[4]) {
  if ((p[0] & p[1] & p[2] & p[3]) >> 24 == 0xFF) {
    uint64_t r = 0, g = 0, b = 0;
    for (int i = 0; i < 4; ++i) {
      r += uint64_t(w[i]) * RedOf(p[i]);
      g += uint64_t(w[i]) * GreenOf(p[i]);
      b += uint64_t(w[i]) * BlueOf(p[i]);
    }
    return Color32(uint8_t((r + 0x8000) >> 16), uint8_t((g + 0x8000) >> 16),
                   uint8_t((b + 0x8000) >> 16), 0xFF);
  }
  uint64_t a = 0, r = 0, g = 0, b = 0;
  for (int i = 0; i < 4; ++i) {
    const uint64_t wa = uint64_t(w[i]) * AlphaOf(p[i]);
    a += wa;
    r += wa * RedOf(p[i]);
    g += wa * GreenOf(p[i]);
    b += wa * BlueOf(p[i]);
  }
  const uint8_t alpha = uint8_t((a + 0x8000) >> 16);
  if (alpha == 0) return 0;
  return Color32(uint8_t((r + a / 2) / a), uint8_t((g + a / 2) / a), uint8_t((b + a / 2) / a),
                 alpha);
}

}  // namespace

TColor32 TBitmap32::PixelBilinear(TFixed x, TFixed y) const {
  const int x0 = x >> 16;
  const int y0 = y >> 16;
  const uint32_t fx = uint32_t(x) & 0xFFFF;
  const uint32_t fy = uint32_t(y) & 0xFFFF;
  TColor32 p[4];
  if (x0 >= 0 && y0 >= 0 && x0 + 1 < Width_ && y0 + 1 < Height_) {
    const TColor32* row = ScanLine(y0) + x0;
    p[0] = row[0];
    p[1] = row[1];
    p[2] = row[Width_];
    p[3] = row[Width_ + 1];
  } else {
    p[0] = PixelS(x0, y0);
    p[1] = PixelS(x0 + 1, y0);
    p[2] = PixelS(x0, y0 + 1);
    p[3] = PixelS(x0 + 1, y0 + 1);
  }
  if (fx == 0 && fy == 0) return p[0];
  const uint32_t ifx = 0x10000 - fx;
  const uint32_t ify = 0x10000 - fy;
  const uint32_t w[4] = {uint32_t((uint64_t(ifx) * ify) >> 16), uint32_t((uint64_t(fx) * ify) >> 16),
                         uint32_t((uint64_t(ifx) * fy) >> 16), 0};
  const uint32_t wLast = 0x10000 - w[0] - w[1] - w[2];
  const uint32_t weights[4] = {w[0], w[1], w[2], wLast};
  return Interpolate4(p, weights);
}

void TBitmap32::Clear(TColor32 c) { std::fill(Pixels_.begin(), Pixels_.end(), c); }

void TBitmap32::FillRect(const TRect& r, TColor32 c) {
  const TRect clip = Intersect(r, BoundsRect());
  for (int y = clip.Top; y < clip.Bottom; ++y)
    std::fill(ScanLine(y) + clip.Left, ScanLine(y) + clip.Right, c);
}

TColor32 TBitmap32::Combine(const TBitmap32& src, TColor32 srcPixel, TColor32 dstPixel) {
  if (src.DrawMode == TDrawMode::Opaque) return srcPixel;
  return src.CombineMode == TCombineMode::Merge ? MergeReg(srcPixel, dstPixel)
                                                : BlendReg(srcPixel, dstPixel);
}

void TBitmap32::Draw(int dstX, int dstY, const TBitmap32& src, const TRect& srcRect) {
  DrawRect(dstX, dstY, src, srcRect, src.DrawMode == TDrawMode::Opaque);
}

void TBitmap32::CopyRect(int dstX, int dstY, const TBitmap32& src, const TRect& srcRect) {
  DrawRect(dstX, dstY, src, srcRect, true);
}

void TBitmap32::DrawRect(int dstX, int dstY, const TBitmap32& src, const TRect& srcRect,
                         bool opaque) {
  TRect s = Intersect(srcRect, src.BoundsRect());
  if (s.IsEmpty()) return;
  // Clip against this bitmap, moving the source rectangle along.
  const TRect d = Intersect(TRect{dstX, dstY, dstX + s.Width(), dstY + s.Height()}, BoundsRect());
  if (d.IsEmpty()) return;
  s.Left += d.Left - dstX;
  s.Top += d.Top - dstY;
  for (int y = 0; y < d.Height(); ++y) {
    const TColor32* from = src.ScanLine(s.Top + y) + s.Left;
    TColor32* to = ScanLine(d.Top + y) + d.Left;
    if (opaque) {
      std::copy(from, from + d.Width(), to);
    } else {
      for (int x = 0; x < d.Width(); ++x) to[x] = Combine(src, from[x], to[x]);
    }
  }
}

void TBitmap32::StretchDraw(const TRect& dst, const TBitmap32& src) {
  if (dst.IsEmpty() || src.Empty()) return;
  const TRect clip = Intersect(dst, BoundsRect());
  if (clip.IsEmpty()) return;
  // Pixel centres map onto pixel centres; steps in 16.16 of the source.
  const double sx = double(src.Width()) / dst.Width();
  const double sy = double(src.Height()) / dst.Height();
  // Edge samples clamp to the picture instead of fading into the outer colour.
  const TFixed maxX = (src.Width() - 1) * kFixedOne;
  const TFixed maxY = (src.Height() - 1) * kFixedOne;
  for (int y = clip.Top; y < clip.Bottom; ++y) {
    const double fy = (y - dst.Top + 0.5) * sy - 0.5;
    const TFixed py = std::clamp(TFixed(fy * kFixedOne), 0, maxY);
    TColor32* to = ScanLine(y);
    for (int x = clip.Left; x < clip.Right; ++x) {
      const double fx = (x - dst.Left + 0.5) * sx - 0.5;
      const TFixed px = std::clamp(TFixed(fx * kFixedOne), 0, maxX);
      to[x] = Combine(src, src.PixelBilinear(px, py), to[x]);
    }
  }
}

}  // namespace gs

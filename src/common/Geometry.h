// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Integer and real rectangles; right and bottom are exclusive.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gs {

// Far outside any picture (sides reach 30000) but far from int's limits: a coordinate beyond
// is brought back here, where a stamp touches nothing just the same and adding a brush's size
// to it cannot overflow.
inline constexpr int kFarOutside = 1 << 29;
inline int FarClamped(int64_t v) { return int(std::clamp<int64_t>(v, -kFarOutside, kFarOutside)); }
inline int FarClamped(double v) {
  return std::isnan(v) ? 0 : int(std::clamp(v, double(-kFarOutside), double(kFarOutside)));
}

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A position between pixels, such as the pointer's in picture pixels.
struct TPointF {
  double X = 0;
  double Y = 0;
  friend bool operator==(const TPointF&, const TPointF&) = default;
};

struct TSize {
  int Width = 0;
  int Height = 0;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) return TRect{};
  return r;
}

// The smallest rectangle holding both; an empty one adds nothing.
inline TRect Union(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
               std::max(a.Bottom, b.Bottom)};
}

struct TFloatRect {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;

  double Width() const { return Right - Left; }
  double Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  // Strictly inside: a point on an edge is not.
  bool StrictlyContains(TPointF p) const { return p.X > Left && p.X < Right && p.Y > Top && p.Y < Bottom; }
  friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};

inline TFloatRect FloatRect(const TRect& r) {
  return TFloatRect{double(r.Left), double(r.Top), double(r.Right), double(r.Bottom)};
}

// The whole pixels a real rectangle touches.
inline TRect CoveringRect(const TFloatRect& r) {
  return TRect{int(std::floor(r.Left)), int(std::floor(r.Top)), int(std::ceil(r.Right)),
               int(std::ceil(r.Bottom))};
}

}  // namespace gs

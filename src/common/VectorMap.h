// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TVectorMap: a displacement per cell, (dx, dy) in 16.16 pixels of the sampled picture.
// All zero is the identity. Resizing to a new size is how a map is cleared.

#include "common/Fixed.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gs {

struct TFixedVector {
  TFixed X = 0;
  TFixed Y = 0;
  friend bool operator==(const TFixedVector&, const TFixedVector&) = default;
};

// A 64-bit intermediate brought back into 16.16 range: displacements saturate instead of
// wrapping round to the opposite side of the picture.
constexpr TFixed SaturateFixed(int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : TFixed(v);
}

// a + FixedMul(b - a, w) with the difference taken in 64 bits, so that maps holding extreme
// displacements interpolate between them instead of overflowing. w is 0..65535.
constexpr TFixed FixedLerp(TFixed a, TFixed b, TFixed w) {
  return TFixed(a + ((int64_t(b) - a) * w >> 16));
}

class TVectorMap {
public:
  int Width() const { return Width_; }
  int Height() const { return Height_; }
  bool Empty() const { return Width_ == 0 || Height_ == 0; }

  // The same size keeps every cell; another size discards them and starts all zero.
  // A negative side counts as 0. Sizes beyond the editor's picture limits fail with "Can't
  // allocate VectorMap!" and leave the map as it was; so does memory that cannot be had, except
  // that the map is then empty (the old cells are freed first to keep the peak down).
  void SetSize(int width, int height);
  void Clear();

  // Plain access: the caller guarantees the indices.
  TFixedVector& Vector(int x, int y) { return Cells_[size_t(x) + size_t(y) * size_t(Width_)]; }
  const TFixedVector& Vector(int x, int y) const {
    return Cells_[size_t(x) + size_t(y) * size_t(Width_)];
  }
  // Row y (0 <= y < Height), Width cells; for loops that walk a map row by row.
  TFixedVector* Row(int y) { return Cells_.data() + size_t(y) * size_t(Width_); }
  const TFixedVector* Row(int y) const { return Cells_.data() + size_t(y) * size_t(Width_); }

  // Checked read: cells outside the map read as (0, 0).
  TFixedVector VectorS(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width_ || y >= Height_) return TFixedVector{};
    return Vector(x, y);
  }
  // Bilinear read at a 16.16 position; neighbours outside the map count as (0, 0).
  TFixedVector VectorInterpolated(TFixed x, TFixed y) const {
    const int cx = x >> 16;
    const int cy = y >> 16;
    const TFixed fx = x & 0xFFFF;
    const TFixed fy = y & 0xFFFF;
    TFixedVector c00, c10, c01, c11;
    if (cx >= 0 && cy >= 0 && cx < Width_ - 1 && cy < Height_ - 1) {
      const TFixedVector* p = &Vector(cx, cy);
      c00 = p[0];
      c10 = p[1];
      c01 = p[Width_];
      c11 = p[Width_ + 1];
    } else {
      c00 = VectorS(cx, cy);
      c10 = VectorS(cx + 1, cy);
      c01 = VectorS(cx, cy + 1);
      c11 = VectorS(cx + 1, cy + 1);
    }
    const TFixed topX = FixedLerp(c00.X, c10.X, fx), topY = FixedLerp(c00.Y, c10.Y, fx);
    const TFixed botX = FixedLerp(c01.X, c11.X, fx), botY = FixedLerp(c01.Y, c11.Y, fx);
    return TFixedVector{FixedLerp(topX, botX, fy), FixedLerp(topY, botY, fy)};
  }

  bool IsIdentity() const;

  friend bool operator==(const TVectorMap& a, const TVectorMap& b) {
    return a.Width_ == b.Width_ && a.Height_ == b.Height_ && a.Cells_ == b.Cells_;
  }

private:
  int Width_ = 0;
  int Height_ = 0;
  std::vector<TFixedVector> Cells_;
};

}  // namespace gs

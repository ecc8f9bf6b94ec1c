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

class TVectorMap {
public:
  int Width() const { return Width_; }
  int Height() const { return Height_; }
  bool Empty() const { return Width_ == 0 || Height_ == 0; }

  // The same size keeps every cell; another size discards them and starts all zero.
  // A negative side counts as 0. Fails with "Can't allocate VectorMap!".
  void SetSize(int width, int height);
  void Clear();

  // Plain access: the caller guarantees the indices.
  TFixedVector& Vector(int x, int y) { return Cells_[size_t(x) + size_t(y) * size_t(Width_)]; }
  const TFixedVector& Vector(int x, int y) const {
    return Cells_[size_t(x) + size_t(y) * size_t(Width_)];
  }
  // Checked read: cells outside the map read as (0, 0).
  TFixedVector VectorS(int x, int y) const;
  // Bilinear read at a 16.16 position; neighbours outside the map count as (0, 0).
  TFixedVector VectorInterpolated(TFixed x, TFixed y) const;

  bool IsIdentity() const;

private:
  int Width_ = 0;
  int Height_ = 0;
  std::vector<TFixedVector> Cells_;
};

}  // namespace gs

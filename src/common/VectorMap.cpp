#include "common/VectorMap.h"

#include "common/Errors.h"

#include <algorithm>
#include <new>

namespace gs {

void TVectorMap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width_ && height == Height_) return;
  std::vector<TFixedVector> cells;
  try {
    cells.assign(size_t(width) * size_t(height), TFixedVector{});
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Can't allocate VectorMap!");
  } catch (const std::length_error&) {
    throw EOutOfResources("Can't allocate VectorMap!");
  }
  Cells_.swap(cells);
  Width_ = width;
  Height_ = height;
}

void TVectorMap::Clear() { std::fill(Cells_.begin(), Cells_.end(), TFixedVector{}); }

TFixedVector TVectorMap::VectorS(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width_ || y >= Height_) return TFixedVector{};
  return Vector(x, y);
}

namespace {
TFixedVector Lerp(const TFixedVector& a, const TFixedVector& b, TFixed w) {
  return TFixedVector{a.X + FixedMul(b.X - a.X, w), a.Y + FixedMul(b.Y - a.Y, w)};
}
}  // namespace

TFixedVector TVectorMap::VectorInterpolated(TFixed x, TFixed y) const {
  const int cx = x >> 16;
  const int cy = y >> 16;
  const TFixed fx = x & 0xFFFF;
  const TFixed fy = y & 0xFFFF;
  const TFixedVector top = Lerp(VectorS(cx, cy), VectorS(cx + 1, cy), fx);
  const TFixedVector bottom = Lerp(VectorS(cx, cy + 1), VectorS(cx + 1, cy + 1), fx);
  return Lerp(top, bottom, fy);
}

bool TVectorMap::IsIdentity() const {
  return std::all_of(Cells_.begin(), Cells_.end(),
                     [](const TFixedVector& v) { return v.X == 0 && v.Y == 0; });
}

}  // namespace gs

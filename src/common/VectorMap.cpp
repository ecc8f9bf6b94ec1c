// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/VectorMap.h"

#include "common/Errors.h"
#include "common/Limits.h"

#include <algorithm>
#include <new>

namespace gs {

void TVectorMap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == Width_ && height == Height_) return;
  // A map is never larger than the largest picture; asking for more is a fault upstream, and
  // letting it through would commit gigabytes before anything noticed.
  if (!PictureSizeAllowed(width, height)) throw EOutOfResources("Can't allocate VectorMap!");
  const size_t count = size_t(width) * size_t(height);
  if (count == Cells_.size()) {
    // A quarter turn of the picture: the same cells in another shape, no second map at once.
    Clear();
  } else {
    // The old displacements are not kept, so let them go before the new map is committed: at
    // 24 megapixels the two together would be 400 MB.
    std::vector<TFixedVector>().swap(Cells_);
    Width_ = Height_ = 0;
    try {
      Cells_.assign(count, TFixedVector{});
    } catch (const std::bad_alloc&) {
      throw EOutOfResources("Can't allocate VectorMap!");
    } catch (const std::length_error&) {
      throw EOutOfResources("Can't allocate VectorMap!");
    }
  }
  Width_ = width;
  Height_ = height;
}

void TVectorMap::Clear() { std::fill(Cells_.begin(), Cells_.end(), TFixedVector{}); }

bool TVectorMap::IsIdentity() const {
  return std::all_of(Cells_.begin(), Cells_.end(),
                     [](const TFixedVector& v) { return v.X == 0 && v.Y == 0; });
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/finder/FaceTiles.h"

#include <algorithm>
#include <cstdint>

namespace gs {

namespace {

// The starts of the pieces along one side, spread evenly, and one past the last.
std::vector<int> Starts(int length, int step, int overlap) {
  const int span = std::max(0, length - overlap);
  const int count = std::max(1, (span + step - 1) / step);
  std::vector<int> starts;
  for (int i = 0; i <= count; ++i) starts.push_back(int(int64_t(span) * i / count));
  return starts;
}

}  // namespace

std::vector<TRect> OverlappingTiles(int width, int height, int step, int overlap) {
  std::vector<TRect> tiles;
  if (width <= 0 || height <= 0) return tiles;
  step = std::max(1, step);
  overlap = std::max(0, overlap);
  const std::vector<int> xs = Starts(width, step, overlap), ys = Starts(height, step, overlap);
  for (size_t j = 0; j + 1 < ys.size(); ++j)
    for (size_t i = 0; i + 1 < xs.size(); ++i)
      tiles.push_back(TRect{xs[i], ys[j], std::min(width, xs[i + 1] + overlap), std::min(height, ys[j + 1] + overlap)});
  return tiles;
}

}  // namespace gs

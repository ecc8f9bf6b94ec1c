// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Overlapping tiles, for looking at a large picture a piece at a time on several threads: anything
// no larger than the overlap lies wholly inside at least one tile, so nothing is cut in two.

#include "common/Geometry.h"

#include <vector>

namespace gs {

// Tiles covering a width x height picture, row by row, at most `step` apart and each `overlap`
// pixels longer than its step; a single tile when the picture is no larger than step + overlap.
std::vector<TRect> OverlappingTiles(int width, int height, int step, int overlap);

}  // namespace gs

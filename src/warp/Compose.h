// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The inner loop of a brush application: stamp cells composed against the mesh's map.

#include "common/RemapTransformation.h"
#include "common/VectorMap.h"

#include <cstdint>

namespace gs {

// For the stamp cells i0..i1 of rows j0..j1 (inclusive, already clipped so that cell (i, j)
// lands on map cell (px + i, py + j) inside the map): v := the stamp cell, times scale when
// scaled (FixedMul per component); scratch(i, j) := v + map read bilinearly at
// ((px + i) * 65536 + v.X, (py + j) * 65536 + v.Y), the sums saturated. Reads the map only;
// scratch must have the stamp's size. Every kernel gives the same cells.
void ComposeStamp(const TVectorMap& map, const TVectorMap& stamp, TVectorMap& scratch, int px,
                  int py, int i0, int i1, int j0, int j1, TFixedVector scale, bool scaled,
                  TRemapKernel kernel = TRemapKernel::Auto);

// One row of that: stampRow[i0..i1] lands on map cells (mapX .. mapX + i1 - i0, mapY), all
// inside the map; the composed cells go to out[i0..i1].
void ComposeRow(const TVectorMap& map, const TFixedVector* stampRow, TFixedVector* out, int i0,
                int i1, int mapX, int mapY, TFixedVector scale, bool scaled,
                TRemapKernel kernel = TRemapKernel::Auto);

}  // namespace gs

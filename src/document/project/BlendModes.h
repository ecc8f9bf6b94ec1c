// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The blend modes other editors' layers use that ours lack, flattened into the layer: its
// colours become what the mode makes of them over what lies below, so that blending it
// normally shows the same picture.

#include "common/Bitmap32.h"
#include "common/Geometry.h"

#include <string>

namespace gs {

// Whether the OpenRaster composite-op (e.g. "svg:multiply") is one FlattenBlend knows.
bool CanFlattenBlend(const std::string& op);

// Layer pixels (at `at` in below's coordinates) take the mode's result over below.
void FlattenBlend(TBitmap32& layer, TPoint at, const TBitmap32& below, const std::string& op);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A finished face field composed into the picture's mesh, and the view re-rendered where it
// moved something.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "faces/warp/WarpField.h"

#include <functional>

namespace gs {

// Composes the field into the mesh (a pixel then shows what the mesh showed at pixel +
// displacement) and re-renders dst from source there. `beforeChange` hears of the mesh's
// rectangle before it changes. Returns the part of dst re-rendered.
TRect ApplyWarpField(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                     const TWarpField& field,
                     const std::function<void(const TRect&)>& beforeChange = {});

}  // namespace gs

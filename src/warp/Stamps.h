// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The brush stamps: small displacement maps built from the brush's radial weight, one for the
// primary mouse button (stamp 0) and one for the secondary button (stamp 1).

#include "common/VectorMap.h"
#include "warp/Brush.h"

namespace gs {

// What a stamp does to the picture under it.
enum class TBrushShape { None, Putty, Warp, Twirl, Reconstruct };

// 0.9 for Warp, 0.2 for every other shape.
float BrushStrength(TBrushShape shape);

// Fills both stamps, as sized by the caller (Size x Size), for the shape:
// - Putty: stamp 0 holds the weight in both components; stamp 1 becomes a copy of it, so the
//   secondary button drags like the primary one.
// - Warp: stamp 0 swells the picture under it, stamp 1 shrinks it.
// - Twirl: stamp 0 turns the picture counter-clockwise on screen, stamp 1 clockwise.
// - Reconstruct: both stamps hold the weight in both components, as Putty's: how much of the
//   displacement under each cell ReconstructBrush takes away.
// - None: both stamps all zero.
// Arithmetic is single precision; the fixed-point cells are rounded half to even.
void BuildBrushStamps(TVectorMap& stamp0, TVectorMap& stamp1, const TGenericBrush& brush,
                      TBrushShape shape);

}  // namespace gs

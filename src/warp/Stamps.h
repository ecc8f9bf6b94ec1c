#pragma once
// The brush stamps: small displacement maps built from the brush's radial weight, one for the
// primary mouse button (stamp 0) and one for the secondary button (stamp 1).

#include "common/VectorMap.h"
#include "warp/Brush.h"

namespace gs {

// The brush a tool mode stands for: 0 Putty, 1 Warp, 2 Twirl (on the picture or on a layer),
// or -1 for a mode that is no brush.
int BrushShape(int toolMode);

// 0.9 for Warp, on the picture (1) or on a layer (12), 0.2 for every other mode. A layer's Warp
// has the strength of the picture's so that both brushes have the same shape.
float BrushStrength(int toolMode);

// Fills both stamps, as sized by the caller (Size x Size), for the tool mode:
// - Putty (0, 11): stamp 0 holds the weight in both components; stamp 1 becomes a copy of it,
//   so the secondary button drags like the primary one.
// - Warp (1, 12): stamp 0 swells the picture under it, stamp 1 shrinks it.
// - Twirl (2, 13): stamp 0 turns the picture counter-clockwise on screen, stamp 1 clockwise.
// - Any other mode: both stamps all zero.
// Arithmetic is single precision; the fixed-point cells are rounded half to even.
void BuildBrushStamps(TVectorMap& stamp0, TVectorMap& stamp1, const TGenericBrush& brush,
                      int toolMode);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One application of a brush stamp: composed into a mesh at a point (or, for Reconstruct, the
// mesh pulled back towards zero under it), then the stamp's square re-rendered from the unwarped
// source. The picture brush and the layer brush both use it, each with its own mesh, pictures
// and stroke state.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "common/VectorMap.h"

namespace gs {

struct TStrokeState {
  TPoint StrokePoint;       // top-left cell of the last stamp applied
  TFixedVector PuttyCarry;  // the smoothed pointer motion of a Putty stroke, 16.16
};

// Composes stamp into mesh's map with the stamp's top-left cell at p, then fills the square
// (p.X, p.Y, p.X + stamp width, p.Y + stamp height) of dst with 0 and renders source through
// mesh into it; sets state.StrokePoint := p and returns the re-rendered square, clipped to dst
// (empty when nothing was rendered), so that only it needs repainting.
//
// - Cells of the stamp beyond the map are neither read nor written.
// - With putty, the stamp is scaled by the carried motion: carry := round-half-even of
//   ((state.StrokePoint - p) * 65536 + carry) / 2, per axis; otherwise the scale is 1.
// - Every cell composes against the map as it was before this application: the new cell is
//   v + (the old map read bilinearly at the cell's position + v), with v the scaled stamp cell.
// - scratch is working space; it is sized like the stamp when it is not already.
TRect ApplyBrush(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                 const TVectorMap& stamp, TVectorMap& scratch, TPoint p, bool putty,
                 TStrokeState& state, TRemapKernel kernel = TRemapKernel::Auto);

// The Reconstruct brush: pulls the displacements under the stamp back towards zero, then
// re-renders the square as ApplyBrush does (same clipping, same returned square, and
// state.StrokePoint := p). `weights` holds the brush weight w in the X component of each cell
// (16.16, read as 0..65536); strength s is 16.16 too, 0 (no change) .. 65536. Both components
// of map cell (p.X + i, p.Y + j) become
//   trunc(cell * (2^32 - w * s) / 2^32),
// that is cell * (1 - w s) rounded toward zero: a cell never changes sign or grows, w = s = 1
// leaves exactly 0, and repeated applications with w s > 0 reach exactly 0 in the end.
// Each cell depends on itself only, so no scratch map is needed.
TRect ReconstructBrush(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                       const TVectorMap& weights, TFixed strength, TPoint p, TStrokeState& state,
                       TRemapKernel kernel = TRemapKernel::Auto);

}  // namespace gs

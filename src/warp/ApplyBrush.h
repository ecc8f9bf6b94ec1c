#pragma once
// One application of a brush stamp: composed into a mesh at a point, then the stamp's square
// re-rendered from the unwarped source. The picture brush and the layer brush both use it, each
// with its own mesh, pictures and stroke state.

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

}  // namespace gs

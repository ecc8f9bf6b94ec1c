// SPDX-License-Identifier: GPL-3.0-or-later
#include "warp/Stamps.h"

#include "common/Fixed.h"

#include <cmath>

namespace gs {

float BrushStrength(TBrushShape shape) { return shape == TBrushShape::Warp ? 0.9f : 0.2f; }

namespace {

// Stamp coordinate of cell i of n: -1 at the first cell, 1 at the last. A one-cell stamp
// (never built by the editor, whose sizes start at 5) sits at the centre instead of dividing
// by zero.
float Coordinate(int i, float step) { return step == 0.0f ? 0.0f : float(i) * step - 1.0f; }

float Step(int n) { return n > 1 ? 2.0f / float(n - 1) : 0.0f; }

TFixed ToFixed(float v) { return RoundHalfEven(double(v * 65536.0f)); }

// The weight itself in both components: Putty scales it by the pointer's motion, Reconstruct
// takes it as the share of the displacement to remove.
void BuildWeights(TVectorMap& stamp, const TGenericBrush& brush) {
  const float sx = Step(stamp.Width());
  const float sy = Step(stamp.Height());
  for (int j = 0; j < stamp.Height(); ++j) {
    TFixedVector* row = stamp.Row(j);
    const float y = Coordinate(j, sy);
    for (int i = 0; i < stamp.Width(); ++i) {
      const TFixed w = ToFixed(brush.Weight(Coordinate(i, sx), y));
      row[i] = TFixedVector{w, w};
    }
  }
}

// Each cell points from itself to where the moved picture point came from: the radius pulled
// in or pushed out (Warp) or the angle turned (Twirl), scaled by the weight.
void BuildMoving(TVectorMap& stamp, const TGenericBrush& brush, TBrushShape shape, bool primary) {
  const float m = BrushStrength(shape);
  const int w = stamp.Width();
  const int h = stamp.Height();
  const float sx = Step(w);
  const float sy = Step(h);
  for (int j = 0; j < h; ++j) {
    TFixedVector* row = stamp.Row(j);
    const float y = Coordinate(j, sy);
    for (int i = 0; i < w; ++i) {
      const float x = Coordinate(i, sx);
      const float weight = brush.Weight(x, y);
      float r = std::sqrt(x * x + y * y);
      float a = std::atan2(y, x);
      if (shape == TBrushShape::Warp) {
        const float shift = (1.0f - m * (1.0f - r)) * 0.1f;
        r = primary ? r - shift : r + shift;
      } else {
        a = primary ? a + m : a - m;
      }
      const float nx = r * std::cos(a);
      const float ny = r * std::sin(a);
      const float dx = (nx + 1.0f) * float(w - 1) * 0.5f - float(i);
      const float dy = (ny + 1.0f) * float(h - 1) * 0.5f - float(j);
      row[i] = TFixedVector{ToFixed(dx * weight), ToFixed(dy * weight)};
    }
  }
}

}  // namespace

void BuildBrushStamps(TVectorMap& stamp0, TVectorMap& stamp1, const TGenericBrush& brush,
                      TBrushShape shape) {
  switch (shape) {
    case TBrushShape::Putty:
    case TBrushShape::Reconstruct:
      BuildWeights(stamp0, brush);
      stamp1 = stamp0;
      break;
    case TBrushShape::Warp:
    case TBrushShape::Twirl:
      BuildMoving(stamp0, brush, shape, true);
      BuildMoving(stamp1, brush, shape, false);
      break;
    case TBrushShape::None:
      stamp0.Clear();
      stamp1.Clear();
      break;
  }
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The space of face shapes the landmark model knows: the directions a face takes from the mean
// face without being another face (where it sits, its size, how it is held, how open its mouth
// is), and the principal components of the rest, largest spread first.

#include "faces/Face.h"
#include "faces/shape/ShapeModel.h"

#include <array>
#include <vector>

namespace gs {

// A shape's 68 points as x0, y0, x1, y1, ... in the mean face's own frame.
inline constexpr int kShapeValues = 2 * TFace::kPointCount;
using TShapeVector = std::array<double, kShapeValues>;

struct TShapeSpace {
  // Orthonormal: the shift (x, y), size, tilt, what the 3-D fit leaves of a turn and a nod, and
  // the mouth's opening.
  std::vector<TShapeVector> Held;
  // Orthonormal and orthogonal to Held, with their spreads (standard deviations), largest first.
  std::vector<TShapeVector> Components;
  std::vector<double> Spreads;
};

// The directions a face moves in without changing who it is, for the mean face of a model.
std::vector<TShapeVector> HeldDirections(const TMeanFace& mean);

// The space spanned by corrections to the mean face (each kShapeValues values, one after the
// other in `corrections`, as the landmark model's regression trees hold them), the held
// directions taken out first; keeps the components that explain `share` of what is left, at
// most `most` of them.
TShapeSpace BuildShapeSpace(const TMeanFace& mean, const std::vector<float>& corrections, double share, int most);

double Dot(const TShapeVector& a, const TShapeVector& b);

}  // namespace gs

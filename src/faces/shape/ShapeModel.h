// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program knows of how faces are shaped: the average face the landmark model starts
// from, read with the model.

#include "common/Geometry.h"
#include "faces/Face.h"

#include <array>

namespace gs {

// The average face's 68 points in the unit box of a detection, as the landmark model starts
// from them.
using TMeanFace = std::array<TPointF, TFace::kPointCount>;

struct TShapeModel {
  TMeanFace Mean{};
};

}  // namespace gs

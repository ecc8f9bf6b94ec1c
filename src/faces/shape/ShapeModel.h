// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program knows of how faces are shaped: the average face the landmark model starts
// from and the ways faces differ from it, read with the model.

#include "common/Geometry.h"
#include "faces/Face.h"

#include <array>
#include <memory>

namespace gs {

// The average face's 68 points in the unit box of a detection, as the landmark model starts
// from them.
using TMeanFace = std::array<TPointF, TFace::kPointCount>;

struct TShapeSpace;  // faces/shape/ShapeSpace.h

struct TShapeModel {
  TMeanFace Mean{};
  // How faces vary about the mean, shared by every copy; none for a model made of a mean alone,
  // which Exaggerate then treats as one spread for every way of differing.
  std::shared_ptr<const TShapeSpace> Space;
};

}  // namespace gs

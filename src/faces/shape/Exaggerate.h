// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exaggerate: a face pushed further from the average face, as a caricaturist does.

#include "faces/Face.h"
#include "faces/rules/FaceShape.h"
#include "faces/shape/ShapeModel.h"

namespace gs {

// The face pushed away from the mean face by amount (0..2; 1 doubles how far it is from the mean
// face in its own features). The head's turn, nod and tilt and the mouth's opening are taken out
// first and put back after; each principal component of the model grows by its weight, the
// components on which the face is most unusual for their spread most; what the components do
// not explain (mostly the landmarks' noise) stays. Each feature moves at most a share of its own
// size, and no further than where two of its points would cross. A higher amount never moves a
// landmark less far, nor the other way.
TFaceShape ExaggeratedShape(const TFace& face, double amount, const TShapeModel& model);

inline constexpr double kMostExaggeration = 2;
// The weights of the components, in units of the face's mean unusualness, are held within these.
inline constexpr double kLeastWeight = 0.5, kMostWeight = 2;
// A component's spread counts as at least this share of the largest one's.
inline constexpr double kLeastSpread = 0.25;

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exaggerate: a face pushed further from the average face, as a caricaturist does.

#include "faces/Face.h"
#include "faces/rules/FaceShape.h"
#include "faces/shape/ShapeModel.h"

namespace gs {

// The face pushed away from the mean face by amount (1 doubles every point's difference from
// it): the mean face is fitted to the face by a similarity, which is left as it is, and no point
// moves further than an eighth of the face's size.
TFaceShape ExaggeratedShape(const TFace& face, double amount, const TShapeModel& model);

}  // namespace gs

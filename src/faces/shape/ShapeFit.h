// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A face measured in the shape space: its head pose taken out, what is left split into the held
// directions (pose leftovers, mouth opening), the principal components, and a residual.

#include "faces/Face.h"
#include "faces/shape/MeanFace3D.h"
#include "faces/shape/ShapeModel.h"
#include "faces/shape/ShapeSpace.h"

#include <vector>

namespace gs {

struct TShapeFit {
  THeadPose Pose;
  // The face's landmarks brought back into the mean face's frame, as if it looked straight out.
  TShapeVector Frontal{};
  // Frontal minus the mean face, and its parts: held, on the components, and the rest.
  TShapeVector Deviation{};
  TShapeVector HeldPart{};
  std::vector<double> Coefficients;  // one per component of the model's space
  TShapeVector Residual{};
  bool Valid = false;  // false for a face seen edge on, or points that are not numbers
};

TShapeFit FitShape(const TFace& face, const TShapeModel& model);

// How far a face is from the mean face once pose and mouth are taken out: the length of
// Deviation - HeldPart, in the mean face's units.
double IdentityDistance(const TShapeFit& fit);

}  // namespace gs

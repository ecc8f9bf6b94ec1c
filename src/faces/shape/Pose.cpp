// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/shape/Pose.h"

#include "faces/rules/FaceShape.h"

#include <algorithm>
#include <cmath>

namespace gs {

TFacePose PoseOf(const TFace& face) {
  TFacePose pose;
  pose.Roll = face.Roll();
  // A turned head shows more of one cheek than of the other: the nose tip sits off the middle of
  // the jaw's outline, by sin(yaw) of the half-width a frontal face would show.
  const TFaceFrame frame = FrameOf(face);
  const double left = Dot(Minus(face.NoseTip(), face.Points[0]), frame.Across);
  const double right = Dot(Minus(face.Points[16], face.NoseTip()), frame.Across);
  if (left + right > 0) pose.Yaw = std::asin(std::clamp((left - right) / (left + right), -1.0, 1.0));
  return pose;
}

}  // namespace gs

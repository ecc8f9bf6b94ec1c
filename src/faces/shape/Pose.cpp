// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/shape/Pose.h"

#include "faces/shape/MeanFace3D.h"

namespace gs {

TFacePose PoseOf(const TFace& face) {
  const THeadPose head = FitHeadPose(face.Points, DrawnFace3D());
  TFacePose pose;
  pose.Yaw = head.Yaw;
  pose.Pitch = head.Pitch;
  pose.Roll = head.Roll;
  return pose;
}

}  // namespace gs

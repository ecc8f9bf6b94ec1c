// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a head is held: turned (yaw), nodded (pitch) and tilted (roll), read off its landmarks by
// fitting a face in three dimensions to them.

#include "faces/Face.h"

namespace gs {

struct TFacePose {
  double Yaw = 0;    // radians; positive when the nose points to the picture's right
  double Pitch = 0;  // radians; positive when the face looks up
  double Roll = 0;   // radians; the angle of the eye line, clockwise on the screen
};

TFacePose PoseOf(const TFace& face);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mean face in three dimensions, and how a head is held as a weak-perspective fit of it: the
// 68 landmarks turned (yaw), nodded (pitch) and tilted (roll), scaled and shifted into the picture.

#include "common/Geometry.h"
#include "faces/Face.h"
#include "faces/shape/ShapeModel.h"

#include <array>

namespace gs {

// Picture axes: x to the picture's right, y down, z out of the picture towards the viewer.
struct TPoint3 {
  double X = 0, Y = 0, Z = 0;
};
using TFace3D = std::array<TPoint3, TFace::kPointCount>;

// A face of our own, drawn from the proportions of an adult head (in millimetres, about the nose
// tip), for when no landmark model is at hand.
const TFace3D& DrawnFace3D();
// The landmark model's mean face, given the drawn face's depths scaled to its eye distance.
TFace3D Face3DOf(const TMeanFace& mean);

struct THeadPose {
  double Scale = 1;                   // picture pixels per unit of the 3-D face
  double Yaw = 0, Pitch = 0, Roll = 0; // radians, with TFacePose's signs
  TPointF Shift;                       // where the 3-D face's origin lands

  // The rows of scale * (turn, nod, tilt) that reach the picture.
  std::array<double, 6> Rows() const;
  TPointF Project(TPoint3 p) const;
  // A small move in the 3-D face's own x-y plane, as it shows in the picture.
  TPointF ProjectMove(TPointF move) const;
  // The inverse of ProjectMove; false when the face is seen edge on.
  bool UnprojectMove(TPointF seen, TPointF& move) const;
};

// The pose that brings the 3-D face nearest to the points in least squares (Gauss-Newton from a
// similarity fit). A face turned further than about 60 degrees is held at that.
THeadPose FitHeadPose(const std::array<TPointF, TFace::kPointCount>& points, const TFace3D& face3d);

}  // namespace gs

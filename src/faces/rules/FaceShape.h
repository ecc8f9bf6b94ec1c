// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The points a rule moves and the face's own frame it measures them in, and the few things
// rules do to points.

#include "common/Geometry.h"
#include "faces/Face.h"

#include <array>

namespace gs {

// The face's own directions, so that a tilted head is bent along its own axes.
struct TFaceFrame {
  TPointF Centre;  // the middle of the head, a little above the middle of the landmarks
  TPointF Across;  // from the eye on the picture's left to the other, unit length
  TPointF Down;    // from the brows towards the chin, unit length
  double Size = 0; // the landmarks' extent along the longer of the two axes
};
TFaceFrame FrameOf(const TFace& face);

// The points a rule moves: the 68 landmarks, then the forehead above the brows (left, middle,
// right), which holds the forehead in place unless a rule moves it.
struct TFaceShape {
  static constexpr int kForeheadPoints = 3;
  static constexpr int kPointCount = TFace::kPointCount + kForeheadPoints;
  static constexpr TLandmarks kForehead{TFace::kPointCount, kPointCount - 1};
  static constexpr TLandmarks kAll{0, kPointCount - 1};
  std::array<TPointF, kPointCount> Points;

  TPointF& operator[](int k) { return Points[size_t(k)]; }
  TPointF operator[](int k) const { return Points[size_t(k)]; }
};
TFaceShape ShapeOf(const TFace& face);

// What rules do to points first..last of a shape (both included).
void MovePoints(TFaceShape& shape, int first, int last, TPointF by);
void ScalePoints(TFaceShape& shape, int first, int last, TPointF about, double factor);
// Scaled along one axis (a unit vector) only.
void StretchPoints(TFaceShape& shape, int first, int last, TPointF about, TPointF axis, double factor);
// Turned by angle radians, clockwise on the screen for a positive angle.
void TurnPoints(TFaceShape& shape, int first, int last, TPointF about, double angle);
inline void MovePoints(TFaceShape& shape, TLandmarks part, TPointF by) { MovePoints(shape, part.First, part.Last, by); }
inline void MovePoint(TFaceShape& shape, int k, TPointF by) { MovePoints(shape, k, k, by); }
inline void ScalePoints(TFaceShape& shape, TLandmarks part, TPointF about, double factor) {
  ScalePoints(shape, part.First, part.Last, about, factor);
}
inline void StretchPoints(TFaceShape& shape, TLandmarks part, TPointF about, TPointF axis, double factor) {
  StretchPoints(shape, part.First, part.Last, about, axis, factor);
}
inline void TurnPoints(TFaceShape& shape, TLandmarks part, TPointF about, double angle) {
  TurnPoints(shape, part.First, part.Last, about, angle);
}
TPointF Scaled(TPointF v, double k);
TPointF Plus(TPointF a, TPointF b);
TPointF Minus(TPointF a, TPointF b);
double Dot(TPointF a, TPointF b);

}  // namespace gs

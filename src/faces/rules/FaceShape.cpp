// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/rules/FaceShape.h"

#include <algorithm>
#include <cmath>

namespace gs {

namespace {

TPointF Along(TPointF p, TPointF direction, double distance) {
  return {p.X + direction.X * distance, p.Y + direction.Y * distance};
}

}  // namespace

TFaceFrame FrameOf(const TFace& face) {
  TFaceFrame frame;
  const double roll = face.Roll();
  frame.Across = {std::cos(roll), std::sin(roll)};
  frame.Down = {-std::sin(roll), std::cos(roll)};
  double a0 = 1e300, a1 = -1e300, d0 = 1e300, d1 = -1e300;
  for (const TPointF& p : face.Points) {
    const double a = Dot(p, frame.Across), d = Dot(p, frame.Down);
    a0 = std::min(a0, a), a1 = std::max(a1, a), d0 = std::min(d0, d), d1 = std::max(d1, d);
  }
  frame.Size = std::max({a1 - a0, d1 - d0, 1.0});
  const double a = (a0 + a1) / 2, d = (d0 + d1) / 2 - 0.12 * frame.Size;
  frame.Centre = {frame.Across.X * a + frame.Down.X * d, frame.Across.Y * a + frame.Down.Y * d};
  return frame;
}

TFaceShape ShapeOf(const TFace& face) {
  TFaceShape shape;
  std::copy(face.Points.begin(), face.Points.end(), shape.Points.begin());
  const TFaceFrame frame = FrameOf(face);
  const double up = -0.3 * frame.Size;
  const int base = TFaceShape::kForehead.First;
  shape[base] = Along(face.Points[kLeftBrowMiddle], frame.Down, up);
  shape[base + 1] = Along(MeanPoint(face, kLeftBrowInner, kRightBrowInner), frame.Down, up);
  shape[base + 2] = Along(face.Points[kRightBrowMiddle], frame.Down, up);
  return shape;
}

TPointF Scaled(TPointF v, double k) { return {v.X * k, v.Y * k}; }
TPointF Plus(TPointF a, TPointF b) { return {a.X + b.X, a.Y + b.Y}; }
TPointF Minus(TPointF a, TPointF b) { return {a.X - b.X, a.Y - b.Y}; }
double Dot(TPointF a, TPointF b) { return a.X * b.X + a.Y * b.Y; }

void MovePoints(TFaceShape& shape, int first, int last, TPointF by) {
  for (int k = first; k <= last; ++k) shape[k] = Plus(shape[k], by);
}

void ScalePoints(TFaceShape& shape, int first, int last, TPointF about, double factor) {
  for (int k = first; k <= last; ++k) shape[k] = Plus(about, Scaled(Minus(shape[k], about), factor));
}

void StretchPoints(TFaceShape& shape, int first, int last, TPointF about, TPointF axis, double factor) {
  for (int k = first; k <= last; ++k)
    shape[k] = Plus(shape[k], Scaled(axis, Dot(Minus(shape[k], about), axis) * (factor - 1)));
}

void TurnPoints(TFaceShape& shape, int first, int last, TPointF about, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (int k = first; k <= last; ++k) {
    const TPointF d = Minus(shape[k], about);
    shape[k] = Plus(about, TPointF{d.X * c - d.Y * s, d.X * s + d.Y * c});
  }
}

}  // namespace gs

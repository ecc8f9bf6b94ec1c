// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bending faces by their points: a face's landmarks (and a few points of its forehead, which
// has none) moved to new places, and the picture following smoothly, through the face warp.
// Presets, the Face Sculpt sliders and Exaggerate are each a rule for where the points go.

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "faces/Face.h"
#include "faces/FaceWarp.h"

#include <array>
#include <functional>
#include <vector>

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
  std::array<TPointF, kPointCount> Points;

  TPointF& operator[](int k) { return Points[size_t(k)]; }
  TPointF operator[](int k) const { return Points[size_t(k)]; }
};
TFaceShape ShapeOf(const TFace& face);

// Where a face's field may act; the same relative to the face at any scale.
TWarpDisc DiscOf(const TFace& face);

// The field taking the face's shape to target, the other faces' landmarks held in place.
TWarpField FaceField(const TFace& face, const TFaceShape& target, const std::vector<TFace>& others,
                     TSize picture, TWarpModel model = TWarpModel::Tps);

// The face as it shows after the field: its landmarks carried, its box moved and scaled with
// them.
TFace CarriedFace(const TWarpField& field, const TFace& face);

// Where a rule wants the points of a face.
using TFaceRule = std::function<TFaceShape(const TFace&)>;

struct TFaceEditResult {
  TRect Changed;     // the part of dst re-rendered
  double Limit = 1;  // the least of the fields' limits: below 1, a move was cut short
};

// Bends one face (faceIndex) or all of them (faceIndex < 0) by the rule, one after the other,
// composing each into the mesh and re-rendering dst from source. Every face, chosen or not,
// is carried through each field, so faces then holds where they show now.
TFaceEditResult ApplyFaceRule(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                              std::vector<TFace>& faces, int faceIndex, const TFaceRule& rule,
                              const std::function<void(const TRect&)>& beforeChange = {});

// What rules do to points first..last of a shape (both included).
void MovePoints(TFaceShape& shape, int first, int last, TPointF by);
void ScalePoints(TFaceShape& shape, int first, int last, TPointF about, double factor);
// Scaled along one axis (a unit vector) only.
void StretchPoints(TFaceShape& shape, int first, int last, TPointF about, TPointF axis, double factor);
// Turned by angle radians, clockwise on the screen for a positive angle.
void TurnPoints(TFaceShape& shape, int first, int last, TPointF about, double angle);
TPointF Scaled(TPointF v, double k);
TPointF Plus(TPointF a, TPointF b);
TPointF Minus(TPointF a, TPointF b);
double Dot(TPointF a, TPointF b);

// A face scaled about the picture's origin, as a shrunk copy of the picture shows it.
TFace ScaledFace(const TFace& face, double scale);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/rules/FeatureMoves.h"

#include "faces/shape/Pose.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

namespace gs {

namespace {

constexpr double kQuarterTurn = std::numbers::pi / 2;
// Beyond this turn the landmarks of the far side are guesses; the moves are carried as for it.
constexpr double kMostYaw = 1.0;

double Across(const THeadFrame& frame, TPointF p) { return Dot(p, frame.Face.Across); }

// A profile along the jaw by how many points a jaw point is from the chin point.
double ByDistanceFromChin(const double (&profile)[9], int jawPoint) {
  return profile[std::abs(jawPoint - kChinPoint)];
}

}  // namespace

THeadFrame HeadFrameOf(const TFace& face) {
  THeadFrame frame;
  frame.Face = FrameOf(face);
  const double yaw = PoseOf(face).Yaw;
  frame.Yaw = std::isfinite(yaw) ? std::clamp(yaw, -kMostYaw, kMostYaw) : 0;
  const double left = Across(frame, face.Points[kJawLeftEnd]), right = Across(frame, face.Points[kJawRightEnd]);
  frame.Axis = (left + right) / 2;
  frame.Radius = std::max(std::abs(right - left) / 2, 1.0);
  const double midline = (Across(frame, face.Points[kNoseTop]) + Across(frame, face.Points[kChinPoint])) / 2;
  // Held inside the outline, so that neither side's half width is nothing.
  frame.Midline = std::clamp(midline, frame.Axis - 0.8 * frame.Radius, frame.Axis + 0.8 * frame.Radius);
  return frame;
}

TPointF THeadFrame::AcrossMove(TPointF p, double by) const {
  // The angle round the head at which the picture shows p, and where a frontal face holds it.
  const double seen = std::asin(std::clamp((Across(*this, p) - Axis) / Radius, -1.0, 1.0));
  const double front = std::clamp(seen - Yaw, -kQuarterTurn, kQuarterTurn);
  const double movedFront = std::asin(std::clamp(std::sin(front) + by / Radius, -1.0, 1.0));
  const double from = std::clamp(front + Yaw, -kQuarterTurn, kQuarterTurn);
  const double to = std::clamp(movedFront + Yaw, -kQuarterTurn, kQuarterTurn);
  return Scaled(Face.Across, Radius * (std::sin(to) - std::sin(from)));
}

double THeadFrame::OutlineScale(bool right) const {
  const double halfWidth = right ? Axis + Radius - Midline : Midline - (Axis - Radius);
  return std::min(std::cos(Yaw), halfWidth / Radius);
}

double THeadFrame::SideShare(TPointF p) const {
  const double offset = Across(*this, p) - Midline;
  const double halfWidth = offset > 0 ? Axis + Radius - Midline : Midline - (Axis - Radius);
  return offset / std::max(halfWidth, 1.0);
}

// ---- Eyes

void ResizeEye(const TFace& face, const THeadFrame& frame, bool right, double factor, TFaceShape& shape) {
  const TPointF centre = face.EyeCentre(right);
  ScalePoints(shape, EyeOf(right), centre, factor);
  // The brow keeps its distance from the upper lid.
  const double lid = std::max(Dot(Minus(centre, face.Points[size_t(EyeUpperOf(right))]), frame.Up()),
                              0.15 * face.EyeWidth(right));
  MovePoints(shape, BrowOf(right), Scaled(frame.Up(), (factor - 1) * lid));
  // A third of the widening goes outwards, where the cheek has room and the nose has none; the
  // wider eye stands for both, since the move is carried round the head anyway.
  const double eyeWidth = std::max(face.EyeWidth(false), face.EyeWidth(true));
  MoveEye(frame, right, 0, (factor - 1) * 0.15 * eyeWidth, shape);
}

void StretchEye(const TFace& face, const THeadFrame& frame, bool right, double factor, TFaceShape& shape) {
  StretchPoints(shape, EyeOf(right), face.EyeCentre(right), frame.Face.Across, factor);
}

void TiltEye(const TFace& face, bool right, double angle, TFaceShape& shape) {
  // The eye on the picture's left lifts its outer corner turning clockwise on the screen.
  TurnPoints(shape, EyeOf(right), face.EyeCentre(right), right ? -angle : angle);
}

void MoveEye(const THeadFrame& frame, bool right, double up, double out, TFaceShape& shape) {
  const TPointF lift = Scaled(frame.Up(), up);
  const double across = right ? out : -out;
  for (TLandmarks part : {EyeOf(right), BrowOf(right)})
    for (int k = part.First; k <= part.Last; ++k) MovePoint(shape, k, Plus(lift, frame.AcrossMove(shape[k], across)));
}

// ---- Nose

void LengthenNose(const THeadFrame& frame, double length, double mouthFollows, TFaceShape& shape) {
  const TPointF down = frame.Face.Down;
  // The bridge stretches evenly from its top, which stays between the eyes, to the tip.
  for (int k = kNoseBridge.First + 1; k <= kNoseBridge.Last; ++k)
    MovePoint(shape, k, Scaled(down, length * (k - kNoseTop) / double(kNoseTip - kNoseTop)));
  MovePoints(shape, kNostrils, Scaled(down, length));
  const double mouth = mouthFollows * length;
  MovePoints(shape, kMouth, Scaled(down, mouth));
  // The chin and the jaw beside it make room for the mouth, less and less towards the ears.
  static constexpr double kJawFollows[9] = {2.0 / 3, 2.0 / 3, 2.0 / 3, 2.0 / 3, 1.0 / 3, 0, 0, 0, 0};
  for (int j = kJaw.First; j <= kJaw.Last; ++j) MovePoint(shape, j, Scaled(down, mouth * ByDistanceFromChin(kJawFollows, j)));
}

void WidenNose(const TFace& face, const THeadFrame& frame, double factor, TFaceShape& shape) {
  StretchPoints(shape, kNostrils, face.Points[kNoseBottom], frame.Face.Across, factor);
}

double NoseLength(const TFace& face, const THeadFrame& frame) {
  return std::max(Dot(Minus(face.Points[kNoseBottom], face.Points[kNoseTop]), frame.Face.Down), 1.0);
}

// ---- Mouth

void Grin(const THeadFrame& frame, double up, double apart, TFaceShape& shape) {
  for (bool right : {false, true}) {
    const int corner = MouthCornerOf(right);
    const TPointF by = Plus(Scaled(frame.Up(), up), frame.AcrossMove(shape[corner], right ? apart : -apart));
    const int beside[2][3] = {{kUpperLipEdge.First, kLowerLipEdge.Last, kInnerMouthLeft},
                              {kUpperLipEdge.Last, kLowerLipEdge.First, kInnerMouthRight}};
    MovePoint(shape, corner, by);
    for (int k : beside[right ? 1 : 0]) MovePoint(shape, k, Scaled(by, 0.5));
  }
}

void ThickenLips(const TFace& face, const THeadFrame& frame, double upper, double lower, TFaceShape& shape) {
  const TPointF upperBy = Scaled(frame.Up(), upper * Distance(face.Points[kUpperLipTop], face.Points[kUpperLipBottom]));
  const TPointF lowerBy = Scaled(frame.Face.Down, lower * Distance(face.Points[kLowerLipBottom], face.Points[kLowerLipTop]));
  // The middle three points of each edge go all the way, the two beside the corners half.
  for (auto [edge, by] : {std::pair{kUpperLipEdge, upperBy}, std::pair{kLowerLipEdge, lowerBy}}) {
    MovePoints(shape, edge.First + 1, edge.Last - 1, by);
    MovePoint(shape, edge.First, Scaled(by, 0.5));
    MovePoint(shape, edge.Last, Scaled(by, 0.5));
  }
}

void ResizeMouth(const TFace& face, const THeadFrame& frame, double across, double down, TFaceShape& shape) {
  const TPointF centre = face.MouthCentre();
  StretchPoints(shape, kMouth, centre, frame.Face.Across, across);
  StretchPoints(shape, kMouth, centre, frame.Face.Down, down);
}

// ---- Outline

void RaiseForehead(const THeadFrame& frame, double height, TFaceShape& shape) {
  MovePoints(shape, TFaceShape::kForehead, Scaled(frame.Up(), height));
}

void LengthenChin(const THeadFrame& frame, double length, TFaceShape& shape) {
  static constexpr double kChin[9] = {1.0, 0.8, 0.5, 0.2, 0, 0, 0, 0, 0};
  for (int j = kJaw.First; j <= kJaw.Last; ++j) MovePoint(shape, j, Scaled(frame.Face.Down, length * ByDistanceFromChin(kChin, j)));
}

void WidenJaw(const THeadFrame& frame, double width, TFaceShape& shape) {
  static constexpr double kJawProfile[9] = {0, 0.4, 0.8, 1.0, 0.9, 0.5, 0.2, 0, 0};
  for (int j = kJaw.First; j <= kJaw.Last; ++j) {
    if (j == kChinPoint) continue;
    const bool right = j > kChinPoint;
    MovePoint(shape, j, Scaled(frame.Out(right), width * frame.OutlineScale(right) * ByDistanceFromChin(kJawProfile, j)));
  }
}

void WidenFace(const THeadFrame& frame, double factor, TFaceShape& shape) {
  // Each side by its share of its own half width, so that the chin on the midline stays and both
  // ends of the jaw move as far as the turn shows a wider head.
  const double end = (factor - 1) * frame.Radius * std::cos(frame.Yaw);
  for (int j = kJaw.First; j <= kJaw.Last; ++j)
    MovePoint(shape, j, Scaled(frame.Face.Across, end * frame.SideShare(shape[j])));
}

}  // namespace gs

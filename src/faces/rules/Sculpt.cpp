// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/rules/Sculpt.h"

#include "faces/shape/Exaggerate.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace gs {

const std::vector<TSculptSliderName>& SculptSliders() {
  static const std::vector<TSculptSliderName> sliders{
      {TSculptSlider::EyeSize, "Eyes", "Size", "eyesize"},
      {TSculptSlider::EyeHeight, "Eyes", "Height", "eyeheight"},
      {TSculptSlider::EyeWidth, "Eyes", "Width", "eyewidth"},
      {TSculptSlider::EyeTilt, "Eyes", "Tilt", "eyetilt"},
      {TSculptSlider::EyeDistance, "Eyes", "Distance", "eyedistance"},
      {TSculptSlider::NoseHeight, "Nose", "Height", "noseheight"},
      {TSculptSlider::NoseWidth, "Nose", "Width", "nosewidth"},
      {TSculptSlider::Smile, "Mouth", "Smile", "smile"},
      {TSculptSlider::UpperLip, "Mouth", "Upper Lip", "upperlip"},
      {TSculptSlider::LowerLip, "Mouth", "Lower Lip", "lowerlip"},
      {TSculptSlider::MouthWidth, "Mouth", "Width", "mouthwidth"},
      {TSculptSlider::MouthHeight, "Mouth", "Height", "mouthheight"},
      {TSculptSlider::Forehead, "Face", "Forehead", "forehead"},
      {TSculptSlider::ChinHeight, "Face", "Chin Height", "chinheight"},
      {TSculptSlider::Jawline, "Face", "Jawline", "jawline"},
      {TSculptSlider::FaceWidth, "Face", "Face Width", "facewidth"},
  };
  return sliders;
}

std::optional<TSculptSlider> SculptSliderByKey(std::string_view key) {
  for (const TSculptSliderName& s : SculptSliders())
    if (key == s.Key) return s.Slider;
  return std::nullopt;
}

bool TSculpt::Empty() const {
  if (Exaggerate != 0) return false;
  return std::all_of(Values.begin(), Values.end(), [](const auto& v) { return v[0] == 0 && v[1] == 0; });
}

std::string SculptStepName(const TSculpt& sculpt) {
  TSculpt sliders = sculpt;
  sliders.Exaggerate = 0;
  if (sculpt.Exaggerate != 0 && sliders.Empty()) return "Exaggerate " + std::to_string(sculpt.Exaggerate) + " %";
  return "Face Sculpt";
}

namespace {

void MoveEach(TFaceShape& shape, std::initializer_list<int> points, TPointF by) {
  for (int k : points) MovePoints(shape, k, k, by);
}

// One eye's sliders; t = -1..1 each.
void SculptEye(const TFace& face, const TFaceFrame& frame, bool right, const TSculpt& sculpt, TFaceShape& shape) {
  auto t = [&](TSculptSlider s) { return sculpt.Value(s, right ? 1 : 0) / 100.0; };
  const int eye = right ? 42 : 36, brow = right ? 22 : 17;
  const TPointF centre = face.EyeCentre(right);
  const TPointF up = Scaled(frame.Down, -1);
  const TPointF out = Scaled(frame.Across, right ? 1 : -1);
  const double size = frame.Size;

  const double grow = 0.4 * t(TSculptSlider::EyeSize);
  ScalePoints(shape, eye, eye + 5, centre, 1 + grow);
  MovePoints(shape, brow, brow + 4, Scaled(up, grow * 0.2 * face.EyeWidth(right)));
  StretchPoints(shape, eye, eye + 5, centre, frame.Across, 1 + 0.35 * t(TSculptSlider::EyeWidth));
  // The outer corner up: the eye on the picture's left turns clockwise on the screen.
  TurnPoints(shape, eye, eye + 5, centre, (right ? -0.25 : 0.25) * t(TSculptSlider::EyeTilt));
  const TPointF by = Plus(Scaled(up, 0.06 * size * t(TSculptSlider::EyeHeight)),
                          Scaled(out, 0.05 * size * t(TSculptSlider::EyeDistance)));
  MovePoints(shape, eye, eye + 5, by);
  MovePoints(shape, brow, brow + 4, by);
}

void SculptNose(const TFace& face, const TFaceFrame& frame, double height, double width, TFaceShape& shape) {
  const double length = 0.08 * frame.Size * height;
  MovePoints(shape, 28, 28, Scaled(frame.Down, length / 3));
  MovePoints(shape, 29, 29, Scaled(frame.Down, 2 * length / 3));
  MovePoints(shape, 30, 35, Scaled(frame.Down, length));
  // The mouth and chin make room, so that a longer nose does not push into the upper lip.
  MovePoints(shape, 48, 67, Scaled(frame.Down, 0.85 * length));
  MovePoints(shape, 5, 11, Scaled(frame.Down, 0.5 * length));
  StretchPoints(shape, 31, 35, face.Points[33], frame.Across, 1 + 0.4 * width);
}

void SculptMouth(const TFace& face, const TFaceFrame& frame, const TSculpt& sculpt, TFaceShape& shape) {
  auto t = [&](TSculptSlider s) { return sculpt.Value(s) / 100.0; };
  const TPointF up = Scaled(frame.Down, -1);
  const double size = frame.Size;
  const double smile = 0.05 * size * t(TSculptSlider::Smile);
  for (bool right : {false, true}) {
    const TPointF lift = Plus(Scaled(up, smile), Scaled(frame.Across, (right ? 0.01 : -0.01) * size * t(TSculptSlider::Smile)));
    const int corner = right ? 54 : 48;
    const int beside[2][3] = {{49, 59, 60}, {53, 55, 64}};
    MovePoints(shape, corner, corner, lift);
    for (int j : beside[right ? 1 : 0]) MovePoints(shape, j, j, Scaled(lift, 0.5));
  }
  // The lips by their own thickness, so that a thin lip gets thinner without turning inside out.
  const double upperLip = Distance(face.Points[51], face.Points[62]);
  const double lowerLip = Distance(face.Points[57], face.Points[66]);
  const TPointF upper = Scaled(up, 0.6 * upperLip * t(TSculptSlider::UpperLip));
  MoveEach(shape, {50, 51, 52}, upper);
  MoveEach(shape, {49, 53}, Scaled(upper, 0.5));
  const TPointF lower = Scaled(frame.Down, 0.6 * lowerLip * t(TSculptSlider::LowerLip));
  MoveEach(shape, {56, 57, 58}, lower);
  MoveEach(shape, {55, 59}, Scaled(lower, 0.5));
  const TPointF centre = face.MouthCentre();
  StretchPoints(shape, 48, 67, centre, frame.Across, 1 + 0.3 * t(TSculptSlider::MouthWidth));
  StretchPoints(shape, 48, 67, centre, frame.Down, 1 + 0.4 * t(TSculptSlider::MouthHeight));
}

void SculptOutline(const TFaceFrame& frame, const TSculpt& sculpt, TFaceShape& shape) {
  auto t = [&](TSculptSlider s) { return sculpt.Value(s) / 100.0; };
  const double size = frame.Size;
  MovePoints(shape, TFace::kPointCount, TFaceShape::kPointCount - 1,
             Scaled(frame.Down, -0.12 * size * t(TSculptSlider::Forehead)));
  // The chin and jaw by how far each jaw point is from the chin (point 8).
  static constexpr double kChin[] = {1.0, 0.8, 0.5, 0.2, 0, 0, 0, 0, 0};
  static constexpr double kJaw[] = {0, 0.4, 0.8, 1.0, 0.9, 0.5, 0.2, 0, 0};
  for (int j = 0; j <= 16; ++j) {
    const int fromChin = std::abs(j - 8);
    const double side = j < 8 ? -1 : j > 8 ? 1 : 0;
    const TPointF by = Plus(Scaled(frame.Down, 0.08 * size * t(TSculptSlider::ChinHeight) * kChin[fromChin]),
                            Scaled(frame.Across, side * 0.06 * size * t(TSculptSlider::Jawline) * kJaw[fromChin]));
    MovePoints(shape, j, j, by);
  }
  StretchPoints(shape, 0, 16, frame.Centre, frame.Across, 1 + 0.15 * t(TSculptSlider::FaceWidth));
}

}  // namespace

TFaceShape SculptShape(const TFace& face, const TSculpt& sculpt, const TShapeModel* model) {
  TFaceShape shape = model ? ExaggeratedShape(face, sculpt.Exaggerate / 100.0, *model) : ShapeOf(face);
  const TFaceFrame frame = FrameOf(face);
  for (bool right : {false, true}) SculptEye(face, frame, right, sculpt, shape);
  SculptNose(face, frame, sculpt.Value(TSculptSlider::NoseHeight) / 100.0, sculpt.Value(TSculptSlider::NoseWidth) / 100.0, shape);
  SculptMouth(face, frame, sculpt, shape);
  SculptOutline(frame, sculpt, shape);
  return shape;
}

}  // namespace gs

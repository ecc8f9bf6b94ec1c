// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/rules/Sculpt.h"

#include "faces/rules/FeatureMoves.h"
#include "faces/shape/Exaggerate.h"

#include <algorithm>
#include <cmath>

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

// A slider's value as -1..1.
double Setting(const TSculpt& sculpt, TSculptSlider s, int eye = 0) {
  return std::clamp(sculpt.Value(s, eye) / double(kSculptLimit), -1.0, 1.0);
}

void SculptEye(const TFace& face, const THeadFrame& frame, bool right, const TSculpt& sculpt, TFaceShape& shape) {
  auto t = [&](TSculptSlider s) { return Setting(sculpt, s, right ? 1 : 0); };
  const double size = frame.Face.Size;
  ResizeEye(face, frame, right, 1 + 0.45 * t(TSculptSlider::EyeSize), shape);
  StretchEye(face, frame, right, 1 + 0.35 * t(TSculptSlider::EyeWidth), shape);
  TiltEye(face, right, 0.25 * t(TSculptSlider::EyeTilt), shape);
  MoveEye(frame, right, 0.06 * size * t(TSculptSlider::EyeHeight), 0.05 * size * t(TSculptSlider::EyeDistance), shape);
}

void SculptNose(const TFace& face, const THeadFrame& frame, const TSculpt& sculpt, TFaceShape& shape) {
  LengthenNose(frame, 0.3 * NoseLength(face, frame) * Setting(sculpt, TSculptSlider::NoseHeight), 0.9, shape);
  WidenNose(face, frame, 1 + 0.4 * Setting(sculpt, TSculptSlider::NoseWidth), shape);
}

void SculptMouth(const TFace& face, const THeadFrame& frame, const TSculpt& sculpt, TFaceShape& shape) {
  auto t = [&](TSculptSlider s) { return Setting(sculpt, s); };
  const double smile = t(TSculptSlider::Smile) * frame.Face.Size;
  Grin(frame, 0.05 * smile, 0.015 * smile, shape);
  ThickenLips(face, frame, 0.6 * t(TSculptSlider::UpperLip), 0.6 * t(TSculptSlider::LowerLip), shape);
  ResizeMouth(face, frame, 1 + 0.3 * t(TSculptSlider::MouthWidth), 1 + 0.4 * t(TSculptSlider::MouthHeight), shape);
}

void SculptOutline(const THeadFrame& frame, const TSculpt& sculpt, TFaceShape& shape) {
  auto t = [&](TSculptSlider s) { return Setting(sculpt, s); };
  const double size = frame.Face.Size;
  RaiseForehead(frame, 0.12 * size * t(TSculptSlider::Forehead), shape);
  LengthenChin(frame, 0.08 * size * t(TSculptSlider::ChinHeight), shape);
  WidenJaw(frame, 0.06 * size * t(TSculptSlider::Jawline), shape);
  WidenFace(frame, 1 + 0.15 * t(TSculptSlider::FaceWidth), shape);
}

}  // namespace

TFaceShape SculptShape(const TFace& face, const TSculpt& sculpt, const TShapeModel* model) {
  TFaceShape shape = model ? ExaggeratedShape(face, sculpt.Exaggerate / 100.0, *model) : ShapeOf(face);
  const THeadFrame frame = HeadFrameOf(face);
  for (bool right : {false, true}) SculptEye(face, frame, right, sculpt, shape);
  SculptNose(face, frame, sculpt, shape);
  SculptMouth(face, frame, sculpt, shape);
  SculptOutline(frame, sculpt, shape);
  return shape;
}

}  // namespace gs

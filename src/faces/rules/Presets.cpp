// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/rules/Presets.h"

#include "faces/rules/FeatureMoves.h"

#include <algorithm>
#include <cmath>

namespace gs {

const std::vector<TPresetName>& CaricaturePresets() {
  static const std::vector<TPresetName> presets{
      {TCaricaturePreset::BigEyes, "Big Eyes", "bigeyes"},
      {TCaricaturePreset::TinyEyes, "Tiny Eyes", "tinyeyes"},
      {TCaricaturePreset::BobbleHead, "Bobble Head", "bobblehead"},
      {TCaricaturePreset::BigGrin, "Big Grin", "biggrin"},
      {TCaricaturePreset::TinyMouth, "Tiny Mouth", "tinymouth"},
      {TCaricaturePreset::LongNose, "Long Nose", "longnose"},
      {TCaricaturePreset::ButtonNose, "Button Nose", "buttonnose"},
      {TCaricaturePreset::PointyChin, "Pointy Chin", "pointychin"},
      {TCaricaturePreset::Alien, "Alien", "alien"},
      {TCaricaturePreset::Twisted, "Twisted", "twisted"},
  };
  return presets;
}

const char* PresetCaption(TCaricaturePreset preset) {
  for (const TPresetName& p : CaricaturePresets())
    if (p.Preset == preset) return p.Caption;
  return "";
}

std::optional<TCaricaturePreset> PresetByKey(std::string_view key) {
  for (const TPresetName& p : CaricaturePresets())
    if (key == p.Key) return p.Preset;
  return std::nullopt;
}

namespace {

// How far each preset goes at full strength: far enough to read as a caricature at a glance.
constexpr double kBigEyes = 1.9, kTinyEyes = 0.55;  // times the eye's size
constexpr double kBobbleHead = 1.35;                // times the head's size
constexpr double kGrinUp = 0.055, kGrinApart = 0.1; // of the face's size, each corner
constexpr double kTinyMouth = 0.5;                  // times the mouth's size
constexpr double kLongNose = 0.6;                   // of the nose's length, added
constexpr double kButtonNoseShorter = 0.3, kButtonNoseNarrower = 0.35;
constexpr double kPointyChinLonger = 0.14, kPointyChinNarrower = 0.07;  // of the face's size
constexpr double kTwist = 0.35;                     // radians

void Eyes(const TFace& face, const THeadFrame& frame, double factor, double k, TFaceShape& shape) {
  for (bool right : {false, true}) ResizeEye(face, frame, right, 1 + (factor - 1) * k, shape);
}

void TinyMouth(const TFace& face, const THeadFrame& frame, double k, TFaceShape& shape) {
  const double factor = 1 - (1 - kTinyMouth) * k;
  ResizeMouth(face, frame, factor, factor, shape);
}

void PointyChin(const THeadFrame& frame, double k, TFaceShape& shape) {
  LengthenChin(frame, kPointyChinLonger * frame.Face.Size * k, shape);
  WidenJaw(frame, -kPointyChinNarrower * frame.Face.Size * k, shape);
}

// The preset at strength k = 0..1.
void Plan(const TFace& face, TCaricaturePreset preset, double k, TFaceShape& shape) {
  const THeadFrame frame = HeadFrameOf(face);
  const double size = frame.Face.Size;
  switch (preset) {
    case TCaricaturePreset::BigEyes: Eyes(face, frame, kBigEyes, k, shape); break;
    case TCaricaturePreset::TinyEyes: Eyes(face, frame, kTinyEyes, k, shape); break;
    case TCaricaturePreset::BobbleHead:
      ScalePoints(shape, TFaceShape::kAll, frame.Face.Centre, 1 + (kBobbleHead - 1) * k);
      break;
    case TCaricaturePreset::BigGrin: Grin(frame, kGrinUp * size * k, kGrinApart * size * k, shape); break;
    case TCaricaturePreset::TinyMouth: TinyMouth(face, frame, k, shape); break;
    case TCaricaturePreset::LongNose:
      LengthenNose(frame, kLongNose * NoseLength(face, frame) * k, 0.9, shape);
      break;
    case TCaricaturePreset::ButtonNose:
      // Shorter and narrower, the tip turned up; the mouth comes halfway up after it.
      LengthenNose(frame, -kButtonNoseShorter * NoseLength(face, frame) * k, 0.5, shape);
      WidenNose(face, frame, 1 - kButtonNoseNarrower * k, shape);
      break;
    case TCaricaturePreset::PointyChin: PointyChin(frame, k, shape); break;
    case TCaricaturePreset::Alien:
      Eyes(face, frame, kBigEyes, k, shape);
      TinyMouth(face, frame, k, shape);
      PointyChin(frame, k, shape);
      break;
    case TCaricaturePreset::Twisted:
      TurnPoints(shape, TFaceShape::kAll, face.NoseTip(), kTwist * k);
      break;
  }
}

}  // namespace

TFaceShape PresetShape(const TFace& face, TCaricaturePreset preset, double strength) {
  TFaceShape shape = ShapeOf(face);
  if (strength > 0) Plan(face, preset, std::min(strength, 1.0), shape);
  return shape;
}

TFaceEditResult ApplyCaricature(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                                std::vector<TFace>& faces, int faceIndex, TCaricaturePreset preset,
                                double strength, const std::function<void(const TRect&)>& beforeChange) {
  if (!(strength > 0)) return {};
  return ApplyFaceRule(
      mesh, source, dst, faces, faceIndex,
      [preset, strength](const TFace& face) { return PresetShape(face, preset, strength); }, beforeChange);
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/rules/Presets.h"


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

// The preset's rules, each at full strength k = 1.

void Eyes(const TFace& face, TFaceShape& shape, double factor, double k) {
  const TPointF up = Scaled(FrameOf(face).Down, -1);
  for (bool right : {false, true}) {
    const int first = right ? 42 : 36;
    ScalePoints(shape, first, first + 5, face.EyeCentre(right), 1 + (factor - 1) * k);
    // The brow rides up or down with the upper lid, so that it is not folded into the eye.
    const double lift = (factor - 1) * k * 0.2 * face.EyeWidth(right);
    MovePoints(shape, right ? 22 : 17, right ? 26 : 21, Scaled(up, lift));
  }
}

void TinyMouth(const TFace& face, TFaceShape& shape, double k) {
  ScalePoints(shape, 48, 67, face.MouthCentre(), 1 - 0.4 * k);
}

void PointyChin(const TFace& face, TFaceShape& shape, double k) {
  const TFaceFrame frame = FrameOf(face);
  const double size = frame.Size * k;
  // The chin drawn down and the jaw beside it narrowed towards it.
  const double down[] = {0, 0.15, 0.45, 0.8, 1.0, 0.8, 0.45, 0.15, 0};
  const double in[] = {0.2, 0.5, 0.7, 0.5, 0, -0.5, -0.7, -0.5, -0.2};
  for (int j = 4; j <= 12; ++j) {
    const TPointF by = Plus(Scaled(frame.Down, 0.11 * size * down[j - 4]), Scaled(frame.Across, 0.06 * size * in[j - 4]));
    MovePoints(shape, j, j, by);
  }
}

void Plan(const TFace& face, TCaricaturePreset preset, double k, TFaceShape& shape) {
  const TFaceFrame frame = FrameOf(face);
  const int all = TFaceShape::kPointCount - 1;
  switch (preset) {
    case TCaricaturePreset::BigEyes: Eyes(face, shape, 1.45, k); break;
    case TCaricaturePreset::TinyEyes: Eyes(face, shape, 0.65, k); break;
    case TCaricaturePreset::BobbleHead:
      ScalePoints(shape, 0, all, frame.Centre, 1 + 0.3 * k);
      break;
    case TCaricaturePreset::BigGrin:
      // The corners pulled apart and up, the lips beside them half as far.
      for (bool right : {false, true}) {
        const double width = face.MouthWidth();
        const TPointF by = Plus(Scaled(frame.Across, (right ? 0.22 : -0.22) * width * k),
                                Scaled(frame.Down, -0.12 * width * k));
        const int corner = right ? 54 : 48;
        const int beside[2][3] = {{49, 59, 60}, {53, 55, 64}};
        MovePoints(shape, corner, corner, by);
        for (int j : beside[right ? 1 : 0]) MovePoints(shape, j, j, Scaled(by, 0.5));
      }
      break;
    case TCaricaturePreset::TinyMouth: TinyMouth(face, shape, k); break;
    case TCaricaturePreset::LongNose: {
      // The tip drawn down; the mouth and chin make room below it.
      const double length = Distance(face.NoseBridge(), face.NoseTip()) * 0.5 * k;
      MovePoints(shape, 28, 28, Scaled(frame.Down, length / 3));
      MovePoints(shape, 29, 29, Scaled(frame.Down, 2 * length / 3));
      MovePoints(shape, 30, 35, Scaled(frame.Down, length));
      // The mouth goes down nearly as far, so that the tip does not push into the upper lip.
      MovePoints(shape, 48, 67, Scaled(frame.Down, 0.9 * length));
      MovePoints(shape, 5, 11, Scaled(frame.Down, 0.6 * length));
      MovePoints(shape, 4, 4, Scaled(frame.Down, 0.3 * length));
      MovePoints(shape, 12, 12, Scaled(frame.Down, 0.3 * length));
      break;
    }
    case TCaricaturePreset::ButtonNose:
      ScalePoints(shape, 30, 35, MeanPoint(face, 30, 35), 1 - 0.4 * k);
      MovePoints(shape, 29, 29, Scaled(Minus(MeanPoint(face, 30, 35), face.Points[29]), 0.2 * k));
      break;
    case TCaricaturePreset::PointyChin: PointyChin(face, shape, k); break;
    case TCaricaturePreset::Alien:
      Eyes(face, shape, 1.45, k);
      TinyMouth(face, shape, k);
      PointyChin(face, shape, k);
      break;
    case TCaricaturePreset::Twisted:
      TurnPoints(shape, 0, all, face.NoseTip(), 0.3 * k);
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

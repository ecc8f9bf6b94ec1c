// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "faces/finder/FaceFinder.h"
#include "faces/rules/Presets.h"
#include "faces/rules/Sculpt.h"
#include "faces/shape/Pose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace gs;

namespace {

const TFace& AstronautFace() {
  static const TFace face = [] {
    const TFaceFinder finder(kDefaultFaceModel);
    return finder.Find(DecodePicture(".png", ReadFileBytes(GS_TESTDATA_DIR "/faces/astronaut.png")).Bitmap).at(0);
  }();
  return face;
}

double Along(TPointF a, TPointF b, TPointF axis) { return Dot(Minus(b, a), axis); }

// A rule at a setting (a preset's strength 0..1 or a slider's value -1..1).
struct TRule {
  std::string Name;
  std::vector<double> Settings;
  std::function<TFaceShape(const TFace&, double)> Shape;
};

std::vector<TRule> EveryRule() {
  std::vector<TRule> rules;
  for (const TPresetName& p : CaricaturePresets())
    rules.push_back({p.Key, {0.25, 0.5, 0.75, 1}, [p](const TFace& f, double s) { return PresetShape(f, p.Preset, s); }});
  for (const TSculptSliderName& s : SculptSliders())
    for (int sign : {1, -1})
      rules.push_back({std::string(s.Key) + (sign > 0 ? "+" : "-"), {0.25 * sign, 0.5 * sign, 1.0 * sign},
                       [s](const TFace& f, double v) {
                         TSculpt sculpt;
                         sculpt.Set(s.Slider, int(std::lround(100 * v)));
                         return SculptShape(f, sculpt, nullptr);
                       }});
  return rules;
}

// The far half of the face (the picture's right) pressed to 55 %, as a head turned to the right
// shows it.
TFace Turned(const TFace& face) {
  const TFaceFrame frame = FrameOf(face);
  const double midline = Dot(face.Points[kNoseTop], frame.Across);
  TFace turned = face;
  for (TPointF& p : turned.Points) {
    const double offset = Dot(p, frame.Across) - midline;
    if (offset > 0) p = Minus(p, Scaled(frame.Across, 0.45 * offset));
  }
  return turned;
}

}  // namespace

// A higher setting moves every point at least as far, the same way, and full strength moves
// something a viewer sees, on a frontal face and a turned one.
TEST(Rules, EveryPresetAndSliderGrowsWithItsSetting) {
  const TFace faces[] = {AstronautFace(), Turned(AstronautFace())};
  for (const TFace& face : faces)
    for (const TRule& rule : EveryRule()) {
      SCOPED_TRACE(rule.Name);
      const TFaceShape plain = ShapeOf(face);
      const double size = FrameOf(face).Size;
      std::vector<TPointF> before(TFaceShape::kPointCount);
      double farthest = 0;
      for (double setting : rule.Settings) {
        const TFaceShape shape = rule.Shape(face, setting);
        for (int k = 0; k < TFaceShape::kPointCount; ++k) {
          const TPointF move = Minus(shape[k], plain[k]), was = before[size_t(k)];
          const double wasLength = std::hypot(was.X, was.Y), length = std::hypot(move.X, move.Y);
          ASSERT_GE(length, wasLength - 1e-9) << "point " << k << " at " << setting;
          if (wasLength > 1e-6) {
            ASSERT_GT(Dot(move, was), std::cos(0.2) * length * wasLength) << "point " << k << " at " << setting;
          }
          before[size_t(k)] = move;
          farthest = std::max(farthest, length);
        }
      }
      EXPECT_GT(farthest, 0.02 * size);
    }
}

// How far each preset goes at 100: as far as a caricaturist draws it.
TEST(Rules, PresetsReadAsCaricaturesAtFullStrength) {
  const TFace& face = AstronautFace();
  const TFaceFrame frame = FrameOf(face);
  using TMeasure = std::function<double(const TFaceShape&)>;
  const TMeasure eyes = [](const TFaceShape& s) { return Distance(s[kLeftEyeOuter], s[kLeftEyeInner]) + Distance(s[kRightEyeInner], s[kRightEyeOuter]); };
  const TMeasure noseLength = [&](const TFaceShape& s) { return Along(s[kNoseTop], s[kNoseBottom], frame.Down); };
  const TMeasure mouth = [&](const TFaceShape& s) { return Along(s[kMouthLeft], s[kMouthRight], frame.Across); };
  const struct {
    TCaricaturePreset Preset;
    TMeasure Measure;
    double AtLeast, AtMost;  // times the plain face's measure
  } cases[] = {
      {TCaricaturePreset::BigEyes, eyes, 1.8, 2.2},
      {TCaricaturePreset::TinyEyes, eyes, 0.4, 0.65},
      {TCaricaturePreset::BobbleHead, [](const TFaceShape& s) { return Distance(s[kJawLeftEnd], s[kJawRightEnd]); }, 1.3, 1.5},
      {TCaricaturePreset::BigGrin, mouth, 1.4, 1.8},
      {TCaricaturePreset::TinyMouth, mouth, 0.4, 0.65},
      {TCaricaturePreset::LongNose, noseLength, 1.4, 1.8},
      {TCaricaturePreset::ButtonNose, noseLength, 0.5, 0.8},
      {TCaricaturePreset::ButtonNose, [](const TFaceShape& s) { return Distance(s[kLeftNostril], s[kRightNostril]); }, 0.5, 0.8},
      {TCaricaturePreset::PointyChin, [&](const TFaceShape& s) { return Along(s[kLowerLipBottom], s[kChinPoint], frame.Down); }, 1.4, 2.5},
      {TCaricaturePreset::Alien, eyes, 1.8, 2.2},
  };
  for (const auto& c : cases) {
    const double share = c.Measure(PresetShape(face, c.Preset, 1)) / c.Measure(ShapeOf(face));
    EXPECT_TRUE(share >= c.AtLeast && share <= c.AtMost) << PresetCaption(c.Preset) << ": " << share;
  }
}

// On a head turned aside the far side shows every move across the face shortened: Eye
// Distance must not push the far eye out through the cheek.
TEST(Rules, MovesAcrossTheFaceFollowTheTurn) {
  const TFace turned = Turned(AstronautFace());
  ASSERT_GT(PoseOf(turned).Yaw, 0.2);
  const TFaceFrame frame = FrameOf(turned);
  const TFaceShape plain = ShapeOf(turned);
  TSculpt sculpt;
  sculpt.Set(TSculptSlider::EyeDistance, 100);
  const TFaceShape apart = SculptShape(turned, sculpt, nullptr);
  const double nearMove = -Along(plain[kLeftEyeOuter], apart[kLeftEyeOuter], frame.Across);
  const double farMove = Along(plain[kRightEyeOuter], apart[kRightEyeOuter], frame.Across);
  EXPECT_GT(nearMove, 0.03 * frame.Size);
  EXPECT_GT(farMove, 0);
  EXPECT_LT(farMove, 0.7 * nearMove);
  // Face Width keeps the chin where it is and widens both sides alike.
  sculpt = {};
  sculpt.Set(TSculptSlider::FaceWidth, 100);
  const TFaceShape wide = SculptShape(turned, sculpt, nullptr);
  EXPECT_LT(std::abs(Along(plain[kChinPoint], wide[kChinPoint], frame.Across)), 0.01 * frame.Size);
  const double nearWider = -Along(plain[kJawLeftEnd], wide[kJawLeftEnd], frame.Across);
  const double farWider = Along(plain[kJawRightEnd], wide[kJawRightEnd], frame.Across);
  EXPECT_NEAR(farWider, nearWider, 0.1 * nearWider);
}

// A face the finder could never report (every landmark on one spot) gives points, not a division
// by its zero size.
TEST(Rules, AFaceOfOnePointGivesFinitePoints) {
  TFace dot;
  dot.Points.fill(TPointF{10, 10});
  for (const TRule& rule : EveryRule())
    for (const TPointF& p : rule.Shape(dot, rule.Settings.back()).Points)
      ASSERT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y)) << rule.Name;
}

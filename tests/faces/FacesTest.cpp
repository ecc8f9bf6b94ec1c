// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "common/Shrink.h"
#include "faces/rules/Presets.h"
#include "faces/finder/FaceFinder.h"
#include "faces/rules/Sculpt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <tuple>

using namespace gs;

namespace {

// Read once per program: the model alone takes a good half second.
const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}

TBitmap32 ReadPng(const std::string& path) { return DecodePicture(".png", ReadFileBytes(path)).Bitmap; }

const TBitmap32& Astronaut() {
  static const TBitmap32 picture = ReadPng(GS_TESTDATA_DIR "/faces/astronaut.png");
  return picture;
}

const TFace& AstronautFace() {
  static const TFace face = Finder().Find(Astronaut()).at(0);
  return face;
}

// Features in the order a face holds them from top to bottom, and every landmark near the box.
void ExpectPlausible(const TFace& face) {
  const TPointF left = face.EyeCentre(false), right = face.EyeCentre(true);
  EXPECT_LT(left.X, right.X);
  EXPECT_LT(std::max(left.Y, right.Y), face.NoseTip().Y);
  EXPECT_LT(face.NoseTip().Y, face.MouthCentre().Y);
  EXPECT_LT(face.MouthCentre().Y, face.Chin().Y);
  const TFloatRect& b = face.Box;
  const double m = 0.25 * b.Width();
  for (const TPointF& p : face.Points)
    EXPECT_TRUE(p.X >= b.Left - m && p.X <= b.Right + m && p.Y >= b.Top - m && p.Y <= b.Bottom + m)
        << p.X << ", " << p.Y;
}

// The astronaut photo bent by a preset through a mesh bound to it, as the document does.
struct TWarped {
  TBitmap32 Source;
  TBitmap32 View;
  TRemapTransformation Mesh;
  TRect Changed;
  std::vector<TFace> Faces;
  TWarped(TCaricaturePreset preset, const TBitmap32& picture = Astronaut(), const TFace& face = AstronautFace())
      : Source(picture), View(picture), Faces{face} {
    Mesh.Bind(Source, View);
    Changed = ApplyCaricature(Mesh, Source, View, Faces, 0, preset, 1.0).Changed;
  }
};

// A part of the astronaut cut from the picture, its face moved with it.
std::pair<TBitmap32, TFace> Cut(const TBitmap32& picture, const TFace& face, TRect cut) {
  cut = Intersect(cut, picture.BoundsRect());
  TBitmap32 part(cut.Width(), cut.Height());
  part.CopyRect(0, 0, picture, cut);
  TFace moved = face;
  for (TPointF& p : moved.Points) p = TPointF{p.X - cut.Left, p.Y - cut.Top};
  moved.Box = TFloatRect{face.Box.Left - cut.Left, face.Box.Top - cut.Top, face.Box.Right - cut.Left,
                         face.Box.Bottom - cut.Top};
  return {part, moved};
}

}  // namespace

// The detector sees the picture as it is, doubled (a small picture) or shrunk (a large one); the
// landmarks must come back in the picture's own pixels every time.
TEST(FaceFinder, FindsOnePlausibleFaceAtEveryDetectionScale) {
  TBitmap32 large(1600, 1600);
  large.StretchDraw(large.BoundsRect(), Astronaut());
  const std::tuple<const char*, TBitmap32, double> cases[] = {
      {"astronaut", Astronaut(), 1.0},
      {"astronaut at 300", ShrinkPicture(Astronaut(), 300, 300), 300.0 / 512},
      {"astronaut at 1600", large, 1600.0 / 512},
      {"sample portrait", ReadPng(GS_BIN_DIR "/Sample/portrait.png"), 0.0},  // not the astronaut
  };
  const TFace& reference = AstronautFace();
  for (const auto& [name, picture, scale] : cases) {
    SCOPED_TRACE(name);
    const std::vector<TFace> faces = Finder().Find(picture);
    ASSERT_EQ(faces.size(), 1u);
    ExpectPlausible(faces[0]);
    if (scale == 0) continue;
    const TFace face = ScaledFace(faces[0], 1 / scale);
    for (auto [a, b] : {std::pair{face.EyeCentre(false), reference.EyeCentre(false)},
                        std::pair{face.EyeCentre(true), reference.EyeCentre(true)},
                        std::pair{face.NoseTip(), reference.NoseTip()},
                        std::pair{face.MouthCentre(), reference.MouthCentre()}})
      EXPECT_LT(Distance(a, b), 0.06 * reference.Box.Width()) << a.X << ", " << a.Y;
  }
}

TEST(FaceFinder, FindsNoFaceWhereThereIsNoneAndNeedsItsModel) {
  TBitmap32 gradient(640, 480);
  for (int y = 0; y < gradient.Height(); ++y)
    for (int x = 0; x < gradient.Width(); ++x)
      gradient.SetPixel(x, y, Color32(uint8_t(x / 3), uint8_t(y / 2), 128));
  for (const TBitmap32& picture : {TBitmap32(), TBitmap32(400, 300, 0xFF808080), gradient})
    EXPECT_TRUE(Finder().Find(picture).empty()) << picture.Width() << "x" << picture.Height();

  try {
    TFaceFinder finder("/nonexistent/shape_predictor_68_face_landmarks.dat");
    ADD_FAILURE() << "a model that is not there was read";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), kNoFaceModelMessage);
  }
  // A broken model file is a message too, not a crash.
  const std::string broken = std::filesystem::temp_directory_path() / "gs-broken-face-model.dat";
  WriteFileBytes(broken, TBytes(4096, 0xA5));
  try {
    TFaceFinder finder(broken);
    ADD_FAILURE() << "a broken model was read";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("Could not read the face model " + broken), std::string::npos) << e.what();
  }
  std::filesystem::remove(broken);
}

TEST(Caricature, BigEyesSwellsBothEyes) {
  const TWarped warped(TCaricaturePreset::BigEyes);
  const TFace& face = AstronautFace();
  // A cell shows the picture from (x + dx, y + dy): round a swollen eye's centre it shows what
  // lay nearer the centre.
  for (bool right : {false, true})
    for (int k = 0; k < 8; ++k) {
      const double a = k * std::numbers::pi / 4, ux = std::cos(a), uy = std::sin(a);
      const double r = 0.25 * face.EyeWidth(right);
      const int x = int(std::lround(face.EyeCentre(right).X + r * ux));
      const int y = int(std::lround(face.EyeCentre(right).Y + r * uy));
      const TFixedVector v = warped.Mesh.VectorMap().Vector(x, y);
      EXPECT_LT(v.X * ux + v.Y * uy, -0.05 * r * kFixedOne) << x << ", " << y;
    }
}

TEST(Caricature, EveryPresetBendsAroundTheFaceOnlyAndNothingAtStrengthZero) {
  const TWarpDisc disc = DiscOf(AstronautFace());
  const TBitmap32& source = Astronaut();
  ASSERT_GT(Distance(TPointF{source.Width() - 1.0, source.Height() - 1.0}, disc.Centre), disc.Radius);  // some of it is far
  const double side = AstronautFace().Box.Width();
  // The face meeting the picture's left and top edges.
  const TFloatRect& box = AstronautFace().Box;
  const auto [edge, edgeFace] =
      Cut(source, AstronautFace(), TRect{int(box.Left + 0.3 * side), int(box.Top), source.Width(), source.Height()});
  for (const TPresetName& preset : CaricaturePresets()) {
    SCOPED_TRACE(preset.Caption);
    EXPECT_EQ(PresetShape(AstronautFace(), preset.Preset, 0.0).Points, ShapeOf(AstronautFace()).Points);
    const TWarped warped(preset.Preset);
    int changed = 0;
    for (int y = 0; y < source.Height(); ++y)
      for (int x = 0; x < source.Width(); ++x) {
        // Far from the face the mesh stays exactly zero, and a pixel outside the rectangle
        // reported as re-rendered would never be repainted.
        if (Distance(TPointF{x + 0.5, y + 0.5}, disc.Centre) >= disc.Radius) {
          ASSERT_EQ(warped.Mesh.VectorMap().Vector(x, y), TFixedVector{}) << x << ", " << y;
        }
        if (warped.View.Pixel(x, y) == source.Pixel(x, y)) continue;
        ++changed;
        ASSERT_TRUE(warped.Changed.Contains(x, y)) << x << ", " << y;
      }
    EXPECT_GT(changed, side * side / 100);
    // No transparent holes where the face meets the edge.
    const TWarped cut(preset.Preset, edge, edgeFace);
    EXPECT_FALSE(cut.Changed.IsEmpty());
    for (int y = 0; y < cut.View.Height(); ++y)
      for (int x = 0; x < cut.View.Width(); ++x) ASSERT_EQ(cut.View.Pixel(x, y) >> 24, 0xFFu) << x << ", " << y;
  }
}

TEST(Caricature, PresetKeysRoundTripAndUnknownKeysAreRefused) {
  EXPECT_EQ(CaricaturePresets().size(), size_t(TCaricaturePreset::Twisted) + 1);
  for (const TPresetName& preset : CaricaturePresets())
    EXPECT_EQ(PresetByKey(preset.Key), preset.Preset) << preset.Key;
  for (const char* key : {"", "Big Eyes", "bigeyes ", "big", "nosuchpreset"})
    EXPECT_EQ(PresetByKey(key), std::nullopt) << '"' << key << '"';
}

namespace {

// The astronaut's face twice as large, with room round it: the finder measures a lip a few
// pixels thick no better than to a pixel.
struct TCloseUp {
  TBitmap32 Picture;
  TFace Face;
};
const TCloseUp& CloseUp() {
  static const TCloseUp closeUp = [] {
    TBitmap32 large(2 * Astronaut().Width(), 2 * Astronaut().Height());
    large.StretchDraw(large.BoundsRect(), Astronaut());
    const TFaceFrame frame = FrameOf(ScaledFace(AstronautFace(), 2));
    const double half = 1.6 * frame.Size;
    auto [picture, face] = Cut(large, ScaledFace(AstronautFace(), 2),
                               CoveringRect(TFloatRect{frame.Centre.X - half, frame.Centre.Y - half,
                                                       frame.Centre.X + half, frame.Centre.Y + half}));
    return TCloseUp{picture, Finder().Find(picture).at(0)};
  }();
  return closeUp;
}

// The landmarks the model fits again in the face's box of the close-up bent by the sliders.
TFace FoundAfter(const TSculpt& sculpt) {
  const TBitmap32& source = CloseUp().Picture;
  TBitmap32 view = source;
  TRemapTransformation mesh;
  mesh.Bind(source, view);
  std::vector<TFace> faces{CloseUp().Face};
  ApplyFaceRule(mesh, source, view, faces, 0, [&](const TFace& f) { return SculptShape(f, sculpt, nullptr); });
  return Finder().FitLandmarks(view, CloseUp().Face.Box);
}

double Y(const TFace& f, int k) { return f.Points[size_t(k)].Y; }
double Span(const TFace& f, int a, int b) { return Distance(f.Points[size_t(a)], f.Points[size_t(b)]); }

}  // namespace

// Each slider at +100 and -100, measured on the landmarks the finder sees in the result: a
// positive value makes its feature bigger, higher, wider or longer.
TEST(FaceSculpt, EverySliderMovesItsFeatureTheWayItsNameSays) {
  struct TCase {
    TSculptSlider Slider;
    double (*Measure)(const TFace&);
  };
  const TCase cases[] = {
      {TSculptSlider::EyeSize, [](const TFace& f) { return Span(f, 37, 41) + Span(f, 44, 46) + f.EyeWidth(false) + f.EyeWidth(true); }},
      {TSculptSlider::EyeHeight, [](const TFace& f) { return 2 * Y(f, 30) - f.EyeCentre(false).Y - f.EyeCentre(true).Y; }},
      {TSculptSlider::EyeWidth, [](const TFace& f) { return f.EyeWidth(false) + f.EyeWidth(true); }},
      {TSculptSlider::EyeTilt, [](const TFace& f) { return Y(f, 39) - Y(f, 36) + Y(f, 42) - Y(f, 45); }},
      {TSculptSlider::EyeDistance, [](const TFace& f) { return Distance(f.EyeCentre(false), f.EyeCentre(true)); }},
      {TSculptSlider::NoseHeight, [](const TFace& f) { return Y(f, 33) - Y(f, 27); }},
      {TSculptSlider::NoseWidth, [](const TFace& f) { return Span(f, 31, 35); }},
      {TSculptSlider::Smile, [](const TFace& f) { return Y(f, 57) + Y(f, 51) - Y(f, 48) - Y(f, 54); }},
      {TSculptSlider::UpperLip, [](const TFace& f) { return Y(f, 62) - Y(f, 51); }},
      {TSculptSlider::LowerLip, [](const TFace& f) { return Y(f, 57) - Y(f, 62); }},
      {TSculptSlider::MouthWidth, [](const TFace& f) { return f.MouthWidth(); }},
      {TSculptSlider::MouthHeight, [](const TFace& f) { return Y(f, 57) - Y(f, 51); }},
      {TSculptSlider::ChinHeight, [](const TFace& f) { return Y(f, 8) - Y(f, 57); }},
      {TSculptSlider::Jawline, [](const TFace& f) { return Span(f, 4, 12); }},
      {TSculptSlider::FaceWidth, [](const TFace& f) { return Span(f, 1, 15); }},
  };
  const double plainSize = FrameOf(CloseUp().Face).Size;
  for (const TCase& test : cases) {
    SCOPED_TRACE(SculptSliders()[size_t(test.Slider)].Key);
    const double plain = test.Measure(CloseUp().Face);
    TSculpt sculpt;
    sculpt.Set(test.Slider, 100);
    const double more = test.Measure(FoundAfter(sculpt));
    sculpt.Set(test.Slider, -100);
    const double less = test.Measure(FoundAfter(sculpt));
    EXPECT_GT(more, plain + 0.005 * plainSize) << less << " " << plain << " " << more;
    EXPECT_LT(less, plain - 0.005 * plainSize) << less << " " << plain << " " << more;
  }
}

#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "common/Shrink.h"
#include "faces/Caricature.h"
#include "faces/FaceFinder.h"

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
  TBitmap32 View = Astronaut();
  TRemapTransformation Mesh;
  TRect Changed;
  explicit TWarped(TCaricaturePreset preset) {
    Mesh.Bind(Astronaut(), View);
    Changed = ApplyWarpOperations(Mesh, Astronaut(), View, PlanCaricature(AstronautFace(), preset, 1.0));
  }
};

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
      const double r = 0.5 * face.EyeWidth(right);
      const int x = int(std::lround(face.EyeCentre(right).X + r * ux));
      const int y = int(std::lround(face.EyeCentre(right).Y + r * uy));
      const TFixedVector v = warped.Mesh.VectorMap().Vector(x, y);
      EXPECT_LT(v.X * ux + v.Y * uy, -0.5 * kFixedOne) << x << ", " << y;
    }
}

TEST(Caricature, EveryPresetBendsAroundTheFaceOnlyAndNothingAtStrengthZero) {
  // The face box grown by a little more than its own side all round: as far as any preset
  // reaches, since the stamps go by the landmarks and the detector's box sits a little differently
  // on the face at different scales.
  const TFloatRect& b = AstronautFace().Box;
  const double side = b.Width(), reach = 1.1 * side;
  const TRect near = CoveringRect(TFloatRect{b.Left - reach, b.Top - reach, b.Right + reach, b.Bottom + reach});
  const TBitmap32& source = Astronaut();
  ASSERT_FALSE(near.Contains(source.Width() - 1, source.Height() - 1));  // some of it is far
  for (const TPresetName& preset : CaricaturePresets()) {
    SCOPED_TRACE(preset.Caption);
    EXPECT_TRUE(PlanCaricature(AstronautFace(), preset.Preset, 0.0).empty());
    const TWarped warped(preset.Preset);
    int changed = 0;
    for (int y = 0; y < source.Height(); ++y)
      for (int x = 0; x < source.Width(); ++x) {
        // Far from the face the mesh stays exactly zero, and a pixel outside the rectangle
        // reported as re-rendered would never be repainted.
        if (!near.Contains(x, y)) {
          ASSERT_EQ(warped.Mesh.VectorMap().Vector(x, y), TFixedVector{}) << x << ", " << y;
        }
        if (warped.View.Pixel(x, y) == source.Pixel(x, y)) continue;
        ++changed;
        ASSERT_TRUE(warped.Changed.Contains(x, y)) << x << ", " << y;
      }
    EXPECT_GT(changed, side * side / 100);
  }
}

TEST(Caricature, PresetKeysRoundTripAndUnknownKeysAreRefused) {
  EXPECT_EQ(CaricaturePresets().size(), size_t(TCaricaturePreset::Twisted) + 1);
  for (const TPresetName& preset : CaricaturePresets())
    EXPECT_EQ(PresetByKey(preset.Key), preset.Preset) << preset.Key;
  for (const char* key : {"", "Big Eyes", "bigeyes ", "big", "nosuchpreset"})
    EXPECT_EQ(PresetByKey(key), std::nullopt) << '"' << key << '"';
}

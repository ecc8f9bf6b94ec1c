// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/FaceRecipe.h"

#include "common/Errors.h"
#include "common/Shrink.h"
#include "document/Document.h"
#include "faces/finder/FaceFinder.h"

#include <gtest/gtest.h>

using namespace gs;

namespace {

const TFaceFinder& Finder() {
  static const TFaceFinder finder(kDefaultFaceModel);
  return finder;
}

TEST(FaceRecipe, SavedFromOneFaceMovesAnothersLandmarksAsItsSlidersSayInOneStep) {
  TFaceRecipe made;
  TRecipeStep preset;
  preset.Preset = TCaricaturePreset::BigEyes;
  preset.Strength = 0.4;
  TRecipeStep sculpt;
  sculpt.Sculpt.Set(TSculptSlider::Smile, 80);
  sculpt.Sculpt.Values[size_t(TSculptSlider::EyeSize)] = {60, 20};
  made.Steps = {preset, sculpt};
  const TFaceRecipe recipe = DecodeFaceRecipe(EncodeFaceRecipe(made));
  ASSERT_EQ(recipe.Steps, made.Steps);

  // Another face: the photo at another size, so the face is elsewhere and smaller.
  TDocument doc;
  doc.Open(TLoadedPicture{ShrinkPicture(ReadPictureFile(GS_TESTDATA_DIR "/faces/astronaut.png").Picture, 360, 360)});
  std::vector<TFace> faces = Finder().Find(doc.ViewBitmap);
  ASSERT_EQ(faces.size(), 1u);
  const TFace before = faces[0];
  ApplyFaceRecipe(doc, faces, 0, recipe, &Finder().ShapeModel());
  ASSERT_EQ(doc.History.Count(), 1);
  EXPECT_EQ(doc.History.Step(1).Name, "Face Recipe");
  // Bigger eyes, the left more than the right; the corners of the mouth up.
  const double left = faces[0].EyeWidth(false) / before.EyeWidth(false);
  const double right = faces[0].EyeWidth(true) / before.EyeWidth(true);
  EXPECT_GT(right, 1.01);
  EXPECT_GT(left, right);
  EXPECT_LT(faces[0].MouthCorner(false).Y, before.MouthCorner(false).Y - 0.5);
  EXPECT_LT(faces[0].MouthCorner(true).Y, before.MouthCorner(true).Y - 0.5);
  doc.History.GoTo(doc, 0);
  EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
}

TEST(FaceRecipe, ABrokenRecipeSaysWhatIsWrong) {
  const std::string head = R"({"format": "grimace", "version": 1, "steps": [)";
  for (const auto& [text, reason] : std::vector<std::pair<std::string, std::string>>{
           {"not json", "not a value"},
           {R"({"format": "other", "version": 1, "steps": []})", "not a face recipe"},
           {head + R"({"preset": "hugeears"}]})", "not a preset"},
           {head + R"({"sculpt": {"eyesize": 101}}]})", "eyesize is not a whole number"},
           {head + R"({"sculpt": {"earsize": 5}}]})", "not a Face Sculpt slider"},
           {head + R"({"preset": "bigeyes", "strength": 50})", "ends too soon"}}) {
    SCOPED_TRACE(text);
    try {
      DecodeFaceRecipe(text);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
  }
}

}  // namespace

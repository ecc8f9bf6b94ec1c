// SPDX-License-Identifier: GPL-3.0-or-later
// Face recipes and meshes from the batch mode: what a recipe keeps follows the history, and a
// recipe or a mesh carries the caricature to another photo as one step.

#include "StudioFixture.h"
#include "codecs/FileIO.h"
#include "document/FaceRecipe.h"

#include <gtest/gtest.h>

using namespace gs;

namespace {

const std::string kAstronaut = GS_TESTDATA_DIR "/faces/astronaut.png";

using StudioRecipesTest = test::TStudioFixture;

TFaceRecipe RecipeIn(const std::string& path) {
  const TBytes bytes = ReadFileBytes(path);
  return DecodeFaceRecipe(std::string(bytes.begin(), bytes.end()));
}

TEST_F(StudioRecipesTest, ARecipeKeepsTheStepsShownAndCarriesThemToAnotherPhotoInOneStep) {
  Run("open " + kAstronaut);
  EXPECT_NE(Fails("saverecipe " + Dir_.Path("none.grimace")).find("nothing to save"), std::string::npos);
  Run("sculpt smile=80\nautocaricature bigeyes 50\ntool warp\nstroke 20,20 30,30\nsaverecipe " +
      Dir_.Path("two.grimace") + "\nstepback 2\nsaverecipe " + Dir_.Path("one.grimace"));
  const TFaceRecipe two = RecipeIn(Dir_.Path("two.grimace"));
  ASSERT_EQ(two.Steps.size(), 2u);
  EXPECT_EQ(two.Steps[0].Sculpt.Value(TSculptSlider::Smile), 80);
  EXPECT_EQ(two.Steps[1].Preset, TCaricaturePreset::BigEyes);
  EXPECT_EQ(two.Steps[1].Strength, 0.5);
  EXPECT_EQ(RecipeIn(Dir_.Path("one.grimace")).Steps.size(), 1u);

  Run("open " + kAstronaut + "\nloadrecipe " + Dir_.Path("two.grimace") + "\nsavemesh " + Dir_.Path("face.gsmesh"));
  ASSERT_EQ(Doc().History.Count(), 1);
  EXPECT_EQ(Doc().History.Step(1).Name.rfind("Face Recipe", 0), 0u);
  const TVectorMap bent = Doc().MeshTransformation.VectorMap();
  EXPECT_FALSE(bent.IsIdentity());
  Run("open " + kAstronaut + "\nloadmesh " + Dir_.Path("face.gsmesh"));
  EXPECT_EQ(Doc().History.Count(), 1);
  EXPECT_EQ(Doc().MeshTransformation.VectorMap(), bent);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Face recipes and meshes from the batch mode: what a recipe keeps follows the history, and a
// recipe or a mesh carries the caricature to another photo as one step.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "document/FaceRecipe.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <algorithm>

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

// On a photo of two faces a person says which one the recipe bends; the batch words never ask.
TEST_F(StudioRecipesTest, OnTwoFacesTheChosenFaceAloneTakesTheRecipe) {
  const TBitmap32 one = DecodePicture(".png", ReadFileBytes(kAstronaut)).Bitmap;
  TBitmap32 pair(2 * one.Width(), one.Height());
  pair.CopyRect(0, 0, one, one.BoundsRect());
  pair.CopyRect(one.Width(), 0, one, one.BoundsRect());
  WriteFileBytes(Dir_.Path("pair.bmp"), EncodeBmp32(pair));
  const std::string recipe = EncodeFaceRecipe(TFaceRecipe{{TRecipeStep{TCaricaturePreset::BigEyes, 1.0, {}}}});
  WriteFileBytes(Dir_.Path("eyes.grimace"), TBytes(recipe.begin(), recipe.end()));
  Run("open " + Dir_.Path("pair.bmp"));
  const std::vector<TFace> faces = Studio_->FindFaces();
  ASSERT_EQ(faces.size(), 2u);
  const auto bent = [&](const TFace& face) {
    int changed = 0;
    for (int y = std::max(0, int(face.Box.Top)); y < std::min(pair.Height(), int(face.Box.Bottom)); ++y)
      for (int x = std::max(0, int(face.Box.Left)); x < std::min(pair.Width(), int(face.Box.Right)); ++x)
        changed += Doc().ViewBitmap.Pixel(x, y) != pair.Pixel(x, y);
    return changed > 100;
  };

  Dialogs_.AnswerFile(Dir_.Path("eyes.grimace"));
  Dialogs_.AnswerForm(TFormAnswer{"Load Face Recipe", {{"Face", "2"}}, true});
  Trigger("LoadFaceRecipe1");
  ASSERT_TRUE(Dialogs_.Messages().empty()) << Dialogs_.Messages().front();
  ASSERT_EQ(Doc().History.Count(), 1);
  EXPECT_FALSE(bent(faces[0]));
  EXPECT_TRUE(bent(faces[1]));

  Run("stepback\nloadrecipe " + Dir_.Path("eyes.grimace") + " all");
  EXPECT_TRUE(bent(faces[0]) && bent(faces[1]));
}

TEST_F(StudioRecipesTest, TheMeshCommandsHaveAWarpMenuOfTheirOwnAfterGrimacer) {
  const QList<QAction*> bar = Studio_->menuBar()->actions();
  EXPECT_EQ(bar.indexOf(Menu("WarpMenu")->menuAction()), bar.indexOf(Menu("GrimacerMenu")->menuAction()) + 1);
  EXPECT_EQ(Menu("WarpMenu")->actions(), (QList<QAction*>{Command("SaveMesh1"), Command("LoadMesh1")}));
  EXPECT_FALSE(Menu("GrimacerMenu")->actions().contains(Command("SaveMesh1")));
}

}  // namespace

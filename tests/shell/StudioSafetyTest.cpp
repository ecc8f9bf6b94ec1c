// SPDX-License-Identifier: GPL-3.0-or-later
// What the window must never do to a user's picture: lose it to a bad file, bring back the
// wrong one, or leave it distorted.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "codecs/ProtectedWriter.h"
#include "shell/dialogs/ChromaKeyForm.h"
#include "shell/view/ImageView.h"

#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace gs;

namespace {

class StudioSafetyTest : public test::TStudioFixture {
protected:
  StudioSafetyTest() {
    Photo_ = test::Stripes(120, 90);
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(Photo_));
  }
  // Runs a script whose `try` lines may fail; returns what they reported.
  std::string RunTrying(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream err;
    EXPECT_EQ(RunBatch(*Studio_, Dialogs_, in, err), 0) << err.str();
    return err.str();
  }
  TBitmap32 Photo_;
};

}  // namespace

TEST_F(StudioSafetyTest, AFailedOpenLeavesThePictureItsNameAndItsWarpForTheNextSave) {
  TBytes broken = EncodePng(Photo_, std::nullopt);
  broken.resize(broken.size() / 2);
  WriteFileBytes(Dir_.Path("broken.png"), broken);
  Run("open " + Dir_.Path("face.bmp") + "\ntool warp\nsize 31\nstroke 60,45 hold 2\n");
  const TBitmap32 warped = Doc().ViewBitmap;
  const TBitmap32 undo = Doc().UndoBitmap;
  const QString caption = Studio_->windowTitle();
  const std::string said = RunTrying("try open " + Dir_.Path("broken.png") + "\ntry open " +
                                     Dir_.Path("missing.png") + "\n");
  EXPECT_NE(said.find("missing.png"), std::string::npos);
  EXPECT_EQ(Doc().ViewBitmap, warped);
  EXPECT_EQ(Doc().UndoBitmap, undo);
  EXPECT_FALSE(Doc().MeshTransformation.VectorMap().IsIdentity());
  EXPECT_EQ(Studio_->windowTitle(), caption);
  EXPECT_EQ(Doc().ToolMode, TToolMode::Warp);  // the user goes on where they were
  Run("save\n");
  EXPECT_EQ(DecodeBmp(ReadFileBytes(Dir_.Path("face.bmp"))).Bitmap, warped);
}

TEST_F(StudioSafetyTest, RestoreReloadsTheFileChosenInTheOpenDialog) {
  // A protected picture: its document name is the inner one, which is no file at all.
  WriteFileBytes(Dir_.Path("secret.mfk"), test::EncipherProtected(".png", EncodePng(Photo_, std::nullopt)));
  Run("open " + Dir_.Path("secret.mfk") + "\ntool twirl\nstroke 60,45 hold 3\nsave\nrestore\n");
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
  // After Save As GIF the photo comes back, not its colour-reduced copy.
  Run("open " + Dir_.Path("face.bmp") + "\nsaveas " + Dir_.Path("reduced.gif") + "\nrestore\n");
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
}

TEST_F(StudioSafetyTest, UndoBringsBackTheSizeAfterAResizeAndASave) {
  Run("open " + Dir_.Path("face.bmp") + "\nimagesize width=240\nsaveas " + Dir_.Path("big.bmp") +
      "\nundo\n");
  EXPECT_EQ(Doc().ImageWidth(), 120);
  EXPECT_EQ(Doc().ImageHeight(), 90);
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
  EXPECT_EQ(View()->width(), 120);
}

TEST_F(StudioSafetyTest, ASavedCaricatureWithLayersCanStillBeAnimated) {
  WriteFileBytes(Dir_.Path("art.bmp"), EncodeBmp32(TBitmap32(20, 10, 0xFF00C000)));
  Run("open " + Dir_.Path("face.bmp") + "\nzoom original\ntool warp\nsize 31\nstroke 30,30 hold 3\n"
      "clipart " + Dir_.Path("art.bmp") + "\nsaveas " + Dir_.Path("saved.png") + "\n");
  ASSERT_TRUE(Doc().MeshTransformation.VectorMap().IsIdentity());  // the save baked the warp
  Run("animate 3 10 " + Dir_.Path("anim.gif") + " forward\n");
  EXPECT_TRUE(FileExists(Dir_.Path("anim.gif")));
  // Another picture opened has nothing to animate.
  Run("open " + Dir_.Path("face.bmp") + "\n");
  EXPECT_NE(Fails("animate 3 10 " + Dir_.Path("again.gif") + "\n").find("Nothing to animate"), std::string::npos);
}

TEST_F(StudioSafetyTest, ProtectedClipartIsAskedAboutTransparencyAsItsInnerPictureIs) {
  TBitmap32 art(20, 10, 0x00FF0000);  // transparent: written with the key colour
  art.FillRect(TRect{4, 2, 16, 8}, 0xFF00C000);
  WriteFileBytes(Dir_.Path("art.mfk"), test::EncipherProtected(".png", EncodePng(art, TColor(0x0000FF))));
  Run("open " + Dir_.Path("face.bmp") + "\nclipart " + Dir_.Path("art.mfk") + "\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(AlphaOf(Doc().Layers()[0]->Bitmap.Pixel(0, 0)), 0);
}

TEST_F(StudioSafetyTest, AnUnreadableBackgroundIsReportedAndTheChromaDialogStaysUsable) {
  WriteFileBytes(Dir_.Path("bad.png"), TBytes{0x89, 'P', 'N', 'G', 1, 2, 3});
  TfrmChromaKey form(Studio_.get());
  form.rbtnBackground->click();
  Dialogs_.AnswerFile(Dir_.Path("bad.png"));
  EXPECT_NO_THROW(form.btnBrowse->click());
  ASSERT_EQ(Dialogs_.Messages().size(), 1u);
  EXPECT_TRUE(form.BackgroundPicture().value_or(TBitmap32(1, 1)).Empty());
  // The same dialog takes a good picture afterwards.
  Dialogs_.ClearMessages();
  Dialogs_.AnswerFile(Dir_.Path("face.bmp"));
  form.btnBrowse->click();
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_EQ(form.BackgroundPicture().value_or(TBitmap32()).Width(), 120);
}

// Script lines that used to run the stack out, overflow the brushes' arithmetic or do nothing
// and report success: each is a line error now.
TEST_F(StudioSafetyTest, HostileOrPointlessBatchLinesFailWithALineError) {
  std::string deep;
  for (int i = 0; i < 50000; ++i) deep += "try ";
  const struct {
    std::string Script, Said;
  } cases[] = {
      {deep + "history", "\"try\" is nested more than 8 deep"},
      {"tool warp\nstroke 100,100 2147483647,100", "X must be"},
      {"tool eraser\nstroke 10,-2147483648", "Y must be"},
      // saveas ends the tool, as every save does.
      {"tool warp\nsaveas " + Dir_.Path("grin.png") + "\nstroke 30,30 50,40", "No brush or tool is chosen"},
  };
  for (const auto& c : cases) {
    Run("open " + Dir_.Path("face.bmp"));
    const TBitmap32 view = Doc().ViewBitmap;
    const std::string said = Fails(c.Script);
    EXPECT_NE(said.find(c.Said), std::string::npos) << said.substr(0, 300);
    EXPECT_EQ(Doc().ViewBitmap, view) << c.Script.substr(0, 40);
  }
  // A few tries in a row are still one.
  EXPECT_EQ(RunTrying("try try try open " + Dir_.Path("missing.png")).find("line"), std::string::npos);
}

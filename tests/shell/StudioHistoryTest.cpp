// SPDX-License-Identifier: GPL-3.0-or-later
// The editing history through the window: commands and strokes become steps, and the steps
// lead back and forth to exactly what the user saw.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "shell/view/ImageView.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace gs;

namespace {

class StudioHistoryTest : public test::TStudioFixture {
protected:
  StudioHistoryTest() {
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(120, 90)));
    WriteFileBytes(Dir_.Path("art.bmp"), EncodeBmp32(TBitmap32(20, 10, 0xFF00C000)));
    Run("open " + Dir_.Path("face.bmp") + "\nzoom original\n");
  }
  std::string History() {
    std::istringstream in("history\n");
    std::ostringstream err, out;
    EXPECT_EQ(RunBatch(*Studio_, Dialogs_, in, err, out), 0) << err.str();
    return out.str();
  }
  struct TShown {
    TBitmap32 View;
    size_t Layers;
    int Width;
  };
  TShown Shown() { return TShown{Doc().ViewBitmap, Doc().Layers().size(), Doc().ImageWidth()}; }
};

}  // namespace

TEST_F(StudioHistoryTest, StepsLeadBackAndForthThroughStrokesLayersFiltersAndUndo) {
  Run("loadfilters " + std::string(GS_BIN_DIR) + "/plugins\n");
  std::vector<TShown> shown{Shown()};
  const std::vector<std::string> lines = {"tool warp\nsize 31\nstroke 30,30 40,30 hold 2",
                                         "clipart " + Dir_.Path("art.bmp"), "stroke 60,45 80,50",
                                         "filter Invert", "rotate cw", "flip horizontal", "undo"};
  for (const std::string& line : lines) {
    Run(line + "\n");
    shown.push_back(Shown());
  }
  EXPECT_EQ(History(), "  Open\n  Warp stroke\n  Clipart\n  Layer resized\n  Filter: Invert\n  Rotate 90 CW\n  Flip Horizontal\n* Undo\n");
  for (size_t k = shown.size() - 1; k-- > 0;) {
    Run("stepback\n");
    EXPECT_EQ(Doc().ViewBitmap, shown[k].View) << k;
    EXPECT_EQ(Doc().Layers().size(), shown[k].Layers) << k;
    EXPECT_EQ(View()->width(), shown[k].Width) << k;
  }
  EXPECT_FALSE(Command("StepBackward1")->isEnabled());
  Run("stepforward 7\n");
  EXPECT_EQ(Doc().ViewBitmap, shown.back().View);
  // A new change after stepping back drops what lay ahead; opening starts afresh.
  Run("stepback 3\ntool twirl\nstroke 60,45 hold 2\n");
  EXPECT_EQ(Doc().History.Count(), 5);
  EXPECT_FALSE(Command("StepForward1")->isEnabled());
  // Reconstruct and Reset Warp are steps like the others.
  const TBitmap32 before = Doc().ViewBitmap;
  Run("tool reconstruct\neffect 100\nstroke 60,45 hold 3\nresetwarp\n");
  EXPECT_NE(History().find("  Reconstruct stroke\n* Reset Warp\n"), std::string::npos);
  Run("stepback 2\n");
  EXPECT_EQ(Doc().ViewBitmap, before);
  Run("open " + Dir_.Path("face.bmp") + "\n");
  EXPECT_EQ(History(), "* Open\n");
}

TEST_F(StudioHistoryTest, AStepTakenWhileTheButtonIsHeldKeepsWhatTheStrokeHadDone) {
  const TBitmap32 photo = Doc().ViewBitmap;
  Run("tool warp\nsize 31\npress left 30,30\nmove 40,30\ntick 2\n");
  const TBitmap32 partial = Doc().ViewBitmap;
  ASSERT_NE(partial, photo);
  Run("stepback\nmove 50,30\ntick 2\nrelease\n");
  EXPECT_EQ(Doc().ViewBitmap, photo);
  EXPECT_EQ(History(), "* Open\n  Warp stroke\n");
  Run("stepforward\n");
  EXPECT_EQ(Doc().ViewBitmap, partial);
}

// Stepping through the history leaves nothing behind that belongs to the state left: not the
// undo snapshot, not layers a pixel tool hid, not a picture edge a filter changed, not the
// caricature kept for animating.
TEST_F(StudioHistoryTest, TheStateReachedCarriesNothingOfTheStateLeft) {
  const TBitmap32 photo = Doc().ViewBitmap;
  Run("imagesize width=60 constrain=off\ntool warp\nsize 31\nstroke 30,30 40,30 hold 2\nstepback 2\nundo\n");
  EXPECT_EQ(Doc().ViewBitmap, photo);
  EXPECT_EQ(History(), "* Open\n  Image Size\n  Warp stroke\n");

  Run("stepforward 2\nclipart " + Dir_.Path("art.bmp") + "\ntool eraser\nrotate cw\nstepback\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_TRUE(Doc().Layers()[0]->Visible);

  Run("loadfilters " + std::string(GS_BIN_DIR) + "/plugins\nfilter Invert\n");
  const TBitmap32 filtered = Doc().ViewBitmap;
  Run("tool warp\nstroke 2,2 6,6\nstepback\n");
  EXPECT_EQ(Doc().ViewBitmap, filtered);

  Run("stroke 40,40 50,40\nsaveas " + Dir_.Path("saved.png") + "\n");
  ASSERT_TRUE(Doc().SceneBeforeSave.has_value());
  Run("stepback\n");
  EXPECT_FALSE(Doc().SceneBeforeSave.has_value());
}

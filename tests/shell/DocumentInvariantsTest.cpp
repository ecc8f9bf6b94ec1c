// SPDX-License-Identifier: GPL-3.0-or-later
// What the document keeps true whatever the window does to it: the selected layer, the frame
// and what the commands target agree.

#include "LayerFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace gs;

namespace {

namespace fs = std::filesystem;

class DocumentInvariantsTest : public test::TLayerFixture {
protected:
  TRotatableLayer* Selected() { return Doc().Selection().Selected(); }
};

}  // namespace

TEST_F(DocumentInvariantsTest, DeletingTheLayerALayerBrushWorksOnLeavesNothingSelected) {
  Run("clipart " + Dir_.Path("art.png") + "\ntool warp\n");
  ASSERT_EQ(Doc().ToolMode, TToolMode::LayerWarp);
  Run("tool deletelayer\n");
  EXPECT_TRUE(Doc().Layers().empty());
  EXPECT_EQ(Selected(), nullptr);
  // The frame held on to the deleted layer, and Undo read it to follow it.
  EXPECT_EQ(Doc().Frame.Child(), nullptr);
  EXPECT_FALSE(Doc().Frame.Visible());
  Run("undo\n");
  EXPECT_TRUE(Doc().Layers().empty());
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
}

TEST_F(DocumentInvariantsTest, AFilterAfterAClickBesideTheLayerGoesWhereTheFrameShows) {
  fs::create_directory(Dir_.Path("filters"));
  fs::copy_file(fs::path(GS_TEST_MODULES_DIR) / "Suites.8bf", Dir_.Path("filters/Suites.8bf"));
  Run("loadfilters " + Dir_.Path("filters") + "\n");
  // The tools that may change the selection let the click deselect; a layer brush (a brush
  // chosen with a layer selected) keeps its layer.
  const struct {
    const char* Tool;
    bool KeepsLayer;
  } cases[] = {{"selection", false}, {"rotatelayer", false}, {"putty", true}, {"warp", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Tool);
    Run("open " + Dir_.Path("photo.bmp") + "\nclipart " + Dir_.Path("art.png") + "\ntool " + c.Tool + "\n");
    Run("stroke 10,10\n");
    EXPECT_EQ(Selected() != nullptr, c.KeepsLayer);
    EXPECT_EQ(Doc().Frame.Visible(), c.KeepsLayer);
    const TBitmap32 layer = Doc().Layers()[0]->Bitmap;
    const TBitmap32 picture = Doc().ViewBitmap;
    Run("filter Suites\n");
    EXPECT_EQ(Doc().Layers()[0]->Bitmap != layer, c.KeepsLayer);
    EXPECT_EQ(Doc().ViewBitmap != picture, !c.KeepsLayer);
  }
}

TEST_F(DocumentInvariantsTest, ACommandThatFailsHalfWayLeavesThePictureTheLayersAndTheHistoryAsTheyWere) {
  Run("clipart " + Dir_.Path("art.png") + "\n");
  const int steps = Doc().History.Count();
  // Save As merges the layers into the picture before it finds it cannot write.
  Fails("saveas " + Dir_.Path("missing/out.png") + "\n");
  EXPECT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(Doc().LayerRecords().size(), 1u);
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
  EXPECT_EQ(Doc().History.Count(), steps);
}

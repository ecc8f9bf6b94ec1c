// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/Studio.h"

#include "LayerFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "platform/ScriptedDialogs.h"
#include "shell/batch/Batch.h"
#include "shell/view/BrushLayer.h"
#include "shell/view/ImageView.h"
#include "document/Layers.h"
#include "document/TestFiles.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace gs;

namespace {

class StudioLayersTest : public test::TLayerFixture {
protected:
  TRotatableLayer& Layer(int i) { return *Doc().Layers()[size_t(i)]; }
  double CenterX(int i) { return (Layer(i).Location.Left + Layer(i).Location.Right) / 2; }
  double CenterY(int i) { return (Layer(i).Location.Top + Layer(i).Location.Bottom) / 2; }

};

}  // namespace

TEST_F(StudioLayersTest, ClipartIsKeyedOutOnlyWhenTheUserSaysSo) {
  Run("clipart " + Dir_.Path("art.png") + "\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(AlphaOf(Layer(0).Bitmap.Pixel(0, 0)), 0);
  EXPECT_EQ(Layer(0).Bitmap.Pixel(10, 10), 0xFF00C000u);
  EXPECT_EQ(Doc().LayerRecords().size(), 1u);
  EXPECT_EQ(Doc().Selection().Index(), 0);
  EXPECT_EQ(Doc().Selection().Selected(), &Layer(0));
  // New layers sit at 1:1, centred in what the user sees (the whole small photo here).
  EXPECT_DOUBLE_EQ(Layer(0).Location.Width(), 40);
  EXPECT_NEAR(CenterX(0), 100, 1);
  EXPECT_NEAR(CenterY(0), 80, 1);
  Run("clipart " + Dir_.Path("art.png") + " opaque\n");
  EXPECT_EQ(Layer(1).Bitmap.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(Doc().Selection().Index(), 1);
}

TEST_F(StudioLayersTest, ClipartDialogsStartInTheirFolders) {
  Run("clipart " + Dir_.Path("art.png") + "\nbubble " + Dir_.Path("art.png") + "\n");
  const auto& requests = Dialogs_.FileRequests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_NE(requests[requests.size() - 2].InitialDir.find("/Clipart/"), std::string::npos);
  EXPECT_NE(requests.back().InitialDir.find("/Clipart/Talk Bubbles/"), std::string::npos);
  std::filesystem::copy_file(Dir_.Path("photo.bmp"), Dir_.Path("odd.tiff"));
  EXPECT_NE(Fails("clipart " + Dir_.Path("odd.tiff") + "\n").find("Unsupported image format"),
            std::string::npos);
  EXPECT_EQ(Doc().Layers().size(), 2u);

  // Each folder is taken from the first data folder that has it, the start folder coming last.
  std::filesystem::create_directories(Dir_.Path("bin/Clipart"));
  std::filesystem::create_directories(Dir_.Path("share/Clipart/Talk Bubbles"));
  std::filesystem::create_directories(Dir_.Path("start/Clipart/Talk Bubbles"));
  Run("clipart " + Dir_.Path("art.png") + "\nbubble " + Dir_.Path("art.png") + "\n");
  EXPECT_EQ(requests[requests.size() - 2].InitialDir, Dir_.Path("bin/Clipart") + "/");
  EXPECT_EQ(requests.back().InitialDir, Dir_.Path("share/Clipart/Talk Bubbles") + "/*");
}

TEST_F(StudioLayersTest, DraggingMovesTheLayerAndCtrlResizesItAboutItsCentre) {
  Run("clipart " + Dir_.Path("art.png") + "\nstroke 100,80 130,100\n");
  EXPECT_NEAR(CenterX(0), 130, 1);
  EXPECT_NEAR(CenterY(0), 100, 1);
  const TFloatRect before = Layer(0).Location;
  // The right-hand handle, 10 units outwards, with Ctrl.
  const int rx = int(before.Right), cy = int((before.Top + before.Bottom) / 2);
  Run("stroke ctrl " + std::to_string(rx) + "," + std::to_string(cy) + " " +
      std::to_string(rx + 10) + "," + std::to_string(cy) + "\n");
  EXPECT_NEAR(Layer(0).Location.Width(), before.Width() + 20, 1.5);
  EXPECT_NEAR(CenterX(0), 130, 1);
  // The picture below was not painted on.
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
}

TEST_F(StudioLayersTest, SavingMergesTheLayersAndLaterStrokesKeepThem) {
  Run("clipart " + Dir_.Path("art.png") + "\nsaveas " + Dir_.Path("out.bmp") + "\n");
  EXPECT_TRUE(Doc().Layers().empty());
  EXPECT_TRUE(Doc().LayerRecords().empty());
  const TDecodedPicture saved = DecodeBmp(ReadFileBytes(Dir_.Path("out.bmp")));
  EXPECT_EQ(saved.Bitmap.Pixel(100, 80), 0xFF00C000u);
  EXPECT_EQ(saved.Bitmap.Pixel(5, 5), 0xFF3060A0u);
  // A warp over the merged clipart works on the merged picture, not on the photo without it.
  Run("tool warp\nsize 21\nstroke 30,30 hold 2\n");
  EXPECT_EQ(Doc().ViewBitmap.Pixel(100, 80), 0xFF00C000u);
}

TEST_F(StudioLayersTest, LayerBrushesWarpOnlyTheSelectedLayer) {
  Run("clipart " + Dir_.Path("art.png") + " opaque\n");
  // Stripes make any displacement visible.
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 20; ++y) Layer(0).Bitmap.SetPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
  RenewLayerRecord(Doc(), 0);
  const TBitmap32 before = Layer(0).Bitmap;
  Run("tool warp\n");
  EXPECT_EQ(Doc().ToolMode, TToolMode::LayerWarp);
  Run("size 15\nstroke 100,80 hold 3\n");
  EXPECT_NE(Layer(0).Bitmap, before);
  EXPECT_FALSE(Doc().LayerRecords()[0].Warp.VectorMap().IsIdentity());
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap().IsIdentity());
  Run("undo\n");  // the layer's picture comes back too
  EXPECT_EQ(Layer(0).Bitmap, before);
}

TEST_F(StudioLayersTest, RotateToolTurnsByFiveDegreesTowardsTheClickedSide) {
  Run("clipart " + Dir_.Path("art.png") + "\ntool rotatelayer\n");
  EXPECT_EQ(Doc().ToolMode, TToolMode::ArrangeLayers);
  Run("stroke 115,80\n");  // right half
  EXPECT_FLOAT_EQ(Layer(0).Angle, 5.0f);
  Run("stroke 85,80\n");
  EXPECT_FLOAT_EQ(Layer(0).Angle, 0.0f);
  EXPECT_NEAR(CenterX(0), 100, 1);
  EXPECT_EQ(Doc().LayerRecords()[0].Picture, Layer(0).Bitmap);
}

TEST_F(StudioLayersTest, DeleteRemovesTheSelectedLayerAndItsRecord) {
  Run("clipart " + Dir_.Path("art.png") + "\nclipart " + Dir_.Path("art.png") + " opaque\n");
  Run("tool deletelayer\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(Doc().LayerRecords().size(), 1u);
  EXPECT_EQ(AlphaOf(Layer(0).Bitmap.Pixel(0, 0)), 0);  // the keyed one stays
  EXPECT_EQ(Doc().Selection().Selected(), nullptr);
  Run("tool deletelayer\n");  // nothing selected: only ends the tool
  EXPECT_EQ(Doc().Layers().size(), 1u);
}

TEST_F(StudioLayersTest, TextBecomesALayerAsTallAsTheFontPlusFive) {
  Run("text 20 | Hi there\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  QFont font(QString::fromStdString(Studio_->TextFont().Family), 20);
  EXPECT_EQ(Layer(0).Bitmap.Height(), QFontMetrics(font).height() + 5);
  EXPECT_EQ(Layer(0).Bitmap.Width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("Hi there")) + 15);
  int inked = 0;
  for (int y = 0; y < Layer(0).Bitmap.Height(); ++y)
    for (int x = 0; x < Layer(0).Bitmap.Width(); ++x) inked += AlphaOf(Layer(0).Bitmap.Pixel(x, y)) > 0;
  EXPECT_GT(inked, 20);
  Run("text 20 | \n");  // empty text adds nothing
  EXPECT_EQ(Doc().Layers().size(), 1u);
}

TEST_F(StudioLayersTest, OpenRemovesLayersAndRestoreKeepsThem) {
  Run("clipart " + Dir_.Path("art.png") + "\nrestore\n");
  EXPECT_EQ(Doc().Layers().size(), 1u);
  Run("open " + Dir_.Path("photo.bmp") + "\n");
  EXPECT_TRUE(Doc().Layers().empty());
  EXPECT_TRUE(Doc().LayerRecords().empty());
}

TEST_F(StudioLayersTest, FiltersRunOnTheSelectedLayerOrElseOnThePicture) {
  Run("loadfilters " + std::string(GS_BIN_DIR) + "/plugins\n");
  Run("clipart " + Dir_.Path("art.png") + "\nfilter Invert\n");
  EXPECT_EQ(Layer(0).Bitmap.Pixel(10, 10), 0xFFFF3FFFu);  // green 00C000 inverted
  EXPECT_EQ(Doc().LayerRecords()[0].Picture, Layer(0).Bitmap);
  EXPECT_EQ(Doc().ViewBitmap, Photo_);
  Run("stroke 5,5\nlastfilter\n");  // a click beside the layer selects none
  EXPECT_EQ(Doc().ViewBitmap.Pixel(50, 50), 0xFFCF9F5Fu);
  EXPECT_EQ(Layer(0).Bitmap.Pixel(10, 10), 0xFFFF3FFFu);
}

TEST_F(StudioLayersTest, EveryShippedFilterRunsFromTheBatchMode) {
  const TBitmap32 portrait = [] {
    TBitmap32 b(64, 48);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) b.SetPixel(x, y, Color32(uint8_t(x * 4), uint8_t(y * 5), 90));
    return b;
  }();
  WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(portrait));
  Run("loadfilters " + std::string(GS_BIN_DIR) + "/plugins\n");
  for (const char* filter : {"Invert", "Grayscale", "Gaussian Blur", "Emboss", "Sepia",
                             "Solarize", "Posterize... | Levels=3"}) {
    SCOPED_TRACE(filter);
    Run("open " + Dir_.Path("face.bmp") + "\nfilter " + filter + "\n");
    EXPECT_NE(Doc().ViewBitmap, portrait);
    EXPECT_EQ(Doc().ViewBitmap.Width(), 64);
    Run("lastfilter\n");  // repeats with the same parameters, no dialog asked
    EXPECT_FALSE(Dialogs_.HasPendingAnswers());
  }
}

TEST_F(StudioLayersTest, ChromaKeyPutsTheSubjectOnANewBackgroundAsALayer) {
  TBitmap32 screen(60, 40, 0xFF00FF00);
  screen.FillRect(TRect{20, 10, 40, 30}, 0xFFC08040);  // the subject before a green screen
  WriteFileBytes(Dir_.Path("screen.bmp"), EncodeBmp32(screen));
  WriteFileBytes(Dir_.Path("sky.bmp"), EncodeBmp32(TBitmap32(80, 50, 0xFF2040FF)));
  Run("open " + Dir_.Path("screen.bmp") + "\nzoom original\nchromakey 2,2 20 " + Dir_.Path("sky.bmp") + "\n");
  EXPECT_EQ(Doc().ToolMode, TToolMode::None);
  EXPECT_EQ(Doc().ImageWidth(), 80);
  EXPECT_EQ(Doc().ViewBitmap.Pixel(5, 5), 0xFF2040FFu);
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(AlphaOf(Layer(0).Bitmap.Pixel(2, 2)), 0);
  EXPECT_EQ(Layer(0).Bitmap.Pixel(30, 20), 0xFFC08040u);

  Run("open " + Dir_.Path("screen.bmp") + "\nchromakey 2,2 20\n");  // transparency only
  EXPECT_TRUE(Doc().Layers().empty());
  EXPECT_EQ(AlphaOf(Doc().ViewBitmap.Pixel(2, 2)), 0);
  EXPECT_EQ(Doc().ViewBitmap.Pixel(30, 20), 0xFFC08040u);

  // A pick point that holds the tolerance's digits is still no background path.
  Run("open " + Dir_.Path("screen.bmp") + "\nchromakey 2,20 20\n");
  EXPECT_TRUE(Doc().Layers().empty());
  EXPECT_EQ(AlphaOf(Doc().ViewBitmap.Pixel(2, 2)), 0);
}

TEST_F(StudioLayersTest, TheFrameDragsTheSelectedLayerWhereAnotherLiesOverIt) {
  // Two 40 x 20 layers: the first centred at (100, 80), the second over its right part.
  Run("clipart " + Dir_.Path("art.png") + " opaque\nstroke 100,80 100,80\n");
  Run("clipart " + Dir_.Path("art.png") + " opaque\nstroke 100,80 120,80\n");
  const TFloatRect top = Layer(1).Location;
  Run("stroke 85,80\n");  // only the lower layer is there: it is selected
  ASSERT_EQ(Doc().Selection().Selected(), &Layer(0));
  Run("stroke 110,80 110,100\n");  // inside its frame, under the upper layer
  EXPECT_NEAR(CenterY(0), 100, 1);
  EXPECT_EQ(Layer(1).Location, top);
}

TEST_F(StudioLayersTest, ALayerBrushGoesToTheLayerPressedAndTheOutlineFollowsADraggedLayer) {
  Run("clipart " + Dir_.Path("art.png") + " opaque\nstroke 100,80 40,40\n");
  Run("clipart " + Dir_.Path("art.png") + " opaque\n");  // selected, at (100, 80)
  for (int i = 0; i < 2; ++i)
    for (int x = 0; x < 40; ++x)
      for (int y = 0; y < 20; ++y) Layer(i).Bitmap.SetPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
  RenewLayerRecord(Doc(), 0);
  RenewLayerRecord(Doc(), 1);
  const TBitmap32 before = Layer(0).Bitmap;
  Run("tool warp\nsize 9\n");
  ASSERT_EQ(Doc().ToolMode, TToolMode::LayerWarp);
  Run("stroke 40,40 hold 3\n");  // on the other layer
  EXPECT_EQ(Doc().Selection().Selected(), &Layer(0));
  EXPECT_NE(Layer(0).Bitmap, before);

  // With nothing selected, Putty drags the layer pressed; the outline goes along with the pointer.
  Run("tool selection\ntool putty\nstroke 100,80 130,100\n");
  EXPECT_NEAR(CenterX(1), 130, 1);
  EXPECT_EQ(Studio_->BrushOutline().Center(), QPoint(130, 100));
}

TEST_F(StudioLayersTest, TheCursorOverTheFrameShowsWhatADragWillDo) {
  Run("clipart " + Dir_.Path("art.png") + "\n");
  const TFloatRect l = Layer(0).Location;
  const auto cursorAt = [&](double x, double y) {
    Studio_->PointerMove(Qt::NoButton, Qt::NoModifier, QPoint(int(x), int(y)));
    return View()->cursor().shape();
  };
  const double cx = (l.Left + l.Right) / 2, cy = (l.Top + l.Bottom) / 2;
  EXPECT_EQ(cursorAt(l.Right, cy), Qt::SizeHorCursor);
  EXPECT_EQ(cursorAt(cx, l.Top), Qt::SizeVerCursor);
  EXPECT_EQ(cursorAt(l.Left, l.Top), Qt::SizeFDiagCursor);
  EXPECT_EQ(cursorAt(l.Right, l.Bottom), Qt::SizeFDiagCursor);
  EXPECT_EQ(cursorAt(l.Left, l.Bottom), Qt::SizeBDiagCursor);
  EXPECT_EQ(cursorAt(cx, cy), Qt::SizeAllCursor);
  EXPECT_EQ(cursorAt(5, 5), Qt::ArrowCursor);
}

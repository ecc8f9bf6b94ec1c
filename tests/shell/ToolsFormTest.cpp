// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/ToolsForm.h"

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "platform/ScriptedDialogs.h"
#include "shell/batch/Batch.h"
#include "shell/view/BrushLayer.h"
#include "shell/view/ImageView.h"
#include "shell/window/Studio.h"
#include "document/TestFiles.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <sstream>

using namespace gs;

namespace {

class ToolsFormTest : public test::TStudioFixture {
protected:
  ToolsFormTest() {
    Palette_ = Palette();
    Original_ = test::Stripes(120, 90);
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(Original_));
    Run("open " + Dir_.Path("face.bmp") + "\nzoom original\n");
  }
  void SetZoom(int zoom) {
    Studio_->SetZoom(zoom);
  }
  // A press, drag steps and release on the mirror, in view pixels.
  void Drag(std::initializer_list<QPoint> points) {
    bool first = true;
    for (const QPoint& p : points) {
      if (first) Studio_->PointerDown(Qt::LeftButton, Qt::NoModifier, QPoint(p.x(), p.y()));
      else Studio_->PointerMove(Qt::LeftButton, Qt::NoModifier, QPoint(p.x(), p.y()));
      first = false;
    }
    Studio_->PointerUp();
  }
  TToolsForm* Palette_ = nullptr;
  TBitmap32 Original_;
};

}  // namespace

TEST_F(ToolsFormTest, PaletteHasEveryButtonAtItsPlaceWithItsHint) {
  EXPECT_EQ(Palette_->windowTitle(), QStringLiteral("Tools"));
  EXPECT_EQ(Palette_->pos(), QPoint(4, 123));
  EXPECT_TRUE(Palette_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(Palette_->windowType(), Qt::Tool);
  EXPECT_FALSE(Palette_->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(Palette_->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  struct TExpected {
    QToolButton* Button;
    int X, Y;
    const char* Hint;
  };
  const TExpected buttons[] = {
      {Palette_->Button("SpeedButton7"), 0, 0, "Selection Tool"},
      {Palette_->Button("SpeedButton8"), 32, 0, "Delete"},
      {Palette_->Button("SpeedButton4"), 0, 32, "Zoom In"},
      {Palette_->Button("SpeedButton6"), 32, 32, "Zoom Out"},
      {Palette_->Button("SpeedButton3"), 0, 64, "Crop"},
      {Palette_->Button("SpeedButton5"), 32, 64, "View Original Size"},
      {Palette_->Button("SpeedButton10"), 0, 96, "Eraser Tool"},
      {Palette_->Button("SpeedButton11"), 32, 96, "Paintbrush Tool"},
      {Palette_->Button("SpeedButton9"), 0, 128, "Twirl Grimacer Effect"},
      {Palette_->Button("SpeedButton12"), 32, 128, "Eyedropper Tool"},
      {Palette_->Button("SpeedButton1"), 0, 160, "Putty Grimacer Effect"},
      {Palette_->Button("SpeedButton2"), 32, 160, "Warp Grimacer Effect"},
      {Palette_->Button("SpeedButton13"), 0, 192, "Text Tool"},
      {Palette_->Button("SpeedButton14"), 32, 192, "Insert Clipart"},
      {Palette_->Button("sbtnChromakey"), 0, 224, "Chromakey Tool"},
      {Palette_->Button("sbtnChangeBackground"), 32, 224, "Change Background"},
      {Palette_->Button("sbtnRotateLayer"), 0, 256, "Rotate Layer"},
      {Palette_->Button("SpeedButton15"), 32, 256, "Comic Filter"},
      {Palette_->Button("sbtnAnimateCaricature"), 32, 256, "Animate Caricature"},
      {Palette_->Button("sbtnReconstruct"), 0, 288, "Reconstruct Grimacer Effect"},
  };
  for (const TExpected& e : buttons) {
    EXPECT_EQ(e.Button->geometry(), QRect(e.X, e.Y, 30, 30)) << e.Hint;
    EXPECT_EQ(e.Button->toolTip(), QString::fromLatin1(e.Hint));
    EXPECT_FALSE(e.Button->icon().isNull()) << e.Hint;
  }
  EXPECT_FALSE(Palette_->Button("SpeedButton15")->isVisibleTo(Palette_));
  EXPECT_EQ(Palette_->Button("SpeedButton15")->text(), QStringLiteral("..."));
  EXPECT_TRUE(Palette_->Button("SpeedButton3")->isVisibleTo(Palette_));
  // A row of its own for Reconstruct moves these down one row.
  EXPECT_EQ(Palette_->RxSpeedButton1->geometry(), QRect(0, 320, 62, 25));
  EXPECT_EQ(Palette_->RxSpeedButton1->toolTip(), QStringLiteral("Brush Size Selector"));
  EXPECT_EQ(Palette_->ColorSelector1->geometry(), QRect(0, 348, 62, 21));
  EXPECT_EQ(Palette_->ColorSelector1->toolTip(), QStringLiteral("Color Selector"));
  EXPECT_EQ(Palette_->ColorSelector1->Color(), 0u);
  EXPECT_EQ(Palette_->size(), QSize(62, 369));
}

TEST_F(ToolsFormTest, BrushSizeMenuSetsTheSizeAndEntersTheEraser) {
  const QList<QAction*> items = Palette_->BrushSizeMenu->actions();
  ASSERT_EQ(items.size(), 7);
  for (QAction* item : items) {
    EXPECT_TRUE(item->text().trimmed().isEmpty());
    EXPECT_FALSE(item->icon().isNull());
  }
  EXPECT_EQ(Palette_->RxSpeedButton1->menu(), Palette_->BrushSizeMenu);

  Palette_->N7->trigger();
  EXPECT_EQ(Doc().EraserSize, 10);
  EXPECT_EQ(Doc().ToolMode, TToolMode::Eraser);
  EXPECT_TRUE(Mirror()->isVisible());
  EXPECT_EQ(Mirror()->size(), View()->size());

  // The paintbrush keeps painting with the new size.
  Palette_->Button("SpeedButton11")->click();
  EXPECT_EQ(Doc().ToolMode, TToolMode::ColorPaint);
  Palette_->N4->trigger();
  EXPECT_EQ(Doc().EraserSize, 1);
  EXPECT_EQ(Doc().ToolMode, TToolMode::ColorPaint);
  Drag({{30, 30}});
  Trigger("SelectionTool1");
  EXPECT_EQ(AlphaOf(Doc().ViewBitmap.Pixel(31, 31)), 254);
  EXPECT_EQ(Doc().ViewBitmap.Pixel(32, 32), Original_.Pixel(32, 32));
  Palette_->N11->trigger();
  EXPECT_EQ(Doc().EraserSize, 26);
  EXPECT_EQ(Doc().ToolMode, TToolMode::Eraser);
}

TEST_F(ToolsFormTest, ErasingAtHalfZoomIsTransparentAfterTheToolAndInASavedPng) {
  SetZoom(50);
  Palette_->N7->trigger();  // size 10
  Drag({{10, 10}});
  // While the tool is active the mirror shows the erased square as the checkerboard.
  EXPECT_EQ(RgbOf(Doc().MirrorBitmap.Pixel(20, 20)), 0xB0B0B0u);
  EXPECT_EQ(RgbOf(Doc().MirrorBitmap.Pixel(24, 20)), 0xFFFFFFu);
  EXPECT_EQ(Doc().MirrorBitmap.Pixel(41, 20), Original_.Pixel(41, 20));
  Palette_->Button("SpeedButton7")->click();
  EXPECT_FALSE(Mirror()->isVisible());
  for (int y = 18; y < 43; ++y)
    for (int x = 18; x < 43; ++x) {
      const bool erased = x >= 20 && x <= 40 && y >= 20 && y <= 40;
      ASSERT_EQ(AlphaOf(Doc().ViewBitmap.Pixel(x, y)) == 0, erased) << x << "," << y;
    }

  Dialogs_.AnswerFile(Dir_.Path("erased.png"));
  Trigger("saveas1");
  const TDecodedPicture saved = DecodePng(ReadFileBytes(Dir_.Path("erased.png")));
  EXPECT_EQ(AlphaOf(saved.Bitmap.Pixel(20, 20)), 0);
  EXPECT_EQ(AlphaOf(saved.Bitmap.Pixel(40, 40)), 0);
  EXPECT_EQ(saved.Bitmap.Pixel(41, 41), Original_.Pixel(41, 41));
  EXPECT_EQ(saved.Bitmap.Pixel(19, 30), Original_.Pixel(19, 30));
}

TEST_F(ToolsFormTest, PaintFollowsTheDragInTheChosenColourWithAlpha254) {
  Dialogs_.AnswerColor(0x000000FF);  // red
  Palette_->ColorSelector1->click();
  EXPECT_EQ(Doc().PaintColor, 0x000000FFu);
  EXPECT_EQ(Palette_->ColorSelector1->Color(), 0x000000FFu);
  Palette_->Button("SpeedButton11")->click();
  Palette_->N4->trigger();  // size 1: a 2 x 2 square per step
  Drag({{5, 5}, {30, 5}});
  Studio_->PointerMove(Qt::NoButton, Qt::NoModifier, QPoint(60, 5));  // after the release: no stroke
  const TBitmap32 painted = Doc().ViewBitmap;
  Palette_->Button("SpeedButton7")->click();
  EXPECT_EQ(Doc().ViewBitmap, painted);
  EXPECT_EQ(Doc().ViewBitmap.Pixel(5, 5), Color32(255, 0, 0, 254));
  EXPECT_EQ(Doc().ViewBitmap.Pixel(31, 6), Color32(255, 0, 0, 254));
  EXPECT_EQ(Doc().ViewBitmap.Pixel(60, 5), Original_.Pixel(60, 5));
  EXPECT_EQ(Doc().ViewBitmap.Pixel(17, 5), Original_.Pixel(17, 5));  // only where the pointer was
  // A cancelled colour dialog keeps the colour.
  Dialogs_.AnswerColor(std::nullopt);
  Palette_->ColorSelector1->click();
  EXPECT_EQ(Doc().PaintColor, 0x000000FFu);
}

TEST_F(ToolsFormTest, EyedropperPicksTheColourAndSwitchesToThePaintbrush) {
  Palette_->Button("SpeedButton12")->click();
  EXPECT_EQ(Doc().ToolMode, TToolMode::Picker);
  EXPECT_TRUE(Mirror()->isVisible());
  Studio_->PointerDown(Qt::LeftButton, Qt::NoModifier, QPoint(33, 44));
  // Dragging before the release belongs to the pick, not to a paint stroke.
  Studio_->PointerMove(Qt::LeftButton, Qt::NoModifier, QPoint(50, 44));
  Studio_->PointerUp();
  const TColor picked = Color32ToWinColor(Original_.Pixel(33, 44));
  EXPECT_EQ(Doc().PaintColor, picked);
  EXPECT_EQ(Palette_->ColorSelector1->Color(), picked);
  EXPECT_EQ(Doc().ToolMode, TToolMode::ColorPaint);
  EXPECT_EQ(Doc().ViewBitmap, Original_);
  Drag({{70, 70}});
  EXPECT_EQ(Doc().ViewBitmap.Pixel(70, 70), WinColorToColor32(picked, 254));
}

TEST_F(ToolsFormTest, CropGivesTheSameResultInBothDragDirectionsAndUndoes) {
  SetZoom(50);
  Palette_->Button("SpeedButton3")->click();
  EXPECT_EQ(Doc().ToolMode, TToolMode::Crop);
  EXPECT_EQ(Mirror()->cursor().shape(), Qt::CrossCursor);
  Drag({{40, 30}, {25, 20}, {10, 5}});
  EXPECT_EQ(Doc().ToolMode, TToolMode::None);
  EXPECT_FALSE(Mirror()->isVisible());
  EXPECT_EQ(Doc().ImageWidth(), 60);
  EXPECT_EQ(Doc().ImageHeight(), 50);
  EXPECT_EQ(Doc().ZoomPercent, 100);
  EXPECT_EQ(View()->size(), QSize(60, 50));
  EXPECT_EQ(Doc().ViewBitmap.Pixel(0, 0), Original_.Pixel(20, 10));
  const TBitmap32 upLeft = Doc().ViewBitmap;

  Trigger("Undo1");
  EXPECT_EQ(Doc().ImageWidth(), 120);
  EXPECT_EQ(Doc().ViewBitmap, Original_);
  SetZoom(50);
  Palette_->Button("SpeedButton3")->click();
  Drag({{10, 5}, {40, 30}});
  EXPECT_EQ(Doc().ViewBitmap, upLeft);
}

TEST_F(ToolsFormTest, CropClickOrFlatDragIsIgnored) {
  Palette_->Button("SpeedButton3")->click();
  Drag({{40, 30}});
  Drag({{10, 30}, {70, 30}});
  Drag({{50, 10}, {50, 80}});
  EXPECT_EQ(Doc().ToolMode, TToolMode::Crop);
  EXPECT_EQ(Doc().ImageWidth(), 120);
  EXPECT_EQ(Doc().ImageHeight(), 90);
  EXPECT_EQ(Doc().ViewBitmap, Original_);
  Drag({{10, 10}, {20, 30}});
  EXPECT_EQ(Doc().ImageWidth(), 10);
  EXPECT_EQ(Doc().ImageHeight(), 20);
}

TEST_F(ToolsFormTest, LeavingABrushForAPixelToolKeepsTheWarp) {
  Run("tool warp\nsize 41\nstroke 60,45 hold 1\n");
  const TBitmap32 warped = Doc().ViewBitmap;
  ASSERT_NE(warped, Original_);
  Palette_->N7->trigger();  // straight from the brush, without ending it first
  EXPECT_EQ(Doc().ToolMode, TToolMode::Eraser);
  EXPECT_FALSE(BrushBar()->isVisible());
  EXPECT_FALSE(Studio_->BrushOutline().Visible);
  EXPECT_FALSE(RepeatTimer()->isActive());
  EXPECT_EQ(Doc().MirrorBitmap, warped);
  Palette_->Button("SpeedButton7")->click();
  EXPECT_EQ(Doc().ViewBitmap, warped);
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap().IsIdentity());

  // Through the palette's eraser, which ends the brush first.
  Run("tool twirl\nstroke 30,30 hold 2\n");
  const TBitmap32 twirled = Doc().ViewBitmap;
  ASSERT_NE(twirled, warped);
  Palette_->Button("SpeedButton10")->click();
  Palette_->Button("SpeedButton7")->click();
  EXPECT_EQ(Doc().ViewBitmap, twirled);
}

TEST_F(ToolsFormTest, TheMirrorFollowsARotationOrResizeWhileAPixelToolIsActive) {
  Palette_->N7->trigger();  // the eraser, size 10
  Run("rotate cw\n");
  EXPECT_EQ(Doc().MirrorBitmap.Width(), 90);
  EXPECT_EQ(Doc().MirrorBitmap, Doc().ViewBitmap);
  EXPECT_EQ(Mirror()->size(), View()->size());
  // A dab lands where the pointer is on the turned picture, in the mirror and the picture alike.
  Drag({{5, 100}});
  EXPECT_EQ(AlphaOf(Doc().ViewBitmap.Pixel(10, 105)), 0);
  EXPECT_EQ(RgbOf(Doc().MirrorBitmap.Pixel(10, 105)), 0xB0B0B0u);  // the checkerboard shows
  Run("imagesize width=45\n");
  EXPECT_EQ(Doc().MirrorBitmap.Width(), 45);
  EXPECT_EQ(Mirror()->size(), QSize(45, 60));
}

TEST_F(ToolsFormTest, ViewToolPaletteBringsAClosedPaletteBack) {
  QAction* command = Command("ToolPalette1");
  ASSERT_TRUE(command->isCheckable());
  Palette_->show();
  EXPECT_TRUE(command->isChecked());
  Palette_->close();  // its own close button
  EXPECT_FALSE(command->isChecked());
  Trigger("ToolPalette1");
  EXPECT_TRUE(Palette_->isVisible());
  EXPECT_TRUE(command->isChecked());
  Trigger("ToolPalette1");
  EXPECT_FALSE(Palette_->isVisible());
  EXPECT_FALSE(command->isChecked());
  EXPECT_TRUE(Menu("ViewMenu")->actions().contains(command));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/Studio.h"

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "platform/ScriptedDialogs.h"
#include "shell/batch/Batch.h"
#include "shell/view/BrushLayer.h"
#include "shell/dialogs/ImageSizeDialog.h"
#include "shell/view/ImageView.h"
#include "document/TestFiles.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>

#include <QLabel>

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

using namespace gs;

namespace {

int CountDifferences(const TBitmap32& a, const TBitmap32& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
  return n;
}

class StudioBrushTest : public test::TStudioFixture {
protected:
  StudioBrushTest() {
    Original_ = test::Stripes(120, 90);
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(Original_));
    Run("open " + Dir_.Path("face.bmp") + "\nzoom original\n");
  }
  TBitmap32 Original_;
};

}  // namespace

TEST_F(StudioBrushTest, ChoosingABrushShowsItsBarOutlineAndTimer) {
  Trigger("Warp1");
  EXPECT_EQ(Doc().ToolMode, TToolMode::Warp);
  EXPECT_TRUE(BrushBar()->isVisible());
  // Chosen with the pointer away from the view: no outline until the pointer comes, where it is
  // (it used to sit at the picture's top-left corner).
  EXPECT_FALSE(Studio_->BrushOutline().Visible);
  Run("move 30,25\n");
  EXPECT_TRUE(Studio_->BrushOutline().Visible);
  EXPECT_EQ(Studio_->BrushOutline().Center(), Studio_->PictureToView(TPointF{30, 25}));
  EXPECT_EQ(Studio_->BrushOutline().Radius(), 50);
  EXPECT_TRUE(RepeatTimer()->isActive());
  EXPECT_EQ(View()->cursor().shape(), Qt::BlankCursor);
  // The outline stands for the pointer: it leaves the view with it and comes back with it.
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(View(), &leave);
  EXPECT_FALSE(Studio_->BrushOutline().Visible);
  Run("move 20,20\n");
  EXPECT_TRUE(Studio_->BrushOutline().Visible);
  Run("size 150\neffect -40\n");
  EXPECT_EQ(Child<QLabel>("SizeBarValue")->text(), QStringLiteral("150"));
  EXPECT_EQ(Child<QLabel>("PinchBarValue")->text(), QStringLiteral("-40"));
  Trigger("Putty1");
  EXPECT_EQ(Doc().ToolMode, TToolMode::Putty);
  EXPECT_FALSE(RepeatTimer()->isActive());
  Trigger("SelectionTool1");
  EXPECT_FALSE(BrushBar()->isVisible());
  EXPECT_FALSE(Studio_->BrushOutline().Visible);
  EXPECT_EQ(Doc().ToolMode, TToolMode::None);
}

TEST_F(StudioBrushTest, HeldWarpKeepsGrowingAndUndoBringsThePictureBack) {
  Run("tool warp\nsize 41\nstroke 60,45 hold 1\n");
  const TBitmap32 once = Doc().ViewBitmap;
  EXPECT_GT(CountDifferences(once, Original_), 0);
  Run("stroke 60,45 hold 5\n");
  // Pixels outside every stamp still equal the source.
  EXPECT_EQ(Doc().ViewBitmap.Pixel(5, 5), Original_.Pixel(5, 5));
  EXPECT_EQ(Doc().ViewBitmap.Pixel(115, 85), Original_.Pixel(115, 85));
  EXPECT_GT(CountDifferences(Doc().ViewBitmap, once), 0);
  Run("undo\n");
  EXPECT_EQ(Doc().ViewBitmap, once);  // each press takes the snapshot: one stroke is undone
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap().IsIdentity());
  // The next stroke warps the snapshot, not the old mesh.
  Run("stroke 20,20 hold 1\n");
  EXPECT_EQ(Doc().ViewBitmap.Pixel(60, 45), once.Pixel(60, 45));
}

TEST_F(StudioBrushTest, PuttyFollowsThePointerWithEitherButton) {
  Run("tool putty\nsize 31\nstroke 40,40\n");
  EXPECT_EQ(Doc().ViewBitmap, Original_);  // a press without motion changes nothing
  Run("stroke 40,40 50,40 60,40\n");
  const TBitmap32 left = Doc().ViewBitmap;
  EXPECT_GT(CountDifferences(left, Original_), 0);
  Run("stroke right 40,70 50,70 60,70\n");
  EXPECT_GT(CountDifferences(Doc().ViewBitmap, left), 0);
}

TEST_F(StudioBrushTest, WheelChangesSizeAndRebuildsTheStamps) {
  Trigger("wirl1");
  Studio_->WheelTurned(-120);
  EXPECT_EQ(SizeBar()->value(), 103);
  EXPECT_EQ(Doc().Brushes.Stamps[0].Width(), 103);
  EXPECT_EQ(Studio_->BrushOutline().Radius(), 51);
  PressKey(Qt::Key_Left);
  EXPECT_EQ(PinchBar()->value(), -3);
  EXPECT_FLOAT_EQ(Doc().Brushes.Brush.Pinch(), -0.03f);
}

TEST_F(StudioBrushTest, ImageSizeKeepsProportionsAndUndoRestoresTheSize) {
  Run("imagesize width=240\n");
  EXPECT_EQ(Doc().ImageWidth(), 240);
  EXPECT_EQ(Doc().ImageHeight(), 180);
  EXPECT_EQ(View()->width(), 240);
  Run("imagesize constrain=off width=60 height=90\n");
  EXPECT_EQ(Doc().ImageWidth(), 60);
  EXPECT_EQ(Doc().ImageHeight(), 90);
  Run("imagesize width=100 cancel\n");
  EXPECT_EQ(Doc().ImageWidth(), 60);
  Run("zoom in\nundo\n");
  EXPECT_EQ(Doc().ImageWidth(), 240);
  EXPECT_EQ(Doc().ZoomPercent, 100);
  EXPECT_EQ(View()->width(), 240);
}

TEST_F(StudioBrushTest, ImageSizeDialogOffersTheLimitsOfThePicture) {
  Tfsize dialog;
  dialog.Prepare(40, 30);
  EXPECT_EQ(dialog.Edit1->minimum(), 10);
  EXPECT_EQ(dialog.Edit1->maximum(), 400);
  EXPECT_EQ(dialog.Edit2->maximum(), 300);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Grimacer Studio  3.0"));
  EXPECT_TRUE(dialog.CheckBox1->isChecked());
  dialog.Prepare(800, 600);
  dialog.Edit1->setValue(200);
  EXPECT_EQ(dialog.Edit2->value(), 150);
  TFormAnswer wrong{"Image Size", {{"Image Width", "lots"}}, true};
  EXPECT_THROW(dialog.AnswerScripted(wrong), Exception);
}

TEST_F(StudioBrushTest, RotationsTurnTheCanvasAndKeepTheZoom) {
  Run("zoom out\nrotate cw\n");
  EXPECT_EQ(Doc().ImageWidth(), 90);
  EXPECT_EQ(Doc().ImageHeight(), 120);
  EXPECT_EQ(Doc().ZoomPercent, 80);
  EXPECT_EQ(Doc().ViewBitmap.Pixel(89, 0), Original_.Pixel(0, 0));
  Run("rotate ccw\n");
  EXPECT_EQ(Doc().ViewBitmap, Original_);
}

TEST_F(StudioBrushTest, RestoreReloadsTheOpenedFile) {
  Run("tool twirl\nstroke 60,45 hold 3\nrestore\n");
  EXPECT_EQ(Doc().ViewBitmap, Original_);
  EXPECT_EQ(Doc().ToolMode, TToolMode::None);
}

TEST(BrushOutline, ChordsAlternateAroundTheCircle) {
  const std::vector<TOutlineChord> small = BrushOutlineChords(10, 20, 2);
  ASSERT_EQ(small.size(), 6u);
  EXPECT_EQ(small[0].Color, 0xA0000000u);
  EXPECT_EQ(small[1].Color, 0xA0FFFFFFu);
  EXPECT_EQ(small[0].From, QPointF(12, 20));
  EXPECT_NEAR(small.back().To.x(), 12.0, 1e-4);  // closed
  EXPECT_NEAR(small.back().To.y(), 20.0, 1e-4);
  EXPECT_EQ(BrushOutlineChords(0, 0, 250).size(), 254u);
  EXPECT_EQ(BrushOutlineChords(0, 0, 3).size(), 8u);
}

TEST_F(StudioBrushTest, PrimitiveMouseStepsDriveTheBrushAsAStrokeDoes) {
  Run("tool warp\nsize 31\nstroke 40,40 50,40 hold 2\n");
  const TBitmap32 stroked = Doc().ViewBitmap;
  Run("undo\nundo\n");  // back to the photo
  ASSERT_EQ(Doc().ViewBitmap, Original_);
  Run("press left 40,40\nmove 50,40\ntick 2\nrelease\n");
  EXPECT_EQ(Doc().ViewBitmap, stroked);
  // Ticks between moves, and after the release none.
  Run("press right 80,60\ntick 1\nmove 82,60\ntick 1\nrelease\n");
  const TBitmap32 shrunk = Doc().ViewBitmap;
  EXPECT_NE(shrunk, stroked);
  Run("tick 5\n");
  EXPECT_EQ(Doc().ViewBitmap, shrunk);
  // The middle button picks no stamp: the timer repeats the last one where it was left.
  Run("press middle 10,10\ntick 3\nrelease\n");
  EXPECT_NE(Doc().ViewBitmap, shrunk);
  EXPECT_EQ(Doc().ViewBitmap.Pixel(5, 5), Original_.Pixel(5, 5));
  EXPECT_NE(Fails("press up 1,1\n").find("press takes"), std::string::npos);
  EXPECT_NE(Fails("tick many\n").find("tick"), std::string::npos);
}

TEST_F(StudioBrushTest, PrintWritesThePictureAsShownIntoAPdf) {
  Run("print " + Dir_.Path("page.pdf") + "\n");
  const TBytes pdf = ReadFileBytes(Dir_.Path("page.pdf"));
  ASSERT_GT(pdf.size(), 100u);
  EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-");
}

// Qt sends no release once a modal dialog blocks the window, the focus goes to another window
// or the grab is lost: the stroke ends there, as if the button had come up.
TEST_F(StudioBrushTest, AStrokeEndsWhenTheWindowLosesThePointer) {
  const std::vector<std::function<void()>> losses = {
      [this] {
        QEvent blocked(QEvent::WindowBlocked);
        QCoreApplication::sendEvent(Studio_.get(), &blocked);
      },
      [this] {
        QEvent deactivated(QEvent::ActivationChange);
        QCoreApplication::sendEvent(Studio_.get(), &deactivated);
      },
      [this] { Studio_->PointerMove(Qt::NoButton, Qt::NoModifier, QPoint(60, 40)); },
  };
  Run("tool warp\nsize 31\n");
  for (size_t i = 0; i < losses.size(); ++i) {
    Run("press left 40,40\ntick 1\n");
    losses[i]();
    const TBitmap32 released = Doc().ViewBitmap;
    Run("tick 3\n");
    EXPECT_EQ(Doc().ViewBitmap, released) << i;
    EXPECT_EQ(Doc().History.Current(), int(i) + 1) << i;
    EXPECT_FALSE(Doc().History.InStroke()) << i;
  }
}

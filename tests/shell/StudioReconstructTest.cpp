// SPDX-License-Identifier: GPL-3.0-or-later
// Taking the warp back from the main window: the Reconstruct brush, Reset Warp and the before
// view.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "shell/view/ImageView.h"
#include "shell/window/ToolsForm.h"

#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace gs;

namespace {

class StudioReconstructTest : public test::TStudioFixture {
protected:
  StudioReconstructTest() {
    Original_ = test::Stripes(120, 90);
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(Original_));
    Run("open " + Dir_.Path("face.bmp") + "\nzoom original\n");
  }
  // What the picture view shows on screen, as picture pixels (zoom 100 %).
  QImage Screen() { return View()->grab().toImage().convertToFormat(QImage::Format_ARGB32); }
  void SendKey(QEvent::Type type, bool autoRepeat = false) {
    QKeyEvent key(type, Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\"), autoRepeat);
    QApplication::sendEvent(View(), &key);
  }
  TBitmap32 Original_;
};

// Every pixel of the shot equals the picture's, or the first one that does not.
::testing::AssertionResult Shows(const QImage& shot, const TBitmap32& picture) {
  if (shot.width() != picture.Width() || shot.height() != picture.Height())
    return ::testing::AssertionFailure() << "the shot is " << shot.width() << " x " << shot.height();
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (shot.pixel(x, y) != picture.Pixel(x, y))
        return ::testing::AssertionFailure() << "differs at " << x << ", " << y;
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(StudioReconstructTest, ReconstructAtFullEffectGivesThePhotoBackWhereItIsHeld) {
  Run("tool warp\nsize 41\nstroke 60,45 hold 4\nstroke 40,30 50,35\n");
  ASSERT_NE(Doc().ViewBitmap, Original_);
  const TBitmap32 warped = Doc().ViewBitmap;
  Studio_->activateWindow();
  QApplication::setActiveWindow(Studio_.get());
  QTest::keyClick(Studio_.get(), Qt::Key_R);
  EXPECT_EQ(Doc().ToolMode, TToolMode::Reconstruct);
  EXPECT_TRUE(RepeatTimer()->isActive());  // it acts while held still
  EXPECT_TRUE(BrushBar()->isVisible());
  // Weight 1 out to 60 pixels from (60, 45): over every stroke above.
  Run("effect 100\nsize 241\nstroke 60,45 hold 1\n");
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap().IsIdentity());
  EXPECT_EQ(Doc().ViewBitmap, Original_);
  // A stroke is one undo step, as with every brush.
  Run("undo\n");
  EXPECT_EQ(Doc().ViewBitmap, warped);
  // From the palette, and on the script's word.
  Palette()->Button("sbtnReconstruct")->click();
  EXPECT_EQ(Doc().ToolMode, TToolMode::Reconstruct);
  Run("tool twirl\ntool reconstruct\n");
  EXPECT_EQ(Doc().ToolMode, TToolMode::Reconstruct);
}

TEST_F(StudioReconstructTest, ResetWarpShowsTheSourceAgainAndUndoBringsTheWarpBack) {
  Run("tool twirl\nsize 51\nstroke 60,45 hold 3\n");
  const TBitmap32 twirled = Doc().ViewBitmap;
  ASSERT_NE(twirled, Original_);
  Run("resetwarp\n");
  EXPECT_EQ(Doc().ViewBitmap, Original_);
  EXPECT_EQ(Doc().SourceBitmap, Original_);
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap().IsIdentity());
  EXPECT_EQ(Doc().ToolMode, TToolMode::Twirl);
  // Undo brings the twirl back, as a picture: the mesh stays clear.
  Run("undo\n");
  EXPECT_EQ(Doc().ViewBitmap, twirled);
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap().IsIdentity());
}

TEST_F(StudioReconstructTest, TheBeforeViewShowsTheSourceOnlyWhileHeldAndChangesNothing) {
  TBitmap32 art(30, 20, 0xFF00C000);
  WriteFileBytes(Dir_.Path("art.png"), EncodePng(art, std::nullopt));
  Run("tool warp\nsize 41\nstroke 60,45 hold 4\nclipart " + Dir_.Path("art.png") + "\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  const QImage work = Screen();
  ASSERT_FALSE(Shows(work, Original_));
  const TBitmap32 source = Doc().SourceBitmap, view = Doc().ViewBitmap;
  const TVectorMap mesh = Doc().MeshTransformation.VectorMap();
  const TBitmap32 layer = Doc().Layers()[0]->Bitmap;
  const TFloatRect where = Doc().Layers()[0]->Location;

  SendKey(QEvent::KeyPress);
  EXPECT_TRUE(Studio_->ShowingBefore());
  EXPECT_EQ(View()->Shown(), &Doc().SourceBitmap);  // shown where it lies, not copied
  EXPECT_TRUE(Shows(Screen(), Original_));  // no warp, no layer
  // The key's own repeats while it is held change nothing.
  SendKey(QEvent::KeyRelease, true);
  SendKey(QEvent::KeyPress, true);
  EXPECT_TRUE(Studio_->ShowingBefore());
  SendKey(QEvent::KeyRelease);
  EXPECT_FALSE(Studio_->ShowingBefore());
  EXPECT_EQ(Screen(), work);

  // The tool bar's button, held: with the key as well, the photo stays until both are let go.
  auto* button = qobject_cast<QToolButton*>(Child<QToolBar>("ToolBar1")->widgetForAction(Command("Before1")));
  ASSERT_NE(button, nullptr);
  EXPECT_FALSE(button->icon().isNull());
  QTest::mousePress(button, Qt::LeftButton);
  EXPECT_TRUE(Shows(Screen(), Original_));
  SendKey(QEvent::KeyPress);
  SendKey(QEvent::KeyRelease);
  EXPECT_TRUE(Studio_->ShowingBefore());
  QTest::mouseRelease(button, Qt::LeftButton);
  EXPECT_FALSE(Studio_->ShowingBefore());
  EXPECT_EQ(Screen(), work);

  // A text field types the key instead.
  auto* field = new QLineEdit(Studio_.get());
  Studio_->statusBar()->addWidget(field);
  field->show();
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Backslash);
  EXPECT_EQ(field->text(), QStringLiteral("\\"));
  EXPECT_FALSE(Studio_->ShowingBefore());

  EXPECT_EQ(Doc().SourceBitmap, source);
  EXPECT_EQ(Doc().ViewBitmap, view);
  EXPECT_TRUE(Doc().MeshTransformation.VectorMap() == mesh);
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(Doc().Layers()[0]->Bitmap, layer);
  EXPECT_TRUE(Doc().Layers()[0]->Visible);
  EXPECT_DOUBLE_EQ(Doc().Layers()[0]->Location.Left, where.Left);
  EXPECT_DOUBLE_EQ(Doc().Layers()[0]->Location.Top, where.Top);
}

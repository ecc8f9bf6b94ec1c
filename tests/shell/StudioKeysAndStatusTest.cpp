// SPDX-License-Identifier: GPL-3.0-or-later
// The keys users reach for first and the status bar: Delete takes the selected layer away,
// Space and a drag pan the picture without touching it, and the status bar follows the picture,
// the zoom and the tool.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "document/TestFiles.h"
#include "shell/view/ImageView.h"

#include <QAction>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace gs;

namespace {

class StudioKeysTest : public test::TStudioFixture {
protected:
  StudioKeysTest() { WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(400, 300))); }
  QString Status(const char* name) { return Child<QLabel>(name)->text(); }
  void Key(QEvent::Type type, int key, bool repeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
    QApplication::sendEvent(View(), &event);
  }
};

}  // namespace

TEST_F(StudioKeysTest, DeleteTakesTheSelectedLayerAway) {
  WriteFileBytes(Dir_.Path("art.bmp"), EncodeBmp32(TBitmap32(20, 10, 0xFF00C000)));
  Run("open " + Dir_.Path("face.bmp") + "\nclipart " + Dir_.Path("art.bmp") + "\n");
  ASSERT_EQ(Doc().Layers().size(), 1u);
  EXPECT_TRUE(Command("DeleteLayer1")->shortcuts().contains(QKeySequence(QKeySequence::Delete)));
  Trigger("DeleteLayer1");
  EXPECT_TRUE(Doc().Layers().empty());
}

TEST_F(StudioKeysTest, SpaceAndADragPanTheZoomedPictureAndLeaveItAlone) {
  Run("open " + Dir_.Path("face.bmp") + "\nzoom original\ntool warp\n");
  Studio_->SetZoom(800);
  QApplication::processEvents();
  auto* area = Child<QScrollArea>("sbxDstImg");
  QScrollBar* across = area->horizontalScrollBar();
  QScrollBar* down = area->verticalScrollBar();
  ASSERT_GT(across->maximum(), 200);
  across->setValue(100);
  down->setValue(100);
  const TBitmap32 before = Doc().ViewBitmap;

  Key(QEvent::KeyPress, Qt::Key_Space);
  Key(QEvent::KeyPress, Qt::Key_Space, true);
  QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  QTest::mouseMove(View(), QPoint(260, 250));
  QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, QPoint(260, 250));
  EXPECT_EQ(across->value(), 140);
  EXPECT_EQ(down->value(), 150);
  EXPECT_EQ(Doc().ViewBitmap, before);
  EXPECT_FALSE(Doc().History.CanStepBack());

  // Once Space is up, the same drag is a stroke again.
  Key(QEvent::KeyRelease, Qt::Key_Space);
  QTest::mousePress(View(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  QTest::mouseMove(View(), QPoint(310, 300));
  QTest::mouseRelease(View(), Qt::LeftButton, Qt::NoModifier, QPoint(310, 300));
  EXPECT_NE(Doc().ViewBitmap, before);
}

TEST_F(StudioKeysTest, TheStatusBarShowsTheSizeTheZoomAndTheToolsHint) {
  EXPECT_TRUE(Status("StatusSize").isEmpty());
  EXPECT_TRUE(Status("StatusHint").contains(QStringLiteral("Open a picture")));
  Run("open " + Dir_.Path("face.bmp") + "\nzoom original\n");
  EXPECT_EQ(Status("StatusSize"), QStringLiteral("400 \u00D7 300"));
  EXPECT_EQ(Status("StatusZoom"), QStringLiteral("100 %"));
  Run("zoom in\ntool warp\n");
  EXPECT_NE(Status("StatusZoom"), QStringLiteral("100 %"));
  EXPECT_TRUE(Status("StatusHint").startsWith(QStringLiteral("Warp")));
  Run("imagesize width=200 constrain=on\n");
  EXPECT_EQ(Status("StatusSize"), QStringLiteral("200 \u00D7 150"));
}

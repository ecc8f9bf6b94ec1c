// SPDX-License-Identifier: GPL-3.0-or-later
// Zooming as users expect it: the keys keep the middle of the view, the wheel the point under
// the pointer, plain + and - zoom unless a text field has them, and a fitted picture stays
// fitted while the window takes its size.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "document/Zoom.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace gs;

namespace {

class StudioZoomTest : public test::TStudioFixture {
protected:
  StudioZoomTest() { WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(400, 300))); }
  QWidget* Port() { return Child<QScrollArea>("sbxDstImg")->viewport(); }
  // The picture point shown at a viewport position.
  TPointF PictureAt(QPoint inPort) { return Studio_->ViewToPicture(View()->mapFrom(Port(), inPort)); }
  void Settle() { QApplication::processEvents(); }
};

}  // namespace

TEST_F(StudioZoomTest, KeysKeepTheMiddleAndTheWheelThePointUnderThePointer) {
  Run("open " + Dir_.Path("face.bmp") + "\n");
  Studio_->SetZoom(400);
  Settle();
  auto* area = Child<QScrollArea>("sbxDstImg");
  area->horizontalScrollBar()->setValue(300);
  area->verticalScrollBar()->setValue(200);
  const QPoint middle = Port()->rect().center();
  const QPoint pointer(100, 120);

  struct Step {
    const char* What;
    std::function<void()> Act;
    QPoint Kept;
  };
  const Step steps[] = {
      {"arrow up", [&] { PressKey(Qt::Key_Up); }, middle},
      {"zoom out", [&] { Trigger("ZoomOut1"); }, middle},
      {"wheel down",
       [&] {
         const QPointF global = Port()->mapToGlobal(QPointF(pointer));
         QWheelEvent wheel(View()->mapFromGlobal(global), global, QPoint(), QPoint(0, -120), Qt::NoButton,
                           Qt::NoModifier, Qt::NoScrollPhase, false);
         QApplication::sendEvent(View(), &wheel);
       },
       pointer},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.What);
    const int zoom = Doc().ZoomPercent;
    const TPointF before = PictureAt(step.Kept);
    step.Act();
    Settle();
    ASSERT_NE(Doc().ZoomPercent, zoom);
    const TPointF after = PictureAt(step.Kept);
    EXPECT_NEAR(after.X, before.X, 0.5);
    EXPECT_NEAR(after.Y, before.Y, 0.5);
  }
}

TEST_F(StudioZoomTest, PlainPlusAndMinusZoomUnlessATextFieldHasThem) {
  Run("open " + Dir_.Path("face.bmp") + "\nzoom original\n");
  PressKey(Qt::Key_Plus);
  EXPECT_EQ(Doc().ZoomPercent, ZoomInStep(100));
  PressKey(Qt::Key_Minus);
  EXPECT_EQ(Doc().ZoomPercent, 100);

  auto* field = new QLineEdit(Studio_.get());
  QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier, QStringLiteral("-"));
  QApplication::sendEvent(field, &minus);
  EXPECT_EQ(field->text(), QStringLiteral("-"));
  EXPECT_EQ(Doc().ZoomPercent, 100);
}

TEST_F(StudioZoomTest, AFittedPictureFollowsTheWindowUntilTheUserZooms) {
  WriteFileBytes(Dir_.Path("big.bmp"), EncodeBmp32(test::Stripes(1600, 1200)));
  Studio_->resize(320, 260);
  Settle();
  Run("open " + Dir_.Path("big.bmp") + "\n");
  const int small = Doc().ZoomPercent;
  // The window manager gives the window its size after the picture on the command line opened.
  Studio_->resize(1000, 900);
  Settle();
  const QSize port = Port()->size();
  EXPECT_GT(Doc().ZoomPercent, small);
  EXPECT_EQ(Doc().ZoomPercent, FitZoom(port.width(), port.height(), 1600, 1200));

  Run("zoom in\n");
  const int chosen = Doc().ZoomPercent;
  Studio_->resize(320, 260);
  Settle();
  EXPECT_EQ(Doc().ZoomPercent, chosen);
}

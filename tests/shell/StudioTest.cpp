#include "shell/window/Studio.h"

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "platform/ScriptedDialogs.h"
#include "shell/batch/Batch.h"
#include "shell/view/ImageView.h"
#include "document/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollArea>
#include <QSlider>
#include <QToolBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <sstream>

using namespace gs;
using gs::test::TScratchFolder;

namespace {

class StudioTest : public test::TStudioFixture {
protected:
  void Open(const std::string& path) {
    Dialogs_.AnswerFile(path);
    Studio_->mOpenImageClick();
  }
};

bool Enabled(QMenu* menu) { return menu->menuAction()->isEnabled(); }

}  // namespace

TEST_F(StudioTest, StartsWithoutAPictureAndOnlyTheFileCommands) {
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6"));
  EXPECT_FALSE(Enabled(Studio_->EditMenu));
  EXPECT_FALSE(Enabled(Studio_->ViewMenu));
  EXPECT_FALSE(Enabled(Studio_->FiltersMenu));
  EXPECT_EQ(Studio_->FiltersMenu->title(), QStringLiteral("Filters "));
  EXPECT_FALSE(Studio_->mSaveImage->isEnabled());
  EXPECT_FALSE(Studio_->saveas1->isEnabled());
  EXPECT_FALSE(Studio_->Chromakey1->isEnabled());
  EXPECT_TRUE(Studio_->mOpenImage->isEnabled());
  EXPECT_FALSE(Studio_->DstImg->isVisible());
  EXPECT_FALSE(Studio_->ToolBar2->isVisible());
  EXPECT_EQ(Studio_->Document().ToolMode, TToolMode::None);
  EXPECT_EQ(Studio_->SizeBar->minimum(), 5);
  EXPECT_EQ(Studio_->SizeBar->maximum(), 500);
  EXPECT_EQ(Studio_->SizeBar->value(), 100);
  EXPECT_EQ(Studio_->PinchBar->minimum(), -100);
}

TEST_F(StudioTest, OpeningEnablesTheDocumentCommandsAndNamesTheFile) {
  WriteFileBytes(Dir_.Path("face.png"), EncodePng(test::Swatch(40, 30), std::nullopt));
  Open(Dir_.Path("face.png"));
  ASSERT_TRUE(Dialogs_.Messages().empty()) << Dialogs_.Messages().front();
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6  \"face.png\""));
  for (QMenu* menu : {Studio_->EditMenu, Studio_->GrimacerMenu, Studio_->ViewMenu,
                      Studio_->InsertMenu, Studio_->FiltersMenu})
    EXPECT_TRUE(Enabled(menu)) << menu->title().toStdString();
  EXPECT_TRUE(Studio_->mSaveImage->isEnabled());
  EXPECT_TRUE(Studio_->saveas1->isEnabled());
  EXPECT_TRUE(Studio_->ChangeBackground1->isEnabled());
  EXPECT_FALSE(Studio_->LastFilter1->isEnabled());
  EXPECT_TRUE(Studio_->DstImg->isVisible());
  EXPECT_EQ(Studio_->Document().ZoomPercent, 100);  // small pictures are never enlarged
  EXPECT_EQ(Studio_->DstImg->width(), 40);
  EXPECT_EQ(Studio_->Document().DocumentFileName(), Dir_.Path("face.png"));
}

TEST_F(StudioTest, CancelledOpenChangesNothing) {
  Dialogs_.AnswerFile(std::nullopt);
  Studio_->mOpenImageClick();
  EXPECT_FALSE(Studio_->Document().ImageLoaded());
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6"));
}

TEST_F(StudioTest, CheckerboardShowsThroughTransparentPixels) {
  TBitmap32 picture(32, 16, 0);  // fully transparent
  picture.FillRect(TRect{16, 0, 32, 16}, 0xFF0000FF);
  WriteFileBytes(Dir_.Path("t.png"), EncodePng(picture, std::nullopt));
  Open(Dir_.Path("t.png"));
  Studio_->Original1Click();
  const QImage shot = Studio_->DstImg->grab().toImage();
  ASSERT_EQ(shot.width(), 32);
  EXPECT_EQ(shot.pixel(0, 0), 0xFFB0B0B0u);   // top-left square grey
  EXPECT_EQ(shot.pixel(8, 0), 0xFFFFFFFFu);   // next one white
  EXPECT_EQ(shot.pixel(8, 8), 0xFFB0B0B0u);
  EXPECT_EQ(shot.pixel(20, 4), 0xFF0000FFu);  // opaque picture covers it
}

TEST_F(StudioTest, ZoomCommandsResizeTheView) {
  WriteFileBytes(Dir_.Path("w.bmp"), EncodeBmp32(test::Swatch(333, 100)));
  Open(Dir_.Path("w.bmp"));
  Studio_->Original1Click();
  for (int i = 0; i < 5; ++i) Studio_->ZoomOut1Click();
  EXPECT_EQ(Studio_->Document().ZoomPercent, 20);
  EXPECT_EQ(Studio_->DstImg->width(), 66);
  Studio_->ZoomIn1Click();
  EXPECT_EQ(Studio_->DstImg->width(), 133);
  Studio_->FormMouseWheelDown();
  EXPECT_EQ(Studio_->Document().ZoomPercent, 45);
  Studio_->WMKeyDown(Qt::Key_Left);  // no brush: nothing happens
  EXPECT_EQ(Studio_->Document().ZoomPercent, 45);
  EXPECT_EQ(Studio_->PinchBar->value(), 0);
}

TEST_F(StudioTest, WithAWarpBrushTheWheelAndArrowsChangeTheBrush) {
  WriteFileBytes(Dir_.Path("w.bmp"), EncodeBmp32(test::Swatch(50, 50)));
  Open(Dir_.Path("w.bmp"));
  Studio_->Document().ToolMode = TToolMode::Warp;
  Studio_->FormMouseWheelUp();
  EXPECT_EQ(Studio_->SizeBar->value(), 97);
  EXPECT_EQ(Studio_->Document().ZoomPercent, 100);
  Studio_->WMKeyDown(Qt::Key_Right);
  EXPECT_EQ(Studio_->PinchBar->value(), 3);
  Studio_->Document().ToolMode = TToolMode::ArrangeLayers;
  Studio_->FormMouseWheelUp();
  EXPECT_EQ(Studio_->Document().ZoomPercent, 95);
  Studio_->Document().ToolMode = TToolMode::LayerWarp;
  Studio_->WMKeyDown(Qt::Key_Up);  // a layer brush leaves the arrows to the zoom
  EXPECT_EQ(Studio_->Document().ZoomPercent, 100);
}

TEST_F(StudioTest, SaveAsGifReloadsTheWrittenPicture) {
  WriteFileBytes(Dir_.Path("a.bmp"), EncodeBmp32(test::Swatch(20, 10)));
  Open(Dir_.Path("a.bmp"));
  Dialogs_.AnswerFile(Dir_.Path("b.gif"));
  Studio_->saveas1Click();
  ASSERT_TRUE(Dialogs_.Messages().empty()) << Dialogs_.Messages().front();
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6  \"b.gif\""));
  EXPECT_EQ(Studio_->Document().SourceFileName(), Dir_.Path("b.gif"));
  ASSERT_FALSE(Dialogs_.FileRequests().empty());
  EXPECT_EQ(Dialogs_.FileRequests().back().DefaultExt, "bmp");
  EXPECT_NE(Dialogs_.FileRequests().back().Filter.find("Portable Document Format (*.pdf)|*.pdf"),
            std::string::npos);
}

TEST_F(StudioTest, BatchConvertsAndStopsAtTheFirstFailure) {
  WriteFileBytes(Dir_.Path("in.png"), EncodePng(test::Swatch(12, 9), std::nullopt));
  std::istringstream script("# convert\nopen " + Dir_.Path("in.png") + "\nzoom in\nsaveas " +
                            Dir_.Path("out.jpg") + "\nsaveas " + Dir_.Path("out.pdf") + "\n");
  std::ostringstream err;
  EXPECT_EQ(RunBatch(*Studio_, Dialogs_, script, err), 0) << err.str();
  EXPECT_TRUE(FileExists(Dir_.Path("out.jpg")));
  EXPECT_TRUE(FileExists(Dir_.Path("out.pdf")));
  EXPECT_EQ(Studio_->Document().ZoomPercent, 120);

  std::istringstream bad("open " + Dir_.Path("missing.png") + "\nsave\n");
  std::ostringstream badErr;
  EXPECT_EQ(RunBatch(*Studio_, Dialogs_, bad, badErr), 1);
  EXPECT_NE(badErr.str().find("missing.png"), std::string::npos);
  EXPECT_NE(badErr.str().find("line 1"), std::string::npos);

  std::istringstream unknown("zoom sideways\n");
  std::ostringstream unknownErr;
  EXPECT_EQ(RunBatch(*Studio_, Dialogs_, unknown, unknownErr), 1);
}

TEST_F(StudioTest, BatchRefusesACommandTheWindowHasDisabled) {
  // Before a picture is open Save is greyed out: a script that saves has gone wrong.
  EXPECT_NE(Fails("save\n").find("\"Save\" is not available now"), std::string::npos);
  EXPECT_NE(Fails("tool sideways\n").find("tool takes"), std::string::npos);
}

TEST_F(StudioTest, ArrowsAndWheelReachTheBrushEvenWhenASliderHasTheFocus) {
  WriteFileBytes(Dir_.Path("w.bmp"), EncodeBmp32(test::Swatch(50, 50)));
  Open(Dir_.Path("w.bmp"));
  Studio_->Warp1Click();
  Studio_->SizeBar->setFocus();
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QApplication::sendEvent(Studio_->SizeBar, &left);
  EXPECT_EQ(Studio_->PinchBar->value(), -3);
  EXPECT_EQ(Studio_->SizeBar->value(), 100);
  // The wheel turned down over a slider makes the brush larger, as anywhere over the window.
  QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(Studio_->PinchBar, &down);
  EXPECT_EQ(Studio_->SizeBar->value(), 103);
  EXPECT_EQ(Studio_->PinchBar->value(), -3);
}


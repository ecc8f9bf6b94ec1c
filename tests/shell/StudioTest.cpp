// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

using namespace gs;
using gs::test::TScratchFolder;

namespace {

class StudioTest : public test::TStudioFixture {
protected:
  void Open(const std::string& path) {
    Dialogs_.AnswerFile(path);
    Trigger("mOpenImage");
  }
};

bool Enabled(QMenu* menu) { return menu->menuAction()->isEnabled(); }

}  // namespace

TEST_F(StudioTest, StartsWithoutAPictureAndOnlyTheFileCommands) {
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6"));
  EXPECT_FALSE(Enabled(Menu("EditMenu")));
  EXPECT_FALSE(Enabled(Menu("ViewMenu")));
  EXPECT_FALSE(Enabled(Menu("WarpMenu")));
  EXPECT_FALSE(Enabled(Menu("FiltersMenu")));
  EXPECT_EQ(Menu("FiltersMenu")->title(), QStringLiteral("Filters "));
  EXPECT_FALSE(Command("mSaveImage")->isEnabled());
  EXPECT_FALSE(Command("saveas1")->isEnabled());
  EXPECT_FALSE(Command("Chromakey1")->isEnabled());
  EXPECT_TRUE(Command("mOpenImage")->isEnabled());
  EXPECT_FALSE(View()->isVisible());
  EXPECT_FALSE(BrushBar()->isVisible());
  EXPECT_EQ(Studio_->Document().ToolMode, TToolMode::None);
  EXPECT_EQ(SizeBar()->minimum(), 5);
  EXPECT_EQ(SizeBar()->maximum(), 500);
  EXPECT_EQ(SizeBar()->value(), 100);
  EXPECT_EQ(PinchBar()->minimum(), -100);
}

TEST_F(StudioTest, OpeningEnablesTheDocumentCommandsAndNamesTheFile) {
  WriteFileBytes(Dir_.Path("face.png"), EncodePng(test::Swatch(40, 30), std::nullopt));
  Open(Dir_.Path("face.png"));
  ASSERT_TRUE(Dialogs_.Messages().empty()) << Dialogs_.Messages().front();
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6  \"face.png\"[*]"));
  EXPECT_FALSE(Studio_->isWindowModified());
  for (QMenu* menu : {Menu("EditMenu"), Menu("GrimacerMenu"), Menu("WarpMenu"), Menu("ViewMenu"),
                      Menu("InsertMenu"), Menu("FiltersMenu")})
    EXPECT_TRUE(Enabled(menu)) << menu->title().toStdString();
  EXPECT_TRUE(Command("mSaveImage")->isEnabled());
  EXPECT_TRUE(Command("saveas1")->isEnabled());
  EXPECT_TRUE(Command("ChangeBackground1")->isEnabled());
  EXPECT_FALSE(Command("LastFilter1")->isEnabled());
  EXPECT_TRUE(View()->isVisible());
  EXPECT_EQ(Studio_->Document().ZoomPercent, 100);  // small pictures are never enlarged
  EXPECT_EQ(View()->width(), 40);
  EXPECT_EQ(Studio_->Document().DocumentFileName(), Dir_.Path("face.png"));
}

TEST_F(StudioTest, CancelledOpenChangesNothing) {
  Dialogs_.AnswerFile(std::nullopt);
  Trigger("mOpenImage");
  EXPECT_FALSE(Studio_->Document().ImageLoaded());
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6"));
}

TEST_F(StudioTest, CheckerboardShowsThroughTransparentPixels) {
  TBitmap32 picture(32, 16, 0);  // fully transparent
  picture.FillRect(TRect{16, 0, 32, 16}, 0xFF0000FF);
  WriteFileBytes(Dir_.Path("t.png"), EncodePng(picture, std::nullopt));
  Open(Dir_.Path("t.png"));
  Trigger("Original1");
  const QImage shot = View()->grab().toImage();
  ASSERT_EQ(shot.width(), 32);
  EXPECT_EQ(shot.pixel(0, 0), 0xFFB0B0B0u);   // top-left square grey
  EXPECT_EQ(shot.pixel(8, 0), 0xFFFFFFFFu);   // next one white
  EXPECT_EQ(shot.pixel(8, 8), 0xFFB0B0B0u);
  EXPECT_EQ(shot.pixel(20, 4), 0xFF0000FFu);  // opaque picture covers it
}

TEST_F(StudioTest, ZoomCommandsResizeTheView) {
  WriteFileBytes(Dir_.Path("w.bmp"), EncodeBmp32(test::Swatch(333, 100)));
  Open(Dir_.Path("w.bmp"));
  Trigger("Original1");
  for (int i = 0; i < 5; ++i) Trigger("ZoomOut1");
  EXPECT_EQ(Studio_->Document().ZoomPercent, 20);
  EXPECT_EQ(View()->width(), 66);
  Trigger("ZoomIn1");
  EXPECT_EQ(View()->width(), 133);
  Studio_->WheelTurned(-120);
  EXPECT_EQ(Studio_->Document().ZoomPercent, 45);
  PressKey(Qt::Key_Left);  // no brush: nothing happens
  EXPECT_EQ(Studio_->Document().ZoomPercent, 45);
  EXPECT_EQ(PinchBar()->value(), 0);
}

TEST_F(StudioTest, WithAWarpBrushTheWheelAndArrowsChangeTheBrush) {
  WriteFileBytes(Dir_.Path("w.bmp"), EncodeBmp32(test::Swatch(50, 50)));
  Open(Dir_.Path("w.bmp"));
  Studio_->Document().ToolMode = TToolMode::Warp;
  Studio_->WheelTurned(120);
  EXPECT_EQ(SizeBar()->value(), 97);
  EXPECT_EQ(Studio_->Document().ZoomPercent, 100);
  PressKey(Qt::Key_Right);
  EXPECT_EQ(PinchBar()->value(), 3);
  Studio_->Document().ToolMode = TToolMode::ArrangeLayers;
  Studio_->WheelTurned(120);
  EXPECT_EQ(Studio_->Document().ZoomPercent, 95);
  Studio_->Document().ToolMode = TToolMode::LayerWarp;
  PressKey(Qt::Key_Up);  // a layer brush leaves the arrows to the zoom
  EXPECT_EQ(Studio_->Document().ZoomPercent, 100);
}

TEST_F(StudioTest, SaveAsGifReloadsTheWrittenPicture) {
  WriteFileBytes(Dir_.Path("a.bmp"), EncodeBmp32(test::Swatch(20, 10)));
  Open(Dir_.Path("a.bmp"));
  Dialogs_.AnswerFile(Dir_.Path("b.gif"));
  Trigger("saveas1");
  ASSERT_TRUE(Dialogs_.Messages().empty()) << Dialogs_.Messages().front();
  EXPECT_EQ(Studio_->windowTitle(), QStringLiteral("Grimacer Studio 3.6  \"b.gif\"[*]"));
  EXPECT_FALSE(Studio_->isWindowModified());
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
  // Before a picture is open these are greyed out: a script that gives them has gone wrong.
  WriteFileBytes(Dir_.Path("art.png"), EncodePng(test::Swatch(8, 8), std::nullopt));
  const struct {
    std::string Line;
    const char* Caption;
  } refused[] = {
      {"save", "Save"},          {"tool warp", "Warp"},         {"zoom in", "Zoom In"},
      {"undo", "Undo"},          {"rotate cw", "90 CW"},        {"resetwarp", "Reset Warp"},
      {"restore", "Restore"},    {"clipart " + Dir_.Path("art.png"), "Clipart"},
      {"text 12 | Hi", "Text"},  {"stepback", "Step Backward"}, {"tool rotatelayer", "Rotate Layer"},
  };
  for (const auto& [line, caption] : refused) {
    const std::string said = Fails(line + "\n");
    EXPECT_NE(said.find(std::string("\"") + caption + "\" is not available now"), std::string::npos) << said;
  }
  EXPECT_FALSE(Doc().ImageLoaded());
  EXPECT_NE(Fails("tool sideways\n").find("tool takes"), std::string::npos);
  // With a picture but no layer, only the commands on layers stay greyed out.
  Run("open " + Dir_.Path("art.png") + "\ntool warp\nzoom in\nrotate cw\n");
  EXPECT_NE(Fails("tool rotatelayer\n").find("\"Rotate Layer\" is not available now"), std::string::npos);
  Run("clipart " + Dir_.Path("art.png") + "\ntool rotatelayer\n");
}

TEST_F(StudioTest, MenuToolBarAndPaletteGreyOutTheSameCommands) {
  // Every place that shows a command shows its one action, so they cannot disagree.
  const auto shown = [this](const char* name) {
    QAction* action = Command(name);
    std::vector<bool> enabled{action->isEnabled()};
    for (QObject* holder : action->associatedObjects())
      if (auto* button = qobject_cast<QToolButton*>(holder)) enabled.push_back(button->isEnabled());
    return enabled;
  };
  for (const char* name : {"Text1", "Clipart1", "Warp1", "ZoomIn1", "Original1", "Undo1", "Crop1"}) {
    const std::vector<bool> before = shown(name);
    EXPECT_GE(before.size(), 2u) << name << " is on no tool bar or palette";
    EXPECT_EQ(std::count(before.begin(), before.end(), true), 0) << name;
  }
  WriteFileBytes(Dir_.Path("face.png"), EncodePng(test::Swatch(40, 30), std::nullopt));
  Open(Dir_.Path("face.png"));
  for (const char* name : {"Text1", "Clipart1", "Warp1", "ZoomIn1", "Original1", "Undo1", "Crop1"}) {
    const std::vector<bool> after = shown(name);
    EXPECT_EQ(std::count(after.begin(), after.end(), false), 0) << name;
  }
  EXPECT_TRUE(Command("mOpenImage")->isEnabled());
  EXPECT_FALSE(Command("RotateLayer1")->isEnabled());
}

TEST_F(StudioTest, ArrowsAndWheelReachTheBrushEvenWhenASliderHasTheFocus) {
  WriteFileBytes(Dir_.Path("w.bmp"), EncodeBmp32(test::Swatch(50, 50)));
  Open(Dir_.Path("w.bmp"));
  Trigger("Warp1");
  SizeBar()->setFocus();
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QApplication::sendEvent(SizeBar(), &left);
  EXPECT_EQ(PinchBar()->value(), -3);
  EXPECT_EQ(SizeBar()->value(), 100);
  // The wheel turned down over a slider makes the brush larger, as anywhere over the window.
  QWheelEvent down(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(PinchBar(), &down);
  EXPECT_EQ(SizeBar()->value(), 103);
  EXPECT_EQ(PinchBar()->value(), -3);
}


TEST_F(StudioTest, EachKeyReachesOneCommand) {
  // Qt does nothing at all for a key two actions share, so a clash is a key that stopped working.
  std::map<QString, QString> owner;
  for (QAction* action : Studio_->findChildren<QAction*>())
    for (const QKeySequence& key : action->shortcuts()) {
      // A key no keyboard has (an unset entry) must not stand among them.
      ASSERT_FALSE(key.toString(QKeySequence::PortableText).isEmpty()) << action->objectName().toStdString();
      const QString text = key.toString(QKeySequence::PortableText);
      EXPECT_TRUE(owner.emplace(text, action->objectName()).second)
          << text.toStdString() << " is on " << owner[text].toStdString() << " and " << action->objectName().toStdString();
    }
  const struct {
    QKeySequence Key;
    const char* Command;
  } keys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Z), "StepBackward1"},          {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "StepForward1"},
      {QKeySequence(Qt::CTRL | Qt::Key_Y), "StepForward1"},           {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z), "Undo1"},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "saveas1"},    {QKeySequence(Qt::CTRL | Qt::Key_O), "mOpenImage"},
      {QKeySequence(Qt::Key_W), "Warp1"},                             {QKeySequence(Qt::CTRL | Qt::Key_0), "Original1"},
  };
  for (const auto& [key, command] : keys)
    EXPECT_EQ(owner[key.toString(QKeySequence::PortableText)].toStdString(), command) << key.toString().toStdString();
}

TEST_F(StudioTest, BatchRefusesWhatNoDialogWouldTakeAndLinesThatAreNoText) {
  WriteFileBytes(Dir_.Path("face.png"), EncodePng(test::Swatch(40, 30), std::nullopt));
  Run("\xEF\xBB\xBFopen " + Dir_.Path("face.png") + "\nbrushsize 6\ntext 12 | Hi\n");  // a byte-order mark first
  EXPECT_EQ(Doc().EraserSize, 6);
  const struct {
    std::string Line;
    const char* Said;
  } refused[] = {
      {"stroke 10,10 hold -1", "hold"},
      {"stroke 10,10 hold 2000000000", "hold"},
      {"brushsize 7", "brushsize takes 1, 3, 6, 10, 14, 18, 26, not \"7\""},
      {"text 0 | Hi", "text size"},
      {"text 9999 | Hi", "text size"},
      {"zoom\x1b[2J in", "line 1 holds control characters"},
  };
  for (const auto& [line, said] : refused) {
    const std::string err = Fails(line + "\n");
    EXPECT_NE(err.find(said), std::string::npos) << line << ": " << err;
    EXPECT_EQ(err.find('\x1b'), std::string::npos) << "echoed raw";
  }
  EXPECT_EQ(Doc().Layers().size(), 1u);
  EXPECT_EQ(RunBatchFile(Dir_.Path("")), 1);  // a folder is no script
}

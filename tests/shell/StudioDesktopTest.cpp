// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop conventions of the main window: keyboard shortcuts, the wheel, dropped files,
// and what it remembers between runs.

#include "StudioFixture.h"
#include "codecs/Bmp.h"
#include "codecs/FileIO.h"
#include "codecs/Webp.h"
#include "shell/view/ImageView.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace gs;

namespace {

class StudioDesktopTest : public test::TStudioFixture {
protected:
  StudioDesktopTest() {
    WriteFileBytes(Dir_.Path("face.bmp"), EncodeBmp32(test::Stripes(120, 90)));
    Run("open " + Dir_.Path("face.bmp") + "\nzoom original\n");
    Studio_->activateWindow();
    QApplication::setActiveWindow(Studio_.get());
  }
  void Key(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(to, Qt::Key(key), modifiers);
  }
  void Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    // As a drag does: it enters the window, then drops.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Studio_.get(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Studio_.get(), &drop);
  }
  std::unique_ptr<QSettings> ScratchSettings() {
    return std::make_unique<QSettings>(QString::fromStdString(Dir_.Path("settings.ini")), QSettings::IniFormat);
  }
};

}  // namespace

TEST_F(StudioDesktopTest, ShortcutsReachTheirCommandsButNotPastATextField) {
  QWidget* window = Studio_.get();
  Key(window, Qt::Key_W);
  EXPECT_EQ(Doc().ToolMode, TToolMode::Warp);
  Key(window, Qt::Key_BracketRight);
  EXPECT_EQ(SizeBar()->value(), 103);
  Key(window, Qt::Key_BracketLeft);
  Key(window, Qt::Key_BracketLeft);
  EXPECT_EQ(SizeBar()->value(), 97);
  Key(window, Qt::Key_E);
  EXPECT_EQ(Doc().ToolMode, TToolMode::Eraser);
  Key(window, Qt::Key_V);
  EXPECT_EQ(Doc().ToolMode, TToolMode::None);
  Key(window, Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(Doc().ZoomPercent, 120);
  Key(window, Qt::Key_Minus, Qt::ControlModifier);
  Key(window, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(Doc().ZoomPercent, 80);
  Key(window, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(Doc().ZoomPercent, 100);
  // Ctrl+Z takes the stroke back and leaves the brush in the hand; Ctrl+Shift+Z brings it again.
  Run("tool twirl\nstroke 60,45 hold 3\n");
  const TBitmap32 twirled = Doc().ViewBitmap;
  ASSERT_NE(twirled, test::Stripes(120, 90));
  Key(window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Doc().ViewBitmap, test::Stripes(120, 90));
  EXPECT_EQ(Doc().ToolMode, TToolMode::Twirl);
  Key(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Doc().ViewBitmap, twirled);

  // Typing into a text field of the window types; it chooses no tool.
  auto* field = new QLineEdit(Studio_.get());
  Studio_->statusBar()->addWidget(field);
  field->show();
  field->setFocus();
  Key(field, Qt::Key_P);
  EXPECT_EQ(field->text(), QStringLiteral("p"));
  EXPECT_EQ(Doc().ToolMode, TToolMode::Twirl);
}

TEST_F(StudioDesktopTest, FineWheelTurnsCountOnlyOnceTheyMakeANotch) {
  Studio_->WheelTurned(40);
  Studio_->WheelTurned(40);
  EXPECT_EQ(Doc().ZoomPercent, 100);
  Studio_->WheelTurned(40);  // three thirds of a notch: one step
  EXPECT_EQ(Doc().ZoomPercent, 95);
  Studio_->WheelTurned(-360);
  EXPECT_EQ(Doc().ZoomPercent, 110);
  EXPECT_EQ(Studio_->createPopupMenu(), nullptr);  // no menu that hides the tool bars
}

TEST_F(StudioDesktopTest, ADroppedPictureOpensAndAnythingElseSaysWhy) {
  WriteFileBytes(Dir_.Path("other.bmp"), EncodeBmp32(test::Stripes(30, 20)));
  WriteFileBytes(Dir_.Path("notes.txt"), TBytes{'h', 'i'});
  Drop({QUrl::fromLocalFile(QString::fromStdString(Dir_.Path("other.bmp"))),
        QUrl::fromLocalFile(QString::fromStdString(Dir_.Path("face.bmp")))});
  EXPECT_EQ(Doc().ImageWidth(), 30);
  EXPECT_EQ(Doc().DocumentFileName(), Dir_.Path("other.bmp"));
  Drop({QUrl::fromLocalFile(QString::fromStdString(Dir_.Path("notes.txt")))});
  ASSERT_EQ(Dialogs_.Messages().size(), 1u);
  EXPECT_EQ(Dialogs_.Messages().front(), "Unsupported image format: notes.txt. Grimacer Studio opens JPEG, PNG, "
                                         "GIF, BMP, WebP, HEIC, HEIF, AVIF and .mfk pictures.");
  EXPECT_EQ(Doc().ImageWidth(), 30);
  Dialogs_.ClearMessages();
  // Among other files the picture is the one that opens.
  WriteFileBytes(Dir_.Path("phone.webp"), EncodeWebp(test::Stripes(26, 14)));
  Drop({QUrl::fromLocalFile(QString::fromStdString(Dir_.Path("notes.txt"))),
        QUrl::fromLocalFile(QString::fromStdString(Dir_.Path("phone.webp")))});
  EXPECT_TRUE(Dialogs_.Messages().empty());
  EXPECT_EQ(Doc().ImageWidth(), 26);
}

TEST_F(StudioDesktopTest, RecentPicturesFolderAndBrushAreRememberedBetweenRuns) {
  Studio_->UseSettings(ScratchSettings());
  for (int i = 0; i < 10; ++i) {
    const std::string name = Dir_.Path("p" + std::to_string(i) + ".bmp");
    WriteFileBytes(name, EncodeBmp32(test::Swatch(8 + i, 8)));
    Run("open " + name + "\n");
  }
  Run("open " + Dir_.Path("p3.bmp") + "\n");  // opened again: first, not twice
  const std::vector<std::string> expected = {Dir_.Path("p3.bmp"), Dir_.Path("p9.bmp"), Dir_.Path("p8.bmp"),
                                             Dir_.Path("p7.bmp"), Dir_.Path("p6.bmp"), Dir_.Path("p5.bmp"),
                                             Dir_.Path("p4.bmp"), Dir_.Path("p2.bmp")};
  EXPECT_EQ(Studio_->RecentFiles().Files(), expected);
  EXPECT_EQ(Menu("RecentMenu")->actions().size(), 8 + 2);  // the pictures, a line, "Clear list"
  EXPECT_EQ(Menu("RecentMenu")->actions().front()->toolTip().toStdString(),
            std::filesystem::path(Dir_.Path("p3.bmp")).parent_path().string());
  // A picture named relative to where the program started is remembered wherever that was.
  const std::filesystem::path start = std::filesystem::current_path();
  std::filesystem::current_path(Dir_.Path(""));
  Studio_->OpenFile("p3.bmp");
  std::filesystem::current_path(start);
  EXPECT_EQ(Studio_->RecentFiles().Files(), expected);
  SizeBar()->setValue(250);
  Studio_->SaveSettings();

  // The next run finds them; a picture gone since is dropped with a word.
  std::filesystem::remove(Dir_.Path("p9.bmp"));
  Studio_.reset();
  Studio_ = std::make_unique<TSStudio>();
  Studio_->UseSettings(ScratchSettings());
  EXPECT_EQ(Studio_->RecentFiles().Files(), expected);
  EXPECT_EQ(Studio_->LastFolder(), std::filesystem::path(Dir_.Path("p3.bmp")).parent_path().string());
  EXPECT_EQ(SizeBar()->value(), 250);
  Studio_->OpenRecentFile(Dir_.Path("p9.bmp"));
  ASSERT_EQ(Dialogs_.Messages().size(), 1u);
  EXPECT_NE(Dialogs_.Messages().front().find("p9.bmp"), std::string::npos);
  Dialogs_.ClearMessages();
  EXPECT_EQ(Studio_->RecentFiles().Files().size(), 7u);
  Studio_->OpenRecentFile(Dir_.Path("p5.bmp"));
  EXPECT_EQ(Doc().ImageWidth(), 13);
  Trigger("ClearRecent1");
  EXPECT_TRUE(Studio_->RecentFiles().Files().empty());
  EXPECT_FALSE(Menu("RecentMenu")->menuAction()->isEnabled());
}

TEST_F(StudioDesktopTest, ListsKeepTheirOwnWheelAndArrows) {
  Trigger("History1");
  auto* list = Child<QListWidget>("HistoryList");
  QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(list->viewport(), &wheel);
  QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QApplication::sendEvent(list, &up);
  EXPECT_EQ(Doc().ZoomPercent, 100);
  // Anywhere else in the window they zoom the picture.
  QWheelEvent again(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(View(), &again);
  EXPECT_NE(Doc().ZoomPercent, 100);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestGif.h"
#include "TestServices.h"

#include "gifloom/AnimatorDialog.h"
#include "gifloom/GifMessages.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace gifloom;
using namespace gifloom::test;

namespace {

class AnimatorDialogTest : public testing::Test {
protected:
  TScratchFolder Folder;
  TScriptedServices Services;
  TAnimatorDialog Dialog{Services, QString::fromStdString(Folder.Path().string())};

  // No help beside the test program or in an installed tree: only where a test puts it.
  AnimatorDialogTest() { Dialog.SetHelpFolders(QString::fromStdString((Folder.Path() / "bin").string()), {}); }

  template <typename T>
  T* Child(const char* name) {
    T* child = Dialog.findChild<T*>(QLatin1String(name));
    if (child == nullptr) ADD_FAILURE() << "no control " << name;
    return child;
  }
  QListWidget* List() { return Child<QListWidget>("frameList"); }
  QPushButton* MakeButton() { return Child<QPushButton>("makeButton"); }
  QPushButton* UpButton() { return Child<QPushButton>("moveUpButton"); }
  QPushButton* DownButton() { return Child<QPushButton>("moveDownButton"); }
  QString Info() { return Child<QLabel>("infoLabel")->text(); }
  QString Name() { return Child<QLabel>("nameLabel")->text(); }

  void Drop(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    urls << QUrl(QStringLiteral("https://example.org/not-a-file.gif"));
    data.setUrls(urls);
    // Qt delivers a drop to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Dialog, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Dialog, &drop);
  }
  QString Put(const std::string& name, const TTestGif& gif) {
    return QString::fromStdString(Folder.Put(name, gif));
  }
  // Replaces the field's text key by key and presses Enter, as a user types a number.
  static void Type(QSpinBox* spin, const QString& digits) {
    spin->selectAll();
    for (const QChar digit : digits) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + digit.digitValue(), Qt::NoModifier, digit);
      QCoreApplication::sendEvent(spin, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(spin, &enter);
  }
};

TEST_F(AnimatorDialogTest, StartsEmptyWithLoopingOnAndMakeDisabled) {
  EXPECT_EQ(Dialog.windowTitle(), "Grimacer Animator 1.2");
  EXPECT_TRUE(Dialog.acceptDrops());
  EXPECT_EQ(List()->count(), 0);
  EXPECT_TRUE(Child<QCheckBox>("loopCheck")->isChecked());
  EXPECT_EQ(Child<QSpinBox>("delaySpin")->minimum(), 0);
  EXPECT_EQ(Child<QSpinBox>("delaySpin")->maximum(), 65535);
  EXPECT_FALSE(MakeButton()->isEnabled());
}

TEST_F(AnimatorDialogTest, DroppedFilesKeepTheirOrderAndFullPaths) {
  const QString b = Put("b.gif", {});
  const QString a = Put("a.gif", {});
  const QString missing = QString::fromStdString(Folder / "later.gif");
  Drop({b, a});
  Drop({missing});
  ASSERT_EQ(List()->count(), 3);
  EXPECT_EQ(List()->item(0)->text(), "b.gif");
  EXPECT_EQ(List()->item(1)->text(), "a.gif");
  EXPECT_EQ(List()->item(2)->text(), "later.gif");
  EXPECT_EQ(Dialog.FramePaths(), (QStringList{b, a, missing}));
  EXPECT_TRUE(MakeButton()->isEnabled());
  EXPECT_TRUE(Services.Messages.empty());
}

TEST_F(AnimatorDialogTest, AddFramesAppendsTheChosenFilesInTheirOrderAsADropDoes) {
  const QString c = Put("c.gif", {});
  const QString a = Put("a.gif", {});
  const QString text = QString::fromStdString(Folder / "notes.gif");
  WriteFile(Folder / "notes.gif", {'h', 'i', '\n'});
  QPushButton* add = Child<QPushButton>("addFramesButton");

  add->click();  // cancelled
  ASSERT_EQ(Services.OpenRequests.size(), 1u);
  EXPECT_EQ(Services.OpenRequests[0].Title, "Add Frames");
  EXPECT_EQ(Services.OpenRequests[0].NameFilter, "GIF Images (*.gif)");
  EXPECT_EQ(List()->count(), 0);
  EXPECT_FALSE(MakeButton()->isEnabled());

  Drop({a});
  Services.OpenAnswer = {c, text, a};
  add->click();
  EXPECT_EQ(Dialog.FramePaths(), (QStringList{a, c, text, a}));
  EXPECT_EQ(List()->item(2)->text(), "notes.gif");
  EXPECT_TRUE(MakeButton()->isEnabled());
  EXPECT_TRUE(Services.Messages.empty());

  List()->setCurrentRow(2);
  ASSERT_EQ(Services.Messages.size(), 1u);
  EXPECT_EQ(Services.Messages[0].Icon, TMessageIcon::Warning);
  // Added through the dialog or dropped, a file that is no GIF is named.
  EXPECT_EQ(Services.Messages[0].Text, QString::fromLatin1(kNotAGif) + "\n" + text);
}

TEST_F(AnimatorDialogTest, MoveButtonsWorkOnlyWhenTheSelectedFrameCanMove) {
  const auto buttons = [&] {
    return std::pair(UpButton()->isEnabled(), DownButton()->isEnabled());
  };
  EXPECT_EQ(buttons(), std::pair(false, false));
  Dialog.AddFiles({"/no/such/one.gif"});
  List()->setCurrentRow(0);
  EXPECT_EQ(buttons(), std::pair(false, false));
  Dialog.AddFiles({"/no/such/two.gif", "/no/such/three.gif"});
  EXPECT_EQ(buttons(), std::pair(false, true));
  List()->setCurrentRow(1);
  EXPECT_EQ(buttons(), std::pair(true, true));
  const size_t complaints = Services.Messages.size();

  DownButton()->click();
  EXPECT_EQ(Dialog.FramePaths(),
            (QStringList{"/no/such/one.gif", "/no/such/three.gif", "/no/such/two.gif"}));
  EXPECT_EQ(List()->currentRow(), 2);
  EXPECT_EQ(buttons(), std::pair(true, false));
  DownButton()->click();  // already last
  EXPECT_EQ(Dialog.FramePaths().last(), "/no/such/two.gif");
  // The same frame stays selected: its info is not read, nor its failure shown, again.
  EXPECT_EQ(Name(), "two.gif");
  EXPECT_EQ(Services.Messages.size(), complaints);

  Child<QPushButton>("removeFrameButton")->click();
  EXPECT_EQ(buttons(), std::pair(false, false));
  List()->setCurrentRow(0);
  Child<QPushButton>("clearAllButton")->click();
  EXPECT_EQ(buttons(), std::pair(false, false));
}

TEST_F(AnimatorDialogTest, AddedDroppedAndMovedFramesPlayInTheListsOrder) {
  const uint8_t seeds[] = {10, 20, 30};
  QStringList paths;
  for (const uint8_t seed : seeds)
    paths << Put("seed" + std::to_string(seed) + ".gif", {.ColourSeed = seed});
  Services.OpenAnswer = {paths[0], paths[1]};
  Child<QPushButton>("addFramesButton")->click();
  Drop({paths[2]});
  List()->setCurrentRow(2);
  UpButton()->click();
  UpButton()->click();  // 30 10 20
  List()->setCurrentRow(1);
  DownButton()->click();  // 30 20 10
  Services.SaveAnswer = QString::fromStdString(Folder / "out.gif");
  MakeButton()->click();
  ASSERT_TRUE(Services.Messages.empty());

  QImageReader reader(*Services.SaveAnswer, "gif");
  ASSERT_EQ(reader.imageCount(), 3);
  for (const uint8_t seed : {30, 20, 10}) {
    const QImage frame = reader.read();
    ASSERT_FALSE(frame.isNull()) << reader.errorString().toStdString();
    // Every pixel of a test GIF has colour index 1.
    EXPECT_EQ(frame.pixel(0, 0) & 0xFFFFFF, ColourOf(seed, 1)) << int(seed);
  }
}

TEST_F(AnimatorDialogTest, SelectingAFrameShowsItsInfoOrWhyNot) {
  Dialog.AddFiles(
      {Put("sixteen.gif", {.ScreenWidth = 64, .ScreenHeight = 48, .GlobalTableCode = 3}),
       Put("broken.gif", {.Version = "GIF11a"})});
  List()->setCurrentRow(0);
  EXPECT_EQ(Name(), "sixteen.gif");
  EXPECT_EQ(Info(), "64 x 48\nglobal (4 bpp)");
  EXPECT_TRUE(Services.Messages.empty());

  List()->setCurrentRow(1);
  EXPECT_EQ(Name(), "broken.gif");
  EXPECT_EQ(Info(), "");
  ASSERT_EQ(Services.Messages.size(), 1u);
  EXPECT_EQ(Services.Messages[0].Icon, TMessageIcon::Warning);
  // Named, since a drop of many files may hold more than one that is no GIF.
  EXPECT_EQ(Services.Messages[0].Text,
            QString::fromLatin1(kNotAGif) + "\n" + List()->item(1)->data(Qt::UserRole).toString());
}

TEST_F(AnimatorDialogTest, MakeSaysWhereAndHowManyAndWhichFilesGaveOnlyTheirFirstFrame) {
  // Two images, the second behind an extension: only the first is joined.
  const TTestGif still{};
  TBytes two = BuildGif(still);
  two.pop_back();
  const TBytes comment = {0x21, 0xFE, 2, 'h', 'i', 0};
  two.insert(two.end(), comment.begin(), comment.end());
  const TBytes descriptor = {',', 0, 0, 0, 0, 4, 0, 3, 0, 0};
  two.insert(two.end(), descriptor.begin(), descriptor.end());
  const TBytes data = ImageDataOf(still);
  two.insert(two.end(), data.begin(), data.end());
  two.push_back(';');
  WriteFile(Folder / "two.gif", two);
  const QString twoPath = QString::fromStdString(Folder / "two.gif");
  Dialog.AddFiles({Put("a.gif", {}), twoPath, twoPath});

  List()->setCurrentRow(0);
  EXPECT_TRUE(Child<QLabel>("framesNote")->text().isEmpty());
  List()->setCurrentRow(1);
  EXPECT_EQ(Child<QLabel>("framesNote")->text(), "This file has several frames; only the first is used.");

  const QString out = QString::fromStdString(Folder / "out.gif");
  Services.SaveAnswer = out;
  MakeButton()->click();
  EXPECT_TRUE(Services.Messages.empty());
  EXPECT_EQ(ParseAnimation(ReadFile(Folder / "out.gif")).Frames.size(), 3u);
  EXPECT_EQ(Child<QLabel>("noticeLabel")->text(),
            "Wrote 3 frames to " + out + ".\nOnly the first frame was used of: two.gif.");
}

TEST_F(AnimatorDialogTest, RemoveAndClearEmptyTheListWithoutReadingOtherFrames) {
  Dialog.AddFiles({Put("one.gif", {}), "/no/such/two.gif", "/no/such/three.gif"});
  Child<QPushButton>("removeFrameButton")->click();  // nothing selected: nothing happens
  EXPECT_EQ(List()->count(), 3);

  List()->setCurrentRow(0);
  Child<QPushButton>("removeFrameButton")->click();
  EXPECT_EQ(List()->count(), 2);
  EXPECT_EQ(List()->item(0)->text(), "two.gif");
  EXPECT_TRUE(List()->selectedItems().isEmpty());
  EXPECT_EQ(Name(), "");
  EXPECT_TRUE(Services.Messages.empty());
  EXPECT_TRUE(MakeButton()->isEnabled());

  Child<QPushButton>("clearAllButton")->click();
  EXPECT_EQ(List()->count(), 0);
  EXPECT_FALSE(MakeButton()->isEnabled());
  EXPECT_TRUE(Services.Messages.empty());

  Dialog.AddFiles({"/no/such/four.gif"});
  List()->setCurrentRow(0);
  EXPECT_EQ(Services.Messages.size(), 1u);
  Child<QPushButton>("removeFrameButton")->click();
  EXPECT_FALSE(MakeButton()->isEnabled());
}

TEST_F(AnimatorDialogTest, MakeWritesTheAnimationWithTheDialogsOptions) {
  Dialog.AddFiles({Put("a.gif", {}), Put("b.gif", {.ColourSeed = 5})});
  Child<QSpinBox>("delaySpin")->setValue(75);
  Child<QCheckBox>("loopCheck")->setChecked(false);

  MakeButton()->click();  // cancelled
  ASSERT_EQ(Services.SaveRequests.size(), 1u);
  EXPECT_EQ(Services.SaveRequests[0].Title, "Make Animated GIF");
  EXPECT_EQ(Services.SaveRequests[0].NameFilter, "GIF Files (*.gif)");
  EXPECT_EQ(Services.SaveRequests[0].DefaultSuffix, "gif");
  EXPECT_TRUE(Services.SaveRequests[0].ConfirmOverwrite);
  EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"a.gif", "b.gif"}));

  Services.SaveAnswer = QString::fromStdString(Folder / "out.gif");
  MakeButton()->click();
  EXPECT_TRUE(Services.Messages.empty());
  const TAnimation animation = ParseAnimation(ReadFile(Folder / "out.gif"));
  EXPECT_FALSE(animation.HasLoopingBlock);
  ASSERT_EQ(animation.Frames.size(), 2u);
  EXPECT_EQ(animation.Frames[1].Control, (TBytes{4, 0x08, 75, 0, 0, 0}));
  EXPECT_EQ(animation.Frames[1].Table, ColourTable(1, 5));
}

TEST_F(AnimatorDialogTest, DelayTakesAnyTypedGifDelayWhileItsArrowsStayWithinTenSeconds) {
  QSpinBox* delay = Child<QSpinBox>("delaySpin");
  Dialog.AddFiles({Put("a.gif", {})});
  Services.SaveAnswer = QString::fromStdString(Folder / "out.gif");
  Type(delay, "65535");
  MakeButton()->click();
  EXPECT_TRUE(Services.Messages.empty());
  EXPECT_EQ(ParseAnimation(ReadFile(Folder / "out.gif")).Frames.at(0).Control,
            (TBytes{4, 0x08, 0xFF, 0xFF, 0, 0}));

  // Ten steps is a page. From a typed value above the arrows' range an up step does nothing
  // and a down step lands on their top.
  const struct {
    int Typed, Steps, Stepped;
  } cases[] = {{1500, -1, 1000}, {1500, 1, 1500}, {999, 1, 1000}, {1000, 1, 1000},
               {995, 10, 1000}, {3, -10, 0},     {500, 1, 501},   {500, -10, 490}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Typed) + " stepped by " + std::to_string(c.Steps));
    Type(delay, QString::number(c.Typed));
    ASSERT_EQ(delay->value(), c.Typed);
    delay->stepBy(c.Steps);
    EXPECT_EQ(delay->value(), c.Stepped);
  }
}

TEST_F(AnimatorDialogTest, MakeReportsTheFrameThatFailed) {
  const QString missing = QString::fromStdString(Folder / "gone.gif");
  const QString cut = QString::fromStdString(Folder / "cut.gif");
  WriteFile(Folder / "cut.gif", {'G', 'I', 'F', '8', '7', 'a', 1, 0});
  Services.SaveAnswer = QString::fromStdString(Folder / "out.gif");

  Dialog.AddFiles({Put("a.gif", {}), missing});
  MakeButton()->click();
  Child<QPushButton>("clearAllButton")->click();
  Dialog.AddFiles({cut});
  MakeButton()->click();

  ASSERT_EQ(Services.Messages.size(), 2u);
  EXPECT_EQ(Services.Messages[0].Icon, TMessageIcon::None);
  EXPECT_EQ(Services.Messages[0].Title, "Error");
  EXPECT_EQ(Services.Messages[0].Text, QString::fromLatin1(kCouldNotOpenInput) + "\n" + missing);
  EXPECT_EQ(Services.Messages[1].Icon, TMessageIcon::Warning);
  EXPECT_EQ(Services.Messages[1].Text, QString::fromLatin1(kPrematureEnd) + "\n" + cut);
  EXPECT_FALSE(std::filesystem::exists(Folder / "out.gif"));
}

TEST_F(AnimatorDialogTest, HelpAndWebOpenTheBundledPageOrSayWhereItShouldBe) {
  Child<QToolButton>("helpButton")->click();
  Child<QToolButton>("webButton")->click();
  EXPECT_TRUE(Services.OpenedUrls.empty());
  ASSERT_EQ(Services.Messages.size(), 2u);
  EXPECT_TRUE(Services.Messages[0].Text.startsWith("Couldn't find the help file!"));
  const QString expected =
      QUrl::fromLocalFile(QString::fromStdString(Folder / "help/animator.html")).toString();
  EXPECT_EQ(Services.Messages[1].Text,
            "Error opening web browser. You may manually surf to " + expected + ".");
  EXPECT_EQ(Services.Messages[1].Title, "Error");

  std::filesystem::create_directory(Folder.Path() / "help");
  WriteFile(Folder.Path() / "help/animator.html", {'<'});
  Child<QToolButton>("helpButton")->click();
  Child<QToolButton>("webButton")->click();
  EXPECT_EQ(Services.OpenedUrls, (std::vector<QUrl>(2, QUrl(expected))));
  EXPECT_EQ(Services.Messages.size(), 2u);

  Services.OpenSucceeds = false;
  Child<QToolButton>("webButton")->click();
  ASSERT_EQ(Services.Messages.size(), 3u);
  EXPECT_EQ(Services.Messages[2].Text, Services.Messages[1].Text);
  // A page that is there but that the desktop cannot show is named, not reported missing.
  Child<QToolButton>("helpButton")->click();
  ASSERT_EQ(Services.Messages.size(), 4u);
  EXPECT_FALSE(Services.Messages[3].Text.startsWith("Couldn't find"));
  EXPECT_TRUE(Services.Messages[3].Text.contains(QString::fromStdString(Folder / "help/animator.html")));

  // Beside the program, its page is found wherever it was started.
  Services.OpenSucceeds = true;
  std::filesystem::create_directories(Folder.Path() / "bin/help");
  WriteFile(Folder.Path() / "bin/help/animator.html", {'<'});
  Child<QToolButton>("helpButton")->click();
  EXPECT_EQ(Services.OpenedUrls.back(), QUrl::fromLocalFile(QString::fromStdString(Folder / "bin/help/animator.html")));
}

TEST_F(AnimatorDialogTest, EscapeWithFramesAsksAsClosingDoes) {
  Dialog.AddFiles({Put("a.gif", {})});
  Services.SaveChangesAnswers = {TSaveChanges::Cancel};
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&Dialog, &escape);
  EXPECT_EQ(Services.Questions.size(), 1u);
  EXPECT_EQ(List()->count(), 1);
}

TEST_F(AnimatorDialogTest, ClosingWithFramesAsksAndEmptiesTheListOnlyWhenItCloses) {
  const QString frame = Put("a.gif", {});
  const QString out = QString::fromStdString(Folder / "joined.gif");
  const struct {
    std::optional<TSaveChanges> Answer;  // none: the animation was made before closing
    bool Closes;
    bool Writes;
  } cases[] = {{TSaveChanges::Cancel, false, false},
               {TSaveChanges::Discard, true, false},
               {TSaveChanges::Save, true, true},
               {std::nullopt, true, true}};
  for (const auto& [answer, closes, writes] : cases) {
    std::filesystem::remove(out.toStdString());
    Services.Questions.clear();
    Dialog.setAcceptDrops(true);
    Dialog.AddFiles({frame});
    Services.SaveAnswer = out;
    if (answer) Services.SaveChangesAnswers = {*answer};
    else MakeButton()->click();
    Dialog.reject();
    EXPECT_EQ(Services.Questions.size(), answer ? 1u : 0u);
    EXPECT_EQ(List()->count(), closes ? 0 : 1);
    EXPECT_EQ(Dialog.acceptDrops(), !closes);
    EXPECT_EQ(std::filesystem::exists(out.toStdString()), writes);
    if (!closes) List()->clear();
  }
  Services.Questions.clear();
  Dialog.reject();  // nothing in the list: nothing to ask
  EXPECT_TRUE(Services.Questions.empty());
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ScriptedDialogs.h"
#include "shell/dialogs/AboutBox.h"

#include <QCheckBox>
#include "shell/art/Artwork.h"
#include "shell/window/PrintPicture.h"
#include "shell/dialogs/Splash.h"
#include "QtApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

#include <QPrinter>

#include <gtest/gtest.h>

#include <stdexcept>

namespace gs {
namespace {

class SplashAboutTest : public ::testing::Test {
protected:
  void SetUp() override { test::EnsureQtApplication(); }

  static void Click(QWidget* w, QPoint at = QPoint(5, 5)) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
  }

  static int LiveSplashes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<Tfsplash*>(w)) ++n;
    return n;
  }
};

TEST_F(SplashAboutTest, SplashIsVisibleBorderlessAtItsSizeAndAClickAnywhereClosesIt) {
  Tfsplash splash;
  EXPECT_TRUE(splash.isVisible());
  EXPECT_EQ(splash.size(), QSize(kSplashWidth, kSplashHeight));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash.Image1->geometry(), QRect(0, 0, kSplashWidth, kSplashHeight));
  Click(splash.Image1, QPoint(400, 300));
  EXPECT_FALSE(splash.isVisible());
}

TEST_F(SplashAboutTest, SplashClosesWhenAnotherWindowTakesTheFocus) {
  Tfsplash splash;
  splash.activateWindow();
  QApplication::processEvents();
  if (!splash.isActiveWindow()) GTEST_SKIP() << "this platform does not activate windows";
  QWidget other;
  other.show();
  other.activateWindow();
  QApplication::processEvents();
  EXPECT_FALSE(splash.isVisible());
}

TEST_F(SplashAboutTest, StartupSplashIsUpDuringTheWorkKeptForTheMinimumAndFreedAfter) {
  const int before = LiveSplashes();
  bool seenDuringWork = false;
  QElapsedTimer timer;
  timer.start();
  ShowSplashWhile([&] { seenDuringWork = LiveSplashes() == before + 1; }, 300);
  EXPECT_GE(timer.elapsed(), 300);
  EXPECT_TRUE(seenDuringWork);
  EXPECT_EQ(LiveSplashes(), before);
}

TEST_F(SplashAboutTest, StartupSplashIsFreedWhenTheWorkFails) {
  const int before = LiveSplashes();
  EXPECT_THROW(ShowSplashWhile([] { throw std::runtime_error("no plug-ins"); }, 5000),
               std::runtime_error);
  EXPECT_EQ(LiveSplashes(), before);
}

TEST_F(SplashAboutTest, AboutBoxLayoutHasCornerAreaAndCentredOkButton) {
  TForm2 about;
  EXPECT_EQ(about.size(), QSize(kAboutWidth, kAboutHeight));
  EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(about.Image2->geometry(), QRect(kAboutWidth - 25, 0, 25, 25));
  EXPECT_EQ(about.Button1->text(), QStringLiteral("OK"));
  const QRect ok = about.Button1->geometry();
  EXPECT_LE(std::abs(ok.center().x() - kAboutWidth / 2), 1);
  EXPECT_GT(ok.top(), kAboutHeight / 2);
}

TEST_F(SplashAboutTest, AboutBoxClosesFromTheCornerAreaAndFromOk) {
  TForm2 about;
  about.show();
  Click(about.Image2);
  EXPECT_FALSE(about.isVisible());
  about.show();
  about.Button1->click();
  EXPECT_FALSE(about.isVisible());
}

TEST_F(SplashAboutTest, FirstActivationShowsAboutWithoutBlockingLaterOnesOnlyClose) {
  TForm2 about;
  bool shown = false;
  ActivateAboutBox(about, shown);  // returns: not modal
  EXPECT_TRUE(shown);
  EXPECT_TRUE(about.isVisible());
  EXPECT_FALSE(about.isModal());
  ActivateAboutBox(about, shown);
  EXPECT_FALSE(about.isVisible());
  ActivateAboutBox(about, shown);
  EXPECT_FALSE(about.isVisible());

  // Switched off in the box: the next run's first activation shows nothing.
  TForm2 later;
  EXPECT_TRUE(later.ShowAtStart());
  later.AtStart->click();
  bool laterShown = false;
  ActivateAboutBox(later, laterShown);
  EXPECT_TRUE(laterShown);
  EXPECT_FALSE(later.isVisible());
}

TEST_F(SplashAboutTest, AboutCommandGoesThroughTheDialogService) {
  TScriptedDialogs scripted;
  TDialogs* previous = SetDialogs(&scripted);
  TForm2 about;
  scripted.AnswerForm(TFormAnswer{"About", {}, true});
  EXPECT_NO_THROW(ShowAboutBox(about));
  EXPECT_THROW(ShowAboutBox(about), EUnansweredDialog);
  scripted.AnswerForm(TFormAnswer{"About", {{"Name", "x"}}, true});
  EXPECT_THROW(ShowAboutBox(about), Exception);
  SetDialogs(previous);
}

TEST_F(SplashAboutTest, ArtworkHasItsSizesAndShowsAFaceOnAComicBackdrop) {
  const QImage splash = SplashArtwork();
  const QImage about = AboutArtwork();
  EXPECT_EQ(splash.size(), QSize(kSplashWidth, kSplashHeight));
  EXPECT_EQ(about.size(), QSize(kAboutWidth, kAboutHeight));
  // Skin tones and the dark outline must both be there, and the picture must be opaque.
  auto count = [](const QImage& img, auto pred) {
    int n = 0;
    for (int y = 0; y < img.height(); y += 2)
      for (int x = 0; x < img.width(); x += 2)
        if (pred(QColor(img.pixel(x, y)))) ++n;
    return n;
  };
  for (const QImage* img : {&splash, &about}) {
    EXPECT_GT(count(*img, [](QColor c) { return c.red() > 230 && c.green() > 180 && c.green() < 225 && c.blue() > 120 && c.blue() < 175; }), 500);
    EXPECT_GT(count(*img, [](QColor c) { return c.lightness() < 60; }), 200);
    EXPECT_EQ(count(*img, [](QColor c) { return c.alpha() != 255; }), 0);
  }
  // The about box's close corner is marked so that it can be found.
  bool cornerMarked = false;
  for (int y = 5; y < 20; ++y)
    for (int x = kAboutWidth - 20; x < kAboutWidth - 5; ++x)
      if (QColor(about.pixel(x, y)).lightness() < 60) cornerMarked = true;
  EXPECT_TRUE(cornerMarked);
}

TEST_F(SplashAboutTest, FittedPictureIsCentredAndFillsTheShorterSide) {
  QImage page(200, 100, QImage::Format_ARGB32);
  page.fill(Qt::white);
  TBitmap32 picture(2, 2, 0xFFFF0000);
  {
    QPainter p(&page);
    DrawFittedPicture(p, QRect(0, 0, 200, 100), picture);
  }
  EXPECT_EQ(page.pixel(100, 50), 0xFFFF0000u);
  EXPECT_EQ(page.pixel(55, 2), 0xFFFF0000u);
  EXPECT_EQ(page.pixel(144, 97), 0xFFFF0000u);
  EXPECT_EQ(page.pixel(45, 50), 0xFFFFFFFFu);
  EXPECT_EQ(page.pixel(155, 50), 0xFFFFFFFFu);

  QImage untouched(20, 20, QImage::Format_ARGB32);
  untouched.fill(Qt::white);
  {
    QPainter p(&untouched);
    DrawFittedPicture(p, QRect(0, 0, 20, 20), TBitmap32());
  }
  EXPECT_EQ(untouched.pixel(10, 10), 0xFFFFFFFFu);
}

TEST_F(SplashAboutTest, PrintCancelledDoesNothingAndPrintedJobWritesOnePage) {
  TScriptedDialogs scripted;
  TDialogs* previous = SetDialogs(&scripted);
  QTemporaryDir dir;
  const QString pdf = dir.filePath("out.pdf");
  int deselected = 0, painted = 0;
  TPrintSource source;
  source.Width = 40;
  source.Height = 30;
  source.DeselectLayer = [&] { ++deselected; };
  source.PaintView = [&](TBitmap32& b) {
    EXPECT_EQ(deselected, 1);  // no selection frame may reach the paper
    EXPECT_EQ(b.Width(), 40);
    EXPECT_EQ(b.Height(), 30);
    b.Clear(0xFF0000FF);
    ++painted;
  };
  QPrinter printer;
  scripted.AnswerForm(TFormAnswer{"Print", {}, false});
  EXPECT_FALSE(RunPrint(printer, source));
  EXPECT_EQ(deselected + painted, 0);
  scripted.AnswerForm(TFormAnswer{"Print", {{"Output File", pdf.toStdString()}, {"Copies", "1"}}, true});
  EXPECT_TRUE(RunPrint(printer, source));
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(printer.docName(), QStringLiteral("Grimacer Studio 3.6"));
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().startsWith("%PDF"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  scripted.AnswerForm(TFormAnswer{"Print", {{"Copies", "none"}}, true});
  EXPECT_THROW(RunPrint(printer, source), Exception);
  SetDialogs(previous);
}

}  // namespace
}  // namespace gs

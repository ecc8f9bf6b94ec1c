// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window and its paint-only pump.

#include "shell/dialogs/ProgressForm.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

// Under LeakSanitizer: fontconfig, which Qt loads to draw the label, keeps its caches until exit
// on purpose. One definition for the whole test program.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace gs {
namespace {

// The window must be shown, and a shown window makes a static QApplication crash when it is
// torn down after main; this one is never torn down.
void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "shell_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

// Counts the events of one type that reach an object.
class TEventCounter : public QObject {
public:
  explicit TEventCounter(QEvent::Type type) : Type_(type) {}
  int Count = 0;
  bool Swallow = false;

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != Type_) return false;
    ++Count;
    return Swallow;
  }

private:
  QEvent::Type Type_;
};

TEST(ProgressForm, UpdatesPaintAtOnceWhileOtherMessagesAndQuitStayQueued) {
  EnsureApplication();
  TProgressForm form;
  EXPECT_FALSE(form.windowFlags() & Qt::WindowTitleHint);
  form.Start(QStringLiteral("Applying Filter Emboss..."));
  QCoreApplication::processEvents();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.lblProgress->text(), "Applying Filter Emboss...");
  EXPECT_EQ(form.ProgressBar->size(), QSize(246, 12));

  TEventCounter paints(QEvent::Paint), others(QEvent::User), quits(QEvent::Quit);
  form.lblProgress->installEventFilter(&paints);
  form.installEventFilter(&others);
  qApp->installEventFilter(&quits);
  quits.Swallow = true;  // the test's application must go on

  QCoreApplication::postEvent(&form, new QEvent(QEvent::User));  // stands for any other message
  QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
  form.lblProgress->setText(QStringLiteral("changed"));  // asks for a paint, later
  form.SetProgress(7, 7);
  EXPECT_EQ(form.ProgressBar->value(), 7);
  EXPECT_EQ(form.ProgressBar->maximum(), 7);
  EXPECT_GE(paints.Count, 1);
  EXPECT_EQ(others.Count, 0);
  EXPECT_EQ(quits.Count, 0);

  form.SetProgress(3, 0);  // a total of 0 is an empty bar, not a busy one
  EXPECT_EQ(form.ProgressBar->maximum(), 1);
  EXPECT_EQ(form.ProgressBar->value(), 0);

  QCoreApplication::processEvents();
  EXPECT_EQ(others.Count, 1);
  EXPECT_EQ(quits.Count, 1);
  qApp->removeEventFilter(&quits);
}

}  // namespace
}  // namespace gs

namespace gs {
namespace {

// The progress window takes the keyboard while it shows; once it goes, the window it covered
// must have it back, or no shortcut works until the user clicks a menu.
TEST(ProgressForm, GivesTheKeyboardBackWhenItGoes) {
  EnsureApplication();
  QWidget window;
  auto* field = new QLabel(&window);
  field->setFocusPolicy(Qt::StrongFocus);
  window.resize(300, 200);
  window.show();
  window.activateWindow();
  field->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), field);
  TProgressForm progress(&window);
  {
    const TProgressShown shown(progress, QStringLiteral("Bending the faces..."));
    QApplication::processEvents();
  }
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), &window);
  EXPECT_EQ(QApplication::focusWidget(), field);
}

}  // namespace
}  // namespace gs

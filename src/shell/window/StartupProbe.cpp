// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/StartupProbe.h"

#include "platform/Guard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace gs {

namespace {

// Watches every paint in the application: the window's own widgets paint into it, and the
// first of them to reach the screen is what the user sees first.
class TFirstPaintWatch : public QObject {
public:
  explicit TFirstPaintWatch(QWidget& window) : QObject(&window), Window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    RunGuarded([this, watched, event] { Watch(watched, event); });
    return false;
  }

private:
  void Watch(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint || Seen_) return;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &Window_) return;
    Seen_ = true;
    // Queued, so the line is written after this paint has finished.
    QTimer::singleShot(0, this, GuardedSlot([] {
      std::fputs("first-paint\n", stdout);
      std::fflush(stdout);
      QCoreApplication::exit(0);
    }));
  }


  QWidget& Window_;
  bool Seen_ = false;
};

}  // namespace

void QuitAfterFirstPaint(QWidget& window) {
  QCoreApplication::instance()->installEventFilter(new TFirstPaintWatch(window));
}

}  // namespace gs

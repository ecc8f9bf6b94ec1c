#include "shell/window/StartupProbe.h"

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
    if (event->type() != QEvent::Paint || Seen_) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &Window_) return false;
    Seen_ = true;
    // Queued, so the line is written after this paint has finished.
    QTimer::singleShot(0, this, [] {
      std::fputs("first-paint\n", stdout);
      std::fflush(stdout);
      QCoreApplication::exit(0);
    });
    return false;
  }

private:
  QWidget& Window_;
  bool Seen_ = false;
};

}  // namespace

void QuitAfterFirstPaint(QWidget& window) {
  QCoreApplication::instance()->installEventFilter(new TFirstPaintWatch(window));
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/qt/KeyboardAbort.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace gs {

namespace {

class TInputSwallower : public QObject {
public:
  bool Escape = false;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) Escape = true;
        return true;
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletMove:
      case QEvent::TabletRelease:
        return true;
      default:
        return QObject::eventFilter(watched, event);
    }
  }
};

}  // namespace

bool TakePendingEscape() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  TInputSwallower swallower;
  app->installEventFilter(&swallower);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  app->removeEventFilter(&swallower);
  return swallower.Escape;
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/Splash.h"

#include "platform/qt/MessagePump.h"
#include "shell/art/Artwork.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <memory>

namespace gs {

namespace {
void CentreOnScreen(QWidget& w) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = w.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w.move(frame.topLeft());
  }
}
}  // namespace

Tfsplash::Tfsplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("fsplash"));
  setFixedSize(kSplashWidth, kSplashHeight);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, kSplashWidth, kSplashHeight);
  Image1->setPixmap(QPixmap::fromImage(SplashArtwork()));
  Image1->installEventFilter(this);
  CentreOnScreen(*this);
  show();
  // Painted now: the caller goes on to slow work before the event loop runs again.
  repaint();
}

void Tfsplash::FormDeactivate() { close(); }

void Tfsplash::Image1MouseDown() { close(); }

bool Tfsplash::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
    RunGuarded([this] { Image1MouseDown(); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Tfsplash::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
    RunGuarded([this] { FormDeactivate(); });
  QWidget::changeEvent(event);
}

void ShowSplashWhile(const std::function<void()>& work, uint32_t minimumMs) {
  auto splash = std::make_unique<Tfsplash>();
  work();
  WaitPumping(minimumMs);
}

}  // namespace gs

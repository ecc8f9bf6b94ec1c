// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tfsplash: the borderless start-up picture, centred on the screen. It shows itself as soon as
// it is made and goes away when the user clicks it or turns to another window, so it never
// stands in the way.

#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;

namespace gs {

class Tfsplash : public QWidget {
  Q_OBJECT

public:
  explicit Tfsplash(QWidget* parent = nullptr);

  QLabel* Image1 = nullptr;

  // Closing only hides: the owner frees the window, possibly after the user closed it.
  void FormDeactivate();
  void Image1MouseDown();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
};

// The main window's start-up step: shows a splash while `work` (the plug-in discovery) runs,
// keeps it up at least `minimumMs` with messages still handled, then frees it. The splash is
// freed also when `work` throws; the exception then continues to the caller.
void ShowSplashWhile(const std::function<void()>& work, uint32_t minimumMs = 1500);

}  // namespace gs

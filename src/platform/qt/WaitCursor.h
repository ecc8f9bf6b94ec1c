// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hourglass for as long as the interface thread is busy with something long, also when it
// fails half way.

#include <QCursor>
#include <QGuiApplication>

namespace gs {

class TWaitCursor {
public:
  TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/MessagePump.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>

namespace gs {

uint32_t GetTickCount() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WaitPumping(uint32_t ms) {
  const uint32_t start = GetTickCount();
  while (GetTickCount() - start < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
}

}  // namespace gs

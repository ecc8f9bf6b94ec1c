// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start-up measurement: `grimacer --startup-probe` prints "first-paint" on standard output
// once the main window has painted for the first time, then quits. A benchmark times the line
// from the moment it started the process.

class QWidget;

namespace gs {

void QuitAfterFirstPaint(QWidget& window);

}  // namespace gs

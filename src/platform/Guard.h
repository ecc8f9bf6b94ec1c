// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one boundary between the program's handlers and Qt's event loop. An exception must never
// unwind through the event loop (the dialog would die, or the program end): every slot, timer,
// event override and connected lambda runs through here, and a failure becomes the program's
// message box while the window and its document stay as they were.

#include <functional>
#include <utility>

namespace gs {

// Runs the handler; shows what an exception that leaves it says.
void RunGuarded(const std::function<void()>& handler);

// The handler wrapped for QObject::connect.
template <class F>
auto GuardedSlot(F handler) {
  return [handler = std::move(handler)] { RunGuarded(handler); };
}

}  // namespace gs

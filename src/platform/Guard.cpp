// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Guard.h"

#include "platform/Dialogs.h"

#include <cstdio>
#include <exception>
#include <new>

namespace gs {

namespace {
// Even the message box may fail (no dialog service, no memory): then standard error has to do.
void Report(const char* text) {
  try {
    ShowMessage(text);
  } catch (...) {
    std::fprintf(stderr, "%s\n", text);
  }
}
}  // namespace

void RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::bad_alloc&) {
    Report("There is not enough memory for this.");
  } catch (const std::exception& e) {
    Report(e.what());
  } catch (...) {
    Report("Something went wrong that the program did not expect.");
  }
}

}  // namespace gs

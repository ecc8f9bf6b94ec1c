// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One QApplication for every test of the window; tests run with the offscreen platform.

#include <QApplication>

namespace gs::test {

// Never destroyed: tearing a QApplication down after widgets were shown crashes at exit.
inline void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "shell_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace gs::test

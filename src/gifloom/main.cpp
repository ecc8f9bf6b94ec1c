// SPDX-License-Identifier: GPL-3.0-or-later
// Gifloom: with arguments it joins GIF files from the command line; without, it opens the
// "Grimacer Animator" window (the way the editor's Tools menu starts it).

#include "gifloom/AnimatorDialog.h"
#include "gifloom/AnimatorSettings.h"
#include "gifloom/CommandLine.h"
#include "gifloom/QtDesktopServices.h"

#include <QApplication>
#include <QDir>
#include <QSettings>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  // Before anything of Qt: a script's run must neither depend on nor change what the window
  // remembers.
  if (argc > 1) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return gifloom::RunCommandLine(arguments, std::cout, std::cerr);
  }
  QApplication::setOrganizationName(QString::fromLatin1(gifloom::kOrganisationName));
  QApplication::setApplicationName(QString::fromLatin1(gifloom::kProgramName));
  QApplication application(argc, argv);
  QSettings settings;
  gifloom::TQtDesktopServices services;
  gifloom::TAnimatorDialog dialog(services, QDir::currentPath(), &settings);
  services.SetOwner(&dialog);
  dialog.exec();
  return 0;
}

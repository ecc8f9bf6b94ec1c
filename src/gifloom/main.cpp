// Gifloom: with arguments it joins GIF files from the command line; without, it opens the
// "Grimacer Animator" window (the way the editor's Tools menu starts it).

#include "gifloom/AnimatorDialog.h"
#include "gifloom/CommandLine.h"
#include "gifloom/QtDesktopServices.h"

#include <QApplication>
#include <QDir>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return gifloom::RunCommandLine(arguments, std::cout, std::cerr);
  }
  QApplication application(argc, argv);
  gifloom::TQtDesktopServices services;
  gifloom::TAnimatorDialog dialog(services, QDir::currentPath());
  services.SetOwner(&dialog);
  dialog.exec();
  return 0;
}

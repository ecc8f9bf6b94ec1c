// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog tests need an application object. The tests never need a screen, also when CMake
// runs the program at build time to list them, so offscreen is the default.

#include "TestServices.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
std::filesystem::path SettingsFolder;
}

const std::filesystem::path& gifloom::test::DefaultSettingsFolder() { return SettingsFolder; }

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Every store without a file of its own is redirected before any can be made.
  const QTemporaryDir settingsFolder;
  if (!settingsFolder.isValid()) return 1;
  SettingsFolder = settingsFolder.path().toStdString();
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
      QSettings::setPath(format, scope, settingsFolder.path());
  QApplication::setOrganizationName(QStringLiteral("Gifloom Tests"));
  QApplication::setApplicationName(QStringLiteral("gifloom_tests"));
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdlib>

namespace gs {

TDataFolders ProgramDataFolders() {
  TDataFolders folders;
  // The folder of the file itself (from /proc/self/exe), so that a link to the program elsewhere,
  // such as one in ~/bin, still finds the data laid out beside the real file.
  folders.ExeFolder = QCoreApplication::applicationDirPath().toStdString();
  folders.InstalledFolder = InstalledDataFolder(folders.ExeFolder, GS_DATA_DIR_FROM_BIN, GS_INSTALLED_DATA_DIR);
  folders.ModuleFolder = InstalledDataFolder(folders.ExeFolder, GS_MODULE_DIR_FROM_BIN, GS_INSTALLED_MODULE_DIR);
  folders.StartFolder = QDir::currentPath().toStdString();
  folders.UserFolder = UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  return folders;
}

}  // namespace gs

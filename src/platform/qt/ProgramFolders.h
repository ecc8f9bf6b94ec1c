// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data folders of the running program (see platform/DataFolders.h): its executable's folder,
// the installed data folder the build was configured with, the current folder and the user's
// folder from XDG_DATA_HOME or HOME. Needs the QCoreApplication for the executable's folder.

#include "platform/DataFolders.h"

namespace gs {

TDataFolders ProgramDataFolders();

}  // namespace gs

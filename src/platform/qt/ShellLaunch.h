// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Handing files, web addresses and programs to the desktop. Callers ignore the result: a
// missing help file or tool produces only whatever the desktop itself reports. Tests replace
// the launcher so that nothing is really opened.

#include "platform/DataFolders.h"

#include <functional>
#include <string>

namespace gs {

enum class TLaunchKind {
  Open,   // a file or address opened with the desktop's default handler
  Start,  // a program started as a separate process, without arguments
};

using TLauncher = std::function<bool(TLaunchKind kind, const std::string& target)>;

// Opens a file path or a URL ("scheme://...") with the desktop's default handler.
bool ShellExecute(const std::string& target);
// Starts the program at `path` as a detached process with no arguments.
bool StartProgram(const std::string& path);

// Replaces the launcher both calls go through; an empty one restores the desktop's. Returns the
// previous one so scopes can put it back.
TLauncher SetLauncher(TLauncher launcher);

// What the Help and Tools menus open, looked up among the data folders (FindDataItem, FindGifloom).
std::string HelpFilePath(const TDataFolders& folders);
std::string TutorialPath(const TDataFolders& folders);
std::string AnimatorPath(const TDataFolders& folders);

}  // namespace gs

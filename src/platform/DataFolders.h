// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the editor finds the data it ships with (plugins/, Clipart/, help/, Tools/gifloom) and
// the user's own filter modules. Every folder is an input, so that tests can lay out any of them
// in a scratch folder; the running program's folders come from platform/qt/ProgramFolders.h.
//
// Shipped data is looked up, for each item on its own, in
//   1. the executable's folder (the build tree lays everything out in build/bin beside the programs),
//   2. the installed data folder, <prefix>/share/grimacer-studio (InstalledDataFolder),
//   3. the folder the program was started in,
// and the first of them that holds the item wins. Filter modules are code, and come only from the
// executable's, the installed module folder (<prefix>/lib/grimacer-studio), the installed data
// folder where earlier versions put them, and the user's folder (PluginFolders).

#include <string>
#include <vector>

namespace gs {

struct TDataFolders {
  std::string ExeFolder;        // the folder of the running executable
  std::string InstalledFolder;  // <prefix>/share/grimacer-studio
  std::string StartFolder;      // the current folder when the program started
  std::string UserFolder;       // the user's own data folder; only its plugins/ is read
  std::string ModuleFolder;     // <prefix>/lib/grimacer-studio, where the shipped modules go
};
// An empty member stands for no folder and is skipped.

// The items, relative to a data folder.
inline constexpr const char* kPluginsFolder = "plugins";
inline constexpr const char* kClipartFolder = "Clipart";
inline constexpr const char* kTalkBubblesFolder = "Clipart/Talk Bubbles";
inline constexpr const char* kHelpFile = "help/help.html";
inline constexpr const char* kTutorialFile = "help/tutorial.html";

// The installed data folder of a program whose executable is in `exeFolder`: `fromExe` (the way
// from the installed bin folder to the data folder, "../share/grimacer-studio") below the
// executable's folder when that is a folder, so that a tree installed under another prefix than
// the configured one (cmake --install --prefix) uses its own data; otherwise `configured`, the
// folder the build was configured to install to. The two agree for a program where it was meant
// to go.
std::string InstalledDataFolder(const std::string& exeFolder, const std::string& fromExe,
                                const std::string& configured);

// $XDG_DATA_HOME/grimacer-studio, or $HOME/.local/share/grimacer-studio when XDG_DATA_HOME is
// unset, empty or relative (the XDG base directory rules ignore a relative one). Empty when
// neither gives an absolute folder. A null pointer is an unset variable.
std::string UserDataFolder(const char* xdgDataHome, const char* home);

// The path of `item` in the first of the executable's, the installed and the start folder that
// holds it (a file or a folder). When none does, its path under the start folder, so that what a
// dialog or the desktop reports names the place the program used to look in.
std::string FindDataItem(const TDataFolders& folders, const std::string& item);

// Gifloom: installed it is <prefix>/bin/gifloom beside the editor, while the build tree (and a
// copy of the build tree) keeps the one the editor starts in Tools/. Looked up as
// <exe>/Tools/gifloom, <exe>/gifloom, <installed>/Tools/gifloom, <start>/Tools/gifloom; the first
// regular file wins, and when there is none the last of these is returned.
std::string FindGifloom(const TDataFolders& folders);

// Every plugins/ folder that exists of the executable's, the module, the installed data and the
// user's folder, in that order, each listed once even when two of them are the same folder (through a link). The
// start folder's is never one of them.
std::vector<std::string> PluginFolders(const TDataFolders& folders);

}  // namespace gs

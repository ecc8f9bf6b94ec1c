// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DataFolders.h"

#include <filesystem>
#include <set>

namespace gs {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataFolderName = "grimacer-studio";

std::vector<std::string> ShippedDataFolders(const TDataFolders& folders) {
  std::vector<std::string> out;
  for (const std::string* folder : {&folders.ExeFolder, &folders.InstalledFolder, &folders.StartFolder})
    if (!folder->empty()) out.push_back(*folder);
  return out;
}

std::string Under(const std::string& folder, const std::string& item) { return (fs::path(folder) / item).string(); }

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace

std::string InstalledDataFolder(const std::string& exeFolder, const std::string& fromExe,
                                const std::string& configured) {
  if (exeFolder.empty() || fromExe.empty()) return configured;
  const fs::path relocated = (fs::path(exeFolder) / fromExe).lexically_normal();
  std::error_code ec;
  return fs::is_directory(relocated, ec) ? relocated.string() : configured;
}

std::string UserDataFolder(const char* xdgDataHome, const char* home) {
  if (xdgDataHome && fs::path(xdgDataHome).is_absolute()) return Under(xdgDataHome, kDataFolderName);
  if (home && fs::path(home).is_absolute()) return Under(home, std::string(".local/share/") + kDataFolderName);
  return {};
}

std::string FindDataItem(const TDataFolders& folders, const std::string& item) {
  for (const std::string& folder : ShippedDataFolders(folders))
    if (Exists(Under(folder, item))) return Under(folder, item);
  return Under(folders.StartFolder, item);
}

std::string FindGifloom(const TDataFolders& folders) {
  // A program, so never from the start folder (see PluginFolders). When it is nowhere, the place
  // it belongs beside the editor is named, so that the launch fails saying where it looked.
  std::vector<std::string> candidates;
  if (!folders.ExeFolder.empty()) {
    candidates.push_back(Under(folders.ExeFolder, "Tools/gifloom"));
    candidates.push_back(Under(folders.ExeFolder, "gifloom"));
  }
  if (!folders.InstalledFolder.empty()) candidates.push_back(Under(folders.InstalledFolder, "Tools/gifloom"));
  for (const std::string& path : candidates)
    if (IsFile(path)) return path;
  return candidates.empty() ? std::string() : candidates.front();
}

std::vector<std::string> PluginFolders(const TDataFolders& folders) {
  // Never the start folder: a launcher starts the program in the folder of the file it opens,
  // and a module found there would run code that came with a download.
  std::vector<std::string> wanted;
  // The installed data folder is where modules went before they moved to the module folder: a
  // module a user put there keeps working.
  for (const std::string* folder :
       {&folders.ExeFolder, &folders.ModuleFolder, &folders.InstalledFolder, &folders.UserFolder})
    if (!folder->empty()) wanted.push_back(Under(*folder, kPluginsFolder));

  std::vector<std::string> out;
  std::set<fs::path> seen;
  for (const std::string& folder : wanted) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) continue;
    const fs::path canonical = fs::canonical(folder, ec);
    if (ec || !seen.insert(canonical).second) continue;
    out.push_back(folder);
  }
  return out;
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/RecentFiles.h"

#include <algorithm>

namespace gs {

void TRecentFiles::Add(const std::string& path) {
  Remove(path);
  Files_.insert(Files_.begin(), path);
  if (Files_.size() > kMaxFiles) Files_.resize(kMaxFiles);
}

void TRecentFiles::Remove(const std::string& path) { std::erase(Files_, path); }

void TRecentFiles::Assign(const std::vector<std::string>& files) {
  Files_.clear();
  for (auto it = files.rbegin(); it != files.rend(); ++it)
    if (!it->empty()) Add(*it);
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pictures opened last, newest first, for File > Open Recent.

#include <string>
#include <vector>

namespace gs {

class TRecentFiles {
public:
  static constexpr size_t kMaxFiles = 8;

  const std::vector<std::string>& Files() const { return Files_; }
  // Puts the file first; an entry already there moves up, the oldest beyond the cap goes.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  void Clear() { Files_.clear(); }
  // Takes a stored list as it is, duplicates and the excess dropped.
  void Assign(const std::vector<std::string>& files);

private:
  std::vector<std::string> Files_;
};

}  // namespace gs

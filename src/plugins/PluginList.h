// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPSPluginList: every filter found, sorted by category and then name. It owns its entries.
// Modules are read from their files and never run while being harvested.

#include "plugins/PIPLManager.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace gs {

class TPSPluginList {
public:
  TPSPluginList() = default;
  // Frees, last to first, each entry's PluginData where it is a live handle of ours.
  ~TPSPluginList();
  TPSPluginList(const TPSPluginList&) = delete;
  TPSPluginList& operator=(const TPSPluginList&) = delete;

  // Harvests every module named "*.8bf" (any letter case) in `folder`, and with
  // `includeSubDirectories` in its sub-folders (none whose name begins with "."), then sorts the
  // whole list. Adds to the list, never clears it. A missing folder adds nothing.
  void LoadFromFolder(const std::string& folder, bool includeSubDirectories);
  // The same for each of `folders` in turn, sorting once at the end. A module file reached more
  // than once in the scan (the same folder named twice, a folder inside another, or links) is
  // harvested once; the first path it was reached by is the one kept.
  void LoadFromFolders(const std::vector<std::string>& folders, bool includeSubDirectories);
  // Adds the filters of one module: one per `PIPL` resource, or for an old module one per
  // numbered `PIMI`/`_8BFM` pair. A file that is not a module for this machine, or whose
  // resources are malformed, adds nothing; the reason is kept in Skipped().
  void LoadModule(const std::string& path);
  // Ascending by category, then by name; ordinal, case-sensitive; equal entries keep their order.
  void Sort();

  int Count() const { return int(Items_.size()); }
  TPIPLManager& Items(int index) { return *Items_[size_t(index)]; }
  const TPIPLManager& Items(int index) const { return *Items_[size_t(index)]; }
  TPIPLManager& operator[](int index) { return Items(index); }
  void Add(std::unique_ptr<TPIPLManager> filter) { Items_.push_back(std::move(filter)); }
  // The index of this entry, or -1.
  int IndexOf(const TPIPLManager* filter) const;

  // The index of the first filter whose menu caption (its name) is `caption`; a caption
  // without the trailing "..." of a filter with a dialog matches too. -1 when none.
  int FindByCaption(const std::string& caption) const;

  // Why modules were left out, one line each, for diagnostics.
  const std::vector<std::string>& Skipped() const { return Skipped_; }

private:
  // What one scan has reached so far, by canonical path.
  struct TScanned {
    std::set<std::string> Folders;
    std::set<std::string> Modules;
  };
  void ScanFolder(const std::string& folder, bool includeSubDirectories, TScanned& scanned);

  std::vector<std::unique_ptr<TPIPLManager>> Items_;
  std::string CurrentModule_;
  std::vector<std::string> Skipped_;
};

// True when the file name ends in ".8bf", compared without regard to letter case.
bool HasModuleExtension(const std::string& fileName);

}  // namespace gs

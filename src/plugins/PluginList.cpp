// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/PluginList.h"

#include "platform/GlobalMemory.h"
#include "platform/ModuleResources.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>
#include <map>

namespace gs {

namespace fs = std::filesystem;

namespace {

// The zero-terminated text starting 2 bytes into an old module's resource.
std::string OldResourceText(const TModuleResource& r) {
  if (r.Data.size() <= 2) return {};
  const auto begin = r.Data.begin() + 2;
  return std::string(begin, std::find(begin, r.Data.end(), uint8_t(0)));
}

bool EndsWithDots(const std::string& s) { return s.size() >= 3 && s.compare(s.size() - 3, 3, "...") == 0; }

std::string WithoutDots(const std::string& s) { return EndsWithDots(s) ? s.substr(0, s.size() - 3) : s; }

}  // namespace

bool HasModuleExtension(const std::string& fileName) {
  if (fileName.size() < 4) return false;
  std::string ext = fileName.substr(fileName.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext == ".8bf";
}

TPSPluginList::~TPSPluginList() {
  for (auto it = Items_.rbegin(); it != Items_.rend(); ++it) {
    // A plug-in may keep any value in its word; only a handle we gave out is ours to free.
    const auto data = reinterpret_cast<void*>((*it)->PluginData);
    if (IsGlobalHandle(data)) GlobalFree(data);
    it->reset();
  }
}

int TPSPluginList::IndexOf(const TPIPLManager* filter) const {
  for (size_t i = 0; i < Items_.size(); ++i)
    if (Items_[i].get() == filter) return int(i);
  return -1;
}

void TPSPluginList::LoadFromFolder(const std::string& folder, bool includeSubDirectories) {
  LoadFromFolders({folder}, includeSubDirectories);
}

void TPSPluginList::LoadFromFolders(const std::vector<std::string>& folders, bool includeSubDirectories) {
  TScanned scanned;
  for (const std::string& folder : folders) ScanFolder(folder, includeSubDirectories, scanned);
  Sort();
}

void TPSPluginList::ScanFolder(const std::string& folder, bool includeSubDirectories, TScanned& scanned) {
  std::error_code ec;
  // A folder reached twice through links would be scanned without end.
  const fs::path canonical = fs::canonical(folder, ec);
  if (ec || !scanned.Folders.insert(canonical.string()).second) return;

  std::vector<std::string> modules;
  std::vector<std::string> folders;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (HasModuleExtension(name)) modules.push_back(name);
    std::error_code typeError;
    if (includeSubDirectories && !name.empty() && name[0] != '.' && it->is_directory(typeError))
      folders.push_back(name);
  }
  // The system lists a folder in no particular order; a fixed one keeps runs repeatable.
  std::sort(modules.begin(), modules.end());
  std::sort(folders.begin(), folders.end());
  const fs::path base(folder);
  for (const std::string& name : modules) {
    const fs::path path = base / name;
    // A dangling link has no canonical path; it is loaded, to be skipped with its reason.
    std::error_code linkError;
    const fs::path module = fs::canonical(path, linkError);
    if (scanned.Modules.insert(linkError ? path.string() : module.string()).second) LoadModule(path.string());
  }
  for (const std::string& name : folders) ScanFolder((base / name).string(), true, scanned);
}

void TPSPluginList::LoadModule(const std::string& path) {
  CurrentModule_ = path;
  std::vector<TModuleResource> resources;
  try {
    resources = ReadModuleResources(path);
  } catch (const EModuleFormat& e) {
    Skipped_.push_back(e.what());
    return;
  } catch (const std::bad_alloc&) {
    Skipped_.push_back("The module \"" + path + "\" is too large to read.");
    return;
  }

  bool anyPipl = false;
  for (const TModuleResource& r : resources) {
    if (r.Type != "PIPL") continue;
    anyPipl = true;
    auto filter = std::make_unique<TPIPLManager>();
    if (!filter->LoadFromResourceData(r.Data.data(), r.Data.size())) {
      Skipped_.push_back("The module \"" + path + "\" has a malformed PIPL resource " +
                         std::to_string(r.Id) + ".");
      continue;
    }
    filter->ModuleFileName = CurrentModule_;
    Items_.push_back(std::move(filter));
  }
  if (anyPipl) return;

  // Old modules describe filter n by resources n of the types PIMI and _8BFM. The first
  // resource of a type and id counts, as FindResource has it; indexing them once keeps a module
  // with millions of pairs from costing a search of the whole list for every pair.
  std::map<int32_t, const TModuleResource*> infos, names;
  for (const TModuleResource& r : resources) {
    if (r.Type == "PIMI") infos.emplace(r.Id, &r);
    else if (r.Type == "_8BFM") names.emplace(r.Id, &r);
  }
  for (int32_t n = 1; n < std::numeric_limits<int32_t>::max(); ++n) {
    const auto info = infos.find(n);
    const auto module = names.find(n);
    if (info == infos.end() || module == names.end()) break;
    auto filter = std::make_unique<TPIPLManager>();
    filter->SetName(OldResourceText(*module->second));
    filter->SetCategory(OldResourceText(*info->second));
    filter->SetEntryPoint("ENTRYPOINT" + std::to_string(n));
    filter->ModuleFileName = CurrentModule_;
    filter->PluginData = 0;
    Items_.push_back(std::move(filter));
  }
}

void TPSPluginList::Sort() {
  std::stable_sort(Items_.begin(), Items_.end(), [](const auto& a, const auto& b) {
    const int byCategory = a->Category().compare(b->Category());
    if (byCategory != 0) return byCategory < 0;
    return a->Name().compare(b->Name()) < 0;
  });
}

int TPSPluginList::FindByCaption(const std::string& caption) const {
  for (size_t i = 0; i < Items_.size(); ++i)
    if (Items_[i]->Name() == caption) return int(i);
  for (size_t i = 0; i < Items_.size(); ++i)
    if (WithoutDots(Items_[i]->Name()) == WithoutDots(caption)) return int(i);
  return -1;
}

}  // namespace gs

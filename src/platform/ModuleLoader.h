// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Filter modules are ELF shared objects. They are opened with local binding, so that two modules
// exporting the same entry-point name never resolve each other's symbols.

#include <string>

namespace gs {

// An opened module; closing it releases the module's code.
class TLoadedModule {
public:
  TLoadedModule() = default;
  ~TLoadedModule() { Close(); }
  TLoadedModule(const TLoadedModule&) = delete;
  TLoadedModule& operator=(const TLoadedModule&) = delete;

  // Opens the module, resolving every symbol now; false (with LastError set) when it cannot be
  // loaded: a Windows module, a damaged file, a missing dependency. Closes a module held before.
  bool Open(const std::string& path);
  // The address of an exported symbol, or nullptr.
  void* Symbol(const std::string& name) const;
  void Close();
  const std::string& LastError() const { return LastError_; }

private:
  void* Handle_ = nullptr;
  std::string LastError_;
};

}  // namespace gs

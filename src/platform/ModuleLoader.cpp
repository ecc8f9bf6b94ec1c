// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ModuleLoader.h"

#include <dlfcn.h>

namespace gs {

bool TLoadedModule::Open(const std::string& path) {
  Close();
  LastError_.clear();
  // dlopen searches the library path for a bare name; a module is always named by its path.
  const std::string name = path.find('/') == std::string::npos ? "./" + path : path;
  Handle_ = dlopen(name.c_str(), RTLD_LOCAL | RTLD_NOW);
  if (!Handle_) {
    const char* error = dlerror();
    LastError_ = error ? error : "cannot load " + path;
  }
  return Handle_ != nullptr;
}

void* TLoadedModule::Symbol(const std::string& name) const {
  if (!Handle_ || name.empty()) return nullptr;
  return dlsym(Handle_, name.c_str());
}

void TLoadedModule::Close() {
  if (Handle_) dlclose(Handle_);
  Handle_ = nullptr;
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a filter module file (an ELF shared object whose resources sit in
// the ".plugin_resources" section) without running it: the resource reader alone, then the
// plug-in scan that turns the resources into menu entries (property lists, or the numbered pairs
// of old modules). The same bytes are also parsed as a bare resource section. Only
// gs::EModuleFormat is expected; the scan itself never throws, it notes skipped modules.
#include "platform/ModuleResources.h"
#include "plugins/PluginList.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

const std::string& ModulePath() {
  static const std::string path = [] {
    char pattern[] = "/tmp/gs_fuzz_module_XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    return std::string(pattern) + "/Module.8bf";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* f = std::fopen(ModulePath().c_str(), "wb");
  if (!f) std::abort();
  const bool written = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) std::abort();
  try {
    const std::vector<gs::TModuleResource> resources = gs::ReadModuleResources(ModulePath());
    size_t total = 0;
    for (const gs::TModuleResource& r : resources) total += r.Data.size() + r.Type.size();
    if (total > size) __builtin_trap();
    (void)gs::FindResource(resources, "PIPL", 16000);
  } catch (const gs::EModuleFormat&) {
  }
  {
    gs::TPSPluginList list;
    list.LoadModule(ModulePath());
    list.Sort();
    for (int i = 0; i < list.Count(); ++i)
      if (list[i].ModuleFileName != ModulePath()) __builtin_trap();
    if (list.Count() > 0 && list.FindByCaption(list[0].Name()) < 0) __builtin_trap();
  }
  try {
    const std::vector<gs::TModuleResource> resources = gs::ParseResourceSection(data, size);
    // What was read writes back to the bytes it came from, up to any padding after the entries.
    const std::vector<uint8_t> again = gs::EncodeResourceSection(resources);
    if (again.size() > size || !std::equal(again.begin(), again.end(), data)) __builtin_trap();
  } catch (const gs::EModuleFormat&) {
  }
  return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the property-list reader as a module's `PIPL` resource, then asks the
// list everything the plug-in menu and the filter runner ask of it. The reader reports bad data
// by returning false; nothing may throw.
#include "plugins/PIPLManager.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gs::TPIPLManager list;
  const bool loaded = list.LoadFromResourceData(data, size);
  if (!loaded && list.PropertyCount() != 0) __builtin_trap();
  size_t total = 0;
  for (int i = 0; i < list.PropertyCount(); ++i) {
    const std::vector<uint8_t>& block = list.Property(i);
    if (block.size() < gs::kPropertyHeaderSize) __builtin_trap();
    total += block.size();
  }
  if (total > size) __builtin_trap();
  const std::string name = list.Name();
  const std::string category = list.Category();
  const std::string entry = list.EntryPoint();
  uint32_t length = 0;
  const uint8_t* kind = list.PropertyData(gs::kPropKind, &length);
  if (kind && length > size) __builtin_trap();
  // The host fills in what old modules lack on top of what was read.
  list.SetName(name + "+");
  list.SetCategory(category);
  list.SetEntryPoint(entry);
  if (list.Name() != (name + "+").substr(0, 255)) __builtin_trap();
  return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The resources of a filter module, read from the module file without running any of its code.
//
// A module keeps its resources in one ELF section, kResourceSectionName, laid out as (all
// integers little-endian, no padding):
//   "GSRS"            4 bytes, magic
//   version           u32, 1
//   count             u32, number of entries
//   count entries of:
//     typeLength      u32, 1..255
//     type            typeLength bytes, e.g. "PIPL", "PIMI", "_8BFM"
//     id              i32
//     dataLength      u32
//     data            dataLength bytes, exactly as a Windows resource of that type holds them
// Bytes after the last entry are ignored (linkers and tools may pad a section).

#include "common/Errors.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gs {

inline constexpr const char* kResourceSectionName = ".plugin_resources";

// A module file that is not a loadable shared object for this machine, or whose resource
// section is malformed. The message says what is wrong.
class EModuleFormat : public Exception {
public:
  using Exception::Exception;
};

struct TModuleResource {
  std::string Type;
  int32_t Id = 0;
  std::vector<uint8_t> Data;
};

// Checks that `path` is an ELF shared object for this machine and returns its resources in
// section order; none when it has no resource section. Throws EModuleFormat for anything else
// (not a regular file, unreadable, not ELF, another machine's module, a table or section
// reaching past the end of the file, a malformed resource section).
std::vector<TModuleResource> ReadModuleResources(const std::string& path);

// The entries of a resource section's bytes. Throws EModuleFormat when a count or length does
// not fit the bytes given.
std::vector<TModuleResource> ParseResourceSection(const uint8_t* bytes, size_t size);
// The section bytes for these entries, as ParseResourceSection reads them.
std::vector<uint8_t> EncodeResourceSection(const std::vector<TModuleResource>& resources);

// The first resource of this type and id, or nullptr.
const TModuleResource* FindResource(const std::vector<TModuleResource>& resources,
                                    const std::string& type, int32_t id);

}  // namespace gs

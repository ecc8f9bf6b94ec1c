// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine's memory size, which plug-ins are told as the space they may use.

#include <cstdint>

namespace gs {

// Total physical memory in bytes; 0 when the system does not say.
uint64_t PhysicalMemorySize();

}  // namespace gs

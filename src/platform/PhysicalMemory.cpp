// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PhysicalMemory.h"

#include <unistd.h>

namespace gs {

uint64_t PhysicalMemorySize() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return uint64_t(pages) * uint64_t(pageSize);
}

}  // namespace gs

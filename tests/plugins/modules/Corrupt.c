// SPDX-License-Identifier: GPL-3.0-or-later
/* A module whose first property list claims more properties than it holds. */
#include "TestKit.h"

GS_FILTER_EXPORT void SurvivorEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  (void)data;
  (void)result;
  PaintAll(selector, r, 1, 2, 3);
}

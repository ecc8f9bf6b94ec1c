// SPDX-License-Identifier: GPL-3.0-or-later
/* Three property lists in one module; the second names an entry point the module lacks. */
#include "TestKit.h"

GS_FILTER_EXPORT void AlphaEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  (void)data;
  (void)result;
  PaintAll(selector, r, 10, 20, 30);
}

GS_FILTER_EXPORT void GammaEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  (void)data;
  (void)result;
  PaintAll(selector, r, 40, 50, 60);
}

// SPDX-License-Identifier: GPL-3.0-or-later
/* An old module: no property lists, filters named by PIMI/_8BFM pairs and found by number. */
#include "TestKit.h"

GS_FILTER_EXPORT void ENTRYPOINT1(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  (void)data;
  (void)result;
  PaintAll(selector, r, 255, 0, 0);
}

GS_FILTER_EXPORT void ENTRYPOINT2(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  (void)data;
  (void)result;
  PaintAll(selector, r, 0, 0, 255);
}

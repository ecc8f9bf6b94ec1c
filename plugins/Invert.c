// SPDX-License-Identifier: GPL-3.0-or-later
/* Invert: every colour becomes its complement. */
#include "FilterKit.h"

static void InvertPixel(uint8_t rgb[3], const void* context) {
  (void)context;
  for (int i = 0; i < 3; ++i) rgb[i] = (uint8_t)(255 - rgb[i]);
}

GS_FILTER_EXPORT void InvertFilter(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
  (void)data;
  switch (selector) {
    case filterSelectorStart: GSRequestStrip(record, record->filterRect.top); break;
    case filterSelectorContinue: *result = GSPointContinue(record, InvertPixel, NULL); break;
    default: break;
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
/* Grayscale: each pixel takes its luminance (Rec. 601 weights) in all three channels. */
#include "FilterKit.h"

static void GrayPixel(uint8_t rgb[3], const void* context) {
  (void)context;
  const uint8_t y = (uint8_t)((299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2] + 500) / 1000);
  rgb[0] = rgb[1] = rgb[2] = y;
}

GS_FILTER_EXPORT void GrayscaleFilter(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
  (void)data;
  switch (selector) {
    case filterSelectorStart: GSRequestStrip(record, record->filterRect.top); break;
    case filterSelectorContinue: *result = GSPointContinue(record, GrayPixel, NULL); break;
    default: break;
  }
}

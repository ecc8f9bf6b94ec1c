// SPDX-License-Identifier: GPL-3.0-or-later
/* Two filters in one module: Sepia (an old photograph's brown tones) and Solarize (tones above
 * the middle are turned over, as when a print is flashed with light while developing). */
#include "FilterKit.h"

static void SepiaPixel(uint8_t rgb[3], const void* context) {
  (void)context;
  const int r = rgb[0], g = rgb[1], b = rgb[2];
  rgb[0] = GSClampByte((393 * r + 769 * g + 189 * b + 500) / 1000);
  rgb[1] = GSClampByte((349 * r + 686 * g + 168 * b + 500) / 1000);
  rgb[2] = GSClampByte((272 * r + 534 * g + 131 * b + 500) / 1000);
}

static void SolarizePixel(uint8_t rgb[3], const void* context) {
  (void)context;
  for (int i = 0; i < 3; ++i)
    if (rgb[i] > 127) rgb[i] = (uint8_t)(255 - rgb[i]);
}

static void Run(int16_t selector, FilterRecord* record, int16_t* result, GSPixelFn fn) {
  switch (selector) {
    case filterSelectorStart: GSRequestStrip(record, record->filterRect.top); break;
    case filterSelectorContinue: *result = GSPointContinue(record, fn, NULL); break;
    default: break;
  }
}

GS_FILTER_EXPORT void SepiaFilter(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
  (void)data;
  Run(selector, record, result, SepiaPixel);
}

GS_FILTER_EXPORT void SolarizeFilter(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
  (void)data;
  Run(selector, record, result, SolarizePixel);
}

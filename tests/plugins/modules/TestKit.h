// SPDX-License-Identifier: GPL-3.0-or-later
/* What the test modules share: filling the whole picture in one request. */
#ifndef GS_TEST_KIT_H
#define GS_TEST_KIT_H

#include "plugins/FilterRecord.h"

#include <string.h>

static inline void AskWholeOutput(FilterRecord* r) {
  r->outRect = r->filterRect;
  r->outLoPlane = 0;
  r->outHiPlane = 2;
}

static inline void FillOutput(FilterRecord* r, uint8_t red, uint8_t green, uint8_t blue) {
  const int rows = r->outRect.bottom - r->outRect.top, cols = r->outRect.right - r->outRect.left;
  for (int y = 0; y < rows; ++y) {
    uint8_t* p = (uint8_t*)r->outData + (ptrdiff_t)y * r->outRowBytes;
    for (int x = 0; x < cols; ++x, p += r->outColumnBytes) {
      p[0] = red;
      p[1] = green;
      p[2] = blue;
    }
  }
  memset(&r->outRect, 0, sizeof r->outRect);
}

/* A filter that paints the whole picture one colour. */
static inline void PaintAll(int16_t selector, FilterRecord* r, uint8_t red, uint8_t green, uint8_t blue) {
  if (selector == filterSelectorStart) AskWholeOutput(r);
  if (selector == filterSelectorContinue) FillOutput(r, red, green, blue);
}

#endif

// SPDX-License-Identifier: GPL-3.0-or-later
/* Asks for the top-left quarter's worth of cells at input rate 2 and writes them unchanged to
 * the top-left quarter: the picture there becomes the whole picture at half size. */
#include "TestKit.h"

GS_FILTER_EXPORT void SamplerEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  (void)data;
  (void)result;
  if (selector == filterSelectorStart) {
    Rect half = {0, 0, (int16_t)(r->filterRect.bottom / 2), (int16_t)(r->filterRect.right / 2)};
    r->inRect = r->outRect = half;
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = 2;
    r->inputRate = 2 << 16;
  } else if (selector == filterSelectorContinue) {
    const int rows = r->outRect.bottom - r->outRect.top, cols = r->outRect.right - r->outRect.left;
    for (int y = 0; y < rows; ++y)
      memcpy((uint8_t*)r->outData + (ptrdiff_t)y * r->outRowBytes, (const uint8_t*)r->inData + (ptrdiff_t)y * r->inRowBytes,
             (size_t)cols * 3);
    memset(&r->inRect, 0, sizeof r->inRect);
    memset(&r->outRect, 0, sizeof r->outRect);
  }
}

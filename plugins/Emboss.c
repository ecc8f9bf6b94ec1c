// SPDX-License-Identifier: GPL-3.0-or-later
/* Emboss: the picture as if pressed into grey metal, lit from the top left. Each pixel becomes
 * mid-grey plus the luminance step from its upper-left to its lower-right neighbour (edge pixels
 * repeat beyond the picture). Strips of rows are asked with one row more above and below. */
#include "FilterKit.h"

static int Luma(const uint8_t* p) { return (299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000; }

static int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

static void RequestStrip(FilterRecord* r, int top) {
  if (!GSRequestStrip(r, top)) return;
  r->inRect.top = GSMax16(r->outRect.top - 1, r->filterRect.top);
  r->inRect.bottom = GSMin16(r->outRect.bottom + 1, r->filterRect.bottom);
}

static void EmbossStrip(FilterRecord* r) {
  const Rect in = r->inRect, out = r->outRect;
  for (int y = out.top; y < out.bottom; ++y) {
    const uint8_t* above = (const uint8_t*)r->inData + (ptrdiff_t)(Clamp(y - 1, in.top, in.bottom - 1) - in.top) * r->inRowBytes;
    const uint8_t* below = (const uint8_t*)r->inData + (ptrdiff_t)(Clamp(y + 1, in.top, in.bottom - 1) - in.top) * r->inRowBytes;
    uint8_t* line = (uint8_t*)r->outData + (ptrdiff_t)(y - out.top) * r->outRowBytes;
    for (int x = out.left; x < out.right; ++x) {
      const int left = Clamp(x - 1, in.left, in.right - 1) - in.left;
      const int right = Clamp(x + 1, in.left, in.right - 1) - in.left;
      const int v = 128 + Luma(below + (ptrdiff_t)right * r->inColumnBytes) - Luma(above + (ptrdiff_t)left * r->inColumnBytes);
      uint8_t* p = line + (ptrdiff_t)(x - out.left) * r->outColumnBytes;
      p[0] = p[1] = p[2] = GSClampByte(v);
    }
  }
}

GS_FILTER_EXPORT void EmbossFilter(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
  (void)data;
  switch (selector) {
    case filterSelectorStart: RequestStrip(record, record->filterRect.top); break;
    case filterSelectorContinue:
      EmbossStrip(record);
      *result = GSProgressAndAbort(record, record->outRect.bottom);
      if (!*result) RequestStrip(record, record->outRect.bottom);
      break;
    default: break;
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
/* Shows a preview through displayPixels while it runs and keeps in its data word the window
 * handle the host gave it. It asks for one input pixel so that the host advances once with the
 * preview up, and writes nothing. */
#include "TestKit.h"

/* 4 x 3 pixels of 0x123456 with a pad byte each, the map's bounds starting at row 10, column 20. */
static uint8_t Cells[3 * 4 * 4];

GS_FILTER_EXPORT void DisplayEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  if (selector == filterSelectorStart) {
    const PlatformData* platform = (const PlatformData*)r->platformData;
    *data = platform ? platform->hwnd : 0;
    for (int i = 0; i < 12; ++i) {
      Cells[i * 4] = 0x12;
      Cells[i * 4 + 1] = 0x34;
      Cells[i * 4 + 2] = 0x56;
      Cells[i * 4 + 3] = 0xEE;
    }
    PSPixelMap map;
    memset(&map, 0, sizeof map);
    map.version = 1;
    map.bounds.top = 10;
    map.bounds.left = 20;
    map.bounds.bottom = 13;
    map.bounds.right = 24;
    map.imageMode = plugInModeRGBColor;
    map.rowBytes = 16;
    map.colBytes = 4;
    map.planeBytes = 1;
    map.baseAddr = Cells;
    /* Shown at picture row 2, column 5. */
    *result = r->displayPixels(&map, &map.bounds, 2, 5, NULL);
    r->inRect.bottom = 1;
    r->inRect.right = 1;
    r->inHiPlane = 2;
  }
  if (selector == filterSelectorContinue) memset(&r->inRect, 0, sizeof r->inRect);
}

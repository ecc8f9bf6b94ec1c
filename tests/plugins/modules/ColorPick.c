// SPDX-License-Identifier: GPL-3.0-or-later
/* Asks the host's colour picker for a colour and paints the picture with it. */
#include "TestKit.h"

static uint8_t Chosen[3];

GS_FILTER_EXPORT void ColorPickEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  (void)data;
  if (selector == filterSelectorParameters) {
    ColorServicesInfo info;
    memset(&info, 0, sizeof info);
    info.infoSize = (int32_t)sizeof info;
    info.selector = plugIncolorServicesChooseColor;
    info.colorComponents[0] = 1;
    info.colorComponents[1] = 2;
    info.colorComponents[2] = 3;
    *result = r->colorServices(&info);
    if (info.infoSize != (int32_t)sizeof info || info.resultSpace != plugIncolorServicesRGBSpace) *result = filterBadParameters;
    for (int i = 0; i < 3; ++i) Chosen[i] = (uint8_t)info.colorComponents[i];
  }
  PaintAll(selector, r, Chosen[0], Chosen[1], Chosen[2]);
}

// SPDX-License-Identifier: GPL-3.0-or-later
/* Posterize...: each channel keeps only `levels` evenly spaced values. The number of levels is
 * asked in the host's dialog at the parameters call and kept in the `parameters` handle, so
 * that "Execute last filter" repeats it without asking. */
#include "FilterKit.h"

#define POSTERIZE_DEFAULT_LEVELS 4

static void PosterizePixel(uint8_t rgb[3], const void* context) {
  const int steps = *(const int*)context - 1;
  for (int i = 0; i < 3; ++i) {
    const int level = (rgb[i] * steps + 127) / 255;
    rgb[i] = (uint8_t)((level * 255 + steps / 2) / steps);
  }
}

static int Levels(FilterRecord* record) {
  const int32_t levels = GSReadSetting(record, POSTERIZE_DEFAULT_LEVELS);
  return levels < 2 || levels > 255 ? POSTERIZE_DEFAULT_LEVELS : (int)levels;
}

static OSErr AskLevels(FilterRecord* record) {
  GSNumberField field = {"Levels", 2, 255, Levels(record)};
  const GSDialogSuite1* dialogs = GSDialogs(record);
  if (dialogs) {
    const int32_t answer = dialogs->AskNumbers("Posterize", &field, 1);
    if (answer == 0) return userCanceledErr;
    if (answer < 0) return (OSErr)answer;
  }
  return GSWriteSetting(record, field.value);
}

GS_FILTER_EXPORT void PosterizeFilter(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
  (void)data;
  static int levels = POSTERIZE_DEFAULT_LEVELS;
  switch (selector) {
    case filterSelectorParameters: *result = AskLevels(record); break;
    case filterSelectorStart:
      levels = Levels(record);
      GSRequestStrip(record, record->filterRect.top);
      break;
    case filterSelectorContinue: *result = GSPointContinue(record, PosterizePixel, &levels); break;
    default: break;
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
/* Answers the selector named in its data word with the result code named there:
 * data = (selector << 16) | (uint16_t)code. Otherwise it blackens the picture. */
#include "TestKit.h"

GS_FILTER_EXPORT void ResultEntry(int16_t selector, FilterRecord* r, intptr_t* data, int16_t* result) {
  const int wanted = (int)((*data >> 16) & 0xFF);
  const int16_t code = (int16_t)(*data & 0xFFFF);
  PaintAll(selector, r, 0, 0, 0);
  if (selector == wanted) *result = code;
}

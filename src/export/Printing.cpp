// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Printing.h"

namespace gs {

int64_t RoundDivEven(int64_t numerator, int64_t denominator) {
  int64_t q = numerator / denominator;
  int64_t r = numerator % denominator;
  // Work with the magnitude of the remainder so negative numerators round the same way.
  int64_t twice = 2 * (r < 0 ? -r : r);
  if (twice > denominator || (twice == denominator && (q % 2 != 0))) q += (numerator < 0) ? -1 : 1;
  return q;
}

bool FitRect(const TRect& source, const TRect& page, TRect& dest) {
  const int64_t sw = source.Width();
  const int64_t sh = source.Height();
  if (sw == 0 || sh == 0) return false;
  const int64_t pw = page.Width();
  const int64_t ph = page.Height();
  // Cross-multiplied so that equal shapes compare equal, which a division in reals may not.
  if (pw * sh >= sw * ph) {
    const int width = int(RoundDivEven(sw * ph, sh));
    dest.Left = page.Left + int((pw - width) / 2);
    dest.Right = dest.Left + width;
    dest.Top = page.Top;
    dest.Bottom = page.Bottom;
  } else {
    const int height = int(RoundDivEven(sh * pw, sw));
    dest.Top = page.Top + int((ph - height) / 2);
    dest.Bottom = dest.Top + height;
    dest.Left = page.Left;
    dest.Right = page.Right;
  }
  return true;
}

}  // namespace gs

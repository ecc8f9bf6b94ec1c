// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Color.h"

namespace gs {

namespace {
inline uint32_t Div255(uint32_t v) { return (v + 1 + (v >> 8)) >> 8; }
inline uint8_t Lerp(uint8_t from, uint8_t to, uint32_t a) {
  return uint8_t(Div255(uint32_t(to) * a + uint32_t(from) * (255 - a)));
}
}  // namespace

TColor32 BlendReg(TColor32 f, TColor32 b) {
  const uint32_t fa = AlphaOf(f);
  if (fa == 0) return b;
  if (fa == 255) return f;
  const uint8_t ba = AlphaOf(b);
  const uint8_t a = uint8_t(ba + Div255((255 - ba) * fa));
  return Color32(Lerp(RedOf(b), RedOf(f), fa), Lerp(GreenOf(b), GreenOf(f), fa),
                 Lerp(BlueOf(b), BlueOf(f), fa), a);
}

TColor32 MergeReg(TColor32 f, TColor32 b) {
  const uint32_t fa = AlphaOf(f);
  if (fa == 0) return b;
  const uint32_t ba = AlphaOf(b);
  if (fa == 255 || ba == 0) return f;
  if (ba == 255) return BlendReg(f, b);
  // Result alpha and the share of the foreground in the result's colour, both 0..255.
  const uint32_t ra = fa + Div255((255 - fa) * ba);
  const uint32_t share = (fa * 255 + ra / 2) / ra;
  return Color32(Lerp(RedOf(b), RedOf(f), share), Lerp(GreenOf(b), GreenOf(f), share),
                 Lerp(BlueOf(b), BlueOf(f), share), uint8_t(ra));
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "adjust/Posterize.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gs {
namespace {

// Exact rational arithmetic: (v + a/2) / a = (2v + a) / 2a, rounded half to even.
int ReferenceLevel(int v, int a) {
  const int num = 2 * v + a, den = 2 * a;
  int q = num / den;
  const int twice = 2 * (num % den);
  if (twice > den || (twice == den && q % 2 != 0)) ++q;
  return std::min(q * a, 255);
}

TEST(Posterize, StepTenMovesToTheNextMultipleAndMultiplesToTheEvenOne) {
  EXPECT_EQ(PosterizeChannel(0, 10), 0);
  EXPECT_EQ(PosterizeChannel(4, 10), 10);
  EXPECT_EQ(PosterizeChannel(14, 10), 20);
  EXPECT_EQ(PosterizeChannel(249, 10), 250);
  EXPECT_EQ(PosterizeChannel(20, 10), 20);
  EXPECT_EQ(PosterizeChannel(10, 10), 20);
  EXPECT_EQ(PosterizeChannel(250, 10), 255);  // 260 clamped
}

TEST(Posterize, StepHundredHasFourLevelsAndStepOneLiftsOddValues) {
  for (int v = 0; v < 256; ++v) {
    const int expected = v == 0 ? 0 : v < 100 ? 100 : v <= 200 ? 200 : 255;
    EXPECT_EQ(PosterizeChannel(uint8_t(v), 100), expected) << v;
    EXPECT_EQ(PosterizeChannel(uint8_t(v), 1), std::min(v % 2 == 0 ? v : v + 1, 255)) << v;
  }
}

TEST(Posterize, EveryValueAndStepMatchesExactArithmetic) {
  for (int a = kMinPosterizeStep; a <= kMaxPosterizeStep; ++a)
    for (int v = 0; v < 256; ++v)
      ASSERT_EQ(PosterizeChannel(uint8_t(v), a), ReferenceLevel(v, a)) << "v=" << v << " a=" << a;
}

TEST(Posterize, PictureChannelsChangeAndAlphaStays) {
  TBitmap32 picture(3, 2);
  const TColor32 colours[] = {0x00000000, 0x80FF0A04, 0xFF0E1419, 0x12F9FAFB, 0xFF636465, 0x01C8C9CA};
  for (int i = 0; i < 6; ++i) picture.SetPixel(i % 3, i / 3, colours[i]);
  Posterize(picture, 10);
  for (int i = 0; i < 6; ++i) {
    const TColor32 c = colours[i];
    const TColor32 want = Color32(uint8_t(ReferenceLevel(RedOf(c), 10)), uint8_t(ReferenceLevel(GreenOf(c), 10)),
                                  uint8_t(ReferenceLevel(BlueOf(c), 10)), AlphaOf(c));
    EXPECT_EQ(picture.Pixel(i % 3, i / 3), want) << i;
  }
  // Steps beyond the bar's range act as its ends.
  TBitmap32 a(1, 1, 0xFF323232), b = a;
  Posterize(a, 0);
  Posterize(b, 1);
  EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Shrink.h"

#include <gtest/gtest.h>

using namespace gs;

TEST(Shrink, EveryPixelIsTheAverageOfTheCellItCoversWeightedByAlpha) {
  // Five columns into two make cells of two and three; two rows into one.
  TBitmap32 picture(5, 2);
  const TColor32 row[] = {0xFF0A0000, 0xFF140000, 0xFF1E0064, 0xFF280064, 0xFF3200FA};
  for (int x = 0; x < 5; ++x) {
    picture.SetPixel(x, 0, row[x]);
    picture.SetPixel(x, 1, row[x] + (x < 2 ? 2 : 0));
  }
  TBitmap32 shrunk = ShrinkPicture(picture, 2, 1);
  ASSERT_EQ(shrunk.Width(), 2);
  ASSERT_EQ(shrunk.Height(), 1);
  EXPECT_EQ(shrunk.Pixel(0, 0), 0xFF0F0001u);  // red (10 + 20) / 2, blue (0 + 0 + 2 + 2) / 4
  EXPECT_EQ(shrunk.Pixel(1, 0), 0xFF280096u);  // red (30 + 40 + 50) / 3, blue (100 + 100 + 250) / 3
  EXPECT_EQ(ShrinkPicture(picture, 5, 2), picture);
  EXPECT_EQ(ShrinkPicture(picture, 9, 9), picture);  // never enlarged

  // One opaque red pixel among transparent green ones: pure red, a quarter covered (63.75).
  picture = TBitmap32(4, 2, 0x0000FF00);
  picture.SetPixel(0, 0, 0xFFFF0000);
  shrunk = ShrinkPicture(picture, 2, 1);
  EXPECT_EQ(shrunk.Pixel(0, 0), 0x40FF0000u);
  EXPECT_EQ(AlphaOf(shrunk.Pixel(1, 0)), 0);
}

TEST(Shrink, FittedSizeKeepsTheShapeAndNeverEnlarges) {
  const int cases[][5] = {  // width, height, max side, fitted width, fitted height
      {6000, 4000, 360, 360, 240}, {3000, 4000, 360, 270, 360}, {300, 200, 360, 300, 200},
      {360, 90, 360, 360, 90},     {10000, 7, 360, 360, 1},     {1, 1000, 100, 1, 100},
  };
  for (const auto& c : cases) {
    const TSize fit = FittedSize(c[0], c[1], c[2]);
    EXPECT_EQ(fit.Width, c[3]) << c[0] << "x" << c[1];
    EXPECT_EQ(fit.Height, c[4]) << c[0] << "x" << c[1];
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Bitmap32.h"
#include "common/Errors.h"
#include "common/Limits.h"

#include <gtest/gtest.h>

using namespace gs;

TEST(Bitmap32, OutsideReadsGiveOuterColourAndWritesAreIgnored) {
  TBitmap32 b(3, 2, 0xFF112233);
  b.OuterColor = 0x00FDFEFF;
  EXPECT_EQ(b.PixelS(-1, 0), 0x00FDFEFFu);
  EXPECT_EQ(b.PixelS(3, 1), 0x00FDFEFFu);
  EXPECT_EQ(b.PixelS(2, 1), 0xFF112233u);
  b.SetPixelS(5, 5, 0);
  b.SetPixelS(-1, 0, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Pixel(x, y), 0xFF112233u);
}

TEST(Bitmap32, RefusesAbsurdSizesBeforeAllocating) {
  TBitmap32 b;
  EXPECT_THROW(b.SetSize(30001, 10), EOutOfResources);
  EXPECT_THROW(b.SetSize(20000, 20000), EOutOfResources);  // 400 megapixels
  EXPECT_NO_THROW(b.SetSize(30000, 1));
  b.SetSize(-4, 7);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, SameSizeKeepsPixelsNewSizeClears) {
  TBitmap32 b(2, 2, 0xFFFFFFFF);
  b.SetSizeKeep(2, 2);
  EXPECT_EQ(b.Pixel(1, 1), 0xFFFFFFFFu);
  b.SetSizeKeep(3, 2);
  EXPECT_EQ(b.Pixel(1, 1), 0u);
}

TEST(Bitmap32, BlendAndMergeCombineModes) {
  // Opaque foreground replaces, transparent foreground keeps the background.
  EXPECT_EQ(BlendReg(0xFF102030, 0xFFFFFFFF), 0xFF102030u);
  EXPECT_EQ(BlendReg(0x00102030, 0xFFFFFFFF), 0xFFFFFFFFu);
  // Half-transparent black over opaque white is mid grey.
  const TColor32 half = BlendReg(0x80000000, 0xFFFFFFFF);
  EXPECT_NEAR(RedOf(half), 127, 1);
  EXPECT_EQ(AlphaOf(half), 255);
  // Merge onto a fully transparent background takes the foreground as it is.
  EXPECT_EQ(MergeReg(0x80402010, 0x00000000), 0x80402010u);
  // Merge of two half-transparent pixels: alpha adds up as "over".
  const TColor32 m = MergeReg(0x80FF0000, 0x800000FF);
  EXPECT_NEAR(AlphaOf(m), 191, 1);
  EXPECT_GT(RedOf(m), BlueOf(m));
}

TEST(Bitmap32, BilinearSampleBetweenPixelsAndAtEdges) {
  TBitmap32 b(2, 1);
  b.SetPixel(0, 0, 0xFF000000);
  b.SetPixel(1, 0, 0xFFFFFFFF);
  b.OuterColor = 0x00FDFEFF;
  EXPECT_EQ(b.PixelBilinear(0, 0), 0xFF000000u);
  const TColor32 mid = b.PixelBilinear(kFixedOne / 2, 0);
  EXPECT_NEAR(RedOf(mid), 128, 1);
  EXPECT_EQ(AlphaOf(mid), 255);
  // Half a pixel beyond the right edge: half opaque, colour of the picture, no white fringe.
  const TColor32 edge = b.PixelBilinear(kFixedOne + kFixedOne / 2, 0);
  EXPECT_NEAR(AlphaOf(edge), 128, 1);
  EXPECT_EQ(RgbOf(edge), 0xFFFFFFu);
  // Far outside: fully transparent.
  EXPECT_EQ(AlphaOf(b.PixelBilinear(-10 * kFixedOne, 0)), 0);
}

TEST(Bitmap32, DrawClipsOnBothSidesAndBlendsWithSourceModes) {
  TBitmap32 dst(4, 4, 0xFFFFFFFF);
  TBitmap32 src(3, 3, 0xFF000000);
  src.SetPixel(0, 0, 0x00123456);
  src.DrawMode = TDrawMode::Blend;
  dst.Draw(-1, -1, src);
  // Source pixel (1,1) lands at (0,0); the transparent corner was clipped away.
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF000000u);
  EXPECT_EQ(dst.Pixel(2, 2), 0xFFFFFFFFu);
  src.DrawMode = TDrawMode::Opaque;
  dst.Draw(2, 2, src);
  EXPECT_EQ(dst.Pixel(2, 2), 0x00123456u);
  dst.CopyRect(0, 3, src, TRect{1, 1, 3, 2});
  EXPECT_EQ(dst.Pixel(0, 3), 0xFF000000u);
  EXPECT_EQ(dst.Pixel(3, 3), 0xFF000000u);
}

TEST(Bitmap32, StretchDrawScalesAFlatPictureExactly) {
  TBitmap32 src(3, 2, 0xFF336699);
  TBitmap32 dst(10, 10, 0);
  dst.StretchDraw(TRect{1, 1, 8, 9}, src);
  EXPECT_EQ(dst.Pixel(0, 0), 0u);
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF336699u);
  EXPECT_EQ(dst.Pixel(7, 8), 0xFF336699u);
  EXPECT_EQ(dst.Pixel(8, 8), 0u);
  // A two-pixel gradient doubled keeps its ends.
  TBitmap32 g(2, 1);
  g.SetPixel(0, 0, 0xFF000000);
  g.SetPixel(1, 0, 0xFFFFFFFF);
  TBitmap32 big(4, 1);
  big.StretchDraw(big.BoundsRect(), g);
  EXPECT_EQ(big.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(big.Pixel(3, 0), 0xFFFFFFFFu);
  EXPECT_LT(RedOf(big.Pixel(1, 0)), RedOf(big.Pixel(2, 0)));
}

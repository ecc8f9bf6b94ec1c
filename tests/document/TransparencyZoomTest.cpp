// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Transparency.h"
#include "document/Zoom.h"

#include <gtest/gtest.h>

using namespace gs;

namespace {
constexpr TColor kKey = 0xFDFEFF;          // Windows colour value: blue FD, green FE, red FF
constexpr TColor32 kKeyRgb = 0x00FFFEFD;   // the same as a pixel
}  // namespace

TEST(Transparency, KeyOutMakesOnlyTheKeyColourTransparent) {
  TBitmap32 b(3, 1);
  b.SetPixel(0, 0, 0x12FFFEFD);  // key colour, any alpha
  b.SetPixel(1, 0, 0x00FFFEFC);  // one off the key
  b.SetPixel(2, 0, 0x80102030);
  KeyOutTransparent(b, kKey);
  EXPECT_EQ(b.Pixel(0, 0), 0x00FFFEFDu);
  EXPECT_EQ(b.Pixel(1, 0), 0xFFFFFEFCu);
  EXPECT_EQ(b.Pixel(2, 0), 0xFF102030u);
}

TEST(Transparency, FillKeyColourGoesByAlphaAlone) {
  TBitmap32 mirror(6, 1);
  mirror.SetPixel(0, 0, 0x00000000);   // left by a warp near the edge
  mirror.SetPixel(1, 0, 0x00102030);   // erased: alpha 0 whatever the colour
  mirror.SetPixel(2, 0, 0x7F405060);   // less than half opaque
  mirror.SetPixel(3, 0, 0x80405060);   // half opaque
  mirror.SetPixel(4, 0, 0xFF000000u | kKeyRgb);  // a photo's pixel of the key's colour
  mirror.SetPixel(5, 0, 0xFF010203);
  const TBitmap32 before = mirror;
  TBitmap32 reduced(6, 1, 0x00040506);  // what colour reduction made of it
  FillKeyColour(mirror, reduced, kKey);
  for (int x = 0; x < 6; ++x) {
    const bool transparent = x < 3;
    EXPECT_EQ(mirror.Pixel(x, 0), transparent ? kKeyRgb : 0xFF000000u | RgbOf(before.Pixel(x, 0))) << x;
    EXPECT_EQ(reduced.Pixel(x, 0), transparent ? kKeyRgb : 0xFF040506u) << x;
  }
}

TEST(Zoom, MenuStepsStopAtTheirLimits) {
  int z = 100;
  for (int i = 0; i < 20; ++i) z = ZoomInStep(z);
  EXPECT_EQ(z, 500);
  EXPECT_EQ(ZoomInStep(z), 500);
  z = 100;
  for (int i = 0; i < 10; ++i) z = ZoomOutStep(z);
  EXPECT_EQ(z, 20);
}

TEST(Zoom, WheelAndArrowsFromAnOddZoom) {
  EXPECT_EQ(ArrowDownZoom(21), 16);  // below the wheel's limit, as a fitted zoom allows
  EXPECT_EQ(ArrowDownZoom(20), 20);
  EXPECT_EQ(ArrowDownZoom(16), 16);
  EXPECT_EQ(WheelUpZoom(21), 20);
  EXPECT_EQ(WheelDownZoom(498), 500);
  EXPECT_EQ(ArrowUpZoom(497), 500);
}

TEST(Zoom, FitNeverEnlargesAndNeverReachesZero) {
  EXPECT_EQ(FitZoom(800, 600, 100, 100), 100);
  EXPECT_EQ(FitZoom(800, 600, 1600, 600), 50);
  EXPECT_EQ(FitZoom(800, 600, 1000, 3000), 20);  // 0.2 of the height
  EXPECT_EQ(FitZoom(300, 300, 30000, 30000), 1);  // 1 % exactly
  EXPECT_EQ(FitZoom(100, 100, 30000, 30000), 1);  // would truncate to 0
  EXPECT_EQ(FitZoom(0, 0, 640, 480), 1);
}

TEST(Zoom, ViewSideIsTruncatedNeverRoundedUp) {
  EXPECT_EQ(ZoomedSide(333, 20), 66);
  EXPECT_EQ(ZoomedSide(640, 100), 640);
  EXPECT_EQ(ZoomedSide(999, 50), 499);
  // At 100 % every side is exact: through a double, 29 came out as 28.
  for (int side = 1; side <= 5000; ++side) ASSERT_EQ(ZoomedSide(side, 100), side) << side;
  EXPECT_EQ(ZoomedSide(5000, 500), 25000);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Printing.h"

#include <gtest/gtest.h>

namespace gs {
namespace {

TRect Fit(TRect source, TRect page) {
  TRect dest{-7, -7, -7, -7};
  EXPECT_TRUE(FitRect(source, page, dest));
  return dest;
}

TEST(FitRect, LandscapePictureOnPortraitPageUsesFullWidthAndCentresVertically) {
  TRect d = Fit({0, 0, 400, 300}, {0, 0, 4800, 6600});
  EXPECT_EQ(d, (TRect{0, 1500, 4800, 5100}));
}

TEST(FitRect, PortraitPictureOnLandscapePageUsesFullHeightAndCentresHorizontally) {
  TRect d = Fit({0, 0, 300, 400}, {0, 0, 6600, 4800});
  EXPECT_EQ(d, (TRect{1500, 0, 5100, 4800}));
}

TEST(FitRect, SameShapeFillsThePageAndSmallPicturesAreEnlarged) {
  EXPECT_EQ(Fit({0, 0, 3, 4}, {0, 0, 4800, 6400}), (TRect{0, 0, 4800, 6400}));
  // Shrinking as well as enlarging.
  EXPECT_EQ(Fit({0, 0, 9600, 12800}, {0, 0, 480, 640}), (TRect{0, 0, 480, 640}));
}

TEST(FitRect, OffsetPageKeepsItsOrigin) {
  TRect d = Fit({0, 0, 100, 100}, {50, 20, 250, 120});
  EXPECT_EQ(d, (TRect{100, 20, 200, 120}));
}

TEST(FitRect, OnlyTheSourceSizeMattersNotItsPosition) {
  EXPECT_EQ(Fit({10, 10, 410, 310}, {0, 0, 4800, 6600}), Fit({0, 0, 400, 300}, {0, 0, 4800, 6600}));
}

TEST(FitRect, OddLeftoverIsHalvedTowardZero) {
  // Width 3 on a 10-wide page leaves 7: the picture starts at 3, not 4.
  TRect d = Fit({0, 0, 3, 10}, {0, 0, 10, 10});
  EXPECT_EQ(d.Left, 3);
  EXPECT_EQ(d.Width(), 3);
}

TEST(FitRect, SizesRoundToNearestWithHalvesToEven) {
  // 1 x 4 on a page 10 high: width 2.5 rounds to 2; 3 x 4: 7.5 rounds to 8; 1 x 3: 3.33 to 3.
  EXPECT_EQ(Fit({0, 0, 1, 4}, {0, 0, 100, 10}).Width(), 2);
  EXPECT_EQ(Fit({0, 0, 3, 4}, {0, 0, 100, 10}).Width(), 8);
  EXPECT_EQ(Fit({0, 0, 1, 3}, {0, 0, 100, 10}).Width(), 3);
  // The same on the other branch: 4 x 1 on a page 10 wide gives height 2.5 -> 2.
  EXPECT_EQ(Fit({0, 0, 4, 1}, {0, 0, 10, 100}).Height(), 2);
}

TEST(FitRect, EmptySourceLeavesDestinationUnchanged) {
  TRect dest{1, 2, 3, 4};
  EXPECT_FALSE(FitRect({0, 0, 0, 300}, {0, 0, 4800, 6600}, dest));
  EXPECT_FALSE(FitRect({0, 0, 400, 0}, {0, 0, 4800, 6600}, dest));
  EXPECT_EQ(dest, (TRect{1, 2, 3, 4}));
}

TEST(RoundDivEven, RoundsHalvesToEvenForBothSigns) {
  EXPECT_EQ(RoundDivEven(5, 2), 2);
  EXPECT_EQ(RoundDivEven(7, 2), 4);
  EXPECT_EQ(RoundDivEven(-5, 2), -2);
  EXPECT_EQ(RoundDivEven(-7, 2), -4);
  EXPECT_EQ(RoundDivEven(10, 3), 3);
  EXPECT_EQ(RoundDivEven(-11, 3), -4);
}

}  // namespace
}  // namespace gs

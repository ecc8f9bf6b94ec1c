// SPDX-License-Identifier: GPL-3.0-or-later
#include "warp/Stamps.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace gs;

namespace {

constexpr TBrushShape kPutty = TBrushShape::Putty, kWarp = TBrushShape::Warp,
                      kTwirl = TBrushShape::Twirl;

struct TPair {
  TVectorMap S0, S1;
  explicit TPair(int size) {
    S0.SetSize(size, size);
    S1.SetSize(size, size);
  }
};

TGenericBrush Brush(float pressure, float pinch, float feather = 0.5f) {
  TGenericBrush b;
  b.SetPressure(pressure);
  b.SetPinch(pinch);
  b.SetFeather(feather);
  return b;
}

// Size 5 puts the cells at x, y = -1, -0.5, 0, 0.5, 1. Only r < 1 weighs anything: the centre
// (r = 0), the four axis neighbours (r = 1/2) and the four diagonal ones (r = sqrt(1/2)).
void ExpectPuttyCells(const TVectorMap& s, int centre, int axis, int diagonal) {
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i) {
      const int di = std::abs(i - 2), dj = std::abs(j - 2);
      int expected = 0;
      if (di == 0 && dj == 0)
        expected = centre;
      else if (di + dj == 1)
        expected = axis;
      else if (di == 1 && dj == 1)
        expected = diagonal;
      EXPECT_EQ(s.Vector(i, j), (TFixedVector{expected, expected})) << i << ", " << j;
    }
}

}  // namespace

TEST(Stamps, PuttyCellsAtSizeFiveWorkedOutByHand) {
  // Pressure 1/2, feather 1/2: the ramp min(1, 2(1 - r)) is 1 at r <= 1/2 and
  // 2 - sqrt 2 = 0.58579 on the diagonal.
  TPair p(5);
  // Cone 1 - r: axis 1/2 * 1/2 = 16384; diagonal (1 - sqrt 1/2)^2 = 0.085786 -> 5622.1.
  BuildBrushStamps(p.S0, p.S1, Brush(0.5f, 0.0f), kPutty);
  ExpectPuttyCells(p.S0, 32768, 16384, 5622);
  EXPECT_TRUE(p.S1 == p.S0);  // the secondary button drags the same way
  // Dome sqrt(1 - r^2): axis sqrt(3/4) / 2 = 0.43301 -> 28377.9; diagonal
  // sqrt(1/2) * 0.58579 / 2 = 0.20711 -> 13572.95.
  BuildBrushStamps(p.S0, p.S1, Brush(0.5f, 0.5f), kPutty);
  ExpectPuttyCells(p.S0, 32768, 28378, 13573);
  // Spike (1 - sqrt r)^2: axis (1 - sqrt 1/2)^2 / 2 = 0.042893 -> 2811.05; diagonal
  // (1 - 2^-1/4)^2 * 0.58579 / 2 = 0.0074142 -> 485.9.
  BuildBrushStamps(p.S0, p.S1, Brush(0.5f, -0.5f), kPutty);
  ExpectPuttyCells(p.S0, 32768, 2811, 486);
  EXPECT_TRUE(p.S1 == p.S0);
}

TEST(Stamps, ReconstructCellsAreTheWeightAtSizeFive) {
  // As the editor builds it at full Effect: a flat disc at full pressure. The ramp is 1 out to
  // r = 1/2 and 2 - sqrt 2 on the diagonal: 0.58579 * 65536 = 38390.1.
  TPair p(5);
  BuildBrushStamps(p.S0, p.S1, Brush(1.0f, 1.0f), TBrushShape::Reconstruct);
  ExpectPuttyCells(p.S0, kFixedOne, kFixedOne, 38390);
  EXPECT_TRUE(p.S1 == p.S0);  // both buttons take the warp away alike
}

TEST(Stamps, WarpAndTwirlCellsAtSizeFiveWorkedOutByHand) {
  // Cone, feather 1/2: weight p/2 on the axis cells, p * 0.17157 on the diagonal ones, p at the
  // centre. A cell moves to ((x' + 1) * 2 - i, (y' + 1) * 2 - j) times the weight.
  TPair p(5);
  const auto cell = [](const TVectorMap& s, int i, int j) { return s.Vector(i, j); };

  // Warp, pressure 0.15, m = 0.9: the radius shrinks (stamp 0) or grows (stamp 1) by
  // (1 - 0.9 (1 - r)) / 10. Axis cell x = 1/2: dx = -0.11 * 0.075 * 65536 = -540.7. Diagonal:
  // r' = 0.63347, dx = dy = (r' sqrt 1/2 + 1) * 2 - 3 = -0.10414, times 0.025736 * 65536 = -175.65.
  // Centre: r' = -0.01 along angle 0, dx = -0.02 * 0.15 * 65536 = -196.6.
  BuildBrushStamps(p.S0, p.S1, Brush(0.15f, 0.0f), kWarp);
  EXPECT_EQ(cell(p.S0, 3, 2), (TFixedVector{-541, 0}));
  EXPECT_EQ(cell(p.S0, 1, 2), (TFixedVector{541, 0}));
  EXPECT_EQ(cell(p.S0, 2, 3), (TFixedVector{0, -541}));
  EXPECT_EQ(cell(p.S0, 3, 3), (TFixedVector{-176, -176}));
  EXPECT_EQ(cell(p.S0, 1, 1), (TFixedVector{176, 176}));
  EXPECT_EQ(cell(p.S0, 2, 2), (TFixedVector{-197, 0}));
  EXPECT_EQ(cell(p.S1, 3, 2), (TFixedVector{541, 0}));
  EXPECT_EQ(cell(p.S1, 3, 3), (TFixedVector{176, 176}));
  EXPECT_EQ(cell(p.S1, 2, 2), (TFixedVector{197, 0}));
  EXPECT_EQ(cell(p.S0, 4, 2), TFixedVector{});  // on the rim: weight 0

  // Twirl, pressure 1/2, m = 0.2 radians. Axis cell x = 1/2: dx = cos 0.2 - 1 = -0.019933,
  // dy = sin 0.2 = 0.19867, times 16384: (-326.6, 3255.0). Diagonal: dx = cos 0.2 - sin 0.2 - 1
  // = -0.21860, dy = cos 0.2 + sin 0.2 - 1 = 0.17874, times 5622.1: (-1229.0, 1004.9).
  BuildBrushStamps(p.S0, p.S1, Brush(0.5f, 0.0f), kTwirl);
  EXPECT_EQ(cell(p.S0, 3, 2), (TFixedVector{-327, 3255}));
  EXPECT_EQ(cell(p.S0, 3, 3), (TFixedVector{-1229, 1005}));
  EXPECT_EQ(cell(p.S0, 2, 2), TFixedVector{});
  // The other way round: the angle shrinks by 0.2.
  EXPECT_EQ(cell(p.S1, 3, 2), (TFixedVector{-327, -3255}));
  EXPECT_EQ(cell(p.S1, 3, 3), (TFixedVector{1005, -1229}));
}

TEST(Stamps, EveryShapeBuildsBothStampsAndNoneClearsThem) {
  const TGenericBrush brush = Brush(0.4f, 0.3f);
  for (TBrushShape shape : {kPutty, kWarp, kTwirl}) {
    TPair a(9);
    BuildBrushStamps(a.S0, a.S1, brush, shape);
    EXPECT_FALSE(a.S0.IsIdentity() || a.S1.IsIdentity()) << int(shape);
  }
  TPair p(7);
  BuildBrushStamps(p.S0, p.S1, brush, kWarp);
  BuildBrushStamps(p.S0, p.S1, brush, TBrushShape::None);
  EXPECT_TRUE(p.S0.IsIdentity() && p.S1.IsIdentity());
}

TEST(Stamps, FullSpikeReachesOnlyAnOddStampsCentreCell) {
  for (int size : {5, 6, 9, 10}) {
    TPair p(size);
    BuildBrushStamps(p.S0, p.S1, Brush(1.0f, -1.0f, 0.0f), kPutty);
    for (int j = 0; j < size; ++j)
      for (int i = 0; i < size; ++i) {
        const bool centre = size % 2 == 1 && i == size / 2 && j == size / 2;
        EXPECT_EQ(p.S0.Vector(i, j).X, centre ? kFixedOne : 0) << size << ": " << i << ", " << j;
      }
  }
}

TEST(Stamps, DegenerateSizesBuildWithoutFault) {
  // A one-cell stamp sits at the centre of its disc: full weight, nowhere to move to.
  for (TBrushShape shape : {kPutty, kWarp, kTwirl}) {
    for (int size : {0, 1, 2}) {
      TPair p(size);
      BuildBrushStamps(p.S0, p.S1, Brush(1.0f, 0.0f), shape);
      if (size == 1) {
        EXPECT_EQ(p.S0.Vector(0, 0).X, shape == kPutty ? kFixedOne : 0) << int(shape);
      }
    }
  }
}

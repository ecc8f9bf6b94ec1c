// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Errors.h"
#include "common/VectorMap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>

using namespace gs;

namespace {

// The interpolated read in exact real arithmetic: each step is a + floor((b - a) * w / 65536)
// with w the 16-bit fraction, cells outside counting as zero.
double InterpolatedModel(const TVectorMap& m, int32_t px, int32_t py, bool wantX) {
  const auto cell = [&](double x, double y) {
    if (x < 0 || y < 0 || x >= m.Width() || y >= m.Height()) return 0.0;
    const TFixedVector v = m.Vector(int(x), int(y));
    return double(wantX ? v.X : v.Y);
  };
  const auto lerp = [](double a, double b, double w) {
    return a + std::floor((b - a) * w / 65536);
  };
  const double cx = std::floor(px / 65536.0), cy = std::floor(py / 65536.0);
  const double fx = px - cx * 65536, fy = py - cy * 65536;
  return lerp(lerp(cell(cx, cy), cell(cx + 1, cy), fx),
              lerp(cell(cx, cy + 1), cell(cx + 1, cy + 1), fx), fy);
}

void ExpectInterpolatedLikeModel(const TVectorMap& m, int32_t px, int32_t py) {
  const TFixedVector v = m.VectorInterpolated(px, py);
  EXPECT_EQ(double(v.X), InterpolatedModel(m, px, py, true)) << px << ", " << py;
  EXPECT_EQ(double(v.Y), InterpolatedModel(m, px, py, false)) << px << ", " << py;
}

}  // namespace

TEST(VectorMap, ResizingKeepsCellsOnlyAtTheSameSizeAndReadsOutsideAreZero) {
  TVectorMap m;
  m.SetSize(4, 3);
  EXPECT_TRUE(m.IsIdentity());
  m.Vector(3, 2) = TFixedVector{5, -6};
  m.SetSize(4, 3);
  EXPECT_EQ(m.Vector(3, 2), (TFixedVector{5, -6}));
  EXPECT_EQ(m.VectorS(3, 2), (TFixedVector{5, -6}));
  for (auto [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{4, 0}, std::pair{0, 3},
                      std::pair{INT_MIN, INT_MAX}})
    EXPECT_EQ(m.VectorS(x, y), TFixedVector{}) << x << ", " << y;
  m.Clear();
  EXPECT_TRUE(m.IsIdentity());
  EXPECT_EQ(m.Width(), 4);
  // Same cell count, other shape: still a new size, so everything starts at zero.
  m.SetSize(3, 4);
  EXPECT_EQ(m.Width(), 3);
  EXPECT_TRUE(m.IsIdentity());
  m.SetSize(-5, 7);
  EXPECT_EQ(m.Width(), 0);
  EXPECT_TRUE(m.Empty());
  EXPECT_EQ(m.VectorInterpolated(0, 0), TFixedVector{});
}

TEST(VectorMap, AQuarterTurnedShapeStartsAllZero) {
  TVectorMap m;
  m.SetSize(2, 3);
  m.Vector(1, 2) = TFixedVector{7, 8};
  m.SetSize(3, 2);
  EXPECT_EQ(m.Width(), 3);
  EXPECT_EQ(m.Height(), 2);
  EXPECT_TRUE(m.IsIdentity());
}

TEST(VectorMap, AbsurdSizesFailAndLeaveTheMapAsItWas) {
  TVectorMap m;
  m.SetSize(2, 2);
  m.Vector(1, 1) = TFixedVector{7, 8};
  const TVectorMap before = m;
  for (auto [w, h] :
       {std::pair{INT_MAX, INT_MAX}, std::pair{100000, 100000}, std::pair{30001, 1}}) {
    try {
      m.SetSize(w, h);
      ADD_FAILURE() << w << " x " << h << " was accepted";
    } catch (const EOutOfResources& e) {
      EXPECT_STREQ(e.what(), "Can't allocate VectorMap!");
    }
    EXPECT_TRUE(m == before);
  }
}

TEST(VectorMap, InterpolatedReadsMatchTheExactModelInsideAtEdgesAndOutside) {
  TVectorMap m;
  m.SetSize(5, 4);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> value(-40 * kFixedOne, 40 * kFixedOne);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) m.Vector(x, y) = TFixedVector{value(rng), value(rng)};
  EXPECT_EQ(m.VectorInterpolated(2 * kFixedOne, 3 * kFixedOne), m.Vector(2, 3));
  std::uniform_int_distribution<int32_t> pos(-2 * kFixedOne, 7 * kFixedOne);
  for (int k = 0; k < 4000; ++k) ExpectInterpolatedLikeModel(m, pos(rng), pos(rng));

  // Neighbours at opposite ends of the 32-bit range: the result stays between them.
  m.SetSize(2, 2);
  m.Vector(0, 0) = TFixedVector{INT32_MIN, INT32_MAX};
  m.Vector(1, 0) = TFixedVector{INT32_MAX, INT32_MIN};
  m.Vector(0, 1) = TFixedVector{INT32_MAX, INT32_MAX};
  m.Vector(1, 1) = TFixedVector{INT32_MIN, INT32_MIN};
  for (int32_t f : {0, 1, 0x8000, 0xFFFF})
    for (int32_t g : {0, 0x7FFF, 0xFFFF}) ExpectInterpolatedLikeModel(m, f, g);
  EXPECT_EQ(m.VectorInterpolated(INT32_MAX, INT32_MAX), TFixedVector{});
  EXPECT_EQ(m.VectorInterpolated(INT32_MIN, INT32_MIN), TFixedVector{});
}

#include "common/Errors.h"
#include "common/VectorMap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>

using namespace gs;

namespace {

void FillDistinct(TVectorMap& m) {
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) m.Vector(x, y) = TFixedVector{x * 1000 + y + 1, -x - y * 7 - 1};
}

// The interpolated read worked out in exact real arithmetic: each step is
// a + floor((b - a) * w / 65536) with w the 16-bit fraction, cells outside counting as zero.
double Cell(const TVectorMap& m, int64_t x, int64_t y, bool wantX) {
  if (x < 0 || y < 0 || x >= m.Width() || y >= m.Height()) return 0.0;
  const TFixedVector v = m.Vector(int(x), int(y));
  return wantX ? v.X : v.Y;
}
double LerpModel(double a, double b, double w) { return a + std::floor((b - a) * w / 65536.0); }
double InterpolatedModel(const TVectorMap& m, int32_t px, int32_t py, bool wantX) {
  const int64_t cx = int64_t(std::floor(px / 65536.0));
  const int64_t cy = int64_t(std::floor(py / 65536.0));
  const double fx = double(px) - double(cx) * 65536.0;
  const double fy = double(py) - double(cy) * 65536.0;
  const double top = LerpModel(Cell(m, cx, cy, wantX), Cell(m, cx + 1, cy, wantX), fx);
  const double bottom = LerpModel(Cell(m, cx, cy + 1, wantX), Cell(m, cx + 1, cy + 1, wantX), fx);
  return LerpModel(top, bottom, fy);
}

}  // namespace

TEST(VectorMap, ResizingKeepsCellsOnlyAtTheSameSize) {
  TVectorMap m;
  EXPECT_TRUE(m.Empty());
  m.SetSize(4, 3);
  EXPECT_TRUE(m.IsIdentity());
  FillDistinct(m);
  m.SetSize(4, 3);
  EXPECT_EQ(m.Vector(3, 2), (TFixedVector{3003, -18}));
  EXPECT_FALSE(m.IsIdentity());
  // Same cell count, other shape: still a new size, so everything starts at zero.
  m.SetSize(3, 4);
  EXPECT_EQ(m.Width(), 3);
  EXPECT_EQ(m.Height(), 4);
  EXPECT_TRUE(m.IsIdentity());
  FillDistinct(m);
  m.Clear();
  EXPECT_TRUE(m.IsIdentity());
  EXPECT_EQ(m.Width(), 3);

  m.SetSize(-5, 7);
  EXPECT_EQ(m.Width(), 0);
  EXPECT_EQ(m.Height(), 7);
  EXPECT_TRUE(m.Empty());
  EXPECT_EQ(m.VectorS(0, 0), TFixedVector{});
  EXPECT_EQ(m.VectorInterpolated(0, 0), TFixedVector{});
}

TEST(VectorMap, AbsurdSizesFailAndLeaveTheMapAsItWas) {
  TVectorMap m;
  m.SetSize(2, 2);
  FillDistinct(m);
  const TVectorMap before = m;
  for (auto [w, h] : {std::pair{INT_MAX, INT_MAX}, std::pair{100000, 100000}, std::pair{30001, 1}}) {
    try {
      m.SetSize(w, h);
      ADD_FAILURE() << w << " x " << h << " was accepted";
    } catch (const EOutOfResources& e) {
      EXPECT_STREQ(e.what(), "Can't allocate VectorMap!");
    }
    EXPECT_TRUE(m == before);
  }
}

TEST(VectorMap, CheckedReadsOutsideAreZero) {
  TVectorMap m;
  m.SetSize(3, 2);
  FillDistinct(m);
  EXPECT_EQ(m.VectorS(2, 1), m.Vector(2, 1));
  for (auto [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{3, 0}, std::pair{0, 2},
                      std::pair{INT_MIN, INT_MAX}})
    EXPECT_EQ(m.VectorS(x, y), TFixedVector{}) << x << ", " << y;
}

TEST(VectorMap, InterpolatedReadsMatchTheExactModelInsideAtEdgesAndOutside) {
  TVectorMap m;
  m.SetSize(5, 4);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> value(-40 * kFixedOne, 40 * kFixedOne);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) m.Vector(x, y) = TFixedVector{value(rng), value(rng)};
  // Whole cells read the cell itself.
  EXPECT_EQ(m.VectorInterpolated(2 * kFixedOne, 3 * kFixedOne), m.Vector(2, 3));
  std::uniform_int_distribution<int32_t> pos(-2 * kFixedOne, 7 * kFixedOne);
  for (int k = 0; k < 4000; ++k) {
    const int32_t px = pos(rng), py = pos(rng);
    const TFixedVector v = m.VectorInterpolated(px, py);
    ASSERT_EQ(double(v.X), InterpolatedModel(m, px, py, true)) << px << ", " << py;
    ASSERT_EQ(double(v.Y), InterpolatedModel(m, px, py, false)) << px << ", " << py;
  }
}

TEST(VectorMap, InterpolationBetweenExtremeCellsStaysBetweenThem) {
  TVectorMap m;
  m.SetSize(2, 2);
  m.Vector(0, 0) = TFixedVector{INT32_MIN, INT32_MAX};
  m.Vector(1, 0) = TFixedVector{INT32_MAX, INT32_MIN};
  m.Vector(0, 1) = TFixedVector{INT32_MAX, INT32_MAX};
  m.Vector(1, 1) = TFixedVector{INT32_MIN, INT32_MIN};
  for (int32_t f : {0, 1, 0x4000, 0x8000, 0xFFFF}) {
    for (int32_t g : {0, 0x7FFF, 0xFFFF}) {
      const TFixedVector v = m.VectorInterpolated(f, g);
      EXPECT_EQ(double(v.X), InterpolatedModel(m, f, g, true)) << f << ", " << g;
      EXPECT_EQ(double(v.Y), InterpolatedModel(m, f, g, false)) << f << ", " << g;
    }
  }
  // Positions at the ends of the 32-bit range fall outside and read zero.
  EXPECT_EQ(m.VectorInterpolated(INT32_MAX, INT32_MAX), TFixedVector{});
  EXPECT_EQ(m.VectorInterpolated(INT32_MIN, INT32_MIN), TFixedVector{});
}

TEST(VectorMap, SaturationAndLerpRounding) {
  EXPECT_EQ(SaturateFixed(int64_t(INT32_MAX) + 1), INT32_MAX);
  EXPECT_EQ(SaturateFixed(int64_t(INT32_MIN) - 5), INT32_MIN);
  EXPECT_EQ(FixedLerp(20, 10, 0x8000), 15);
  EXPECT_EQ(FixedLerp(0, -1, 0x8000), -1);  // toward minus infinity, not toward zero
}

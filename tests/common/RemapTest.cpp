// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Errors.h"
#include "common/RemapTransformation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

using namespace gs;

namespace {

// A picture with opaque, half-transparent and fully transparent parts, set up like the
// document's pictures (blend, merge, alpha-0 outer colour).
TBitmap32 MakeSource(int w, int h, uint32_t seed) {
  TBitmap32 b(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool seeThrough = x > w / 2 && y > h / 2;
      const uint32_t alpha = seeThrough ? (rng() % 3 == 0 ? 0u : rng() >> 24) : 0xFFu;
      b.SetPixel(x, y, (rng() & 0x00FFFFFF) | alpha << 24);
    }
  b.OuterColor = 0x00FDFEFF;
  b.DrawMode = TDrawMode::Blend;
  b.CombineMode = TCombineMode::Merge;
  return b;
}

// Mostly fractional displacements of a few pixels, some whole and half pixels (the sampler's
// shortcut and its rounding ties), some far outside, some at the ends of the 32-bit range.
void RandomMap(TVectorMap& m, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int32_t> small(-3 * kFixedOne, 3 * kFixedOne);
  std::uniform_int_distribution<int32_t> large(-80 * kFixedOne, 80 * kFixedOne);
  std::uniform_int_distribution<int32_t> halves(-4, 4);
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) {
      const unsigned kind = rng() % 50;
      TFixedVector& v = m.Vector(x, y);
      if (kind == 0)
        v = TFixedVector{INT32_MAX, INT32_MIN};
      else if (kind == 1)
        v = TFixedVector{INT32_MIN, INT32_MAX};
      else if (kind < 6)
        v = TFixedVector{large(rng), large(rng)};
      else if (kind < 20)
        v = TFixedVector{halves(rng) * kFixedOne / 2, halves(rng) * kFixedOne / 2};
      else
        v = TFixedVector{small(rng), small(rng)};
    }
  // A row whose x positions pass the 32-bit range: they must saturate far to the right
  // instead of wrapping round to the left edge.
  if (m.Height() > 3)
    for (int x = 0; x < m.Width(); ++x) m.Vector(x, 3) = TFixedVector{INT32_MAX - 7, small(rng)};
}

// The bilinear sample in real arithmetic: alpha-weighted colour, the outer colour for
// neighbours outside. Alpha and channels 0..255.
struct TModelColour {
  double A = 0, R = 0, G = 0, B = 0;
};
TModelColour ModelSample(const TBitmap32& src, double sx, double sy) {
  const double x0 = std::floor(sx), y0 = std::floor(sy), fx = sx - x0, fy = sy - y0;
  TModelColour m;
  for (int k = 0; k < 4; ++k) {
    const double px = x0 + k % 2, py = y0 + k / 2;
    const double w = (k % 2 ? fx : 1 - fx) * (k / 2 ? fy : 1 - fy);
    const bool inside = px >= 0 && py >= 0 && px < src.Width() && py < src.Height();
    const TColor32 c = inside ? src.Pixel(int(px), int(py)) : src.OuterColor;
    m.A += w * AlphaOf(c);
    m.R += w * AlphaOf(c) * RedOf(c);
    m.G += w * AlphaOf(c) * GreenOf(c);
    m.B += w * AlphaOf(c) * BlueOf(c);
  }
  if (m.A > 0) {
    m.R /= m.A;
    m.G /= m.A;
    m.B /= m.A;
  }
  return m;
}

std::vector<TRemapKernel> AvailableKernels() {
  std::vector<TRemapKernel> kernels;
  for (TRemapKernel k :
       {TRemapKernel::Scalar, TRemapKernel::Sse2, TRemapKernel::Avx2, TRemapKernel::Auto})
    if (RemapKernelAvailable(k)) kernels.push_back(k);
  return kernels;
}

}  // namespace

TEST(Remap, EmptyRectanglesFailWithTheirMessages) {
  TBitmap32 src(4, 4, 0xFF000000), dst(4, 4);
  TRemapTransformation t;
  try {
    t.Render(dst, src, dst.BoundsRect());
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "SrcRect is empty!");
  }
  t.SrcRect = TFloatRect{0, 0, 4, 4};
  try {
    t.ClearAndRender(dst, src, dst.BoundsRect());
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "MappingRect is empty!");
  }
  t.Bind(src, dst);
  t.Render(dst, src, dst.BoundsRect());
  EXPECT_TRUE(dst == src);  // an all-zero map renders the picture as it is
}

TEST(Remap, ClearAndRenderMatchesTheRealArithmeticModel) {
  const TBitmap32 src = MakeSource(23, 17, 1);
  TBitmap32 dst(23, 17, 0xFF123456);
  TRemapTransformation t;
  t.Bind(src, dst);
  RandomMap(t.VectorMap(), 2);
  const TRect region{-3, 2, 19, 40};
  t.ClearAndRender(dst, src, region);
  for (int y = 0; y < dst.Height(); ++y)
    for (int x = 0; x < dst.Width(); ++x) {
      const TColor32 got = dst.Pixel(x, y);
      if (!region.Contains(x, y)) {
        ASSERT_EQ(got, 0xFF123456u) << "outside the region at " << x << ", " << y;
        continue;
      }
      const TFixedVector d = t.VectorMap().Vector(x, y);
      const TModelColour m = ModelSample(src, x + d.X / 65536.0, y + d.Y / 65536.0);
      ASSERT_LE(std::abs(std::nearbyint(m.A) - AlphaOf(got)), 1) << x << ", " << y;
      // A transparent sample leaves the cleared pixel at 0 in every channel.
      if (AlphaOf(got) == 0) {
        ASSERT_EQ(got, 0u) << x << ", " << y;
      } else if (m.A >= 1) {
        ASSERT_LE(std::abs(m.R - RedOf(got)), 1.0) << x << ", " << y;
        ASSERT_LE(std::abs(m.G - GreenOf(got)), 1.0) << x << ", " << y;
        ASSERT_LE(std::abs(m.B - BlueOf(got)), 1.0) << x << ", " << y;
      }
    }
}

TEST(Remap, EveryKernelGivesTheBitsOfTheReferencePath) {
  // Wide enough for the vector loops, odd sizes for their tails; maps smaller and larger than
  // the picture, regions reaching beyond it.
  struct TCase {
    int W, H, MapW, MapH;
    TRect Region;
  };
  const TCase cases[] = {
      {61, 29, 61, 29, TRect{0, 0, 61, 29}}, {300, 40, 300, 40, TRect{-9, 5, 290, 100}},
      {61, 29, 20, 13, TRect{3, 1, 61, 29}}, {40, 21, 70, 30, TRect{-1, -1, 41, 22}},
      {1, 1, 1, 1, TRect{0, 0, 1, 1}},       {2, 9, 2, 9, TRect{0, 0, 2, 9}}};
  uint32_t seed = 10;
  for (const TCase& c : cases) {
    TBitmap32 src = MakeSource(c.W, c.H, ++seed);
    TRemapTransformation t;
    t.Bind(src, src);
    t.VectorMap().SetSize(c.MapW, c.MapH);
    RandomMap(t.VectorMap(), ++seed);
    const TBitmap32 before = MakeSource(c.W, c.H, ++seed);
    // Each of the source's modes, onto a cleared region and onto what is there.
    for (auto [draw, combine] : {std::pair{TDrawMode::Blend, TCombineMode::Merge},
                                 std::pair{TDrawMode::Blend, TCombineMode::Blend},
                                 std::pair{TDrawMode::Opaque, TCombineMode::Merge}}) {
      src.DrawMode = draw;
      src.CombineMode = combine;
      TBitmap32 blended = before, cleared = before;
      t.Render(blended, src, c.Region, TRemapKernel::Reference);
      cleared.FillRect(c.Region, 0);
      t.Render(cleared, src, c.Region, TRemapKernel::Reference);
      for (TRemapKernel k : AvailableKernels()) {
        TBitmap32 got = before;
        t.ClearAndRender(got, src, c.Region, k);
        EXPECT_TRUE(got == cleared) << "kernel " << int(k) << ", " << c.W << " x " << c.H;
        got = before;
        t.Render(got, src, c.Region, k);
        EXPECT_TRUE(got == blended) << "kernel " << int(k) << ", " << c.W << " x " << c.H;
      }
    }
  }
}

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

constexpr TColor32 kOuter = 0x00FDFEFF;

// A picture with opaque, half-transparent and fully transparent parts, set up like the
// document's pictures (blend, merge, alpha-0 outer colour).
TBitmap32 MakeSource(int w, int h, uint32_t seed) {
  TBitmap32 b(w, h);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      TColor32 c = rng() | 0xFF000000u;
      if (x > w / 2 && y > h / 2) c = (c & 0x00FFFFFF) | (rng() % 3 == 0 ? 0u : (rng() & 0xFF000000u));
      b.SetPixel(x, y, c);
    }
  b.OuterColor = kOuter;
  b.DrawMode = TDrawMode::Blend;
  b.CombineMode = TCombineMode::Merge;
  return b;
}

// Mostly fractional displacements of a few pixels, some far outside, a few at the ends of the
// 32-bit range.
void RandomMap(TVectorMap& m, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int32_t> small(-3 * kFixedOne, 3 * kFixedOne);
  std::uniform_int_distribution<int32_t> large(-80 * kFixedOne, 80 * kFixedOne);
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x) {
      const unsigned kind = rng() % 50;
      TFixedVector& v = m.Vector(x, y);
      if (kind == 0) v = TFixedVector{INT32_MAX, INT32_MIN};
      else if (kind == 1) v = TFixedVector{INT32_MIN, INT32_MAX};
      else if (kind < 6) v = TFixedVector{large(rng), large(rng)};
      else if (kind < 9) v = TFixedVector{0, 0};
      else v = TFixedVector{small(rng), small(rng)};
    }
  // A row whose x positions pass the 32-bit range: they must saturate far to the right
  // instead of wrapping round to the left edge.
  if (m.Height() > 3)
    for (int x = 0; x < m.Width(); ++x) m.Vector(x, 3) = TFixedVector{INT32_MAX - 7, small(rng)};
}

// The bilinear sample in real arithmetic: alpha-weighted colour, the outer colour for
// neighbours outside; alpha and channels as reals 0..255.
struct TModelColour {
  double A, R, G, B;
};
TModelColour ModelSample(const TBitmap32& src, double sx, double sy) {
  const double x0 = std::floor(sx), y0 = std::floor(sy);
  const double fx = sx - x0, fy = sy - y0;
  const double w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
  const double px[4] = {x0, x0 + 1, x0, x0 + 1};
  const double py[4] = {y0, y0, y0 + 1, y0 + 1};
  TModelColour m{0, 0, 0, 0};
  for (int k = 0; k < 4; ++k) {
    const bool inside = px[k] >= 0 && py[k] >= 0 && px[k] < src.Width() && py[k] < src.Height();
    const TColor32 c = inside ? src.Pixel(int(px[k]), int(py[k])) : src.OuterColor;
    const double wa = w[k] * AlphaOf(c);
    m.A += wa;
    m.R += wa * RedOf(c);
    m.G += wa * GreenOf(c);
    m.B += wa * BlueOf(c);
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
  for (TRemapKernel k : {TRemapKernel::Reference, TRemapKernel::Scalar, TRemapKernel::Sse2,
                         TRemapKernel::Avx2, TRemapKernel::Auto})
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
  EXPECT_NO_THROW(t.Render(dst, src, dst.BoundsRect()));
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
      const double alpha = std::nearbyint(m.A);
      if (alpha == 0 || AlphaOf(got) == 0) {
        // A transparent sample leaves the cleared pixel at 0 in every channel.
        ASSERT_LE(std::abs(alpha - AlphaOf(got)), 1) << x << ", " << y;
        if (AlphaOf(got) == 0) {
          ASSERT_EQ(got, 0u) << x << ", " << y;
        }
        continue;
      }
      ASSERT_LE(std::abs(alpha - AlphaOf(got)), 1) << x << ", " << y;
      ASSERT_LE(std::abs(m.R - RedOf(got)), 1.0) << x << ", " << y;
      ASSERT_LE(std::abs(m.G - GreenOf(got)), 1.0) << x << ", " << y;
      ASSERT_LE(std::abs(m.B - BlueOf(got)), 1.0) << x << ", " << y;
    }
}

TEST(Remap, EveryKernelGivesTheSameBits) {
  // Wide enough for the vector loops, odd sizes for their tails; maps smaller and larger than
  // the picture, regions reaching beyond it.
  struct TCase {
    int W, H, MapW, MapH;
    TRect Region;
  };
  const TCase cases[] = {{61, 29, 61, 29, TRect{0, 0, 61, 29}},
                         {61, 29, 61, 29, TRect{-9, 5, 40, 100}},
                         {61, 29, 20, 13, TRect{3, 1, 61, 29}},
                         {40, 21, 70, 30, TRect{-1, -1, 41, 22}},
                         {1, 1, 1, 1, TRect{0, 0, 1, 1}},
                         {2, 9, 2, 9, TRect{0, 0, 2, 9}}};
  uint32_t seed = 10;
  for (const TCase& c : cases) {
    const TBitmap32 src = MakeSource(c.W, c.H, ++seed);
    TRemapTransformation t;
    t.Bind(src, src);
    t.VectorMap().SetSize(c.MapW, c.MapH);
    RandomMap(t.VectorMap(), ++seed);
    const TBitmap32 before = MakeSource(c.W, c.H, ++seed);

    TBitmap32 expected = before;
    expected.FillRect(c.Region, 0);
    t.Render(expected, src, c.Region, TRemapKernel::Reference);
    for (TRemapKernel k : AvailableKernels()) {
      TBitmap32 got = before;
      t.ClearAndRender(got, src, c.Region, k);
      EXPECT_TRUE(got == expected) << "kernel " << int(k) << ", case " << c.W << " x " << c.H;
    }

    // Blending onto what is there, in each of the source's modes.
    for (auto [draw, combine] : {std::pair{TDrawMode::Blend, TCombineMode::Merge},
                                 std::pair{TDrawMode::Blend, TCombineMode::Blend},
                                 std::pair{TDrawMode::Opaque, TCombineMode::Merge}}) {
      TBitmap32 modal = src;
      modal.DrawMode = draw;
      modal.CombineMode = combine;
      TBitmap32 reference = before;
      t.Render(reference, modal, c.Region, TRemapKernel::Reference);
      for (TRemapKernel k : AvailableKernels()) {
        TBitmap32 got = before;
        t.Render(got, modal, c.Region, k);
        EXPECT_TRUE(got == reference) << "kernel " << int(k) << ", mode " << int(draw) << int(combine);
        TBitmap32 cleared = before;
        t.ClearAndRender(cleared, modal, c.Region, k);
        TBitmap32 clearedReference = before;
        clearedReference.FillRect(c.Region, 0);
        t.Render(clearedReference, modal, c.Region, TRemapKernel::Reference);
        EXPECT_TRUE(cleared == clearedReference) << "kernel " << int(k) << ", mode " << int(draw) << int(combine);
      }
    }
  }
}

TEST(Remap, KernelsAgreeOnALargePictureWithWholeAndHalfPixelShifts) {
  // Whole-pixel shifts take the sampler's early exit, half-pixel ones its rounding ties.
  const TBitmap32 src = MakeSource(300, 40, 99);
  TRemapTransformation t;
  t.Bind(src, src);
  std::mt19937 rng(5);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 300; ++x)
      t.VectorMap().Vector(x, y) = TFixedVector{int32_t(rng() % 9) * kFixedOne / 2 - 2 * kFixedOne,
                                                int32_t(rng() % 5) * kFixedOne / 2 - kFixedOne};
  TBitmap32 expected(300, 40);
  t.Render(expected, src, expected.BoundsRect(), TRemapKernel::Reference);
  for (TRemapKernel k : AvailableKernels()) {
    TBitmap32 got(300, 40, 0xFFFFFFFF);
    t.ClearAndRender(got, src, got.BoundsRect(), k);
    EXPECT_TRUE(got == expected) << "kernel " << int(k);
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Errors.h"
#include "warp/ApplyBrush.h"
#include "warp/Stamps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

using namespace gs;

namespace {

// The mesh as the brush should leave it, computed cell by cell in plain arithmetic: a checked
// std::vector, real-valued floors, 64-bit products. Nothing here shares code with the engine.
class TMeshModel {
public:
  TMeshModel(int w, int h) : W_(w), H_(h), Cells_(size_t(w) * h, TFixedVector{}) {}

  TPoint StrokePoint;
  double CarryX = 0, CarryY = 0;

  void Set(int x, int y, TFixedVector v) { Cells_.at(size_t(x + y * W_)) = v; }

  TFixedVector At(int64_t x, int64_t y) const {
    if (x < 0 || y < 0 || x >= W_ || y >= H_) return TFixedVector{};
    return Cells_.at(size_t(x + y * W_));
  }

  void Apply(const TVectorMap& stamp, TPoint p, bool putty) {
    double sx = 65536, sy = 65536;
    if (putty) {
      CarryX = std::nearbyint(((double(StrokePoint.X) - p.X) * 65536 + CarryX) / 2);
      CarryY = std::nearbyint(((double(StrokePoint.Y) - p.Y) * 65536 + CarryY) / 2);
      sx = CarryX;
      sy = CarryY;
    }
    std::vector<TFixedVector> next = Cells_;
    for (int j = 0; j < stamp.Height(); ++j)
      for (int i = 0; i < stamp.Width(); ++i) {
        const int64_t mx = int64_t(p.X) + i, my = int64_t(p.Y) + j;
        if (mx < 0 || my < 0 || mx >= W_ || my >= H_) continue;
        TFixedVector v = stamp.Vector(i, j);
        if (putty) {  // the 16.16 product, cut to 32 bits
          v.X = int32_t(uint32_t(uint64_t(int64_t(sx) * v.X >> 16)));
          v.Y = int32_t(uint32_t(uint64_t(int64_t(sy) * v.Y >> 16)));
        }
        const double px = Clamp32(double(mx) * 65536 + v.X);
        const double py = Clamp32(double(my) * 65536 + v.Y);
        const double wx = Interpolated(px, py, true), wy = Interpolated(px, py, false);
        next.at(size_t(mx + my * W_)) =
            TFixedVector{int32_t(Clamp32(wx + v.X)), int32_t(Clamp32(wy + v.Y))};
      }
    Cells_ = next;
    StrokePoint = p;
  }

  bool Equals(const TVectorMap& m) const {
    if (m.Width() != W_ || m.Height() != H_) return false;
    for (int y = 0; y < H_; ++y)
      for (int x = 0; x < W_; ++x)
        if (!(m.Vector(x, y) == At(x, y))) {
          ADD_FAILURE() << "first difference at " << x << ", " << y << ": " << m.Vector(x, y).X
                        << ", " << m.Vector(x, y).Y << " instead of " << At(x, y).X << ", "
                        << At(x, y).Y;
          return false;
        }
    return true;
  }

private:
  static double Clamp32(double v) {
    return std::min(std::max(v, double(INT32_MIN)), double(INT32_MAX));
  }
  static double Lerp(double a, double b, double w) { return a + std::floor((b - a) * w / 65536); }
  double Interpolated(double px, double py, bool wantX) const {
    const double cx = std::floor(px / 65536), cy = std::floor(py / 65536);
    const double fx = px - cx * 65536, fy = py - cy * 65536;
    const auto c = [&](double x, double y) {
      const TFixedVector v = At(int64_t(x), int64_t(y));
      return double(wantX ? v.X : v.Y);
    };
    return Lerp(Lerp(c(cx, cy), c(cx + 1, cy), fx), Lerp(c(cx, cy + 1), c(cx + 1, cy + 1), fx), fy);
  }

  int W_, H_;
  std::vector<TFixedVector> Cells_;
};

// An opaque picture like the document's, with the view showing it unwarped.
struct TPicture {
  TBitmap32 Source, View;
  TRemapTransformation Mesh;
  TStrokeState Stroke;
  TVectorMap Scratch;

  TPicture(int w, int h, uint32_t seed) {
    Source.SetSize(w, h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Source.SetPixel(x, y, rng() | 0xFF000000u);
    Source.OuterColor = 0x00FDFEFF;
    Source.DrawMode = TDrawMode::Blend;
    Source.CombineMode = TCombineMode::Merge;
    View = Source;
    Mesh.Bind(Source, View);
  }

  TRect Apply(const TVectorMap& stamp, TPoint p, bool putty,
              TRemapKernel kernel = TRemapKernel::Auto) {
    return ApplyBrush(Mesh, Source, View, stamp, Scratch, p, putty, Stroke, kernel);
  }

  // Each application re-renders its whole square, so the view must equal a fresh render of
  // the picture through the final mesh everywhere.
  bool ViewIsFreshRender() const {
    TBitmap32 expected(View.Width(), View.Height());
    Mesh.Render(expected, Source, expected.BoundsRect(), TRemapKernel::Reference);
    return expected == View;
  }
};

TVectorMap RandomStamp(int w, int h, uint32_t seed, int32_t reach) {
  TVectorMap s;
  s.SetSize(w, h);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int32_t> d(-reach, reach);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) s.Vector(i, j) = TFixedVector{d(rng), d(rng)};
  return s;
}

TVectorMap BuiltStamp(int size, TBrushShape shape, float pressure, bool secondary = false) {
  TVectorMap s0, s1;
  s0.SetSize(size, size);
  s1.SetSize(size, size);
  TGenericBrush brush;
  brush.SetPressure(pressure);
  brush.SetFeather(0.5f);
  BuildBrushStamps(s0, s1, brush, shape);
  return secondary ? s1 : s0;
}

std::vector<TRemapKernel> Kernels() {
  std::vector<TRemapKernel> kernels;
  for (TRemapKernel k : {TRemapKernel::Scalar, TRemapKernel::Sse2, TRemapKernel::Avx2})
    if (RemapKernelAvailable(k)) kernels.push_back(k);
  return kernels;
}

}  // namespace

TEST(ApplyBrush, SuccessiveStampsChainAndPixelsOutsideEveryStampKeepTheSource) {
  TPicture pic(40, 30, 1);
  TMeshModel model(40, 30);
  // Reaches of up to 6 pixels make a stamp read cells an earlier one wrote, and cells of its
  // own square that it is about to overwrite.
  const TVectorMap a = RandomStamp(12, 9, 2, 6 * kFixedOne);
  const TVectorMap b = RandomStamp(10, 13, 3, 6 * kFixedOne);
  const std::pair<const TVectorMap*, TPoint> steps[] = {
      {&a, {5, 4}}, {&b, {9, 7}}, {&b, {9, 7}}, {&a, {8, 10}}, {&b, {25, 3}}};
  std::vector<TRect> squares;
  for (const auto& [s, p] : steps) {
    squares.push_back(pic.Apply(*s, p, false));
    model.Apply(*s, p, false);
    ASSERT_TRUE(model.Equals(pic.Mesh.VectorMap()));
    EXPECT_EQ(squares.back(), (TRect{p.X, p.Y, p.X + s->Width(), p.Y + s->Height()}));
    EXPECT_EQ(pic.Stroke.StrokePoint, p);
  }
  EXPECT_TRUE(pic.ViewIsFreshRender());
  int untouched = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      if (std::any_of(squares.begin(), squares.end(),
                      [&](const TRect& r) { return r.Contains(x, y); }))
        continue;
      ++untouched;
      ASSERT_EQ(pic.View.Pixel(x, y), pic.Source.Pixel(x, y)) << x << ", " << y;
    }
  EXPECT_GT(untouched, 500);
}

TEST(ApplyBrush, StampsBeyondTheEdgesAreClippedAndOddInputsDoNoHarm) {
  // Negative corners exercise the start of the map, where a wrong index would address the
  // previous row (caught by the model) or memory before the map (caught by AddressSanitizer).
  TPicture pic(30, 20, 5);
  TMeshModel model(30, 20);
  const TVectorMap s = RandomStamp(9, 8, 6, 4 * kFixedOne);
  const std::pair<TPoint, TRect> cases[] = {{{-3, -2}, {0, 0, 6, 6}},
                                            {{-8, 5}, {0, 5, 1, 13}},
                                            {{25, -7}, {25, 0, 30, 1}},
                                            {{26, 16}, {26, 16, 30, 20}},
                                            {{-9, 0}, {}},
                                            {{30, 3}, {}},
                                            {{INT_MIN, INT_MIN}, {}},
                                            {{INT_MAX, INT_MAX}, {}},
                                            {{INT_MAX - 3, 2}, {}},
                                            {{2, INT_MIN + 1}, {}}};
  for (const auto& [p, rect] : cases) {
    EXPECT_EQ(pic.Apply(s, p, false), rect) << p.X << ", " << p.Y;
    model.Apply(s, p, false);
    ASSERT_TRUE(model.Equals(pic.Mesh.VectorMap())) << p.X << ", " << p.Y;
  }
  // A stamp larger than the picture, a scratch map of the wrong size, an empty stamp.
  const TVectorMap big = RandomStamp(45, 33, 17, 5 * kFixedOne);
  pic.Scratch.SetSize(2, 2);
  EXPECT_EQ(pic.Apply(big, TPoint{-10, -10}, false), (TRect{0, 0, 30, 20}));
  model.Apply(big, TPoint{-10, -10}, false);
  EXPECT_TRUE(model.Equals(pic.Mesh.VectorMap()));
  EXPECT_TRUE(pic.Apply(TVectorMap{}, TPoint{3, 3}, true).IsEmpty());
  EXPECT_TRUE(model.Equals(pic.Mesh.VectorMap()));
  EXPECT_TRUE(pic.ViewIsFreshRender());
  // A one-pixel picture.
  TPicture tiny(1, 1, 18);
  tiny.Apply(s, TPoint{-3, -3}, true);
  EXPECT_TRUE(tiny.ViewIsFreshRender());
  // A mesh without a source rectangle fails before it changes anything.
  tiny.Mesh.SrcRect = TFloatRect{};
  const TVectorMap mesh = tiny.Mesh.VectorMap();
  EXPECT_THROW(tiny.Apply(s, TPoint{-3, -3}, false), Exception);
  EXPECT_TRUE(tiny.Mesh.VectorMap() == mesh);
}

TEST(ApplyBrush, PuttyCarryHalvesWhileThePointerStandsStill) {
  TPicture pic(40, 40, 7);
  TMeshModel model(40, 40);
  const TVectorMap s = BuiltStamp(9, TBrushShape::Putty, 0.5f);
  // The press sets the stroke point; the first move carries half the step.
  pic.Stroke.StrokePoint = model.StrokePoint = TPoint{10, 10};
  pic.Apply(s, TPoint{7, 12}, true);
  model.Apply(s, TPoint{7, 12}, true);
  EXPECT_EQ(pic.Stroke.PuttyCarry, (TFixedVector{3 * kFixedOne / 2, -kFixedOne}));
  ASSERT_TRUE(model.Equals(pic.Mesh.VectorMap()));
  // Standing still: 98304 -> 49152 -> ... -> 3 -> 2 (1.5 to even) -> 1 -> 0 (0.5 to even).
  int32_t expected = 3 * kFixedOne / 2;
  for (int tick = 0; tick < 20; ++tick) {
    expected = int32_t(std::nearbyint(expected / 2.0));
    pic.Apply(s, TPoint{7, 12}, true);
    model.Apply(s, TPoint{7, 12}, true);
    ASSERT_EQ(pic.Stroke.PuttyCarry.X, expected) << "tick " << tick;
    ASSERT_TRUE(model.Equals(pic.Mesh.VectorMap())) << "tick " << tick;
  }
  EXPECT_EQ(pic.Stroke.PuttyCarry, TFixedVector{});
  // Halves round to even: from 5, (0 + 5) / 2 = 2.5 gives 2; from 3, 1.5 gives 2.
  pic.Stroke.PuttyCarry = TFixedVector{5, 3};
  pic.Apply(s, TPoint{7, 12}, true);
  EXPECT_EQ(pic.Stroke.PuttyCarry, (TFixedVector{2, 2}));
  EXPECT_TRUE(pic.ViewIsFreshRender());
}

TEST(ApplyBrush, WarpHeldStillKeepsGrowing) {
  TPicture pic(60, 60, 8);
  TMeshModel model(60, 60);
  const TVectorMap s = BuiltStamp(31, TBrushShape::Warp, 0.15f);
  const TPoint p{14, 14};
  // A cell on the stamp's horizontal axis, halfway from the centre to the rim.
  double previous = 0;
  TBitmap32 previousView = pic.View;
  for (int tick = 0; tick < 6; ++tick) {
    pic.Apply(s, p, false);
    model.Apply(s, p, false);
    ASSERT_TRUE(model.Equals(pic.Mesh.VectorMap()));
    const TFixedVector d = pic.Mesh.VectorMap().Vector(p.X + 23, p.Y + 15);
    EXPECT_LT(d.X, 0) << "samples toward the centre";
    EXPECT_GT(std::abs(double(d.X)), previous) << "tick " << tick;
    previous = std::abs(double(d.X));
    EXPECT_FALSE(pic.View == previousView) << "tick " << tick;
    previousView = pic.View;
  }
  EXPECT_TRUE(pic.ViewIsFreshRender());
}

TEST(ApplyBrush, EveryKernelLeavesTheSameMeshAndPicture) {
  // Rough stamps with reaches far beyond the picture and the 32-bit range: the vector loops'
  // hand-offs to the scalar code for edges and overflow must give the same cells.
  TVectorMap extreme = RandomStamp(19, 19, 13, INT32_MAX);
  extreme.Vector(0, 0) = TFixedVector{INT32_MIN, INT32_MIN};
  extreme.Vector(5, 5) = TFixedVector{INT32_MAX, INT32_MAX};
  for (int i = 0; i < 19; ++i) extreme.Vector(i, 10) = TFixedVector{INT32_MAX - 7, 0};  // saturates
  const std::vector<TVectorMap> stamps = {RandomStamp(23, 17, 11, 3 * kFixedOne),
                                          extreme,
                                          RandomStamp(40, 9, 12, 60 * kFixedOne),
                                          BuiltStamp(25, TBrushShape::Warp, 0.15f),
                                          BuiltStamp(25, TBrushShape::Putty, 0.5f),
                                          RandomStamp(33, 21, 14, kFixedOne)};
  const TPoint points[] = {{10, 6}, {-4, 30}, {50, -3}, {57, 33}, {20, 20}, {21, 19}, {21, 19}};

  std::vector<TPicture> pictures;
  for (size_t k = 0; k < Kernels().size(); ++k) pictures.emplace_back(64, 40, 14);
  TMeshModel model(64, 40);
  const auto set = [&](int x, int y, TFixedVector v) {
    model.Set(x, y, v);
    for (TPicture& pic : pictures) pic.Mesh.VectorMap().Vector(x, y) = v;
  };
  // A patch of the mesh at the ends of the 32-bit range, uniform blocks and alternating cells,
  // for gentle stamps to read with positions well inside the picture; and the left edge
  // displaced, so that reading it by mistake shows.
  for (int y = 12; y < 28; ++y)
    for (int x = 16; x < 48; ++x) {
      const bool high = (x / 4 + y / 4) % 2 == 0 ? x < 32 : (x + y) % 2 == 0;
      set(x, y,
          high ? TFixedVector{INT32_MAX - x, INT32_MAX - y}
               : TFixedVector{INT32_MIN + x, INT32_MIN + y});
    }
  for (int y = 0; y < 40; ++y) set(0, y, TFixedVector{kFixedOne / 3, -kFixedOne / 5});
  for (TPicture& pic : pictures)
    pic.Mesh.ClearAndRender(pic.View, pic.Source, pic.View.BoundsRect());
  int step = 0;
  for (const TVectorMap& s : stamps)
    for (const TPoint p : points) {
      const bool putty = step++ % 3 == 0;
      model.Apply(s, p, putty);
      for (size_t k = 0; k < pictures.size(); ++k) {
        pictures[k].Apply(s, p, putty, Kernels()[k]);
        ASSERT_TRUE(model.Equals(pictures[k].Mesh.VectorMap())) << "kernel " << int(Kernels()[k]);
        ASSERT_TRUE(pictures[k].View == pictures[0].View) << "kernel " << int(Kernels()[k]);
      }
    }
  EXPECT_TRUE(pictures[0].ViewIsFreshRender());
}

TEST(ApplyBrush, LongReachesOnTheWidestPictureSaturate) {
  // 30000 pixels wide, a stamp cell may reach 29985 pixels to the right and still land inside,
  // on mesh cells of 2^30: displacement plus reach passes the 32-bit range and must saturate.
  const int w = 30000, h = 3;
  TVectorMap s;
  s.SetSize(12, 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 12; ++i)
      s.Vector(i, j) = TFixedVector{(29985 - i) * kFixedOne + 777, -j * 999};
  for (TRemapKernel kernel : Kernels()) {
    TPicture pic(w, h, 19);
    TMeshModel model(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 29970; x < w; ++x) {
        const TFixedVector v{(1 << 30) - 9 - x % 3, -(1 << 30) + y};
        pic.Mesh.VectorMap().Vector(x, y) = v;
        model.Set(x, y, v);
      }
    pic.Apply(s, TPoint{0, 0}, false, kernel);
    model.Apply(s, TPoint{0, 0}, false);
    ASSERT_TRUE(model.Equals(pic.Mesh.VectorMap())) << "kernel " << int(kernel);
    EXPECT_EQ(pic.Mesh.VectorMap().Vector(3, 0).X, INT32_MAX);
  }
}

namespace {

// cell * (1 - w s) rounded toward zero: the magnitude's exact product (at most 2^31 * 2^32)
// cut to whole units, then the sign put back.
TFixed Pulled(TFixed cell, int64_t weight, int64_t strength) {
  weight = std::clamp<int64_t>(weight, 0, kFixedOne);
  strength = std::clamp<int64_t>(strength, 0, kFixedOne);
  const uint64_t size = cell < 0 ? uint64_t(-int64_t(cell)) : uint64_t(cell);
  const uint64_t magnitude = size * ((uint64_t(1) << 32) - uint64_t(weight * strength)) >> 32;
  return TFixed(cell < 0 ? -int64_t(magnitude) : int64_t(magnitude));
}

TVectorMap RandomWeights(int w, int h, uint32_t seed) {
  TVectorMap s;
  s.SetSize(w, h);
  std::mt19937 rng(seed);
  // Beyond both ends too: those weigh as 0 and 1.
  std::uniform_int_distribution<int32_t> d(-3000, kFixedOne + 3000);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) s.Vector(i, j).X = d(rng);
  return s;
}

}  // namespace

TEST(ReconstructBrush, CellsWorkedOutByHand) {
  struct TCase {
    TFixed Cell;
    int32_t Weight, Strength;
    TFixed Expected;
  };
  const TCase cases[] = {
      {100, kFixedOne, kFixedOne / 2, 50},
      {-101, kFixedOne, kFixedOne / 2, -50},   // -50.5 toward zero
      {101, kFixedOne / 2, kFixedOne / 2, 75},  // 101 * 3/4 = 75.75
      {1, kFixedOne - 1, kFixedOne - 1, 0},     // 1 * 131071 / 2^32
      {INT32_MIN, kFixedOne, kFixedOne, 0},
      {INT32_MIN, kFixedOne, kFixedOne / 2, INT32_MIN / 2},
      {INT32_MAX, 0, kFixedOne, INT32_MAX},
      {INT32_MAX, kFixedOne, 0, INT32_MAX},
      {-7, -5, kFixedOne, -7},                  // a negative weight takes nothing away
      {7 * kFixedOne, 2 * kFixedOne, 2 * kFixedOne, 0},  // and an excess no more than all
  };
  for (const TCase& c : cases) {
    TBitmap32 source(1, 1, 0xFF102030), view = source;
    TRemapTransformation mesh;
    mesh.Bind(source, view);
    mesh.VectorMap().Vector(0, 0) = TFixedVector{c.Cell, c.Cell};
    TVectorMap weights;
    weights.SetSize(1, 1);
    weights.Vector(0, 0) = TFixedVector{c.Weight, 12345};  // only X is the weight
    TStrokeState stroke;
    EXPECT_EQ(ReconstructBrush(mesh, source, view, weights, c.Strength, TPoint{0, 0}, stroke),
              (TRect{0, 0, 1, 1}));
    EXPECT_EQ(mesh.VectorMap().Vector(0, 0), (TFixedVector{c.Expected, c.Expected}))
        << c.Cell << " " << c.Weight << " " << c.Strength;
    EXPECT_EQ(Pulled(c.Cell, c.Weight, c.Strength), c.Expected);
  }
}

TEST(ReconstructBrush, OnlyTheStampsCellsChangeAndOnlyItsSquareIsRendered) {
  const std::vector<TVectorMap> stamps = {RandomWeights(9, 19, 21), RandomWeights(30, 25, 22),
                                          RandomWeights(1, 1, 23)};
  const TPoint points[] = {{4, 2}, {-3, -5}, {17, 10}, {-40, 3}, {INT_MIN, 0}, {5, INT_MAX - 2}, {22, 16}};
  const int32_t strengths[] = {kFixedOne, 0, kFixedOne / 2, 1, 40000, kFixedOne + 9, -9};
  std::vector<TPicture> pictures;
  for (size_t k = 0; k < Kernels().size(); ++k) pictures.emplace_back(23, 17, 24);
  // Every cell displaced, the ends of the range included; the view rendered from it.
  std::vector<TFixedVector> model(23 * 17);
  std::mt19937 rng(25);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 23; ++x) {
      TFixedVector v{int32_t(rng()), int32_t(rng()) >> 12};
      if ((x + y) % 11 == 0) v = TFixedVector{INT32_MIN, INT32_MAX};
      model[size_t(x + 23 * y)] = v;
      for (TPicture& pic : pictures) pic.Mesh.VectorMap().Vector(x, y) = v;
    }
  for (TPicture& pic : pictures) pic.Mesh.ClearAndRender(pic.View, pic.Source, pic.View.BoundsRect());
  int step = 0;
  for (const TVectorMap& s : stamps)
    for (const TPoint p : points) {
      const int32_t strength = strengths[size_t(step++) % std::size(strengths)];
      for (int j = 0; j < s.Height(); ++j)
        for (int i = 0; i < s.Width(); ++i) {
          const int64_t x = int64_t(p.X) + i, y = int64_t(p.Y) + j;
          if (x < 0 || y < 0 || x >= 23 || y >= 17) continue;
          TFixedVector& cell = model[size_t(x + 23 * y)];
          cell = TFixedVector{Pulled(cell.X, s.Vector(i, j).X, strength),
                              Pulled(cell.Y, s.Vector(i, j).X, strength)};
        }
      const int64_t left = std::clamp<int64_t>(p.X, 0, 23), top = std::clamp<int64_t>(p.Y, 0, 17);
      const int64_t right = std::clamp<int64_t>(int64_t(p.X) + s.Width(), 0, 23);
      const int64_t bottom = std::clamp<int64_t>(int64_t(p.Y) + s.Height(), 0, 17);
      const TRect square = right > left && bottom > top
                               ? TRect{int(left), int(top), int(right), int(bottom)}
                               : TRect{};
      for (size_t k = 0; k < pictures.size(); ++k) {
        TPicture& pic = pictures[k];
        const TRect changed = ReconstructBrush(pic.Mesh, pic.Source, pic.View, s, strength, p,
                                               pic.Stroke, Kernels()[k]);
        EXPECT_EQ(changed.IsEmpty(), square.IsEmpty());
        if (!square.IsEmpty()) {
          EXPECT_EQ(changed, square) << p.X << ", " << p.Y;
        }
        EXPECT_EQ(pic.Stroke.StrokePoint, p);
        for (int y = 0; y < 17; ++y)
          for (int x = 0; x < 23; ++x)
            ASSERT_EQ(pic.Mesh.VectorMap().Vector(x, y), model[size_t(x + 23 * y)])
                << "cell " << x << ", " << y << " after step " << step;
        // Pixels outside the square keep the old render, those inside are the new one.
        ASSERT_TRUE(pic.ViewIsFreshRender()) << "step " << step;
      }
    }
}

TEST(ReconstructBrush, FullStrengthGivesTheSourceBackWhereTheWeightIsOne) {
  TPicture pic(60, 50, 26);
  const TVectorMap warp = BuiltStamp(21, TBrushShape::Warp, 0.15f);
  for (int tick = 0; tick < 4; ++tick) pic.Apply(warp, TPoint{20, 15}, false);
  pic.Apply(BuiltStamp(15, TBrushShape::Twirl, 0.5f), TPoint{25, 20}, false);
  const TVectorMap warped = pic.Mesh.VectorMap();
  // The brush as the editor chooses it for Reconstruct at full Effect: a flat disc at full
  // pressure, weight 1 out to half the radius.
  TGenericBrush brush;
  brush.SetPressure(1.0f);
  brush.SetPinch(1.0f);
  brush.SetFeather(0.5f);
  TVectorMap weights, unused;
  weights.SetSize(41, 41);
  unused.SetSize(41, 41);
  BuildBrushStamps(weights, unused, brush, TBrushShape::Reconstruct);
  EXPECT_EQ(ReconstructBrush(pic.Mesh, pic.Source, pic.View, weights, kFixedOne, TPoint{10, 5},
                             pic.Stroke),
            (TRect{10, 5, 51, 46}));
  int restored = 0;
  for (int j = 0; j < 41; ++j)
    for (int i = 0; i < 41; ++i) {
      if (weights.Vector(i, j).X != kFixedOne) continue;
      const int x = 10 + i, y = 5 + j;
      ASSERT_EQ(pic.Mesh.VectorMap().Vector(x, y), TFixedVector{}) << x << ", " << y;
      ASSERT_EQ(pic.View.Pixel(x, y), pic.Source.Pixel(x, y)) << x << ", " << y;
      restored += !(warped.Vector(x, y) == TFixedVector{});
    }
  EXPECT_GT(restored, 200);  // the warp was there to take away
  EXPECT_TRUE(pic.ViewIsFreshRender());
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/Face.h"
#include "faces/warp/ApplyField.h"
#include "faces/warp/WarpField.h"
#include "faces/warp/WarpSteps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace gs;

namespace {

constexpr TSize kPicture{400, 300};

// A lattice of controls round the centre, each moved by the same map.
template <class TMove>
TWarpControls Lattice(TPointF centre, double half, TMove move) {
  TWarpControls controls;
  for (int j = -4; j <= 4; ++j)
    for (int i = -4; i <= 4; ++i) {
      const TPointF p{centre.X + half * i / 4, centre.Y + half * j / 4};
      controls.Add(p, move(p));
    }
  return controls;
}

}  // namespace

// Well inside a dense lattice of controls, a translation or scale of all of them is what the
// picture gets, whichever model interpolates; it reads backwards, from where a point goes.
TEST(FaceWarp, TranslationAndScaleOfAllControlsComeThroughInside) {
  const TPointF c{200, 150};
  const TWarpDisc disc{c, 90, 140, 4};
  struct TCase {
    const char* Name;
    TPointF (*Move)(TPointF);
  };
  const TCase cases[] = {
      {"translation", [](TPointF p) { return TPointF{p.X + 6, p.Y - 4}; }},
      {"scale", [](TPointF p) { return TPointF{200 + (p.X - 200) * 1.1, 150 + (p.Y - 150) * 1.1}; }},
  };
  for (TWarpModel model : {TWarpModel::Mls, TWarpModel::Tps})
    for (const TCase& test : cases) {
      SCOPED_TRACE(std::string(test.Name) + (model == TWarpModel::Mls ? " mls" : " tps"));
      const TWarpField field = BuildWarpField(Lattice(c, 40, test.Move), disc, kPicture, model);
      ASSERT_FALSE(field.Empty());
      EXPECT_EQ(field.Limit(), 1);
      for (const TPointF source : {TPointF{200, 150}, TPointF{190, 160}, TPointF{212, 141}, TPointF{185, 137}}) {
        const TPointF target = test.Move(source);
        const TPointF d = field.At(target);
        EXPECT_NEAR(target.X + d.X, source.X, 0.3) << target.X << ", " << target.Y;
        EXPECT_NEAR(target.Y + d.Y, source.Y, 0.3) << target.X << ", " << target.Y;
        // And a point of the picture is carried to where its control sends it.
        const TPointF carried = CarryPoint(field, source);
        EXPECT_NEAR(carried.X, target.X, 0.3);
        EXPECT_NEAR(carried.Y, target.Y, 0.3);
      }
    }
}

// Beyond the disc and on the picture's outermost pixels nothing moves, so neighbours are
// untouched and no pixel samples beyond the picture, even with the face cut by a corner.
TEST(FaceWarp, ZeroBeyondTheDiscAndAtTheBorderAndSamplesStayInside) {
  const TWarpDisc disc{{40, 30}, 55, 90, 3};
  TWarpControls controls;
  controls.Add({40, 30}, {20, 5});    // towards the corner
  controls.Add({60, 40}, {80, 70});
  controls.Add({10, 50}, {4, 60});
  const TWarpField field = BuildWarpField(controls, disc, kPicture);
  ASSERT_FALSE(field.Empty());

  TBitmap32 source(kPicture.Width, kPicture.Height, 0xFF336699), view = source;
  TRemapTransformation mesh;
  mesh.Bind(source, view);
  const TRect changed = ApplyWarpField(mesh, source, view, field);
  EXPECT_FALSE(changed.IsEmpty());
  int moved = 0;
  for (int y = 0; y < kPicture.Height; ++y)
    for (int x = 0; x < kPicture.Width; ++x) {
      const TPointF at{x + 0.5, y + 0.5};
      const TFixedVector v = mesh.VectorMap().Vector(x, y);
      const bool border = x == 0 || y == 0 || x == kPicture.Width - 1 || y == kPicture.Height - 1;
      if (border || Distance(at, disc.Centre) >= disc.Radius) {
        ASSERT_EQ(field.At(at), TPointF{}) << x << ", " << y;
        ASSERT_EQ(v, TFixedVector{}) << x << ", " << y;
      }
      moved += v != TFixedVector{};
      const double sx = x + v.X / 65536.0, sy = y + v.Y / 65536.0;
      ASSERT_TRUE(sx >= 0 && sy >= 0 && sx <= kPicture.Width - 1 && sy <= kPicture.Height - 1) << x << ", " << y;
      ASSERT_EQ(view.Pixel(x, y) >> 24, 0xFFu) << x << ", " << y;
    }
  EXPECT_GT(moved, 1000);
}

// A copy of the picture shrunk four times gets the same field, shrunk: the preview shows what
// the picture will get.
TEST(FaceWarp, TheSameFieldAtAnyScale) {
  const double k = 0.25;
  auto build = [](double scale) {
    TWarpControls controls;
    controls.Add({180 * scale, 140 * scale}, {170 * scale, 120 * scale});
    controls.Add({220 * scale, 160 * scale}, {235 * scale, 170 * scale});
    controls.Hold({200 * scale, 200 * scale});
    const TWarpDisc disc{{200 * scale, 150 * scale}, 70 * scale, 110 * scale, 3 * scale};
    return BuildWarpField(controls, disc, {int(400 * scale), int(300 * scale)});
  };
  const TWarpField full = build(1), small = build(k);
  for (const TPointF p : {TPointF{180, 140}, TPointF{150, 110}, TPointF{230, 175}, TPointF{205, 195}}) {
    const TPointF a = full.At(p), b = small.At({p.X * k, p.Y * k});
    EXPECT_NEAR(a.X, b.X / k, 1e-6);
    EXPECT_NEAR(a.Y, b.Y / k, 1e-6);
  }
}

// A field laid over an earlier warp shows, at each pixel, what the earlier warp showed where the
// field points: cell = field's move + the earlier map read there. On an unwarped mesh the field
// is written as it stands, whether or not some far, unread cell of the mesh is set, and the view
// is what a full render of the mesh gives.
TEST(FaceWarp, ComposesOverAnEarlierWarpAndWritesStraightOntoAnUnwarpedMesh) {
  auto fieldAt = [](TPointF centre, TPointF pull) {
    TWarpControls controls;
    controls.Add(centre, {centre.X + pull.X, centre.Y + pull.Y});
    controls.Add({centre.X + 30, centre.Y}, {centre.X + 30 + pull.Y, centre.Y - pull.X});
    return BuildWarpField(controls, TWarpDisc{centre, 60, 100, 3}, kPicture);
  };
  const TWarpField earlier = fieldAt({180, 140}, {12, -8}), field = fieldAt({215, 160}, {-10, 14});
  TBitmap32 source(kPicture.Width, kPicture.Height);
  for (int y = 0; y < kPicture.Height; ++y)
    for (int x = 0; x < kPicture.Width; ++x) source.SetPixel(x, y, 0xFF000000u | uint32_t(x * 611 + y * 1013));
  struct TCase {
    TBitmap32 View;
    TRemapTransformation Mesh;
  };
  auto fresh = [&] {
    auto c = std::make_unique<TCase>();
    c->View = source;
    c->Mesh.Bind(source, c->View);
    return c;
  };
  auto plain = fresh(), farCellSet = fresh(), overEarlier = fresh();
  const TPoint far{field.Bounds().Left - 2, field.Bounds().Top - 2};
  farCellSet->Mesh.VectorMap().Vector(far.X, far.Y) = TFixedVector{3 << 16, 0};
  ApplyWarpField(overEarlier->Mesh, source, overEarlier->View, earlier);
  const TVectorMap before = overEarlier->Mesh.VectorMap();
  for (auto* c : {plain.get(), farCellSet.get(), overEarlier.get()}) ApplyWarpField(c->Mesh, source, c->View, field);

  int composed = 0;
  for (int y = 0; y < kPicture.Height; ++y)
    for (int x = 0; x < kPicture.Width; ++x) {
      const TFixedVector move = plain->Mesh.VectorMap().Vector(x, y);
      if (TPoint{x, y} != far) {
        ASSERT_EQ(farCellSet->Mesh.VectorMap().Vector(x, y), move) << x << ", " << y;
      }
      const TFixedVector old = before.VectorInterpolated(x * kFixedOne + move.X, y * kFixedOne + move.Y);
      const TFixedVector expected = move == TFixedVector{} ? before.Vector(x, y) : TFixedVector{old.X + move.X, old.Y + move.Y};
      ASSERT_EQ(overEarlier->Mesh.VectorMap().Vector(x, y), expected) << x << ", " << y;
      composed += move != TFixedVector{} && old != TFixedVector{};
    }
  EXPECT_GT(composed, 1000);
  for (auto* c : {plain.get(), overEarlier.get()}) {
    TBitmap32 rendered(kPicture.Width, kPicture.Height);
    c->Mesh.ClearAndRender(rendered, source, rendered.BoundsRect());
    EXPECT_TRUE(rendered == c->View);
  }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/BrushTool.h"

#include "document/Document.h"
#include "document/TestFiles.h"
#include "document/InputRouter.h"
#include "document/Layers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

using namespace gs;

namespace {

class BrushToolTest : public ::testing::Test {
protected:
  BrushToolTest() {
    Doc.Open(TLoadedPicture{test::Stripes(120, 90)});
    Doc.Brushes.SetSize(21);
  }
  static TPointer At(double x, double y, TButtons held = TButtons{true, false, false}) {
    return TPointer{TPointF{x, y}, held, false};
  }
  TRect Press(double x, double y, TButtons held = TButtons{true, false, false}) {
    return RoutePress(Doc, At(x, y, held), TPointF{3, 3});
  }
  bool MeshIsZero() const { return Doc.MeshTransformation.VectorMap().IsIdentity(); }
  // A 20 x 10 layer centred on (60, 45), selected.
  TRotatableLayer& AddLayer() {
    const int index = AddPictureLayer(Doc, TBitmap32(20, 10, 0xFF00FF00), 60, 45);
    SelectLayer(Doc, Doc.Layers()[size_t(index)].get());
    return *Doc.Layers()[size_t(index)];
  }

  TDocument Doc;
};

}  // namespace

TEST(ToolMode, PictureAndLayerBrushesShareTheirShapeAndAllButPuttyRepeat) {
  struct TCase {
    TToolMode Mode;
    TBrushShape Shape;
    bool Picture, Layer, Pixel, Repeats;
  };
  const TCase cases[] = {
      {TToolMode::None, TBrushShape::None, false, false, false, false},
      {TToolMode::Putty, TBrushShape::Putty, true, false, false, false},
      {TToolMode::Warp, TBrushShape::Warp, true, false, false, true},
      {TToolMode::Twirl, TBrushShape::Twirl, true, false, false, true},
      {TToolMode::Reconstruct, TBrushShape::Reconstruct, true, false, false, true},
      {TToolMode::Eraser, TBrushShape::None, false, false, true, false},
      {TToolMode::ChromaPick, TBrushShape::None, false, false, true, false},
      {TToolMode::ArrangeLayers, TBrushShape::None, false, false, false, false},
      {TToolMode::LayerPutty, TBrushShape::Putty, false, true, false, false},
      {TToolMode::LayerWarp, TBrushShape::Warp, false, true, false, true},
      {TToolMode::LayerTwirl, TBrushShape::Twirl, false, true, false, true},
      {TToolMode::LayerReconstruct, TBrushShape::Reconstruct, false, true, false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Mode));
    EXPECT_EQ(BrushShapeOf(c.Mode), c.Shape);
    EXPECT_EQ(IsPictureBrush(c.Mode), c.Picture);
    EXPECT_EQ(IsLayerBrush(c.Mode), c.Layer);
    EXPECT_EQ(IsPixelTool(c.Mode), c.Pixel);
    EXPECT_EQ(RepeatsWhileHeld(c.Mode), c.Repeats);
  }
  EXPECT_EQ(OnLayer(TToolMode::Twirl), TToolMode::LayerTwirl);
  EXPECT_EQ(OnLayer(TToolMode::Reconstruct), TToolMode::LayerReconstruct);
  // The numbers the program has always given its tools, with Reconstruct in the free slots.
  EXPECT_EQ(int(TToolMode::Reconstruct), 3);
  EXPECT_EQ(int(TToolMode::LayerReconstruct), 14);
  EXPECT_EQ(OnLayer(TToolMode::Eraser), TToolMode::Eraser);
}

TEST_F(BrushToolTest, AMoveAppliesTheStampCentredOnThePointerAndOnlyHeldWarpRepeats) {
  Doc.Brushes.Choose(TToolMode::Warp);
  EXPECT_TRUE(Press(60.7, 45.2).IsEmpty() == false);  // the press repaints the deselection
  EXPECT_TRUE(MeshIsZero());                          // but applies nothing
  const TRect changed = RouteMove(Doc, At(50.9, 40.0));
  EXPECT_EQ(changed, (TRect{40, 30, 61, 51}));  // 21 x 21 around pixel (50, 40)
  EXPECT_FALSE(MeshIsZero());
  const TBitmap32 moved = Doc.ViewBitmap;
  EXPECT_EQ(Doc.Brushes.Tick(), changed);  // held still: applied again at the same place
  EXPECT_NE(Doc.ViewBitmap, moved);
  // A size changed while the button is held keeps the stamp centred on the pointer.
  Doc.Brushes.SetSize(41);
  EXPECT_EQ(Doc.Brushes.Tick(), (TRect{30, 20, 71, 61}));
  Doc.Brushes.SetSize(21);
  RouteRelease(Doc);
  EXPECT_TRUE(Doc.Brushes.Tick().IsEmpty());

  // Putty has no repeat: a held, unmoved Putty changes nothing however long it is held.
  Doc.Brushes.Choose(TToolMode::Putty);
  Press(30, 30);
  const TBitmap32 before = Doc.ViewBitmap;
  EXPECT_TRUE(Doc.Brushes.Tick().IsEmpty());
  EXPECT_EQ(Doc.ViewBitmap, before);
}

TEST_F(BrushToolTest, APressOnThePictureBeforeDoesNotCarryOverToTheNextOne) {
  AddLayer();
  Doc.Brushes.Choose(TToolMode::Warp);
  ASSERT_FALSE(Press(60, 45).IsEmpty());
  ASSERT_TRUE(Doc.Brushes.LayerBrushDown);
  // Opened while the button was down: its release never reaches this picture.
  Doc.Open(TLoadedPicture{test::Stripes(120, 90)});
  EXPECT_TRUE(Doc.Brushes.Tick().IsEmpty());
  Doc.Brushes.Choose(TToolMode::Warp);
  Press(30, 30);
  EXPECT_FALSE(RouteMove(Doc, At(30, 30)).IsEmpty());
}

TEST_F(BrushToolTest, TheMiddleButtonRepeatsTheLastStampWhereTheLastStrokeLeftIt) {
  Doc.Brushes.Choose(TToolMode::Twirl);
  Press(30, 30);
  RouteMove(Doc, At(30, 30));
  RouteRelease(Doc);
  const TBitmap32 before = Doc.ViewBitmap;
  Press(100, 80, TButtons{false, false, true});
  EXPECT_TRUE(RouteMove(Doc, At(100, 80, TButtons{false, false, true})).IsEmpty());
  EXPECT_EQ(Doc.Brushes.Tick(), (TRect{20, 20, 41, 41}));
  EXPECT_NE(Doc.ViewBitmap, before);
}

TEST_F(BrushToolTest, PressesReachTheFrameAndTheLayersBeforeThePicture) {
  TRotatableLayer& layer = AddLayer();
  const TFloatRect start = layer.Location;
  // No tool: a press on the layer drags it, and the picture below is left alone.
  Press(60, 45);
  RouteMove(Doc, At(70, 50));
  RouteRelease(Doc);
  EXPECT_DOUBLE_EQ(layer.Location.Left, start.Left + 10);
  EXPECT_DOUBLE_EQ(Doc.Frame.Location.Top, start.Top + 5);
  // The right-hand handle resizes instead of moving.
  const TFloatRect moved = layer.Location;
  Press(moved.Right, (moved.Top + moved.Bottom) / 2);
  RouteMove(Doc, At(moved.Right + 6, (moved.Top + moved.Bottom) / 2));
  RouteRelease(Doc);
  EXPECT_DOUBLE_EQ(layer.Location.Left, moved.Left);
  EXPECT_DOUBLE_EQ(layer.Location.Right, moved.Right + 6);
  // A press beside the layer deselects it.
  Press(5, 5);
  EXPECT_EQ(Doc.Selection().Selected(), nullptr);
  EXPECT_FALSE(Doc.Frame.Visible());
  EXPECT_TRUE(MeshIsZero());
}

TEST_F(BrushToolTest, WithALayerSelectedTheBrushWarpsOnlyThatLayer) {
  TRotatableLayer& layer = AddLayer();
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 10; ++y) layer.Bitmap.SetPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
  RenewLayerRecord(Doc, 0);
  const TBitmap32 before = layer.Bitmap;
  Doc.Brushes.SetSize(7);
  Doc.Brushes.Choose(TToolMode::Warp);
  ASSERT_EQ(Doc.ToolMode, TToolMode::LayerWarp);
  // Beside the layer: no layer stroke, and the picture is no brush target either.
  Press(5, 5);
  EXPECT_FALSE(Doc.Brushes.LayerBrushDown);
  EXPECT_TRUE(Doc.Brushes.Tick().IsEmpty());
  RouteRelease(Doc);
  // On it: the layer's own picture bends, the picture's mesh stays empty.
  Press(60, 45);
  EXPECT_TRUE(Doc.Brushes.LayerBrushDown);
  EXPECT_FALSE(RouteMove(Doc, At(61, 45)).IsEmpty());
  EXPECT_FALSE(Doc.Brushes.Tick().IsEmpty());
  RouteRelease(Doc);
  EXPECT_NE(layer.Bitmap, before);
  EXPECT_TRUE(MeshIsZero());
  // Size and Effect clamp to their ranges and rebuild the layer brush's stamps.
  Doc.Brushes.SetSize(1000);
  EXPECT_EQ(Doc.Brushes.Size(), TBrushTool::kMaxSize);
  EXPECT_EQ(Doc.Brushes.Stamps[1].Width(), TBrushTool::kMaxSize);
  Doc.Brushes.SetEffect(300);
  EXPECT_EQ(Doc.Brushes.Effect(), TBrushTool::kMaxEffect);
  EXPECT_FLOAT_EQ(Doc.Brushes.Brush.Pinch(), 1.0f);
  EXPECT_FALSE(Doc.Brushes.Stamps[0].IsIdentity());
}

TEST_F(BrushToolTest, ReconstructOnALayerTakesOnlyThatLayersWarpBack) {
  TRotatableLayer& layer = AddLayer();
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 10; ++y) layer.Bitmap.SetPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
  RenewLayerRecord(Doc, 0);
  const TBitmap32 before = layer.Bitmap;
  const TBitmap32 picture = Doc.ViewBitmap;
  Doc.Brushes.SetSize(9);
  Doc.Brushes.Choose(TToolMode::Twirl);
  Press(60, 45);
  RouteMove(Doc, At(61, 46));
  Doc.Brushes.Tick();
  RouteRelease(Doc);
  ASSERT_NE(layer.Bitmap, before);
  ASSERT_FALSE(Doc.LayerRecords()[0].Warp.VectorMap().IsIdentity());

  // Effect -100 .. 100 is the share taken away where the weight is 1: none, half, all.
  Doc.Brushes.Choose(TToolMode::Reconstruct);
  ASSERT_EQ(Doc.ToolMode, TToolMode::LayerReconstruct);
  const std::pair<int, TFixed> strengths[] = {{-100, 0}, {-99, 328}, {0, 32768}, {50, 49152}, {100, 65536}};
  for (const auto& [effect, strength] : strengths) {
    Doc.Brushes.SetEffect(effect);
    EXPECT_EQ(Doc.Brushes.ReconstructStrength(), strength) << effect;
  }
  EXPECT_FLOAT_EQ(Doc.Brushes.Brush.Pressure(), 1.0f);
  // Weight 1 reaches half the stamp's radius: 30 layer pixels, past every corner of the layer.
  Doc.Brushes.SetSize(61);
  Press(60, 45);
  EXPECT_TRUE(Doc.Brushes.LayerBrushDown);
  EXPECT_FALSE(Doc.Brushes.Tick().IsEmpty());  // held still, it repeats
  RouteRelease(Doc);
  EXPECT_TRUE(Doc.LayerRecords()[0].Warp.VectorMap().IsIdentity());
  EXPECT_EQ(layer.Bitmap, before);
  EXPECT_TRUE(MeshIsZero());
  EXPECT_EQ(Doc.ViewBitmap, picture);
}

TEST_F(BrushToolTest, ReconstructAtHalfStrengthHalvesTheCentreAndResetWarpClearsEverything) {
  Doc.Brushes.Choose(TToolMode::Warp);
  Press(60, 45);
  for (int tick = 0; tick < 3; ++tick) Doc.Brushes.Tick();
  RouteRelease(Doc);
  const TBitmap32 warped = Doc.ViewBitmap;
  const TVectorMap mesh = Doc.MeshTransformation.VectorMap();
  // The Warp stamp's centre cell moves the picture sideways by a fraction of a pixel.
  const TFixedVector centre = mesh.Vector(60, 45);
  ASSERT_LT(centre.X, -100);

  // Effect 0: a cone at full pressure, weight 1 at its centre, taking half away there.
  Doc.Brushes.Choose(TToolMode::Reconstruct);
  Doc.Brushes.SetSize(31);
  Press(60, 45);
  EXPECT_EQ(Doc.Brushes.Tick(), (TRect{45, 30, 76, 61}));
  RouteRelease(Doc);
  const TVectorMap& pulled = Doc.MeshTransformation.VectorMap();
  EXPECT_EQ(pulled.Vector(60, 45), (TFixedVector{centre.X / 2, centre.Y / 2}));  // toward zero
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) {
      const TFixedVector was = mesh.Vector(x, y), now = pulled.Vector(x, y);
      ASSERT_LE(std::abs(int64_t(now.X)), std::abs(int64_t(was.X))) << x << ", " << y;
      ASSERT_GE(int64_t(now.X) * was.X, 0) << x << ", " << y;
    }
  EXPECT_NE(Doc.ViewBitmap, warped);
  EXPECT_NE(Doc.ViewBitmap, test::Stripes(120, 90));

  const TBitmap32 reconstructed = Doc.ViewBitmap;
  ResetWarp(Doc);
  EXPECT_TRUE(MeshIsZero());
  EXPECT_EQ(Doc.SourceBitmap, test::Stripes(120, 90));
  EXPECT_EQ(Doc.ViewBitmap, test::Stripes(120, 90));
  EXPECT_EQ(Doc.UndoBitmap, reconstructed);
  EXPECT_EQ(Doc.ToolMode, TToolMode::Reconstruct);  // the brush goes on working
}

// The pointer far beyond the picture, up to where a coordinate stops fitting in int: the
// brush touches nothing and no corner arithmetic overflows (the sanitizer build checks).
TEST_F(BrushToolTest, AStrokeFarBeyondThePictureChangesNothing) {
  Doc.Brushes.Choose(TToolMode::Warp);
  const TBitmap32 view = Doc.ViewBitmap;
  for (const double far : {2147483600.0, -2147483600.0, 1e12, -1e12}) {
    Press(far, 40);
    Doc.Brushes.Move(At(far, far));
    Doc.Brushes.Tick();
    Doc.Brushes.Release();
  }
  EXPECT_TRUE(MeshIsZero());
  EXPECT_EQ(Doc.ViewBitmap, view);
}

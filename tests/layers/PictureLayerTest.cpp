// SPDX-License-Identifier: GPL-3.0-or-later
#include "layers/Affine.h"
#include "layers/PictureLayer.h"

#include <gtest/gtest.h>

using namespace gs;

namespace {

// A picture whose quarters have different colours, so any turn shows.
TBitmap32 Quarters(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, (x < w / 2 ? 0xFFFF0000u : 0xFF00FF00u) | (y < h / 2 ? 0u : 0xFFu));
  return b;
}

double CenterX(const TFloatRect& r) { return (r.Left + r.Right) / 2; }
double CenterY(const TFloatRect& r) { return (r.Top + r.Bottom) / 2; }

}  // namespace

TEST(PictureLayer, TurnsAreRenderedFromTheUnrotatedCopyAroundAFixedCentre) {
  TRotatableLayer layer(Quarters(100, 50));
  layer.Location = CenteredLocation(layer.Bitmap, 300, 200);
  layer.Rotate(90);
  EXPECT_NEAR(layer.Bitmap.Width(), 50, 1);
  EXPECT_NEAR(layer.Bitmap.Height(), 100, 1);
  EXPECT_DOUBLE_EQ(CenterX(layer.Location), 300);
  EXPECT_DOUBLE_EQ(CenterY(layer.Location), 200);
  layer.Rotate(90);
  EXPECT_FLOAT_EQ(layer.Angle, 180.0f);
  ASSERT_TRUE(layer.Unrotated.has_value());
  EXPECT_EQ(*layer.Unrotated, Quarters(100, 50));
  EXPECT_DOUBLE_EQ(CenterX(layer.Location), 300);
  // Half a turn puts the top-left quarter at the bottom right.
  const TBitmap32& b = layer.Bitmap;
  EXPECT_EQ(b.Pixel(b.Width() - 10, b.Height() - 10), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(10, 10), 0xFF00FFFFu);
}

TEST(PictureLayer, ATurnKeepsTheDisplayScale) {
  TRotatableLayer layer(Quarters(40, 20));
  layer.Location = TFloatRect{0, 0, 80, 40};  // stretched to twice its size
  layer.Rotate(90);
  EXPECT_NEAR(layer.Location.Width() / layer.Bitmap.Width(), 2.0, 1e-9);
  EXPECT_NEAR(layer.Location.Height() / layer.Bitmap.Height(), 2.0, 1e-9);
}

TEST(PictureLayer, AReplacedPictureKeepsTheCentreTheScaleAndTheTurn) {
  for (const float angle : {0.0f, 90.0f}) {
    SCOPED_TRACE(angle);
    TRotatableLayer layer(Quarters(40, 20));
    layer.Location = TFloatRect{100, 100, 180, 160};  // stretched: 2 across, 3 down
    if (angle != 0) layer.Rotate(angle);
    layer.ReplacePicture(Quarters(60, 30));
    EXPECT_DOUBLE_EQ(CenterX(layer.Location), 140);
    EXPECT_DOUBLE_EQ(CenterY(layer.Location), 130);
    EXPECT_FLOAT_EQ(layer.Angle, angle);
    EXPECT_EQ(layer.Bitmap.CombineMode, TCombineMode::Merge);
    if (angle == 0) {
      EXPECT_EQ(layer.Bitmap, Quarters(60, 30));
      EXPECT_DOUBLE_EQ(layer.Location.Width(), 120);
      EXPECT_DOUBLE_EQ(layer.Location.Height(), 90);
    } else {
      ASSERT_TRUE(layer.Unrotated.has_value());
      EXPECT_EQ(*layer.Unrotated, Quarters(60, 30));
      EXPECT_NEAR(layer.Bitmap.Width(), 30, 1);  // turned a quarter
      EXPECT_NEAR(layer.Bitmap.Height(), 60, 1);
    }
  }
}

TEST(PictureLayer, SymmetricResizeMirrorsTheDraggedEdge) {
  const TFloatRect old{100, 100, 200, 150};
  TFloatRect proposed = old;
  proposed.Right = 210;  // right handle 10 units out
  const TFloatRect r = SymmetricResize(old, proposed, TFrameDrag::Right);
  EXPECT_DOUBLE_EQ(r.Left, 90);
  EXPECT_DOUBLE_EQ(r.Right, 210);
  EXPECT_DOUBLE_EQ(r.Top, 100);
  proposed = old;
  proposed.Top = 400;  // dragged far past the centre
  proposed.Left = 500;
  const TFloatRect tiny = SymmetricResize(old, proposed, TFrameDrag::TopLeft);
  EXPECT_DOUBLE_EQ(tiny.Width(), 4);
  EXPECT_DOUBLE_EQ(tiny.Height(), 4);
  EXPECT_DOUBLE_EQ(CenterX(tiny), 150);
}

TEST(PictureLayer, OrdinaryDragsMoveOrResizeOneSide) {
  const TFloatRect start{10, 10, 50, 30};
  EXPECT_EQ(DragFrame(start, TFrameDrag::Move, 5, -5), (TFloatRect{15, 5, 55, 25}));
  EXPECT_EQ(DragFrame(start, TFrameDrag::BottomRight, 10, 10), (TFloatRect{10, 10, 60, 40}));
  const TFloatRect crossed = DragFrame(start, TFrameDrag::Left, 100, 0);
  EXPECT_LT(crossed.Left, crossed.Right);
}

TEST(PictureLayer, MergeStretchesIntoTheTruncatedLocationAndKeepsTransparency) {
  TBitmap32 picture(20, 20, 0xFF0000FF);
  TBitmap32 art(2, 2, 0xFFFF0000);
  art.SetPixel(1, 1, 0);  // transparent corner
  TRotatableLayer layer(art);
  layer.Location = TFloatRect{2.9, 3.7, 12.2, 13.9};
  MergeLayer(picture, layer);
  EXPECT_EQ(TruncatedRect(layer.Location), (TRect{2, 3, 12, 13}));
  EXPECT_EQ(picture.Pixel(1, 3), 0xFF0000FFu);  // outside the location
  EXPECT_EQ(picture.Pixel(2, 3), 0xFFFF0000u);
  EXPECT_EQ(picture.Pixel(11, 12), 0xFF0000FFu);  // the transparent corner shows what is below
  EXPECT_EQ(picture.Pixel(12, 12), 0xFF0000FFu);
}

TEST(Affine, BoundsAndInverseOfATurn) {
  TAffineTransformation t;
  t.Rotate(50, 25, 90);
  double x, y;
  t.Transform(0, 0, x, y);
  EXPECT_NEAR(x, 75, 1e-9);  // clockwise on screen: the top-left corner goes to the top right
  EXPECT_NEAR(y, -25, 1e-9);
  double sx, sy;
  t.Inverse(x, y, sx, sy);
  EXPECT_NEAR(sx, 0, 1e-9);
  EXPECT_NEAR(sy, 0, 1e-9);
  const TRect b = t.TransformedBounds(TFloatRect{0, 0, 99, 49});
  EXPECT_EQ(b.Width(), 49);
  EXPECT_EQ(b.Height(), 99);
}

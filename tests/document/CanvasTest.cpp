// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Canvas.h"

#include "document/TestFiles.h"

#include <gtest/gtest.h>

using namespace gs;

namespace {

// A document holding `picture` as if it had just been loaded.
void Load(TDocument& doc, const TBitmap32& picture) {
  doc.Open(TLoadedPicture{picture, picture});
  doc.ZoomPercent = 50;
}

TBitmap32 Numbered(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | uint32_t(y * 1000 + x));
  return b;
}

}  // namespace

TEST(Canvas, FlipsMirrorAcrossTheAxisTheirNamesSay) {
  const TBitmap32 p = Numbered(3, 2);
  const TBitmap32 h = Flipped(p, TFlip::Horizontal);
  const TBitmap32 v = Flipped(p, TFlip::Vertical);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(h.Pixel(2 - x, y), p.Pixel(x, y));
      EXPECT_EQ(v.Pixel(x, 1 - y), p.Pixel(x, y));
    }
}

TEST(Canvas, QuarterTurnsGoTheWayTheirNamesSay) {
  const TBitmap32 p = Numbered(3, 2);
  const TBitmap32 cw = Rotated(p, TRotation::Clockwise);
  ASSERT_EQ(cw.Width(), 2);
  ASSERT_EQ(cw.Height(), 3);
  EXPECT_EQ(cw.Pixel(1, 0), p.Pixel(0, 0));  // top-left goes to the top-right
  EXPECT_EQ(cw.Pixel(0, 0), p.Pixel(0, 1));  // bottom-left goes to the top-left
  const TBitmap32 ccw = Rotated(p, TRotation::CounterClockwise);
  EXPECT_EQ(ccw.Pixel(0, 2), p.Pixel(0, 0));  // top-left goes to the bottom-left
  EXPECT_EQ(ccw.Pixel(0, 0), p.Pixel(2, 0));
  const TBitmap32 half = Rotated(p, TRotation::Half);
  EXPECT_EQ(half.Pixel(2, 1), p.Pixel(0, 0));
}

TEST(Canvas, TurnsAndTheirInversesGiveThePictureBack) {
  const TBitmap32 p = Numbered(7, 4);
  EXPECT_EQ(Rotated(Rotated(p, TRotation::Half), TRotation::Half), p);
  EXPECT_EQ(Rotated(Rotated(p, TRotation::Clockwise), TRotation::CounterClockwise), p);
  TBitmap32 four = p;
  for (int i = 0; i < 4; ++i) four = Rotated(four, TRotation::Clockwise);
  EXPECT_EQ(four, p);
}

TEST(Canvas, RotationBakesTheWarpAndSwapsTheSides) {
  TDocument doc;
  Load(doc, Numbered(5, 3));
  doc.MeshTransformation.VectorMap().Vector(1, 1) = {65536, 0};
  doc.ViewBitmap.SetPixel(0, 0, 0xFF123456);  // the working picture differs from the source
  const TBitmap32 working = doc.ViewBitmap;
  RotateCanvas(doc, TRotation::Clockwise);
  EXPECT_EQ(doc.ImageWidth(), 3);
  EXPECT_EQ(doc.ImageHeight(), 5);
  EXPECT_TRUE(doc.GeometryChanged);
  EXPECT_EQ(doc.UndoBitmap, working);
  EXPECT_EQ(doc.SourceBitmap, Rotated(working, TRotation::Clockwise));
  EXPECT_EQ(doc.MeshTransformation.VectorMap().Width(), 3);
  EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
  EXPECT_EQ(doc.ZoomPercent, 50);
}

TEST(Canvas, UndoAfterResizeBringsBackSizeAndZoom) {
  TDocument doc;
  const TBitmap32 p = Numbered(40, 30);
  Load(doc, p);
  ResizeCanvas(doc, 80, 15);
  EXPECT_EQ(doc.SourceBitmap.Width(), 80);
  EXPECT_EQ(doc.ImageHeight(), 15);
  EXPECT_EQ(doc.ZoomPercent, 100);
  EXPECT_EQ(doc.SourceBitmap.Pixel(79, 14), p.Pixel(39, 28));  // nearest pixel, no filtering
  EXPECT_EQ(doc.SourceBitmap.Pixel(2, 0), p.Pixel(1, 0));
  doc.ZoomPercent = 70;
  UndoPicture(doc);
  EXPECT_EQ(doc.SourceBitmap, p);
  EXPECT_EQ(doc.ImageWidth(), 40);
  EXPECT_EQ(doc.ImageHeight(), 30);
  EXPECT_EQ(doc.ZoomPercent, 100);
  EXPECT_FALSE(doc.GeometryChanged);
  const TBitmap32 once = doc.ViewBitmap;
  doc.ZoomPercent = 70;
  UndoPicture(doc);  // a second undo changes nothing
  EXPECT_EQ(doc.ViewBitmap, once);
  EXPECT_EQ(doc.ZoomPercent, 70);
}

TEST(Canvas, UndoLeavesAnEmptyMeshAndACheckeredMirror) {
  TDocument doc;
  TBitmap32 p(16, 8, 0xFF102030);
  p.SetPixel(0, 0, 0);           // transparent
  p.SetPixel(8, 0, 0x00FFFEFD);  // the key colour with alpha 0
  Load(doc, p);
  doc.MeshTransformation.VectorMap().Vector(3, 3) = {1000, 1000};
  UndoPicture(doc);
  EXPECT_TRUE(doc.MeshTransformation.VectorMap().IsIdentity());
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(0, 0)), 0xB0B0B0u);
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(8, 0)), 0xFFFFFFu);
  EXPECT_EQ(doc.MirrorBitmap.Pixel(1, 0), 0xFF102030u);
}

TEST(Canvas, ImageSizeLimitsAndProportions) {
  EXPECT_EQ(ImageSideLimits(40).Min, 10);
  EXPECT_EQ(ImageSideLimits(40).Max, 400);
  EXPECT_EQ(ImageSideLimits(30).Max, 300);
  EXPECT_EQ(ImageSideLimits(3000).Min, 300);
  EXPECT_EQ(ImageSideLimits(3000).Max, 5000);
  EXPECT_EQ(ImageSideLimits(2000).Min, 200);
  EXPECT_EQ(ImageSideLimits(6000).Max, 6000);  // a large photo keeps its size on a plain Ok
  EXPECT_EQ(ImageSideLimits(4000).Max, 5000);
  EXPECT_DOUBLE_EQ(ProportionalSide(800, 600, 200), 150.0);
  EXPECT_DOUBLE_EQ(ProportionalSide(600, 800, 150), 200.0);
}

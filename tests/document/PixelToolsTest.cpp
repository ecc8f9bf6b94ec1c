// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PixelTools.h"

#include "document/Document.h"
#include "document/Pointer.h"
#include "document/Zoom.h"

#include <gtest/gtest.h>

using namespace gs;

namespace {

// Every pixel different, all opaque, none equal to the key.
TBitmap32 Numbered(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Color32(uint8_t(x * 3), uint8_t(y * 5), uint8_t(x + y)));
  return b;
}

// A document holding `picture` as if it had just been loaded, with the mirror prepared.
void Load(TDocument& doc, const TBitmap32& picture, int zoom) {
  doc.Open(TLoadedPicture{picture});
  doc.ZoomPercent = zoom;
  PrepareMirror(doc);
}

// The bounding box of the pixels that differ, and how many differ.
struct TDiff {
  TRect Box;
  int Count = 0;
};
TDiff Differences(const TBitmap32& a, const TBitmap32& b) {
  TDiff d;
  d.Box = TRect{a.Width(), a.Height(), 0, 0};
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) {
        ++d.Count;
        d.Box = TRect{std::min(d.Box.Left, x), std::min(d.Box.Top, y), std::max(d.Box.Right, x + 1),
                      std::max(d.Box.Bottom, y + 1)};
      }
  return d;
}

}  // namespace

// The pixel under a view position when the picture is shown at `zoom` percent.
static TPoint ViewToDocument(int x, int y, int zoom, TSize picture = TSize{2000, 2000}) {
  const TSize view{ZoomedSide(picture.Width, zoom), ZoomedSide(picture.Height, zoom)};
  return PixelAt(ViewToPicture(TPointF{double(x), double(y)}, view, picture));
}

TEST(PixelTools, ViewPositionsMapToTheDocumentPixelUnderThePointer) {
  EXPECT_EQ(ViewToDocument(10, 7, 50), (TPoint{20, 14}));
  EXPECT_EQ(ViewToDocument(45, 9, 300), (TPoint{15, 3}));
  // Whole results stay whole: 29 / 100 * 100 in doubles would give 28.
  for (int x = 0; x < 200; ++x) ASSERT_EQ(ViewToDocument(x, x, 100), (TPoint{x, x})) << x;
  for (int x = 0; x < 200; ++x) ASSERT_EQ(ViewToDocument(x * 7, 0, 70).X, x * 10) << x;
  // Left of the picture stays left of it.
  EXPECT_EQ(ViewToDocument(-1, -3, 50), (TPoint{-2, -6}));
  // A view whose side the zoom truncated: the pixel under the pointer, not the zoom's guess.
  EXPECT_EQ(ViewToDocument(65, 0, 20, TSize{333, 100}), (TPoint{327, 0}));
  EXPECT_EQ(StampSize(10, 50), 20);
  EXPECT_EQ(StampSize(26, 30), 86);
  EXPECT_EQ(StampSize(1, 500), 0);
}

TEST(PixelTools, PaintStampAtHalfZoomCoversTwentyOneSquareFromThePressPoint) {
  TDocument doc;
  Load(doc, Numbered(100, 80), 50);
  SetPaintColor(doc, 0x00336699);  // Windows order: red 0x99, green 0x66, blue 0x33
  const TBitmap32 before = doc.ViewBitmap;
  const TBitmap32 mirrorBefore = doc.MirrorBitmap;
  const TRect changed =
      PixelStamp(doc, ViewToDocument(15, 10, doc.ZoomPercent), StampSize(10, doc.ZoomPercent), TStampKind::Paint);

  EXPECT_EQ(changed, (TRect{30, 20, 51, 41}));
  for (const TBitmap32* picture : {&doc.ViewBitmap, &doc.SourceBitmap}) {
    const TDiff d = Differences(*picture, before);
    EXPECT_EQ(d.Box, (TRect{30, 20, 51, 41}));
    EXPECT_EQ(d.Count, 21 * 21);
    EXPECT_EQ(picture->Pixel(30, 20), Color32(0x99, 0x66, 0x33, 254));
    EXPECT_EQ(picture->Pixel(50, 40), Color32(0x99, 0x66, 0x33, 254));
  }
  EXPECT_EQ(Differences(doc.MirrorBitmap, mirrorBefore).Box, (TRect{30, 20, 51, 41}));
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(40, 30)), 0x996633u);
}

TEST(PixelTools, StampsAreClippedAtTheEdgesAndStartAtZeroLeftOrAbove) {
  TDocument doc;
  Load(doc, Numbered(60, 40), 100);
  const TBitmap32 before = doc.ViewBitmap;

  PixelStamp(doc, TPoint{55, 35}, 10, TStampKind::Paint);
  TDiff d = Differences(doc.ViewBitmap, before);
  EXPECT_EQ(d.Box, (TRect{55, 35, 60, 40}));
  EXPECT_EQ(d.Count, 5 * 5);

  doc.ReplacePicture(before);
  PrepareMirror(doc);
  PixelStamp(doc, TPoint{-7, -30}, 4, TStampKind::Paint);
  d = Differences(doc.ViewBitmap, before);
  EXPECT_EQ(d.Box, (TRect{0, 0, 5, 5}));

  doc.ReplacePicture(before);
  PrepareMirror(doc);
  EXPECT_TRUE(PixelStamp(doc, TPoint{60, 10}, 4, TStampKind::Erase).IsEmpty());
  EXPECT_EQ(doc.ViewBitmap, before);
}

TEST(PixelTools, EraserMakesPixelsTransparentAndShowsTheCheckerboardInTheMirror) {
  TDocument doc;
  Load(doc, Numbered(40, 40), 100);
  PixelStamp(doc, TPoint{4, 4}, 8, TStampKind::Erase);
  const TColor32 transparent = RgbOf(WinColorToColor32(doc.TransparentColor));
  EXPECT_EQ(doc.SourceBitmap.Pixel(4, 4), transparent);
  EXPECT_EQ(doc.ViewBitmap.Pixel(12, 12), transparent);
  EXPECT_EQ(AlphaOf(doc.ViewBitmap.Pixel(13, 12)), 255);
  // 8 x 8 squares from the top-left corner of the picture, the first one grey.
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(7, 7)), 0xB0B0B0u);
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(8, 7)), 0xFFFFFFu);
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(7, 8)), 0xFFFFFFu);
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(8, 8)), 0xB0B0B0u);
  // The mirror shows the eraser even where the picture was transparent already.
  EXPECT_EQ(AlphaOf(doc.MirrorBitmap.Pixel(8, 8)), 255);
}

TEST(PixelTools, PreparingTheMirrorBakesWhatTheUserSees) {
  TDocument doc;
  TBitmap32 picture = Numbered(20, 20);
  picture.SetPixel(9, 1, RgbOf(WinColorToColor32(doc.TransparentColor)));  // a keyed-out pixel
  picture.SetPixel(2, 2, 0);                                                // an all-zero pixel
  doc.ReplacePicture(picture);
  doc.ViewBitmap.SetPixel(5, 5, 0xFF102030);  // as a warp would have left it
  PrepareMirror(doc);
  EXPECT_EQ(doc.SourceBitmap.Pixel(5, 5), 0xFF102030u);
  EXPECT_EQ(doc.SourceBitmap.OuterColor, RgbOf(WinColorToColor32(doc.TransparentColor)));
  EXPECT_EQ(doc.UndoBitmap, doc.ViewBitmap);
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(9, 1)), 0xFFFFFFu);
  EXPECT_EQ(RgbOf(doc.MirrorBitmap.Pixel(2, 2)), 0xB0B0B0u);
  EXPECT_EQ(doc.MirrorBitmap.Pixel(5, 5), 0xFF102030u);
  EXPECT_EQ(doc.MirrorBitmap.Pixel(3, 3), picture.Pixel(3, 3));
}

TEST(PixelTools, CropPreviewDarkensEverythingButTheOpenRectangle) {
  const std::array<uint8_t, 256> table = CropDarkenTable();
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[255], 255);
  EXPECT_EQ(table[128], 64);   // 128^2 / 255 = 64.25
  EXPECT_EQ(table[200], 157);  // 156.86
  for (int v = 1; v < 256; ++v) ASSERT_LE(table[size_t(v)], v);

  TDocument doc;
  Load(doc, TBitmap32(30, 30, Color32(200, 128, 255, 255)), 100);
  CropPress(doc, TPoint{20, 25});
  CropDrag(doc, TPoint{5, 10});
  const TColor32 dark = Color32(157, 64, 255, 255);
  EXPECT_EQ(doc.MirrorBitmap.Pixel(6, 11), Color32(200, 128, 255, 255));
  EXPECT_EQ(doc.MirrorBitmap.Pixel(19, 24), Color32(200, 128, 255, 255));
  EXPECT_EQ(doc.MirrorBitmap.Pixel(5, 15), dark);   // on the left edge
  EXPECT_EQ(doc.MirrorBitmap.Pixel(20, 15), dark);  // on the right edge
  EXPECT_EQ(doc.MirrorBitmap.Pixel(10, 10), dark);  // on the top edge
  EXPECT_EQ(doc.MirrorBitmap.Pixel(0, 0), dark);
  // Each step starts again from the backup, so shrinking the rectangle brightens nothing twice.
  CropDrag(doc, TPoint{15, 20});
  EXPECT_EQ(doc.MirrorBitmap.Pixel(16, 21), Color32(200, 128, 255, 255));
  EXPECT_EQ(doc.MirrorBitmap.Pixel(10, 12), dark);
}

TEST(PixelTools, CropGivesTheSameAreaForBothDragDirections) {
  const TBitmap32 picture = Numbered(50, 40);
  TDocument forward;
  Load(forward, picture, 60);
  forward.MeshTransformation.VectorMap().Vector(1, 1) = {65536, 0};
  CropPress(forward, TPoint{10, 5});
  CropDrag(forward, TPoint{20, 20});
  CropDrag(forward, TPoint{30, 25});
  ASSERT_TRUE(PerformCrop(forward));

  TDocument backward;
  Load(backward, picture, 60);
  CropPress(backward, TPoint{30, 25});
  CropDrag(backward, TPoint{10, 5});
  ASSERT_TRUE(PerformCrop(backward));

  EXPECT_EQ(forward.ImageWidth(), 20);
  EXPECT_EQ(forward.ImageHeight(), 20);
  EXPECT_EQ(forward.ZoomPercent, 100);
  EXPECT_TRUE(forward.GeometryChanged);
  EXPECT_TRUE(forward.MeshTransformation.VectorMap().IsIdentity());
  EXPECT_EQ(forward.SourceBitmap.Pixel(0, 0), picture.Pixel(10, 5));
  EXPECT_EQ(forward.SourceBitmap.Pixel(19, 19), picture.Pixel(29, 24));
  EXPECT_EQ(forward.ViewBitmap, forward.SourceBitmap);
  EXPECT_EQ(backward.SourceBitmap, forward.SourceBitmap);
  EXPECT_EQ(backward.ImageWidth(), 20);
  EXPECT_EQ(backward.ImageHeight(), 20);
}

TEST(PixelTools, CropDraggedPastTheEdgesStopsAtThePicture) {
  const TBitmap32 picture = Numbered(30, 20);
  TDocument doc;
  Load(doc, picture, 100);
  CropPress(doc, TPoint{45, 50});
  CropDrag(doc, TPoint{-10, 12});
  ASSERT_TRUE(PerformCrop(doc));
  EXPECT_EQ(doc.ImageWidth(), 30);
  EXPECT_EQ(doc.ImageHeight(), 8);
  EXPECT_EQ(doc.SourceBitmap.Pixel(29, 7), picture.Pixel(29, 19));
}

TEST(PixelTools, CropWithoutAreaOrDragIsIgnored) {
  TDocument doc;
  Load(doc, Numbered(40, 30), 100);
  // A crop leaves its start and end behind; the next plain click must not reuse them.
  CropPress(doc, TPoint{2, 2});
  CropDrag(doc, TPoint{32, 22});
  ASSERT_TRUE(PerformCrop(doc));
  doc.GeometryChanged = false;
  PrepareMirror(doc);
  const TBitmap32 picture = doc.SourceBitmap;
  const TBitmap32 mirror = doc.MirrorBitmap;
  CropPress(doc, TPoint{5, 5});
  EXPECT_FALSE(PerformCrop(doc));
  EXPECT_EQ(doc.SourceBitmap, picture);

  CropPress(doc, TPoint{5, 5});
  CropDrag(doc, TPoint{25, 5});  // no height
  EXPECT_FALSE(PerformCrop(doc));
  CropPress(doc, TPoint{5, 2});
  CropDrag(doc, TPoint{5, 18});  // no width
  EXPECT_FALSE(PerformCrop(doc));

  EXPECT_EQ(doc.SourceBitmap, picture);
  EXPECT_EQ(doc.ImageWidth(), 30);
  EXPECT_FALSE(doc.GeometryChanged);
  EXPECT_EQ(doc.MirrorBitmap, mirror);  // the darkened preview is gone
}

TEST(PixelTools, OnlyACropPressedOnTheMirrorAndStillActiveAtItsReleaseIsReadyToCrop) {
  TDocument doc;
  Load(doc, Numbered(40, 30), 100);
  doc.ToolMode = TToolMode::Crop;
  EXPECT_EQ(doc.PixelTool.Release(), TPixelToolOutcome::None);  // pressed elsewhere
  doc.PixelTool.Press(TPoint{5, 5});
  EXPECT_EQ(doc.PixelTool.Move(TPoint{20, 20}), doc.MirrorBitmap.BoundsRect());
  EXPECT_EQ(doc.PixelTool.Release(), TPixelToolOutcome::CropReady);
  EXPECT_EQ(doc.PixelTool.Release(), TPixelToolOutcome::None);
  doc.PixelTool.Press(TPoint{5, 5});
  doc.ToolMode = TToolMode::None;  // the tool ended while the button was held
  EXPECT_EQ(doc.PixelTool.Release(), TPixelToolOutcome::None);

  // The eyedropper's press is the whole pick: a drag after it paints nothing.
  doc.ToolMode = TToolMode::Picker;
  const TBitmap32 mirror = doc.MirrorBitmap;
  EXPECT_EQ(doc.PixelTool.Press(TPoint{3, 4}).Outcome, TPixelToolOutcome::Picked);
  EXPECT_EQ(doc.PaintColor, Color32ToWinColor(mirror.Pixel(3, 4)));
  EXPECT_TRUE(doc.PixelTool.Move(TPoint{10, 10}).IsEmpty());
  EXPECT_EQ(doc.MirrorBitmap, mirror);
  doc.ToolMode = TToolMode::ChromaPick;
  EXPECT_EQ(doc.PixelTool.Press(TPoint{3, 4}).Outcome, TPixelToolOutcome::PickedKey);
}

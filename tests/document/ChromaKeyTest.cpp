// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ChromaKey.h"

#include "adjust/ChromaKey.h"
#include "document/Document.h"

#include <gtest/gtest.h>

namespace gs {
namespace {

constexpr TColor32 kScreen = 0xFF00FF00;
constexpr TColor32 kSubject = 0xFFB06040;

// A green-screen photo with a subject square at (4..7, 3..6).
void LoadGreenScreen(TDocument& doc, int w = 12, int h = 10) {
  TBitmap32 photo(w, h, kScreen);
  photo.FillRect(TRect{4, 3, 8, 7}, kSubject);
  doc.Open(TLoadedPicture{photo});
  doc.PaintColor = Color32ToWinColor(kScreen);
}

TEST(DocumentChromaKey, KeysTheWorkingPictureWithThePaintColourToTheKeyColour) {
  TDocument doc;
  LoadGreenScreen(doc);
  doc.TransparentColor = 0x123456;
  KeyWorkingPicture(doc, ChromaThreshold(100));
  EXPECT_EQ(doc.SourceBitmap.Pixel(0, 0), WinColorToColor32(0x123456, 0));
  EXPECT_EQ(doc.SourceBitmap.Pixel(5, 5), kSubject);
}

TEST(DocumentChromaKey, KeyedPhotoBecomesTheNewestLayerOverTheBackground) {
  TDocument doc;
  LoadGreenScreen(doc);
  KeyWorkingPicture(doc, ChromaThreshold(100));
  const TBitmap32 background(20, 15, 0x80336699);
  const int index = PlaceOnBackground(doc, background, 10.0, 7.5);
  ASSERT_EQ(index, 0);
  ASSERT_EQ(doc.Layers().size(), 1u);
  ASSERT_EQ(doc.LayerRecords().size(), 1u);
  EXPECT_EQ(doc.Selection().Index(), 0);
  EXPECT_TRUE(doc.GeometryChanged);
  EXPECT_EQ(doc.ImageWidth(), 20);
  EXPECT_EQ(doc.ImageHeight(), 15);
  EXPECT_EQ(doc.SourceBitmap.Pixel(0, 0), 0xFF336699u);
  EXPECT_EQ(doc.ViewBitmap.Pixel(19, 14), 0xFF336699u);
  const TBitmap32& layer = doc.Layers()[0]->Bitmap;
  ASSERT_EQ(layer.Width(), 12);
  EXPECT_EQ(AlphaOf(layer.Pixel(0, 0)), 0);
  EXPECT_EQ(layer.Pixel(5, 5), kSubject);
  // Centred on the given point at 1:1.
  EXPECT_DOUBLE_EQ(doc.Layers()[0]->Location.Left, 4.0);
  EXPECT_DOUBLE_EQ(doc.Layers()[0]->Location.Top, 2.5);
}

TEST(DocumentChromaKey, BackgroundSmallerInOneDirectionGrowsToTheLargerSides) {
  TDocument doc;
  LoadGreenScreen(doc, 12, 10);
  KeyWorkingPicture(doc, 0);
  PlaceOnBackground(doc, TBitmap32(6, 30, 0xFF445566), 6, 15);
  EXPECT_EQ(doc.ImageWidth(), 12);
  EXPECT_EQ(doc.ImageHeight(), 30);
  EXPECT_EQ(doc.SourceBitmap.Width(), 12);
  EXPECT_EQ(doc.SourceBitmap.Pixel(11, 29), 0xFF445566u);
}

TEST(DocumentChromaKey, ChangeBackgroundKeepsLayersAndTheUndoShowsTheOldPicture) {
  TDocument doc;
  LoadGreenScreen(doc);
  KeyWorkingPicture(doc, ChromaThreshold(100));
  PlaceOnBackground(doc, TBitmap32(12, 10, 0xFF101010), 6, 5);
  const TBitmap32 before = doc.ViewBitmap;
  ChangeBackground(doc, TBitmap32(7, 9, 0x00A0B0C0));
  EXPECT_EQ(doc.UndoBitmap, before);
  EXPECT_EQ(doc.ImageWidth(), 7);
  EXPECT_EQ(doc.ImageHeight(), 9);
  EXPECT_EQ(doc.SourceBitmap.Pixel(3, 3), 0xFFA0B0C0u);
  EXPECT_EQ(doc.ViewBitmap.Pixel(6, 8), 0xFFA0B0C0u);
  EXPECT_EQ(doc.Layers().size(), 1u);
  EXPECT_EQ(doc.Layers()[0]->Bitmap.Pixel(5, 5), kSubject);
}

}  // namespace
}  // namespace gs

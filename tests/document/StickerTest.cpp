// SPDX-License-Identifier: GPL-3.0-or-later
// The caricature as an animated WebP and as a messenger sticker.

#include "document/Sticker.h"

#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "codecs/Webp.h"
#include "document/BrushTool.h"
#include "document/Document.h"
#include "document/TestFiles.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace gs;

namespace {

constexpr TColor32 kSkin = 0xFFE0B090, kBackdrop = 0xFF3050C0;

// A face of radius r around (cx, cy) on a plain backdrop, and its landmarks.
struct TPortrait {
  TBitmap32 Picture;
  TFace Face;
};

TPortrait Portrait(int width, int height, double cx, double cy, double r) {
  TPortrait p{TBitmap32(width, height, kBackdrop), {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (std::hypot(x - cx, y - cy) < r) p.Picture.SetPixel(x, y, kSkin);
  for (int k = 0; k < TFace::kPointCount; ++k) p.Face.Points[size_t(k)] = TPointF{cx, cy};
  for (int k = kJaw.First; k <= kJaw.Last; ++k) {
    const double a = std::numbers::pi * k / 16;
    p.Face.Points[size_t(k)] = TPointF{cx - r * std::cos(a), cy + r * 0.9 * std::sin(a)};
  }
  for (int k = kLeftBrow.First; k <= kRightBrow.Last; ++k)
    p.Face.Points[size_t(k)] = TPointF{cx - r * 0.6 + r * 1.2 * (k - 17) / 9, cy - r * 0.4};
  p.Face.Box = TFloatRect{cx - r, cy - r, cx + r, cy + r};
  return p;
}

TEST(Sticker, TheHeadFillsA512SquareInTheMiddleWithTheBackgroundAsAsked) {
  const TPortrait p = Portrait(900, 700, 620, 380, 120);
  const TRect crop = StickerCrop(p.Picture, &p.Face);
  const struct {
    TStickerBackground Background;
    bool CornersClear;
  } cases[] = {{TStickerBackground::Oval, true}, {TStickerBackground::None, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.Background));
    const TBitmap32 sticker = ShapeSticker(p.Picture, crop, c.Background);
    ASSERT_EQ(sticker.Width(), kStickerSide);
    ASSERT_EQ(sticker.Height(), kStickerSide);
    // The margin is clear either way; inside it the corners only when cut out.
    EXPECT_EQ(sticker.Pixel(5, 5), 0u);
    EXPECT_EQ(AlphaOf(sticker.Pixel(kStickerMargin + 4, kStickerMargin + 4)) == 0, c.CornersClear);
    EXPECT_EQ(sticker.Pixel(256, 256), kSkin);
    // The whole head is on it: the face from side to side with backdrop around it.
    EXPECT_EQ(sticker.Pixel(256, kStickerMargin + 30), kBackdrop);
    int skinWidth = 0;
    for (int x = 0; x < kStickerSide; ++x) skinWidth += sticker.Pixel(x, 256) == kSkin;
    EXPECT_GT(skinWidth, 200);
    EXPECT_LT(skinWidth, 400);

    const TEncodedSticker encoded = EncodeStillSticker(sticker);
    EXPECT_TRUE(encoded.Fits);
    EXPECT_LE(encoded.Bytes.size(), kMaxStickerBytes);
    EXPECT_EQ(StickerSizeWarning(encoded), "");
    const TBitmap32 back = DecodeWebp(encoded.Bytes).Bitmap;
    EXPECT_EQ(back.Width(), kStickerSide);
    EXPECT_EQ(AlphaOf(back.Pixel(0, 0)), 0);
    EXPECT_EQ(AlphaOf(back.Pixel(256, 256)), 255);
  }
  // Without a face the whole picture, its shape kept.
  EXPECT_EQ(StickerCrop(p.Picture, nullptr), p.Picture.BoundsRect());
  const TBitmap32 whole = ShapeSticker(p.Picture, p.Picture.BoundsRect(), TStickerBackground::None);
  EXPECT_EQ(AlphaOf(whole.Pixel(256, kStickerMargin + 10)), 0);  // 900 x 700 leaves room above
  EXPECT_EQ(whole.Pixel(kStickerMargin + 2, 256), kBackdrop);
}

// Telegram's PNG: the same 512 x 512 sticker within 512 KB, even for a picture of noise whose
// exact colours would take twice that.
TEST(Sticker, PngStickerKeepsItsShapeWithinTelegramsLimit) {
  const TPortrait p = Portrait(900, 700, 620, 380, 120);
  TBitmap32 noise(600, 600);
  uint32_t seed = 7;
  for (int i = 0; i < 600 * 600; ++i) noise.Bits()[i] = 0xFF000000 | ((seed = seed * 1664525 + 1013904223) >> 8);
  const struct {
    const TBitmap32* Picture;
    TRect Crop;
    bool Exact;
  } cases[] = {{&p.Picture, StickerCrop(p.Picture, &p.Face), true}, {&noise, noise.BoundsRect(), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Exact);
    const TBitmap32 sticker = ShapeSticker(*c.Picture, c.Crop, TStickerBackground::Oval);
    const TEncodedSticker png = EncodePngSticker(sticker);
    EXPECT_TRUE(png.Fits);
    EXPECT_LE(png.Bytes.size(), kMaxPngStickerBytes);
    EXPECT_EQ(StickerSizeWarning(png), "");
    const TBitmap32 back = DecodePng(png.Bytes).Bitmap;
    ASSERT_EQ(back.Width(), kStickerSide);
    ASSERT_EQ(back.Height(), kStickerSide);
    for (TPoint corner : {TPoint{0, 0}, TPoint{511, 0}, TPoint{0, 511}, TPoint{511, 511}, TPoint{40, 40}})
      EXPECT_EQ(AlphaOf(back.Pixel(corner.X, corner.Y)), 0);
    EXPECT_EQ(AlphaOf(back.Pixel(256, 256)), 255);
    // The oval's soft edge keeps its alpha however the colours are reduced.
    for (int y = 0; y < kStickerSide; ++y)
      for (int x = 0; x < kStickerSide; ++x) ASSERT_EQ(AlphaOf(back.Pixel(x, y)), AlphaOf(sticker.Pixel(x, y)));
    if (c.Exact) EXPECT_EQ(back, sticker);
    else EXPECT_LT(png.Quality, 8);
  }
  TEncodedSticker tooLarge{TBytes(600 * 1024), 2, false, kMaxPngStickerBytes, "Telegram"};
  EXPECT_EQ(StickerSizeWarning(tooLarge),
            "The sticker is 600 KB even at the lowest quality; Telegram takes at most 512 KB.");
}

struct TReadAnimation {
  int Frames = 0, Loops = -1, Milliseconds = 0;
  std::vector<int> Durations;
};

TReadAnimation ReadAnimation(const TBytes& bytes) {
  const WebPData data{bytes.data(), bytes.size()};
  WebPDemuxer* demux = WebPDemux(&data);
  TReadAnimation read;
  if (!demux) return read;
  read.Frames = int(WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT));
  read.Loops = int(WebPDemuxGetI(demux, WEBP_FF_LOOP_COUNT));
  WebPIterator frame;
  if (WebPDemuxGetFrame(demux, 1, &frame)) {
    do {
      read.Milliseconds += frame.duration;
      read.Durations.push_back(frame.duration);
    } while (WebPDemuxNextFrame(&frame));
    WebPDemuxReleaseIterator(&frame);
  }
  WebPDemuxDelete(demux);
  return read;
}

class CaricatureWebpTest : public ::testing::Test {
protected:
  CaricatureWebpTest() {
    const TPortrait p = Portrait(160, 120, 80, 60, 36);
    Doc_.Open(TLoadedPicture{p.Picture});
    Face_ = p.Face;
    Doc_.Brushes.SetSize(40);
    Doc_.Brushes.Choose(TToolMode::Warp);
    for (int i = 0; i < 8; ++i) Doc_.Brushes.ApplyAt(TPoint{60 + 3 * i, 60});
  }
  TDocument Doc_;
  TFace Face_;
  test::TScratchFolder Dir_;
};

TEST_F(CaricatureWebpTest, AnimationByTheNamesExtensionKeepsFramesTimingAndLooping) {
  const struct {
    TAnimationSettings Settings;
    int Shown;
  } cases[] = {{{12, 8, true, true}, 22}, {{5, 25, false, false}, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Shown);
    ASSERT_TRUE(WriteCaricatureAnimation(SceneOf(Doc_), c.Settings, Dir_.Path("face.WEBP"), {}));
    const TBytes bytes = ReadFileBytes(Dir_.Path("face.WEBP"));
    const TReadAnimation read = ReadAnimation(bytes);
    // libwebp merges a frame that shows no change into the one before, which then lasts longer.
    EXPECT_GE(read.Frames, 2);
    EXPECT_LE(read.Frames, c.Shown);
    for (int duration : read.Durations) EXPECT_EQ(duration % (c.Settings.DelayCentiseconds * 10), 0);
    EXPECT_EQ(read.Loops, c.Settings.Loop ? 0 : 1);
    EXPECT_EQ(read.Milliseconds, c.Shown * c.Settings.DelayCentiseconds * 10);
    EXPECT_EQ(DecodeWebp(bytes).Bitmap.Width(), 160);
  }
}

TEST_F(CaricatureWebpTest, AnimatedStickerFitsItsSizeAndTime) {
  const TRect crop = StickerCrop(Doc_.ViewBitmap, &Face_);
  const TEncodedSticker sticker =
      EncodeAnimatedSticker(SceneOf(Doc_), TAnimationSettings{30, 20, true, true}, crop, TStickerBackground::Oval);
  EXPECT_TRUE(sticker.Fits);
  EXPECT_LE(sticker.Bytes.size(), kMaxAnimatedStickerBytes);
  const TReadAnimation read = ReadAnimation(sticker.Bytes);
  // 58 frames shown, shortened from 200 ms each.
  EXPECT_EQ(read.Milliseconds, 58 * 50);
  const TBitmap32 first = DecodeWebp(sticker.Bytes).Bitmap;
  EXPECT_EQ(first.Width(), kStickerSide);
  EXPECT_EQ(AlphaOf(first.Pixel(20, 20)), 0);
}

}  // namespace

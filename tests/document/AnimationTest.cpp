// SPDX-License-Identifier: GPL-3.0-or-later
// Animate Caricature's core: the scaled frames, their order, the animated GIF's blocks, and the
// file that is written whole or not at all.

#include "document/Animation.h"

#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "common/Errors.h"
#include "common/Fixed.h"
#include "document/AnimatedGif.h"
#include "document/AnimationPreview.h"
#include "document/BrushTool.h"
#include "document/GifBlocks.h"
#include "document/Document.h"
#include "document/Layers.h"
#include "document/TestFiles.h"
#include "document/Transparency.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

using namespace gs;
using test::ReadGifInfo;
using test::TGifFrameInfo;
using test::TGifInfo;

namespace {

// Detail everywhere, so that any displacement shows in the pixels.
TBitmap32 Gradient(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, Color32(uint8_t(x * 7), uint8_t(y * 5), uint8_t((x + y) * 3)));
  return b;
}

void Load(TDocument& doc, const TBitmap32& picture) {
  doc.Open(TLoadedPicture{picture});
}

// Strokes as the window makes them: a warp drag and a twirl held in place.
void BendFace(TDocument& doc) {
  doc.Brushes.SetSize(30);
  doc.Brushes.Choose(TToolMode::Warp);
  for (int i = 0; i < 8; ++i) doc.Brushes.ApplyAt(TPoint{10 + 3 * i, 12});
  doc.Brushes.SetSize(24);
  doc.Brushes.Choose(TToolMode::Twirl);
  for (int i = 0; i < 5; ++i) doc.Brushes.ApplyAt(TPoint{40, 30});
}

// Every cell displaced by (dx, dy) pixels.
void ShiftMesh(TDocument& doc, int dx, int dy) {
  TVectorMap& map = doc.MeshTransformation.VectorMap();
  for (int y = 0; y < map.Height(); ++y)
    for (int x = 0; x < map.Width(); ++x) map.Vector(x, y) = TFixedVector{dx * kFixedOne, dy * kFixedOne};
}

std::vector<std::string> FolderEntries(const test::TScratchFolder& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path("")))
    names.push_back(entry.path().filename().string());
  return names;
}

class AnimationTest : public ::testing::Test {
protected:
  AnimationTest() {
    Load(Doc_, Gradient(72, 56));
    BendFace(Doc_);
  }
  TAnimationScene Scene() const { return SceneOf(Doc_); }

  TDocument Doc_;
  test::TScratchFolder Dir_;
};

}  // namespace

TEST(AnimationScale, RoundsTheExactQuotientHalfToEven) {
  EXPECT_EQ(ScaleDisplacement(1, 1, 2), 0);     // 0.5
  EXPECT_EQ(ScaleDisplacement(3, 1, 2), 2);     // 1.5
  EXPECT_EQ(ScaleDisplacement(-1, 1, 2), 0);    // -0.5
  EXPECT_EQ(ScaleDisplacement(-3, 1, 2), -2);   // -1.5
  EXPECT_EQ(ScaleDisplacement(-5, 1, 2), -2);   // -2.5
  EXPECT_EQ(ScaleDisplacement(5, 2, 3), 3);     // 3.33
  EXPECT_EQ(ScaleDisplacement(-5, 2, 3), -3);
  EXPECT_EQ(ScaleDisplacement(7, 1, 3), 2);     // 2.33
  // Both ends are exact for any displacement, the extremes included, without overflow.
  for (const TFixed d : {INT32_MIN, INT32_MIN + 1, -65536, -1, 1, 65535, INT32_MAX}) {
    for (int steps : {1, 2, 11, 59}) {
      EXPECT_EQ(ScaleDisplacement(d, 0, steps), 0);
      EXPECT_EQ(ScaleDisplacement(d, steps, steps), d);
    }
    EXPECT_EQ(ScaleDisplacement(d, 58, 59), RoundHalfEven(double(d) * 58 / 59)) << d;
  }
  // Against the real quotient: a double holds these products exactly, and a quotient that is
  // not a half is at least 1/118 away from one, far beyond the division's rounding error.
  for (int steps = 1; steps <= 59; ++steps)
    for (int k = 0; k <= steps; ++k)
      for (TFixed d = -300000; d <= 300000; d += 7919)
        ASSERT_EQ(ScaleDisplacement(d, k, steps), RoundHalfEven(double(d) * k / steps))
            << d << " * " << k << " / " << steps;
}

TEST_F(AnimationTest, FirstFrameIsThePhotoAndLastIsTheWorkingPicture) {
  ASSERT_FALSE(Doc_.ViewBitmap == Doc_.SourceBitmap) << "the strokes did not warp";
  ASSERT_TRUE(SceneHasWarp(Scene()));
  const TAnimationScene scene = Scene();
  for (int frames : {2, 5, 12}) {
    TAnimationFrameRenderer renderer(scene);
    SCOPED_TRACE(frames);
    const TBitmap32 last = renderer.Render(frames - 1, frames);
    const TBitmap32 first = renderer.Render(0, frames);
    EXPECT_TRUE(first == Doc_.SourceBitmap);
    EXPECT_TRUE(last == Doc_.ViewBitmap);
    if (frames > 2) {
      const TBitmap32 middle = renderer.Render(frames / 2, frames);
      EXPECT_FALSE(middle == first);
      EXPECT_FALSE(middle == last);
    }
  }
}

TEST_F(AnimationTest, FrameBetweenMovesByTheShareOfTheDisplacement) {
  Load(Doc_, Gradient(40, 30));
  ShiftMesh(Doc_, 8, -4);
  TAnimationFrameRenderer renderer(Scene());
  // Frame 1 of 5 moves a quarter of the way: 2 pixels right, 1 up, rounded exactly.
  const TBitmap32 frame = renderer.Render(1, 5);
  for (int y = 1; y < 30; ++y)
    for (int x = 0; x < 38; ++x)
      ASSERT_EQ(frame.Pixel(x, y), Doc_.SourceBitmap.Pixel(x + 2, y - 1)) << x << "," << y;
}

TEST_F(AnimationTest, VisibleLayersAreMergedOverEveryFrameAsShown) {
  TBitmap32 badge(10, 8, 0xFFFF0000u);
  badge.DrawMode = TDrawMode::Blend;
  AddPictureLayer(Doc_, badge, 20, 20);
  const int hidden = AddPictureLayer(Doc_, TBitmap32(6, 6, 0xFF00FF00u), 50, 40);
  Doc_.Layers()[size_t(hidden)]->Visible = false;
  TBitmap32 shown = Doc_.ViewBitmap;
  MergeLayer(shown, *Doc_.Layers().front());
  TAnimationFrameRenderer renderer(Scene());
  EXPECT_TRUE(renderer.Render(3, 4) == shown);
  const TBitmap32 first = renderer.Render(0, 4);
  EXPECT_EQ(first.Pixel(20, 20), 0xFFFF0000u);
  EXPECT_EQ(first.Pixel(50, 40), Doc_.SourceBitmap.Pixel(50, 40));
}

TEST_F(AnimationTest, FileHoldsEveryFrameWithItsDelayAndTheLoopBlockAsAsked) {
  struct TCase {
    TAnimationSettings Settings;
    int ShownFrames;
  };
  for (const TCase& c : {TCase{{12, 8, true, true}, 22}, TCase{{5, 250, false, true}, 8},
                         TCase{{2, 2, false, true}, 2}, TCase{{60, 1000, true, false}, 60}}) {
    SCOPED_TRACE(c.ShownFrames);
    const std::optional<TBytes> bytes = EncodeCaricatureAnimation(Scene(), c.Settings, {});
    ASSERT_TRUE(bytes);
    const TGifInfo info = ReadGifInfo(*bytes);
    EXPECT_EQ(info.Width, 72);
    EXPECT_EQ(info.Height, 56);
    EXPECT_TRUE(info.Trailer);
    EXPECT_EQ(info.Loops, c.Settings.Loop);
    if (c.Settings.Loop) {
      EXPECT_EQ(info.LoopCount, 0);  // for ever
    }
    ASSERT_EQ(int(info.Frames.size()), c.ShownFrames);
    for (const TGifFrameInfo& frame : info.Frames) {
      EXPECT_EQ(frame.Delay, c.Settings.DelayCentiseconds);
      // Nothing here turns transparent, so nothing is ever cleared: each frame is left for the
      // next to draw over, or undone where the next looks more like the frame before.
      EXPECT_TRUE(frame.Disposal == 1 || frame.Disposal == 3) << frame.Disposal;
      // The key colour's entry, the same in every frame.
      EXPECT_EQ(frame.TransparentIndex, info.Frames.front().TransparentIndex);
      EXPECT_GE(frame.TransparentIndex, 0);
      EXPECT_LT(frame.TransparentIndex, info.TableSize);
    }
    // The first frame is whole, the others only the part the strokes bend.
    EXPECT_EQ(info.Frames.front().Rect, (TRect{0, 0, 72, 56}));
    for (size_t i = 1; i < info.Frames.size(); ++i) {
      const TRect& r = info.Frames[i].Rect;
      EXPECT_FALSE(r.IsEmpty()) << i;
      EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= 72 && r.Bottom <= 56) << i;
      EXPECT_LT(r.Width() * r.Height(), 72 * 56) << i;
    }
  }
}

TEST_F(AnimationTest, KeyColouredPixelsStayTransparent) {
  TBitmap32 photo = Gradient(72, 56);
  const TColor32 key = RgbOf(WinColorToColor32(Doc_.TransparentColor));
  for (int y = 40; y < 56; ++y)
    for (int x = 0; x < 12; ++x) photo.SetPixel(x, y, key);  // alpha 0: keyed out
  Load(Doc_, photo);
  BendFace(Doc_);
  const std::optional<TBytes> bytes = EncodeCaricatureAnimation(Scene(), {}, {});
  ASSERT_TRUE(bytes);
  const TDecodedPicture first = DecodeGif(*bytes);
  EXPECT_EQ(AlphaOf(first.Bitmap.Pixel(5, 50)), 0);
  EXPECT_EQ(AlphaOf(first.Bitmap.Pixel(30, 10)), 255);
}

TEST(AnimatedGifWriter, EachFrameAfterTheFirstIsTheSmallestRectangleThatChanged) {
  TBitmap32 a(40, 30, Color32(10, 20, 30));
  for (int x = 0; x < 40; ++x) a.SetPixel(x, x % 30, Color32(200, 100, 0));
  TBitmap32 b = a;
  b.FillRect(TRect{10, 7, 15, 11}, Color32(0, 0, 255));
  b.SetPixel(30, 20, Color32(0, 255, 0));
  const TBitmap32* ends[] = {&a, &b};
  TAnimatedGifWriter writer(ends, TGifAnimationOptions{5, false, Color32(255, 0, 255)});
  EXPECT_EQ(writer.AddFrame(a), 0);
  EXPECT_EQ(writer.AddFrame(b), 1);
  writer.RepeatFrame(1);  // nothing changes: one pixel left as it is
  writer.RepeatFrame(0);
  const TGifInfo info = ReadGifInfo(writer.Finish());
  ASSERT_EQ(info.Frames.size(), 4u);
  EXPECT_EQ(info.Frames[0].Rect, (TRect{0, 0, 40, 30}));
  EXPECT_EQ(info.Frames[1].Rect, (TRect{10, 7, 31, 21}));
  EXPECT_EQ(info.Frames[2].Rect, (TRect{0, 0, 1, 1}));
  EXPECT_EQ(info.Frames[3].Rect, (TRect{10, 7, 31, 21}));
  for (const TGifFrameInfo& frame : info.Frames) {
    EXPECT_EQ(frame.Disposal, 1);
    EXPECT_EQ(frame.TransparentIndex, writer.TransparentIndex());
  }
  // The colours, then the key colour's entry, which every frame marks transparent.
  EXPECT_EQ(writer.TransparentIndex(), 4);
  EXPECT_EQ(RgbOf(writer.Table()[4]), RgbOf(Color32(255, 0, 255)));
}

TEST_F(AnimationTest, LaterFramesHoldNoMoreThanWhereThePixelsChangeDitheredOrNot) {
  // The bend reaches only the top left of this picture; the rest never changes.
  Load(Doc_, Gradient(120, 90));
  BendFace(Doc_);
  const TAnimationScene scene = Scene();
  TAnimationFrameRenderer renderer(scene);
  for (const bool backAndForth : {true, false}) {
    const TAnimationSettings settings{7, 8, true, backAndForth};
    std::vector<TBitmap32> frames;
    for (int k = 0; k < 7; ++k) {
      frames.push_back(renderer.Render(k, 7));
      FillKeyColour(frames.back(), scene.TransparentColor);
    }
    const std::vector<int> order = AnimationOrder(7, backAndForth);
    for (const bool dither : {false, true}) {
      SCOPED_TRACE(testing::Message() << "back and forth " << backAndForth << ", dither " << dither);
      TAnimationSettings s = settings;
      s.Dither = dither;
      const std::optional<TBytes> bytes = EncodeCaricatureAnimation(scene, s, {});
      ASSERT_TRUE(bytes);
      const TGifInfo info = ReadGifInfo(*bytes);
      ASSERT_EQ(info.Frames.size(), order.size());
      // The frame shown before each: the one before it, or, when that one was undone
      // afterwards, what it was drawn over.
      std::vector<int> canvas(order.size(), -1);
      for (size_t i = 1; i < order.size(); ++i) {
        canvas[i] = info.Frames[i - 1].Disposal == 3 ? canvas[i - 1] : order[i - 1];
        ASSERT_GE(canvas[i], 0) << i;
        const TBitmap32& before = frames[size_t(canvas[i])];
        const TBitmap32& now = frames[size_t(order[i])];
        TRect changed{120, 90, 0, 0};
        for (int y = 0; y < 90; ++y)
          for (int x = 0; x < 120; ++x)
            if (before.Pixel(x, y) != now.Pixel(x, y))
              changed = TRect{std::min(changed.Left, x), std::min(changed.Top, y),
                              std::max(changed.Right, x + 1), std::max(changed.Bottom, y + 1)};
        const TRect& r = info.Frames[i].Rect;
        if (changed.IsEmpty()) {
          EXPECT_EQ(r.Width() * r.Height(), 1) << i;  // nothing to draw but the delay
          continue;
        }
        ASSERT_LT(changed.Right, 120) << "the bend reaches the whole picture";
        // A pixel whose colour stays keeps its index, so it is never part of a frame: an
        // ordered dither depends on nothing but the pixel's colour and position.
        EXPECT_TRUE(r.Left >= changed.Left && r.Top >= changed.Top && r.Right <= changed.Right &&
                    r.Bottom <= changed.Bottom)
            << i << ": " << r.Left << "," << r.Top << " " << r.Width() << "x" << r.Height();
      }
    }
  }
}

TEST_F(AnimationTest, NothingToAnimateWithAnAllZeroMesh) {
  Load(Doc_, Gradient(20, 20));
  EXPECT_FALSE(SceneHasWarp(Scene()));
  try {
    WriteCaricatureAnimation(Scene(), {}, Dir_.Path("flat.gif"), {});
    ADD_FAILURE() << "an unwarped picture was animated";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), kNothingToAnimate);
  }
  EXPECT_TRUE(FolderEntries(Dir_).empty());
}

TEST_F(AnimationTest, StoppingAtAnyStepWritesNothingAndKeepsTheOldFile) {
  const TAnimationSettings settings{6, 8, true, true};
  std::vector<int> seen;
  // Every frame is rendered twice: to count its colours, then to write it.
  ASSERT_TRUE(WriteCaricatureAnimation(Scene(), settings, Dir_.Path("all.gif"),
                                       [&](int done, int total) {
                                         EXPECT_EQ(total, 12);
                                         seen.push_back(done);
                                         return true;
                                       }));
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  std::filesystem::remove(Dir_.Path("all.gif"));
  const TBytes old = {'o', 'l', 'd'};
  WriteFileBytes(Dir_.Path("stopped.gif"), old);
  for (int stopAt = 0; stopAt <= 12; ++stopAt) {
    const bool written = WriteCaricatureAnimation(Scene(), settings, Dir_.Path("stopped.gif"),
                                                  [&](int done, int) { return done < stopAt; });
    EXPECT_FALSE(written) << stopAt;
    EXPECT_EQ(FolderEntries(Dir_), std::vector<std::string>{"stopped.gif"}) << stopAt;
    EXPECT_EQ(ReadFileBytes(Dir_.Path("stopped.gif")), old) << stopAt;
  }
}

TEST_F(AnimationTest, FailedWriteLeavesNoTemporaryFile) {
  std::filesystem::create_directory(Dir_.Path("taken.gif"));
  EXPECT_THROW(WriteCaricatureAnimation(Scene(), {}, Dir_.Path("taken.gif"), {}), EFileError);
  EXPECT_EQ(FolderEntries(Dir_), std::vector<std::string>{"taken.gif"});
  EXPECT_THROW(WriteCaricatureAnimation(Scene(), {}, Dir_.Path("missing/out.gif"), {}), EFileError);
  EXPECT_EQ(FolderEntries(Dir_), std::vector<std::string>{"taken.gif"});
}

TEST_F(AnimationTest, BadSettingsAndNamesAreRefusedWithTheirReason) {
  const auto message = [&](const TAnimationSettings& s, const std::string& path) {
    try {
      WriteCaricatureAnimation(Scene(), s, path, {});
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("no failure");
  };
  const std::string gif = Dir_.Path("a.gif");
  EXPECT_EQ(message({1, 8, true, true}, gif), "Frames must be from 2 to 60, not 1");
  EXPECT_EQ(message({61, 8, true, true}, gif), "Frames must be from 2 to 60, not 61");
  EXPECT_EQ(message({12, 1, true, true}, gif), "Frame delay must be from 2 to 1000, not 1");
  EXPECT_EQ(message({12, 1001, true, true}, gif), "Frame delay must be from 2 to 1000, not 1001");
  EXPECT_NE(message({}, Dir_.Path("a.png")).find("does not end in .gif"), std::string::npos);
  EXPECT_EQ(message({}, ""), "Choose a file to save the animation to");
  EXPECT_TRUE(FolderEntries(Dir_).empty());
  EXPECT_EQ(AnimationFileName("/x/face"), "/x/face.gif");
  EXPECT_EQ(AnimationFileName("/x/face.GIF"), "/x/face.GIF");
}

TEST_F(AnimationTest, AnimationsBeyondTheSizeLimitAreRefusedBeforeAnyWork) {
  // 4100 x 4100 pixels in 60 frames is past the billion pixels an animation may hold.
  const TBitmap32 big(4100, 4100);
  TVectorMap warp;
  warp.SetSize(1, 1);
  warp.Vector(0, 0) = TFixedVector{kFixedOne, 0};
  const TAnimationScene scene{&big, &warp, {}, Doc_.TransparentColor};
  try {
    EncodeCaricatureAnimation(scene, {60, 8, true, true}, {});
    ADD_FAILURE() << "a huge animation was made";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("60 frames of 4100 x 4100 pixels"), std::string::npos)
        << e.what();
  }
}

TEST_F(AnimationTest, PreviewShrinksThePictureTheWarpAndTheLayersTogether) {
  Load(Doc_, Gradient(80, 40));
  ShiftMesh(Doc_, 8, 0);
  AddPictureLayer(Doc_, TBitmap32(20, 10, 0xFF0000FFu), 40, 20);
  const TShrunkScene preview(Scene(), 20);
  const TAnimationScene& small = preview.Scene();
  ASSERT_EQ(small.Source->Width(), 20);
  ASSERT_EQ(small.Source->Height(), 10);
  EXPECT_EQ(small.Warp->Vector(5, 5), (TFixedVector{2 * kFixedOne, 0}));
  ASSERT_EQ(small.Layers.size(), 1u);
  EXPECT_EQ(small.Layers[0]->Location, (TFloatRect{7.5, 3.75, 12.5, 6.25}));
  const std::vector<TBitmap32> frames = RenderAnimationFrames(small, 7);
  ASSERT_EQ(frames.size(), 7u);
  EXPECT_EQ(frames.back().Pixel(10, 5), 0xFF0000FFu);
  // A picture already small enough is not enlarged.
  EXPECT_EQ(TShrunkScene(Scene(), 500).Scene().Source->Width(), 80);
}

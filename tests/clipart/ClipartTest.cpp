// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClipartArt.h"

#include "codecs/Gif.h"
#include "codecs/Png.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace gs::clipart {
namespace {

constexpr TColor32 KeyRgb() {
  return Color32(uint8_t(kKeyColor), uint8_t(kKeyColor >> 8), uint8_t(kKeyColor >> 16), 0);
}

bool IsKeyed(TColor32 c) { return AlphaOf(c) == 0; }

bool IsDark(TColor32 c) { return RedOf(c) + GreenOf(c) + BlueOf(c) < 3 * 100; }

class ClipartTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    if (QGuiApplication::instance())
      return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "clipart_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
  }

  // Rendering all pictures takes a moment, so every test shares one set.
  static const std::map<std::string, TBitmap32>& Rendered() {
    static const std::map<std::string, TBitmap32> rendered = [] {
      std::map<std::string, TBitmap32> all;
      for (const TArtwork& art : Catalogue())
        all.emplace(art.Name, Render(art));
      return all;
    }();
    return rendered;
  }
};

TEST_F(ClipartTest, CatalogueOffersEnoughUniquelyNamedPicturesInBothFormats) {
  int clipart = 0, bubbles = 0, png = 0, gif = 0;
  std::set<std::string> paths;
  for (const TArtwork& art : Catalogue()) {
    (art.TalkBubble ? bubbles : clipart)++;
    (art.FileType == TFileType::Png ? png : gif)++;
    const std::string path = RelativePath(art);
    EXPECT_TRUE(paths.insert(path).second) << path;
    EXPECT_EQ(path.rfind("Talk Bubbles/", 0) == 0, art.TalkBubble) << path;
    EXPECT_TRUE(path.ends_with(art.FileType == TFileType::Png ? ".png" : ".gif")) << path;
    EXPECT_NE(art.Paint, nullptr) << art.Name;
  }
  EXPECT_GE(clipart, 12);
  EXPECT_GE(bubbles, 6);
  EXPECT_LE(std::abs(png - gif), 1);
}

TEST_F(ClipartTest, HardenSplitsAtTheThresholdAndSettlesEdgesOnTheMatte) {
  QImage soft(4, 1, QImage::Format_ARGB32);
  soft.setPixel(0, 0, qRgba(255, 255, 255, kAlphaThreshold - 1));
  soft.setPixel(1, 0, qRgba(255, 255, 255, kAlphaThreshold));
  soft.setPixel(2, 0, qRgba(255, 0, 255, 255));  // the key colour painted on purpose
  soft.setPixel(3, 0, qRgba(10, 200, 30, 255));
  const QColor matte(40, 20, 0);
  const TBitmap32 hard = Harden(soft, matte);
  ASSERT_EQ(hard.Width(), 4);
  EXPECT_EQ(hard.Pixel(0, 0), KeyRgb());
  // White at alpha a over the matte: each channel lands between the matte and white in
  // proportion to a, so the edge leans to the outline rather than to the key.
  const double a = kAlphaThreshold / 255.0;
  const TColor32 edge = hard.Pixel(1, 0);
  EXPECT_EQ(AlphaOf(edge), 255);
  EXPECT_NEAR(RedOf(edge), 255 * a + 40 * (1 - a), 1);
  EXPECT_NEAR(GreenOf(edge), 255 * a + 20 * (1 - a), 1);
  EXPECT_NEAR(BlueOf(edge), 255 * a, 1);
  const TColor32 magenta = hard.Pixel(2, 0);
  EXPECT_EQ(AlphaOf(magenta), 255);
  EXPECT_NE(RgbOf(magenta), RgbOf(KeyRgb()));
  EXPECT_LE(std::abs(BlueOf(magenta) - 255) + std::abs(RedOf(magenta) - 255) + GreenOf(magenta), 1);
  EXPECT_EQ(hard.Pixel(3, 0), Color32(10, 200, 30));
}

TEST_F(ClipartTest, EveryPictureIsKeyedArtWithoutHalfTransparentPixels) {
  for (const TArtwork& art : Catalogue()) {
    SCOPED_TRACE(art.Name);
    const TBitmap32& picture = Rendered().at(art.Name);
    ASSERT_EQ(picture.Width(), art.Size.width());
    ASSERT_EQ(picture.Height(), art.Size.height());
    int keyed = 0, opaque = 0, other = 0, keyColoured = 0;
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const TColor32 c = picture.Pixel(x, y);
        if (AlphaOf(c) == 0) {
          ++keyed;
          EXPECT_EQ(c, KeyRgb()) << x << "," << y;
        } else if (AlphaOf(c) == 255) {
          ++opaque;
          keyColoured += RgbOf(c) == RgbOf(KeyRgb());
        } else {
          ++other;
        }
      }
    }
    const int total = picture.Width() * picture.Height();
    EXPECT_EQ(other, 0);
    EXPECT_EQ(keyColoured, 0);
    EXPECT_GT(keyed, total / 20);
    EXPECT_GT(opaque, total / 8);
  }
}

TEST_F(ClipartTest, ArtStaysInsideItsCanvasAndIsRimmedByTheOutline) {
  for (const TArtwork& art : Catalogue()) {
    SCOPED_TRACE(art.Name);
    const TBitmap32& picture = Rendered().at(art.Name);
    const int w = picture.Width(), h = picture.Height();
    // Opaque pixels on the canvas border mean the drawing was cut off.
    int borderOpaque = 0;
    for (int x = 0; x < w; ++x)
      borderOpaque += !IsKeyed(picture.Pixel(x, 0)) + !IsKeyed(picture.Pixel(x, h - 1));
    for (int y = 0; y < h; ++y)
      borderOpaque += !IsKeyed(picture.Pixel(0, y)) + !IsKeyed(picture.Pixel(w - 1, y));
    EXPECT_EQ(borderOpaque, 0);
    // Opaque pixels next to transparent ones are the rim users see against the photo: it must
    // be the dark outline, not a light or pink fringe left by antialiasing.
    int rim = 0, darkRim = 0;
    for (int y = 1; y < h - 1; ++y) {
      for (int x = 1; x < w - 1; ++x) {
        const TColor32 c = picture.Pixel(x, y);
        if (IsKeyed(c))
          continue;
        if (IsKeyed(picture.Pixel(x - 1, y)) || IsKeyed(picture.Pixel(x + 1, y)) ||
            IsKeyed(picture.Pixel(x, y - 1)) || IsKeyed(picture.Pixel(x, y + 1))) {
          ++rim;
          darkRim += IsDark(c);
        }
      }
    }
    ASSERT_GT(rim, 0);
    // The whisper bubble's dashes leave the white paper at the rim between them.
    EXPECT_GT(darkRim, rim * 3 / 5) << darkRim << " of " << rim;
  }
}

TEST_F(ClipartTest, EveryPictureLooksDifferentAndRendersTheSameEachTime) {
  const std::vector<TArtwork>& all = Catalogue();
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_TRUE(Render(all[i]) == Rendered().at(all[i].Name)) << all[i].Name;
    for (size_t j = i + 1; j < all.size(); ++j) {
      const TBitmap32& a = Rendered().at(all[i].Name);
      const TBitmap32& b = Rendered().at(all[j].Name);
      if (a.Width() != b.Width() || a.Height() != b.Height())
        continue;
      int differing = 0;
      for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
          differing += a.Pixel(x, y) != b.Pixel(x, y);
      EXPECT_GT(differing, a.Width() * a.Height() / 20) << all[i].Name << " vs " << all[j].Name;
    }
  }
}

TEST_F(ClipartTest, TalkBubblesAreEmptyWhiteInsideABlackOutline) {
  for (const TArtwork& art : Catalogue()) {
    if (!art.TalkBubble)
      continue;
    SCOPED_TRACE(art.Name);
    const TBitmap32& picture = Rendered().at(art.Name);
    int white = 0, black = 0, opaque = 0;
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const TColor32 c = picture.Pixel(x, y);
        if (IsKeyed(c))
          continue;
        ++opaque;
        white += RgbOf(c) == 0xFFFFFF;
        black += RgbOf(c) == 0;
      }
    }
    // Room for text: most of the bubble is plain white paper.
    EXPECT_GT(white, opaque * 7 / 10);
    EXPECT_GT(black, 0);
    // The middle of the bubble, where the text goes, is clear white all around.
    const int cx = picture.Width() / 2, cy = picture.Height() * 2 / 5;
    for (int dy = -30; dy <= 30; dy += 10)
      for (int dx = -60; dx <= 60; dx += 10)
        EXPECT_EQ(RgbOf(picture.Pixel(cx + dx, cy + dy)), 0xFFFFFFu) << dx << "," << dy;
  }
}

// The lowest opaque pixel of a bubble is the end of its tail.
int TailTipX(const TBitmap32& picture) {
  for (int y = picture.Height() - 1; y >= 0; --y)
    for (int x = 0; x < picture.Width(); ++x)
      if (!IsKeyed(picture.Pixel(x, y)))
        return x;
  return -1;
}

TEST_F(ClipartTest, LeftAndRightBubblesPointTheirTailsToTheirSide) {
  for (const std::string kind : {"Speech Bubble", "Thought Bubble"}) {
    const TBitmap32& left = Rendered().at(kind + " Left");
    const TBitmap32& right = Rendered().at(kind + " Right");
    EXPECT_LT(TailTipX(left), left.Width() / 4) << kind;
    EXPECT_GT(TailTipX(right), right.Width() * 3 / 4) << kind;
  }
}

TEST_F(ClipartTest, EncodedFilesKeyOutExactlyTheTransparentPixels) {
  for (const TArtwork& art : Catalogue()) {
    SCOPED_TRACE(art.Name);
    const TBitmap32& picture = Rendered().at(art.Name);
    const bool png = art.FileType == TFileType::Png;
    const TBytes bytes = png ? EncodePng(picture, kKeyColor) : EncodeGif(picture, kKeyColor);
    const TDecodedPicture decoded = png ? DecodePng(bytes) : DecodeGif(bytes);
    ASSERT_EQ(decoded.Bitmap.Width(), picture.Width());
    ASSERT_EQ(decoded.Bitmap.Height(), picture.Height());
    ASSERT_TRUE(decoded.TransparentColor.has_value());
    EXPECT_EQ(*decoded.TransparentColor, kKeyColor);
    int wrongAlpha = 0, changedColour = 0, keyAmongOpaque = 0;
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const TColor32 before = picture.Pixel(x, y), after = decoded.Bitmap.Pixel(x, y);
        wrongAlpha += AlphaOf(before) != AlphaOf(after);
        changedColour += !IsKeyed(before) && RgbOf(before) != RgbOf(after);
        // What the editor's "Transparent Image?" does: the key colour vanishes, all else stays.
        keyAmongOpaque += !IsKeyed(before) && RgbOf(after) == RgbOf(KeyRgb());
      }
    }
    EXPECT_EQ(wrongAlpha, 0);
    EXPECT_EQ(keyAmongOpaque, 0);
    // PNG keeps every colour; GIF may merge shades of gradients into a 256-colour table.
    if (png) {
      EXPECT_EQ(changedColour, 0);
    }
  }
}

}  // namespace
}  // namespace gs::clipart

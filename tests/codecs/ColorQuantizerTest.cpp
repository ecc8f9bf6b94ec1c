// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/ColorQuantizer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <set>
#include <vector>

using namespace gs;

namespace {

int Distance(TColor32 a, TColor32 b) {
  const int dr = RedOf(a) - RedOf(b), dg = GreenOf(a) - GreenOf(b), db = BlueOf(a) - BlueOf(b);
  return dr * dr + dg * dg + db * db;
}

}  // namespace

TEST(ColorQuantizer, ExactPaletteSpansAllPictures) {
  TBitmap32 first(3, 1, Color32(1, 1, 1));
  first.SetPixel(2, 0, Color32(9, 9, 9, 0));  // alpha does not matter
  TBitmap32 second(2, 2, Color32(5, 5, 5));
  second.SetPixel(0, 0, Color32(7, 7, 7));  // the skipped colour
  second.SetPixel(1, 1, Color32(1, 1, 1));
  const TBitmap32* both[] = {&first, &second};

  const TPalette palette = BuildPalette(both, 256, Color32(7, 7, 7));
  EXPECT_TRUE(palette.Exact);
  const std::vector<TColor32> expected = {Color32(1, 1, 1), Color32(9, 9, 9), Color32(5, 5, 5)};
  EXPECT_EQ(palette.Colors, expected);

  // One colour too many: no longer exact, but never more than asked for.
  const TPalette two = BuildPalette(both, 2, Color32(7, 7, 7));
  EXPECT_FALSE(two.Exact);
  EXPECT_LE(two.Colors.size(), 2u);
}

TEST(ColorQuantizer, ReducedPaletteFindsClusters) {
  // Four tight clusters of many colours each: four palette entries land on their centres.
  const TColor32 centres[] = {Color32(30, 30, 200), Color32(220, 40, 40), Color32(40, 200, 60),
                              Color32(240, 240, 240)};
  std::mt19937 random(11);
  TBitmap32 picture(200, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      const TColor32 c = centres[(x / 50 + y) % 4];
      auto jitter = [&](uint8_t v) { return uint8_t(v + int(random() % 11) - 5); };
      picture.SetPixel(x, y, Color32(jitter(RedOf(c)), jitter(GreenOf(c)), jitter(BlueOf(c))));
    }
  const TBitmap32* pictures[] = {&picture};
  const TPalette palette = BuildPalette(pictures, 4);
  ASSERT_EQ(palette.Colors.size(), 4u);
  for (TColor32 centre : centres) {
    int nearest = INT_MAX;
    for (TColor32 c : palette.Colors) nearest = std::min(nearest, Distance(c, centre));
    EXPECT_LE(nearest, 3 * 2 * 2) << std::hex << centre;
  }
  for (TColor32 c : palette.Colors) EXPECT_EQ(AlphaOf(c), 0xFF);
}

TEST(ColorQuantizer, MapperFindsTheNearestEntry) {
  std::mt19937 random(21);
  TPalette palette;
  for (int i = 0; i < 200; ++i) palette.Colors.push_back(0xFF000000u | (random() & 0xFFFFFF));
  palette.Colors.push_back(palette.Colors[17]);  // a duplicate: the first one wins
  TColorMapper mapper(palette);
  for (int i = 0; i < 20000; ++i) {
    const TColor32 query = random() & (i % 2 ? 0xFFFFFFu : 0xF0F0F0u);  // repeats hit the cache
    size_t best = 0;
    for (size_t j = 1; j < palette.Colors.size(); ++j)
      if (Distance(palette.Colors[j], query) < Distance(palette.Colors[best], query)) best = j;
    ASSERT_EQ(mapper.IndexOf(query), best) << std::hex << query;
  }
  EXPECT_EQ(mapper.IndexOf(palette.Colors[17]), 17);
}

TEST(ColorQuantizer, CountsColoursUpToOnePastTheLimit) {
  TBitmap32 picture(16, 17);
  for (int i = 0; i < 16 * 17; ++i)
    picture.SetPixel(i % 16, i / 16, Color32(uint8_t(i % 256), 7, 7, uint8_t(i)));  // 256 RGBs
  EXPECT_FALSE(HasMoreColorsThan(picture, 256));
  EXPECT_TRUE(HasMoreColorsThan(picture, 255));
  picture.SetPixel(15, 16, Color32(0, 0, 0));
  EXPECT_TRUE(HasMoreColorsThan(picture, 256));
}

TEST(ColorQuantizer, OrderedDitherShowsAColourAsTheRightMixOfTwoNeighbours) {
  const std::vector<uint8_t> greys = {0, 64, 128, 192, 255};
  TPalette palette;
  for (const uint8_t g : greys) palette.Colors.push_back(Color32(g, g, g));
  palette.Colors.push_back(Color32(250, 0, 0));  // off the grey line: never part of a grey's mix
  TOrderedDither dither(palette);
  // Over any 8 x 8 square the entries average to the colour, from its two enclosing entries.
  for (const int grey : {0, 16, 64, 80, 100, 150, 250}) {
    for (const int at : {0, 3}) {
      int sum = 0;
      for (int y = at; y < at + 8; ++y)
        for (int x = 2 * at; x < 2 * at + 8; ++x) {
          const uint8_t index = dither.IndexOf(Color32(uint8_t(grey), uint8_t(grey), uint8_t(grey)), x, y);
          ASSERT_LT(index, greys.size()) << grey;
          const int shown = greys[index];
          ASSERT_LE(std::abs(shown - grey), 64) << grey;
          sum += shown;
        }
      EXPECT_NEAR(sum / 64.0, grey, 0.75) << grey << " at " << at;
    }
  }
  // An entry's own colour is never mixed; the same colour at the same place gets the same index
  // whatever was mapped in between.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dither.IndexOf(Color32(250, 0, 0), x, y), 5);
  const uint8_t before = dither.IndexOf(Color32(90, 90, 90), 5, 6);
  for (int i = 0; i < 5000; ++i) dither.IndexOf(Color32(uint8_t(i), uint8_t(i / 3), uint8_t(i / 7)), i % 8, i % 5);
  EXPECT_EQ(dither.IndexOf(Color32(90, 90, 90), 5, 6), before);
}

TEST(ColorQuantizer, CloseColoursGetEveryEntryAndWeightsDecideWhereTheyGo) {
  // 4096 colours in a cube 16 levels wide: a coarse histogram would see a handful of bins.
  TBitmap32 cube(64, 64);
  for (int i = 0; i < 4096; ++i)
    cube.SetPixel(i % 64, i / 64, Color32(uint8_t(100 + i % 16), uint8_t(100 + i / 16 % 16), uint8_t(100 + i / 256)));
  // Squared error per channel of the pictures mapped to the palette.
  auto error = [](const TPalette& palette, const TBitmap32& picture) {
    TPalette copy = palette;
    TColorMapper mapper(copy);
    double sum = 0;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        sum += Distance(picture.Pixel(x, y), palette.Colors[mapper.IndexOf(picture.Pixel(x, y))]);
    return sum / (3.0 * picture.Width() * picture.Height());
  };
  TColorHistogram cubeColors;
  cubeColors.Add(cube);
  const TPalette palette = cubeColors.Palette(256);
  EXPECT_FALSE(palette.Exact);
  EXPECT_EQ(std::set<TColor32>(palette.Colors.begin(), palette.Colors.end()).size(), 256u);
  EXPECT_LT(error(palette, cube), 2.0);  // 16 colours an entry: about 1.25 when cut evenly

  // Two ramps share 16 entries; the one that weighs more gets the closer colours.
  TBitmap32 greys(256, 1), reds(256, 1);
  for (int x = 0; x < 256; ++x) {
    greys.SetPixel(x, 0, Color32(uint8_t(x), uint8_t(x), uint8_t(x)));
    reds.SetPixel(x, 0, Color32(uint8_t(x), 0, 0));
  }
  auto greyError = [&](uint32_t greyWeight, uint32_t redWeight) {
    TColorHistogram both;
    both.Add(greys, greyWeight);
    both.Add(reds, redWeight);
    return error(both.Palette(16), greys);
  };
  EXPECT_LT(greyError(8, 1), greyError(1, 8));
}

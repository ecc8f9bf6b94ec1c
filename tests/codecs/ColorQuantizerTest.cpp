#include "codecs/ColorQuantizer.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

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

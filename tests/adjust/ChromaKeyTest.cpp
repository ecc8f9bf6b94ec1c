// SPDX-License-Identifier: GPL-3.0-or-later
#include "adjust/ChromaKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace gs {
namespace {

constexpr TColor kGreenKey = 0x00FF00;        // Windows value of (0, 255, 0)
constexpr TColor kReplacement = 0xFDFEFF;     // the default key colour
constexpr TColor32 kReplaced = 0x00FFFEFD;    // its pixel with alpha 0
constexpr TColor32 kFringe = 0xFF28C828;      // (40, 200, 40)
constexpr TColor32 kSubject = 0xFFB06040;     // skin-like, far from green, no spill

// A plain model: an int grid, the rules written out from their description.
struct TModel {
  int W, H;
  std::vector<std::array<int, 4>> P;  // r, g, b, a
  int Kr, Kg, Kb, T, Tr, Tg, Tb;

  int Dist(const std::array<int, 4>& p) const {
    return (p[0] - Kr) * (p[0] - Kr) + (p[1] - Kg) * (p[1] - Kg) + (p[2] - Kb) * (p[2] - Kb);
  }
  bool Matches(int x, int y) const {
    const auto& p = P[size_t(y * W + x)];
    return Dist(p) <= T || (p[0] == Tr && p[1] == Tg && p[2] == Tb);
  }
  void Run() {
    const char cls = Kb + Kr < Kg ? 'g' : Kr + Kg < Kb ? 'b' : Kb + Kg < Kr ? 'r' : 'n';
    for (int row = 0; row < H; ++row)
      for (int col = 0; col < W; ++col) {
        auto& p = P[size_t(row * W + col)];
        if (Dist(p) <= T) p = {Tr, Tg, Tb, 0};
        int s = 0, m = 0;
        if (cls == 'n') continue;
        if (cls == 'g') s = p[2] + p[0], m = p[1];
        if (cls == 'r') s = p[1] + p[2], m = p[0];
        if (cls == 'b') s = p[1] + p[0], m = p[2];
        const bool fringe = (s < m + 50 && m > 110) || (s < m + 15 && m > 90) || s < m;
        if (!fringe || row < 2 || row > H - 2 || col < 2 || col > W - 2) continue;
        bool hit = false;
        for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {1, -1}, {-1, 1}})
          hit = hit || Matches(col + dx, row + dy);
        if (hit) p = {Tr, Tg, Tb, 0};
      }
  }
};

TBitmap32 Fill(int w, int h, TColor32 c) { return TBitmap32(w, h, c); }

TEST(ChromaThreshold, BarPositionsGiveSquaredDistances) {
  EXPECT_EQ(ChromaThreshold(100), 1951);
  EXPECT_EQ(ChromaThreshold(160), 4994);
  EXPECT_EQ(ChromaThreshold(0), 0);
  EXPECT_EQ(ChromaThreshold(500), 4994);
  // Exact: (p * 0.255)^2 * 3 = p^2 * 195075 / 10^6, rounded half to even.
  for (long long p = 0; p <= 160; ++p) {
    const long long num = p * p * 195075, den = 1000000;
    long long q = num / den;
    const long long twice = 2 * (num % den);
    if (twice > den || (twice == den && q % 2 != 0)) ++q;
    EXPECT_EQ(ChromaThreshold(int(p)), q) << p;
  }
}

TEST(ChromaKeyClass, DominantChannelDecidesAndGreyHasNone) {
  EXPECT_EQ(KeyClassOf(0, 255, 0), TKeyClass::Green);
  EXPECT_EQ(KeyClassOf(0, 0, 255), TKeyClass::Blue);
  EXPECT_EQ(KeyClassOf(255, 0, 0), TKeyClass::Red);
  EXPECT_EQ(KeyClassOf(128, 128, 128), TKeyClass::None);
  EXPECT_EQ(KeyClassOf(100, 200, 100), TKeyClass::None);  // 200 is not below 200
  EXPECT_EQ(KeyClassOf(100, 201, 100), TKeyClass::Green);
  EXPECT_TRUE(IsFringeColor(kFringe, TKeyClass::Green));
  EXPECT_FALSE(IsFringeColor(kFringe, TKeyClass::None));
  EXPECT_FALSE(IsFringeColor(kSubject, TKeyClass::Green));
  EXPECT_TRUE(IsFringeColor(Color32(60, 95, 34), TKeyClass::Green));  // 94 < 110, m > 90
  EXPECT_TRUE(IsFringeColor(Color32(10, 20, 5), TKeyClass::Green));   // s < m
  EXPECT_FALSE(IsFringeColor(Color32(10, 15, 5), TKeyClass::Green));  // s == m
}

TEST(ChromaKeyOut, KeyColourGoesAndFringeGoesOnlyNextToKeyedPixels) {
  TBitmap32 picture = Fill(8, 8, kSubject);
  picture.SetPixel(3, 3, Color32(10, 240, 20));  // within 1951 of pure green
  picture.SetPixel(4, 3, kFringe);               // touches it
  picture.SetPixel(5, 6, kFringe);               // alone
  ChromaKeyOut(picture, kGreenKey, ChromaThreshold(100), kReplacement);
  EXPECT_EQ(picture.Pixel(3, 3), kReplaced);
  EXPECT_EQ(picture.Pixel(4, 3), kReplaced);
  EXPECT_EQ(picture.Pixel(5, 6), kFringe);
  EXPECT_EQ(picture.Pixel(0, 0), kSubject);
}

TEST(ChromaKeyOut, NoFringeInTheFirstTwoRowsAndColumnsNorTheLastRowAndColumn) {
  const int w = 8, h = 7;
  TBitmap32 picture = Fill(w, h, kFringe);
  // Keyed pixels everywhere around, so that only the position decides.
  for (int y = 0; y < h; y += 2)
    for (int x = 0; x < w; x += 2) picture.SetPixel(x, y, 0xFF00FF00);
  ChromaKeyOut(picture, kGreenKey, 0, kReplacement);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (x % 2 == 0 && y % 2 == 0) continue;
      const bool inside = y >= 2 && y <= h - 2 && x >= 2 && x <= w - 2;
      EXPECT_EQ(picture.Pixel(x, y), inside ? kReplaced : kFringe) << x << "," << y;
    }
}

TEST(ChromaKeyOut, FringeSpreadsRightAndDownButNotBackInOnePass) {
  TBitmap32 picture = Fill(12, 8, kSubject);
  picture.SetPixel(2, 3, 0xFF00FF00);
  for (int x = 3; x <= 7; ++x) picture.SetPixel(x, 3, kFringe);  // after the key: all go
  for (int x = 2; x <= 5; ++x) picture.SetPixel(x, 5, kFringe);  // before the key
  picture.SetPixel(6, 5, 0xFF00FF00);
  picture.SetPixel(4, 4, kSubject);
  ChromaKeyOut(picture, kGreenKey, 0, kReplacement);
  for (int x = 3; x <= 7; ++x) EXPECT_EQ(picture.Pixel(x, 3), kReplaced) << x;
  EXPECT_EQ(picture.Pixel(5, 5), kReplaced);
  // (4,5) touched only (3,4)/(4,4)/(5,4): subject, and (5,5) was still fringe when visited.
  EXPECT_EQ(picture.Pixel(4, 5), kFringe);
  EXPECT_EQ(picture.Pixel(3, 5), kFringe);
}

TEST(ChromaKeyOut, GreyKeyRemovesByDistanceOnly) {
  TBitmap32 picture = Fill(6, 6, kFringe);
  picture.SetPixel(3, 3, 0xFF808080);
  picture.SetPixel(2, 2, 0xFF848080);  // distance 16
  ChromaKeyOut(picture, 0x808080, 16, kReplacement);
  EXPECT_EQ(picture.Pixel(3, 3), kReplaced);
  EXPECT_EQ(picture.Pixel(2, 2), kReplaced);
  EXPECT_EQ(picture.Pixel(3, 2), kFringe);
}

TEST(ChromaKeyOut, RandomGreenScreensMatchTheModel) {
  std::mt19937 random(5);
  int replaced = 0;
  for (int round = 0; round < 40; ++round) {
    const int w = 3 + int(random() % 14), h = 3 + int(random() % 14);
    const TColor key = round % 4 == 3 ? 0x0000E0 : round % 4 == 2 ? 0xE00000 : 0x10E010;
    const int position = int(random() % 161);
    TBitmap32 picture(w, h);
    TModel model{w, h, {}, 0, 0, 0, ChromaThreshold(position), 0xFF, 0xFE, 0xFD};
    const TColor32 key32 = WinColorToColor32(key);
    model.Kr = RedOf(key32), model.Kg = GreenOf(key32), model.Kb = BlueOf(key32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        // Mostly near the key, some spill, some subject.
        const int kind = int(random() % 3);
        auto jitter = [&](int base) { return std::clamp(base + int(random() % 81) - 40, 0, 255); };
        const int r = kind == 2 ? int(random() % 256) : jitter(kind == 0 ? model.Kr : model.Kr / 3 + 40);
        const int g = kind == 2 ? int(random() % 256) : jitter(kind == 0 ? model.Kg : model.Kg / 2 + 60);
        const int b = kind == 2 ? int(random() % 256) : jitter(kind == 0 ? model.Kb : model.Kb / 3 + 40);
        picture.SetPixel(x, y, Color32(uint8_t(r), uint8_t(g), uint8_t(b)));
        model.P.push_back({r, g, b, 255});
      }
    ChromaKeyOut(picture, key, model.T, kReplacement);
    model.Run();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const auto& p = model.P[size_t(y * w + x)];
        replaced += p[3] == 0;
        ASSERT_EQ(picture.Pixel(x, y), Color32(uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2]), uint8_t(p[3])))
            << "round " << round << " at " << x << "," << y;
      }
  }
  EXPECT_GT(replaced, 500);  // the cases really key something
}

TEST(ComposeBackground, LargeBackgroundStaysAndSmallerOneIsStretchedOverTheLargerSize) {
  TBitmap32 large(10, 8, 0x00102030);  // transparent pixels become opaque
  large.SetPixel(9, 7, 0xFF405060);
  TBitmap32 base = ComposeBackground(large, 10, 8);
  ASSERT_EQ(base.Width(), 10);
  ASSERT_EQ(base.Height(), 8);
  EXPECT_EQ(base.Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(base.Pixel(9, 7), 0xFF405060u);

  const TBitmap32 narrow(4, 12, 0xFF336699);  // narrower than the photo, taller
  base = ComposeBackground(narrow, 9, 5);
  ASSERT_EQ(base.Width(), 9);
  ASSERT_EQ(base.Height(), 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(base.Pixel(x, y), 0xFF336699u) << x << "," << y;
}

}  // namespace
}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Gif.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <set>
#include <vector>

using namespace gs;

namespace {

TBitmap32 RoundTrip(const TBitmap32& picture, std::optional<TColor> key = std::nullopt) {
  return DecodeGif(EncodeGif(picture, key)).Bitmap;
}

// Every pixel a colour from a small random set.
TBitmap32 RandomColors(int w, int h, int colorCount, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<TColor32> colors;
  std::set<TColor32> seen;
  while (int(colors.size()) < colorCount) {
    const TColor32 c = 0xFF000000u | (random() & 0xFFFFFF);
    if (seen.insert(c).second) colors.push_back(c);
  }
  TBitmap32 picture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture.SetPixel(x, y, colors[random() % colors.size()]);
  return picture;
}

// Smooth gradients with some noise: tens of thousands of colours.
TBitmap32 PhotoLike(int w, int h) {
  std::mt19937 random(77);
  TBitmap32 picture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto channel = [&](double v) {
        return uint8_t(std::clamp(v + double(random() % 9) - 4.0, 0.0, 255.0));
      };
      picture.SetPixel(x, y, Color32(channel(255.0 * x / w), channel(128 + 100 * std::sin(y * 0.05)),
                                     channel(255.0 * (x + y) / (w + h))));
    }
  return picture;
}

int TableBitsOf(const TBytes& gif) { return (gif[10] & 7) + 1; }

}  // namespace

TEST(GifEncoder, PicturesWithFewColoursComeBackExactly) {
  for (auto [w, h, colors] : {std::tuple{1, 1, 1}, {7, 3, 5}, {257, 1, 2}, {64, 64, 256},
                               {300, 200, 256}, {31, 17, 16}}) {
    const TBitmap32 picture = RandomColors(w, h, colors, uint32_t(w * h));
    const TBytes gif = EncodeGif(picture, std::nullopt);
    EXPECT_TRUE(DecodeGif(gif).Bitmap == picture) << w << "x" << h << " " << colors;
    // The table is the smallest power of two that holds the colours (at least 2).
    EXPECT_EQ(1 << TableBitsOf(gif), std::max(2, int(std::bit_ceil(unsigned(colors)))));
  }
  // Long runs of one colour make long strings and fill the LZW table many times over.
  TBitmap32 flat(1000, 1000, Color32(10, 20, 30));
  flat.FillRect(TRect{100, 100, 900, 700}, Color32(200, 10, 10));
  EXPECT_TRUE(RoundTrip(flat) == flat);
}

TEST(GifEncoder, OnlyPixelsWithoutOpacityBecomeTransparent) {
  const TColor key = 0x00FF00FF;  // magenta as a Windows colour value
  const TColor32 keyPixel = WinColorToColor32(key);
  TBitmap32 picture = RandomColors(40, 30, 200, 5);
  // Row 7: the key's colour, opaque on odd columns; alpha 127 and less is transparent.
  for (int x = 0; x < 40; ++x) picture.SetPixel(x, 7, x % 2 ? keyPixel : RgbOf(keyPixel) | (uint32_t(x) % 128) << 24);
  picture.SetPixel(3, 9, RgbOf(picture.Pixel(3, 9)) | 0x80000000u);  // just opaque enough

  const TDecodedPicture decoded = DecodeGif(EncodeGif(picture, key));
  ASSERT_TRUE(decoded.TransparentColor);
  // The key's colour is taken by opaque pixels: the file marks another one transparent, which
  // no opaque pixel has, so reading transparency back by colour makes no holes.
  const TColor32 fileKey = RgbOf(WinColorToColor32(*decoded.TransparentColor));
  EXPECT_NE(fileKey, RgbOf(keyPixel));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor32 p = picture.Pixel(x, y), q = decoded.Bitmap.Pixel(x, y);
      if (AlphaOf(p) < 128) {
        ASSERT_EQ(AlphaOf(q), 0) << x << "," << y;
      } else {
        ASSERT_EQ(q, 0xFF000000u | RgbOf(p)) << x << "," << y;
        ASSERT_NE(RgbOf(q), fileKey) << x << "," << y;
      }
    }

  // A key no pixel has is kept and reported; a picture of nothing but transparency encodes.
  EXPECT_EQ(DecodeGif(EncodeGif(RandomColors(3, 3, 4, 9), 0x123456)).TransparentColor, 0x123456u);
  const TBitmap32 clear(2, 2, RgbOf(keyPixel));
  EXPECT_EQ(RoundTrip(clear, key).Pixel(1, 1), RgbOf(keyPixel));
}

TEST(GifEncoder, ManyColoursComeBackClose) {
  const TBitmap32 picture = PhotoLike(320, 240);
  const TBitmap32 decoded = RoundTrip(picture);
  ASSERT_EQ(decoded.Width(), 320);
  double sum = 0;
  int worst = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      const TColor32 p = picture.Pixel(x, y), q = decoded.Pixel(x, y);
      EXPECT_EQ(AlphaOf(q), 0xFF);
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF));
        sum += d;
        worst = std::max(worst, d);
      }
    }
  EXPECT_LT(sum / (320.0 * 240 * 3), 6.5);
  EXPECT_LT(worst, 40) << sum / (320.0 * 240 * 3);

  // With a transparent colour only 255 entries remain for the rest.
  TBitmap32 keyed = picture;
  keyed.FillRect(TRect{0, 0, 10, 10}, Color32(1, 2, 3, 0));
  const TDecodedPicture withKey = DecodeGif(EncodeGif(keyed, 0x030201));
  EXPECT_EQ(withKey.Bitmap.Pixel(5, 5), RgbOf(Color32(1, 2, 3)));
  EXPECT_EQ(AlphaOf(withKey.Bitmap.Pixel(50, 50)), 0xFF);
}

TEST(GifEncoder, RefusesEmptyPicture) { EXPECT_THROW(EncodeGif(TBitmap32(), std::nullopt), Exception); }

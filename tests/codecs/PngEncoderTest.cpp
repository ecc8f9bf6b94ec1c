// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Png.h"
#include "common/Errors.h"
#include "PngTestFiles.h"

#include <gtest/gtest.h>

using namespace gs;
using namespace gs::pngtest;

namespace {

TBitmap32 Noise(int w, int h, uint32_t seed, bool randomAlpha) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      TColor32 c = Hash(seed + uint32_t(y * w + x));
      b.SetPixel(x, y, randomAlpha ? c : c | 0xFF000000u);
    }
  return b;
}

// A smooth picture, where the filters matter.
TBitmap32 Gradient(int w, int h) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Color32(uint8_t(x + y), uint8_t(x * 2), uint8_t(y / 2)));
  return b;
}

struct TChunkInfo {
  std::string Type;
  TBytes Data;
};

// The chunks of a file, read independently of the decoder.
std::vector<TChunkInfo> ChunksOf(const TBytes& file) {
  std::vector<TChunkInfo> chunks;
  for (size_t p = 8; p + 12 <= file.size();) {
    uint32_t length = (uint32_t(file[p]) << 24) | (file[p + 1] << 16) | (file[p + 2] << 8) | file[p + 3];
    chunks.push_back({std::string(file.begin() + long(p + 4), file.begin() + long(p + 8)),
                      TBytes(file.begin() + long(p + 8), file.begin() + long(p + 8 + length))});
    p += 12 + length;
  }
  return chunks;
}

int ColourTypeOf(const TBytes& file) { return ChunksOf(file).at(0).Data.at(9); }

}  // namespace

TEST(PngEncoder, OpaquePicturesOfAnySizeComeBackExactlyAsRgb) {
  const std::pair<int, int> sizes[] = {{1, 1}, {7, 3}, {33, 1}, {1, 40}, {64, 64}};
  for (auto [w, h] : sizes) {
    for (const TBitmap32& picture : {Noise(w, h, uint32_t(w * h), false), Gradient(w, h)}) {
      TBytes file = EncodePng(picture, std::nullopt);
      EXPECT_EQ(ColourTypeOf(file), 2) << w << "x" << h;
      TDecodedPicture back = DecodePng(file);
      EXPECT_EQ(back.Bitmap, picture) << w << "x" << h;
      EXPECT_FALSE(back.TransparentColor);
    }
  }
}

TEST(PngEncoder, FullyTransparentPixelsBecomeTheKeyColour) {
  const TColor key = 0x00FDFEFF;  // Windows colour value
  TBitmap32 picture = Noise(7, 3, 5, false);
  picture.SetPixel(0, 0, 0x00123456);
  picture.SetPixel(6, 2, 0);
  TBytes file = EncodePng(picture, key);
  EXPECT_EQ(ColourTypeOf(file), 2);
  std::vector<TChunkInfo> chunks = ChunksOf(file);
  ASSERT_EQ(chunks[1].Type, "tRNS");
  EXPECT_EQ(chunks[1].Data, (TBytes{0, 0xFF, 0, 0xFE, 0, 0xFD}));

  TDecodedPicture back = DecodePng(file);
  EXPECT_EQ(back.TransparentColor, key);
  EXPECT_EQ(back.Bitmap.Pixel(0, 0), WinColorToColor32(key, 0));
  EXPECT_EQ(back.Bitmap.Pixel(6, 2), WinColorToColor32(key, 0));
  EXPECT_EQ(back.Bitmap.Pixel(3, 1), picture.Pixel(3, 1));

  // An opaque picture keeps its key too.
  EXPECT_EQ(DecodePng(EncodePng(Gradient(4, 4), key)).TransparentColor, key);
}

TEST(PngEncoder, AlphaThatNoKeyCanCarryIsWrittenAsRgba) {
  TBitmap32 partial = Noise(33, 5, 9, true);
  TBytes file = EncodePng(partial, 0x00FFFFFF);
  EXPECT_EQ(ColourTypeOf(file), 6);
  TDecodedPicture back = DecodePng(file);
  EXPECT_EQ(back.Bitmap, partial);
  EXPECT_FALSE(back.TransparentColor);

  // Fully transparent pixels without a key colour keep their own colour and alpha.
  TBitmap32 clear = Noise(3, 3, 2, false);
  clear.SetPixel(1, 1, 0x00ABCDEF);
  file = EncodePng(clear, std::nullopt);
  EXPECT_EQ(ColourTypeOf(file), 6);
  EXPECT_EQ(DecodePng(file).Bitmap, clear);
}

TEST(PngEncoder, WritesAWellFormedFile) {
  TBytes file = EncodePng(Noise(300, 300, 3, false), std::nullopt);
  std::vector<TChunkInfo> chunks = ChunksOf(file);
  ASSERT_GE(chunks.size(), 3u);
  EXPECT_EQ(chunks.front().Type, "IHDR");
  EXPECT_EQ(chunks.front().Data, (TBytes{0, 0, 1, 44, 0, 0, 1, 44, 8, 2, 0, 0, 0}));
  EXPECT_EQ(chunks.back().Type, "IEND");
  TBytes compressed;
  for (size_t i = 1; i + 1 < chunks.size(); ++i) {
    EXPECT_EQ(chunks[i].Type, "IDAT");
    compressed.insert(compressed.end(), chunks[i].Data.begin(), chunks[i].Data.end());
  }
  // Inflates with plain zlib to exactly the rows with their filter type bytes.
  TBytes raw(300 * 901 + 1);
  uLongf size = uLongf(raw.size());
  ASSERT_EQ(uncompress(raw.data(), &size, compressed.data(), uLong(compressed.size())), Z_OK);
  EXPECT_EQ(size, 300u * 901u);
  for (int y = 0; y < 300; ++y) EXPECT_LE(raw[size_t(y) * 901], 4);
}

TEST(PngEncoder, FiltersMakeSmoothPicturesSmall) {
  // Rows of a gradient differ from their neighbours by constants that the filters cancel.
  TBytes file = EncodePng(Gradient(256, 256), std::nullopt);
  EXPECT_LT(file.size(), 3000u);
}

TEST(PngEncoder, RefusesAnEmptyPicture) { EXPECT_THROW(EncodePng(TBitmap32(), std::nullopt), Exception); }

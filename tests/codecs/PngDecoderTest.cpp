// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Errors.h"
#include "PngTestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace gs;
using namespace gs::pngtest;

namespace {

std::string Suite(const std::string& name) { return std::string(GS_TESTDATA_DIR) + "/pngsuite/" + name; }
TDecodedPicture DecodeSuite(const std::string& name) { return DecodePng(ReadFileBytes(Suite(name))); }

uint8_t To8Bits(uint16_t sample, int depth) {
  return depth == 16 ? uint8_t(sample >> 8) : uint8_t(sample * 255 / ((1 << depth) - 1));
}

// The pixel a sample image should decode to, for the non-palette colour types.
TColor32 ExpectedPixel(const TSampleImage& image, int x, int y) {
  auto s = [&](int c) { return To8Bits(image.Sample(x, y, c), image.Depth); };
  switch (image.Channels) {
    case 1: return Color32(s(0), s(0), s(0));
    case 2: return Color32(s(0), s(0), s(0), s(1));
    case 3: return Color32(s(0), s(1), s(2));
    default: return Color32(s(0), s(1), s(2), s(3));
  }
}

struct TFormat {
  int ColorType, Channels, Depth;
};
const TFormat kDirectFormats[] = {{0, 1, 1}, {0, 1, 2}, {0, 1, 4},  {0, 1, 8}, {0, 1, 16}, {2, 3, 8},
                                  {2, 3, 16}, {4, 2, 8}, {4, 2, 16}, {6, 4, 8}, {6, 4, 16}};

TBytes Palette(int entries) {
  TBytes plte;
  for (int i = 0; i < entries; ++i)
    plte.insert(plte.end(), {uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 11 + 5)});
  return plte;
}

int RowFilter(int row) { return row % 5; }

}  // namespace

TEST(PngDecoder, EveryColourTypeDepthAndFilterGivesTheSamplesBack) {
  for (const TFormat& f : kDirectFormats) {
    for (int width : {1, 13, 64}) {
      TSampleImage image = NoiseImage(width, 11, f.Channels, f.Depth, uint32_t(width * 100 + f.Depth));
      TDecodedPicture picture = DecodePng(MakePng(image, f.ColorType, false, RowFilter));
      ASSERT_EQ(picture.Bitmap.Width(), width);
      ASSERT_EQ(picture.Bitmap.Height(), 11);
      EXPECT_FALSE(picture.TransparentColor);
      for (int y = 0; y < 11; ++y)
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(picture.Bitmap.Pixel(x, y), ExpectedPixel(image, x, y))
              << "type " << f.ColorType << " depth " << f.Depth << " at " << x << "," << y;
    }
  }
}

TEST(PngDecoder, PaletteImagesOfEveryDepthLookUpTheirColours) {
  for (int depth : {1, 2, 4, 8}) {
    TSampleImage image = NoiseImage(19, 7, 1, depth, uint32_t(depth));
    TBytes plte = Palette(1 << depth);
    TDecodedPicture picture = DecodePng(MakePng(image, 3, false, RowFilter, {{"PLTE", plte}}));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 19; ++x) {
        const uint8_t* rgb = &plte[size_t(image.Sample(x, y, 0)) * 3];
        ASSERT_EQ(picture.Bitmap.Pixel(x, y), Color32(rgb[0], rgb[1], rgb[2])) << "depth " << depth;
      }
  }
}

TEST(PngDecoder, InterlacedFilesDecodeLikeStraightOnes) {
  const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {5, 9}, {9, 5}, {33, 17}};
  for (const TFormat& f : kDirectFormats)
    for (auto [w, h] : sizes) {
      TSampleImage image = NoiseImage(w, h, f.Channels, f.Depth, uint32_t(w * h));
      TDecodedPicture straight = DecodePng(MakePng(image, f.ColorType, false, RowFilter));
      TDecodedPicture interlaced = DecodePng(MakePng(image, f.ColorType, true, RowFilter));
      ASSERT_EQ(straight.Bitmap, interlaced.Bitmap)
          << "type " << f.ColorType << " depth " << f.Depth << " " << w << "x" << h;
    }
}

TEST(PngDecoder, ColourKeysMakeMatchingPixelsTransparentAndAreReported) {
  // Grey 4-bit, key 5: level 5 of 15 is 85.
  TSampleImage grey{4, 1, 1, 4, [](int x, int, int) { return uint16_t(x + 4); }};
  TDecodedPicture g = DecodePng(MakePng(grey, 0, false, RowFilter, {{"tRNS", {0, 5}}}));
  EXPECT_EQ(g.TransparentColor, TColor(0x555555));
  EXPECT_EQ(g.Bitmap.Pixel(1, 0), Color32(85, 85, 85, 0));
  EXPECT_EQ(g.Bitmap.Pixel(0, 0), Color32(68, 68, 68));

  // 16-bit grey matches all 16 bits; the key is reported by its high byte.
  TSampleImage grey16{2, 1, 1, 16, [](int x, int, int) { return uint16_t(x ? 0x1299 : 0x1234); }};
  TDecodedPicture g16 = DecodePng(MakePng(grey16, 0, false, RowFilter, {{"tRNS", {0x12, 0x34}}}));
  EXPECT_EQ(g16.TransparentColor, TColor(0x121212));
  EXPECT_EQ(g16.Bitmap.Pixel(0, 0), Color32(0x12, 0x12, 0x12, 0));
  EXPECT_EQ(g16.Bitmap.Pixel(1, 0), Color32(0x12, 0x12, 0x12));

  TSampleImage rgb{2, 2, 3, 8, [](int x, int y, int c) { return uint16_t(x == y ? 10 * (c + 1) : 200); }};
  TDecodedPicture c8 = DecodePng(MakePng(rgb, 2, false, RowFilter, {{"tRNS", {0, 10, 0, 20, 0, 30}}}));
  EXPECT_EQ(c8.TransparentColor, TColor(0x1E140A));  // Windows colour values are 0x00BBGGRR
  EXPECT_EQ(c8.Bitmap.Pixel(1, 1), Color32(10, 20, 30, 0));
  EXPECT_EQ(c8.Bitmap.Pixel(1, 0), Color32(200, 200, 200));

  TSampleImage rgb16{2, 1, 3, 16, [](int x, int, int c) { return uint16_t(x ? 0xFFFF : 0x0100 * (c + 1) + 1); }};
  TDecodedPicture c16 = DecodePng(MakePng(rgb16, 2, false, RowFilter, {{"tRNS", {1, 1, 2, 1, 3, 1}}}));
  EXPECT_EQ(c16.TransparentColor, TColor(0x030201));
  EXPECT_EQ(c16.Bitmap.Pixel(0, 0), Color32(1, 2, 3, 0));
  EXPECT_EQ(c16.Bitmap.Pixel(1, 0), Color32(255, 255, 255));

  // A key no 2-bit sample can reach makes nothing transparent.
  TSampleImage grey2{4, 1, 1, 2, [](int x, int, int) { return uint16_t(x); }};
  TDecodedPicture unreachable = DecodePng(MakePng(grey2, 0, false, RowFilter, {{"tRNS", {0, 7}}}));
  EXPECT_FALSE(unreachable.TransparentColor);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(AlphaOf(unreachable.Bitmap.Pixel(x, 0)), 0xFF);
}

TEST(PngDecoder, PaletteTransparency) {
  TSampleImage indices{3, 1, 1, 8, [](int x, int, int) { return uint16_t(x); }};
  const TBytes plte = Palette(3);
  auto decode = [&](const TBytes& trns) {
    return DecodePng(MakePng(indices, 3, false, RowFilter, {{"PLTE", plte}, {"tRNS", trns}}));
  };

  // Only on/off alphas: a colour key, the first fully transparent entry.
  TDecodedPicture binary = decode({255, 0, 0});
  EXPECT_EQ(binary.TransparentColor, Color32ToWinColor(Color32(plte[3], plte[4], plte[5])));
  EXPECT_EQ(binary.Bitmap.Pixel(1, 0), Color32(plte[3], plte[4], plte[5], 0));
  EXPECT_EQ(AlphaOf(binary.Bitmap.Pixel(0, 0)), 0xFF);

  // Partial alpha is no key; entries past a short tRNS stay opaque.
  TDecodedPicture partial = decode({0, 128});
  EXPECT_FALSE(partial.TransparentColor);
  EXPECT_EQ(AlphaOf(partial.Bitmap.Pixel(0, 0)), 0);
  EXPECT_EQ(AlphaOf(partial.Bitmap.Pixel(1, 0)), 128);
  EXPECT_EQ(AlphaOf(partial.Bitmap.Pixel(2, 0)), 0xFF);

  EXPECT_FALSE(decode({255, 255}).TransparentColor);
}

TEST(PngDecoder, IndicesPastThePaletteGiveOpaqueBlack) {
  TSampleImage indices{2, 1, 1, 8, [](int x, int, int) { return uint16_t(x * 9); }};
  TDecodedPicture p = DecodePng(MakePng(indices, 3, false, RowFilter, {{"PLTE", Palette(4)}}));
  EXPECT_EQ(p.Bitmap.Pixel(1, 0), Color32(0, 0, 0));
}

TEST(PngDecoder, EveryPngSuiteFileDecodesAndBrokenOnesFail) {
  int decoded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Suite(""))) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".png") continue;
    TBytes bytes = ReadFileBytes(entry.path().string());
    if (name[0] == 'x') {
      EXPECT_THROW(DecodePng(bytes), EInvalidGraphic) << name;
      continue;
    }
    TDecodedPicture picture;
    ASSERT_NO_THROW(picture = DecodePng(bytes)) << name;
    // The size as IHDR states it, read straight from the file.
    EXPECT_EQ(picture.Bitmap.Width(), (bytes[18] << 8) | bytes[19]) << name;
    EXPECT_EQ(picture.Bitmap.Height(), (bytes[22] << 8) | bytes[23]) << name;
    ++decoded;
  }
  EXPECT_GE(decoded, 30);
}

TEST(PngDecoder, PngSuiteVariantsOfOnePictureAgree) {
  // The same transparent picture with different background chunks, which must not matter.
  TDecodedPicture palette = DecodeSuite("ftbbn3p08.png");
  for (const char* name : {"ftbgn3p08.png", "ftbwn3p08.png", "ftbyn3p08.png", "ftp1n3p08.png"}) {
    TDecodedPicture other = DecodeSuite(name);
    EXPECT_EQ(other.Bitmap, palette.Bitmap) << name;
    EXPECT_EQ(other.TransparentColor, palette.TransparentColor) << name;
  }
  ASSERT_TRUE(palette.TransparentColor);
  EXPECT_EQ(DecodeSuite("ftbgn2c16.png").Bitmap, DecodeSuite("ftbbn2c16.png").Bitmap);
  // 16-bit samples keep their high byte: the 8-bit version of the same picture.
  EXPECT_EQ(DecodeSuite("ftbrn2c08.png").Bitmap, DecodeSuite("ftbbn2c16.png").Bitmap);
}

TEST(PngDecoder, PngSuiteCropsMatchTheirOriginals) {
  // The odd-sized files are the top-left corners of the 32x32 ones; the 31x31 one is interlaced.
  const std::pair<const char*, const char*> crops[] = {{"basn3p04-31i.png", "basn3p04.png"},
                                                        {"basn0g01-30.png", "basn0g01.png"},
                                                        {"basn0g02-29.png", "basn0g02.png"},
                                                        {"basn0g04-31.png", "basn0g04.png"}};
  for (auto [cropName, wholeName] : crops) {
    TBitmap32 crop = DecodeSuite(cropName).Bitmap;
    TBitmap32 whole = DecodeSuite(wholeName).Bitmap;
    TBitmap32 corner(crop.Width(), crop.Height());
    corner.CopyRect(0, 0, whole, crop.BoundsRect());
    EXPECT_EQ(crop, corner) << cropName;
  }
}

TEST(PngDecoder, PngSuiteTransparencyKinds) {
  // Colour-keyed files: the keyed pixels and only they are transparent.
  for (const char* name : {"ftbbn0g04.png", "ftbbn2c16.png", "ftbrn2c08.png", "ftbwn0g16.png", "ftbbn3p08.png"}) {
    TDecodedPicture p = DecodeSuite(name);
    ASSERT_TRUE(p.TransparentColor) << name;
    int clear = 0;
    for (int y = 0; y < p.Bitmap.Height(); ++y)
      for (int x = 0; x < p.Bitmap.Width(); ++x) {
        TColor32 c = p.Bitmap.Pixel(x, y);
        ASSERT_TRUE(AlphaOf(c) == 0 || AlphaOf(c) == 0xFF) << name;
        if (AlphaOf(c) == 0) {
          EXPECT_EQ(Color32ToWinColor(c), *p.TransparentColor) << name;
        }
        clear += AlphaOf(c) == 0;
      }
    EXPECT_GT(clear, 0) << name;
  }
  // Real alpha: many levels, no key.
  for (const char* name : {"basn6a08.png", "basn4a16.png", "basn3p08-trns.png"}) {
    TDecodedPicture p = DecodeSuite(name);
    EXPECT_FALSE(p.TransparentColor) << name;
    std::set<uint8_t> alphas;
    for (int y = 0; y < p.Bitmap.Height(); ++y)
      for (int x = 0; x < p.Bitmap.Width(); ++x) alphas.insert(AlphaOf(p.Bitmap.Pixel(x, y)));
    EXPECT_GT(alphas.size(), 8u) << name;
  }
}

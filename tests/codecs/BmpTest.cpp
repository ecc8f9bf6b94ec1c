// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Bmp.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <vector>

using namespace gs;

namespace {

void Add(TBytes& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// Assembles BMP files field by field, independent of the encoder under test.
struct TBmpFile {
  uint32_t InfoSize = 40;
  int32_t Width = 1, Height = 1;
  uint16_t Bpp = 24;
  uint32_t Compression = 0, ColorsUsed = 0;
  std::vector<uint32_t> Masks;    // inside V2+ headers, after a 40-byte one
  std::vector<TColor32> Palette;  // B, G, R, 0 (no 0 in a 12-byte header)
  TBytes Pixels;
  std::optional<uint32_t> PixelOffset;

  TBytes Build() const {
    TBytes info;
    Add(info, InfoSize, 4);
    const int sizeBytes = InfoSize == 12 ? 2 : 4;
    Add(info, uint32_t(Width), sizeBytes);
    Add(info, uint32_t(Height), sizeBytes);
    Add(info, 1, 2);
    Add(info, Bpp, 2);
    if (InfoSize != 12) {
      for (uint32_t v : {Compression, uint32_t(Pixels.size()), 2835u, 2835u, ColorsUsed, 0u})
        Add(info, v, 4);
      if (InfoSize > 40)
        for (uint32_t m : Masks) Add(info, m, 4);
      info.resize(InfoSize, 0);
      if (InfoSize == 40)
        for (uint32_t m : Masks) Add(info, m, 4);
    }
    for (TColor32 c : Palette) Add(info, c & 0xFFFFFF, InfoSize == 12 ? 3 : 4);
    TBytes file{'B', 'M'};
    Add(file, uint32_t(14 + info.size() + Pixels.size()), 4);
    Add(file, 0, 4);
    Add(file, PixelOffset.value_or(uint32_t(14 + info.size())), 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), Pixels.begin(), Pixels.end());
    return file;
  }
};

TBitmap32 Decode(const TBytes& file) {
  TDecodedPicture p = DecodeBmp(file);
  EXPECT_FALSE(p.TransparentColor.has_value());
  return std::move(p.Bitmap);
}

TBytes Words(const std::vector<uint32_t>& values, int bytes) {
  TBytes out;
  for (uint32_t v : values) Add(out, v, bytes);
  return out;
}

std::vector<TColor32> TestPalette(int count) {
  std::vector<TColor32> palette;
  for (int i = 0; i < count; ++i)
    palette.push_back(Color32(uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13)));
  return palette;
}

TEST(BmpDecoder, EveryDepthOddWidthsBothRowOrders) {
  for (int bpp : {1, 4, 8, 24}) {
    for (int width : {3, 5, 7}) {
      SCOPED_TRACE(std::to_string(bpp) + " bpp, width " + std::to_string(width));
      const std::vector<TColor32> palette = TestPalette(bpp <= 8 ? 1 << bpp : 0);
      auto index = [&](int x, int y) { return (x * 3 + y * 5) % (1 << std::min(bpp, 8)); };
      auto colour = [&](int x, int y) {
        return bpp <= 8 ? palette[size_t(index(x, y))] : Color32(uint8_t(x * 30), uint8_t(y * 70), 9);
      };
      std::vector<TBytes> rows;  // top row first
      for (int y = 0; y < 3; ++y) {
        TBytes row((size_t(width) * size_t(bpp) + 31) / 32 * 4, 0);  // padded to 4 bytes
        for (int x = 0; x < width; ++x) {
          if (bpp == 24) {
            for (int c = 0; c < 3; ++c) row[size_t(x) * 3 + size_t(c)] = uint8_t(colour(x, y) >> (8 * c));
          } else {
            const int bit = x * bpp;
            row[size_t(bit / 8)] |= uint8_t(index(x, y) << (8 - bpp - bit % 8));
          }
        }
        rows.push_back(row);
      }
      TBmpFile f;
      f.Width = width;
      f.Height = -3;
      f.Bpp = uint16_t(bpp);
      f.Palette = palette;
      for (const TBytes& row : rows) f.Pixels.insert(f.Pixels.end(), row.begin(), row.end());
      const TBitmap32 topDown = Decode(f.Build());
      ASSERT_EQ(topDown.Width(), width);
      ASSERT_EQ(topDown.Height(), 3);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x) EXPECT_EQ(topDown.Pixel(x, y), colour(x, y));

      f.Height = 3;
      f.Pixels.clear();
      for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        f.Pixels.insert(f.Pixels.end(), row->begin(), row->end());
      EXPECT_EQ(Decode(f.Build()), topDown);
    }
  }
}

TEST(BmpDecoder, ShortPalettesAndCoreHeader) {
  // Two colours declared for 8-bit pixels: higher indices show opaque black.
  TBmpFile f;
  f.Width = 3;
  f.Bpp = 8;
  f.ColorsUsed = 2;
  f.Palette = {Color32(10, 20, 30), Color32(40, 50, 60)};
  f.Pixels = {1, 0, 200, 0};
  const TBitmap32 b = Decode(f.Build());
  EXPECT_EQ(b.Pixel(0, 0), Color32(40, 50, 60));
  EXPECT_EQ(b.Pixel(1, 0), Color32(10, 20, 30));
  EXPECT_EQ(b.Pixel(2, 0), Color32(0, 0, 0));
  // A huge colour count is limited by the room before the pixels.
  f.ColorsUsed = 0xFFFFFFFF;
  EXPECT_EQ(Decode(f.Build()), b);

  // OS/2 1.x: 16-bit sizes and 3-byte palette entries.
  TBmpFile core;
  core.InfoSize = 12;
  core.Width = core.Height = 2;
  core.Bpp = 4;
  core.Palette = TestPalette(16);
  core.Pixels = {0x12, 0, 0, 0, 0xF3, 0, 0, 0};  // bottom row first
  const TBitmap32 c = Decode(core.Build());
  EXPECT_EQ(c.Pixel(0, 0), core.Palette[15]);
  EXPECT_EQ(c.Pixel(1, 0), core.Palette[3]);
  EXPECT_EQ(c.Pixel(0, 1), core.Palette[1]);
  EXPECT_EQ(c.Pixel(1, 1), core.Palette[2]);
}

TEST(BmpDecoder, BitFieldsScaleToFullRange) {
  const struct {
    uint32_t InfoSize, Compression;
    uint16_t Bpp;
    std::vector<uint32_t> Masks, Pixels;
    std::vector<TColor32> Expected;
  } cases[] = {
      // Default 5-5-5: a 5-bit 16 is 16 * 255 / 31 = 131.6, rounded to 132.
      {40, 0, 16, {}, {0x7FFF, 0x7C00, 16 << 5}, {Color32(255, 255, 255), Color32(255, 0, 0), Color32(0, 132, 0)}},
      // 5-6-5 after a 40-byte header: a 6-bit 32 is 32 * 255 / 63 = 129.5, rounded to 130.
      {40, 3, 16, {0xF800, 0x07E0, 0x001F}, {0xF800, 32 << 5, 0x001F}, {Color32(255, 0, 0), Color32(0, 130, 0), Color32(0, 0, 255)}},
      // 1-5-5-5 with the alpha bit in a V4 header.
      {108, 3, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, {0xFC00, 0x03E0, 0x801F}, {Color32(255, 0, 0, 255), Color32(0, 255, 0, 0), Color32(0, 0, 255, 255)}},
      // R, G, B, A from the high byte down in a V5 header.
      {124, 3, 32, {0xFF000000, 0xFF0000, 0xFF00, 0xFF}, {0x11223344, 0xAABBCC00, 0}, {Color32(0x11, 0x22, 0x33, 0x44), Color32(0xAA, 0xBB, 0xCC, 0), 0}},
      // 10-bit fields keep their top 8 bits.
      {56, 3, 32, {0x3FF00000, 0xFFC00, 0x3FF, 0}, {(0x3FFu << 20) | (0x200u << 10) | 5, 0, 0}, {Color32(255, 128, 1), Color32(0, 0, 0), Color32(0, 0, 0)}},
      // Without an alpha mask, 32-bit bit fields are opaque whatever the 4th byte holds.
      {40, 3, 32, {0xFF0000, 0xFF00, 0xFF}, {0x80102030, 0, 0}, {0xFF102030, 0xFF000000, 0xFF000000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.InfoSize) + "-byte header, " + std::to_string(c.Bpp) + " bpp");
    TBmpFile f;
    f.InfoSize = c.InfoSize;
    f.Width = 3;
    f.Bpp = c.Bpp;
    f.Compression = c.Compression;
    f.Masks = c.Masks;
    f.Pixels = Words(c.Pixels, c.Bpp / 8);
    f.Pixels.resize((f.Pixels.size() + 3) / 4 * 4, 0);
    const TBitmap32 b = Decode(f.Build());
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Pixel(x, 0), c.Expected[size_t(x)]) << "x = " << x;
  }
  TBmpFile broken;
  broken.Bpp = 32;
  broken.Compression = 3;
  broken.Masks = {0x00FF00FF, 0xFF00, 0};
  broken.Pixels = TBytes(4, 0);
  EXPECT_THROW(DecodeBmp(broken.Build()), EInvalidGraphic) << "non-contiguous mask";
}

TEST(BmpDecoder, ThirtyTwoBitAlphaCountsOnlyWhenSomePixelHasIt) {
  TBmpFile f;
  f.Width = 2;
  f.Bpp = 32;
  f.Pixels = Words({0x00102030, 0x00405060}, 4);
  TBitmap32 b = Decode(f.Build());
  EXPECT_EQ(b.Pixel(0, 0), 0xFF102030u);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF405060u);

  f.Pixels = Words({0x00102030, 0x80405060}, 4);
  b = Decode(f.Build());
  EXPECT_EQ(b.Pixel(0, 0), 0x00102030u);
  EXPECT_EQ(b.Pixel(1, 0), 0x80405060u);
}

// Runs of palette indices; pixels the stream never reaches stay transparent black.
TBitmap32 DecodeRle(int width, int height, uint32_t compression, TBytes stream) {
  TBmpFile f;
  f.Width = width;
  f.Height = height;
  f.Bpp = compression == 1 ? 8 : 4;
  f.Compression = compression;
  f.Palette = TestPalette(16);
  f.Pixels = std::move(stream);
  return Decode(f.Build());
}

TBitmap32 Expected(int width, int height, const std::vector<std::vector<int>>& rows) {
  TBitmap32 b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < int(rows[size_t(y)].size()); ++x)
      if (rows[size_t(y)][size_t(x)] >= 0) b.SetPixel(x, y, TestPalette(16)[size_t(rows[size_t(y)][size_t(x)])]);
  return b;
}

TEST(BmpDecoder, RleEveryEscape) {
  const TBitmap32 rle8 = DecodeRle(6, 3, 1, {
      2, 1,                    // bottom line: run of two 1s
      0, 3, 2, 3, 4, 0,        // absolute 2 3 4, padded to a whole word
      0, 0,                    // end of line
      0, 2, 1, 1,              // delta: one right, one up
      3, 5,                    // run of three 5s
      0, 4, 6, 7, 8, 9,        // absolute 6 7 8 9 from x = 4: 8 and 9 fall off the edge
      0, 1});                  // end of bitmap
  EXPECT_EQ(rle8, Expected(6, 3, {{-1, 5, 5, 5, 6, 7}, {}, {1, 1, 2, 3, 4}}));

  const TBitmap32 rle4 = DecodeRle(7, 2, 2, {
      5, 0x12,                     // bottom line: 1 2 1 2 1
      0, 0,                        // end of line
      0, 3, 0x34, 0x50,            // absolute 3 4 5 in two bytes: no padding
      0, 2, 1, 0,                  // delta one right
      0, 5, 0x67, 0x89, 0xA0, 0,   // absolute 6 7 8 9 10 in three bytes, padded; 9 and 10 fall off
      0, 1});
  EXPECT_EQ(rle4, Expected(7, 2, {{3, 4, 5, -1, 6, 7, 8}, {1, 2, 1, 2, 1}}));
}

TEST(BmpEncoder, RoundTripKeepsEveryPixelAndAlpha) {
  TBitmap32 picture(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      picture.SetPixel(x, y, Color32(uint8_t(x * 50), uint8_t(y * 100), uint8_t(x ^ y), uint8_t(255 - x * 60)));
  picture.SetPixel(0, 0, 0x00000000);
  picture.SetPixel(4, 2, 0x00FFFFFF);
  const TBytes file = EncodeBmp32(picture);
  EXPECT_EQ(Decode(file), picture);
  // Other programs read the rows bottom-up with B, G, R, A bytes.
  ASSERT_GE(file.size(), 58u);
  EXPECT_EQ(file[28], 32);
  EXPECT_EQ(TBytes(file.begin() + 54, file.begin() + 58), Words({picture.Pixel(0, 2)}, 4));
  EXPECT_THROW(EncodeBmp32(TBitmap32()), Exception);
}

TEST(BmpCorrupt, CutAtEveryByteFailsOrLosesOnlyPadding) {
  TBmpFile indexed;
  indexed.Width = 5;
  indexed.Height = 2;
  indexed.Bpp = 8;
  indexed.Palette = TestPalette(4);
  indexed.Pixels = {0, 1, 2, 3, 0, 0, 0, 0, 3, 2, 1, 0, 1, 0, 0, 0};
  TBmpFile fields;
  fields.InfoSize = 124;
  fields.Width = 2;
  fields.Height = -2;
  fields.Bpp = 32;
  fields.Compression = 3;
  fields.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  fields.Pixels = Words({0x80112233, 0xFF445566, 0x00778899, 0x10AABBCC}, 4);
  TBmpFile rle = indexed;
  rle.Compression = 1;
  rle.Pixels = {5, 1, 0, 0, 0, 4, 1, 2, 3, 0, 0, 1};

  for (const TBmpFile* f : {&indexed, &fields, &rle}) {
    const TBytes file = f->Build();
    const TBitmap32 whole = Decode(file);
    for (size_t cut = 0; cut < file.size(); ++cut) {
      SCOPED_TRACE("cut at " + std::to_string(cut) + " of " + std::to_string(file.size()));
      try {
        EXPECT_EQ(DecodeBmp(TBytes(file.begin(), file.begin() + std::ptrdiff_t(cut))).Bitmap, whole);
        EXPECT_GE(cut, file.size() - 3);  // only the last row's padding may be missing
      } catch (const EInvalidGraphic&) {
      }
    }
  }
}

TEST(BmpCorrupt, HostileHeaders) {
  TBmpFile good;
  good.Width = good.Height = 2;
  good.Pixels = TBytes(16, 7);
  ASSERT_NO_THROW(DecodeBmp(good.Build()));

  const struct {
    const char* Why;
    std::function<void(TBmpFile&)> Break;
    bool TooLarge;
  } cases[] = {
      {"offset beyond the file", [](TBmpFile& f) { f.PixelOffset = 5000; }, false},
      {"offset inside the headers", [](TBmpFile& f) { f.PixelOffset = 20; }, false},
      {"zero width", [](TBmpFile& f) { f.Width = 0; }, false},
      {"negative width", [](TBmpFile& f) { f.Width = -3; }, false},
      {"zero height", [](TBmpFile& f) { f.Height = 0; }, false},
      {"INT_MIN height", [](TBmpFile& f) { f.Height = INT_MIN; }, true},
      {"huge width", [](TBmpFile& f) { f.Width = INT_MAX; }, true},
      {"allowed size the data cannot hold", [](TBmpFile& f) { f.Width = 10000, f.Height = 5000; }, false},
      {"2 bits per pixel", [](TBmpFile& f) { f.Bpp = 2; }, false},
      {"0 bits per pixel", [](TBmpFile& f) { f.Bpp = 0; }, false},
      {"RLE8 at 24 bits per pixel", [](TBmpFile& f) { f.Compression = 1; }, false},
      {"unknown header size", [](TBmpFile& f) { f.InfoSize = 20; }, false},
      {"no palette", [](TBmpFile& f) { f.Bpp = 8; }, false},
      {"top-down RLE", [](TBmpFile& f) { f.Bpp = 8, f.Compression = 1, f.Height = -2, f.Palette = {0}; }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Why);
    TBmpFile f = good;
    c.Break(f);
    if (c.TooLarge)
      EXPECT_THROW(DecodeBmp(f.Build()), EOutOfResources);
    else
      EXPECT_THROW(DecodeBmp(f.Build()), EInvalidGraphic);
  }

  TBmpFile f = good;
  f.Compression = 7;
  try {
    DecodeBmp(f.Build());
    ADD_FAILURE() << "compression 7 accepted";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "BMP: unsupported compression 7");
  }
  TBytes notBmp = good.Build();
  notBmp[1] = 'A';
  EXPECT_THROW(DecodeBmp(notBmp), EInvalidGraphic);
  EXPECT_THROW(DecodeBmp(TBytes{}), EInvalidGraphic);
}

TEST(BmpCorrupt, RleLeavingThePicture) {
  const struct {
    const char* Why;
    TBytes Stream;
  } cases[] = {
      {"a third line in a 2-line picture", {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 1}},
      {"delta below the last line", {0, 2, 0, 3, 1, 1, 0, 1}},
      {"delta past the right edge", {0, 2, 5, 0, 0, 1}},
      {"absolute run past the data", {0, 200, 1, 2}},
      {"no end of bitmap before the last line", {4, 1, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Why);
    EXPECT_THROW(DecodeRle(4, 2, 1, c.Stream), EInvalidGraphic);
  }
  TBytes lineEnds(20000, 0);  // ten thousand line ends, then a run
  lineEnds.insert(lineEnds.end(), {4, 1});
  EXPECT_THROW(DecodeRle(4, 2, 1, lineEnds), EInvalidGraphic);
}

}  // namespace

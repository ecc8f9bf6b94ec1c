// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Png.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <random>

using namespace gs;

namespace {

using TCodes = std::vector<std::pair<uint32_t, int>>;  // (code, width)

TBytes ReadTestImage(const std::string& name) {
  return ReadFileBytes(std::string(GS_TESTDATA_DIR) + "/images/" + name);
}

// Packs codes least significant bit first.
TBytes PackCodes(const TCodes& codes) {
  TBytes bytes;
  uint64_t pending = 0;
  int bits = 0;
  for (auto [code, width] : codes) {
    pending |= uint64_t(code) << bits;
    for (bits += width; bits >= 8; bits -= 8, pending >>= 8) bytes.push_back(uint8_t(pending));
  }
  if (bits > 0) bytes.push_back(uint8_t(pending));
  return bytes;
}

// 3-bit codes, every index a literal, with a clear code before the reader would widen them.
TBytes LiteralCodes(const std::vector<uint8_t>& indices) {
  TCodes codes;
  for (size_t i = 0; i < indices.size(); ++i) {
    if (i % 2 == 0) codes.push_back({4, 3});
    codes.push_back({indices[i], 3});
  }
  codes.push_back({5, 3});
  return PackCodes(codes);
}

// Writes GIF files block by block, independently of the encoder under test. Colour tables
// must have 2, 4, ... 256 entries; an empty one means none.
struct TGifBuilder {
  TBytes Bytes;

  void Put(std::initializer_list<int> values) {
    for (int v : values) Bytes.push_back(uint8_t(v));
  }
  void TableFlags(const std::vector<TColor32>& colors) {
    int bits = 0;
    while ((size_t(2) << bits) < colors.size()) ++bits;
    Put({colors.empty() ? 0 : 0x80 | bits});
  }
  void Colors(const std::vector<TColor32>& colors) {
    for (TColor32 c : colors) Put({RedOf(c), GreenOf(c), BlueOf(c)});
  }
  TGifBuilder& Header(int w, int h, const std::vector<TColor32>& global, int background = 0,
                      const char* signature = "GIF89a") {
    Bytes.insert(Bytes.end(), signature, signature + 6);
    Put({w, w >> 8, h, h >> 8});
    TableFlags(global);
    Put({background, 0});
    Colors(global);
    return *this;
  }
  TGifBuilder& Transparent(int index, bool flag = true) {
    Put({0x21, 0xF9, 4, flag ? 1 : 0, 0, 0, index, 0});
    return *this;
  }
  TGifBuilder& Comment() {  // several sub-blocks
    Put({0x21, 0xFE, 2, 'h', 'i', 1, '!', 0});
    return *this;
  }
  TGifBuilder& Codes(int left, int top, int w, int h, const TBytes& codes, int minCodeSize,
                     const std::vector<TColor32>& local = {}) {
    Put({0x2C, left, left >> 8, top, top >> 8, w, w >> 8, h, h >> 8});
    TableFlags(local);
    Colors(local);
    Put({minCodeSize});
    for (size_t i = 0; i < codes.size(); i += 255) {
      const size_t n = std::min<size_t>(255, codes.size() - i);
      Put({int(n)});
      Bytes.insert(Bytes.end(), codes.begin() + ptrdiff_t(i), codes.begin() + ptrdiff_t(i + n));
    }
    Put({0});
    return *this;
  }
  TGifBuilder& Image(int left, int top, int w, int h, const std::vector<uint8_t>& indices,
                     const std::vector<TColor32>& local = {}) {
    return Codes(left, top, w, h, LiteralCodes(indices), 2, local);
  }
};

const TColor32 kRed = Color32(255, 0, 0), kGreen = Color32(0, 255, 0),
               kBlue = Color32(0, 0, 255), kGrey = Color32(0x11, 0x22, 0x33);
const std::vector<TColor32> kGlobal = {kRed, kGreen, kBlue, kGrey};

// The message of the EInvalidGraphic decoding throws, "EOutOfResources", or "decoded".
std::string Outcome(const TBytes& bytes) {
  try {
    DecodeGif(bytes);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  } catch (const EOutOfResources&) {
    return "EOutOfResources";
  }
  return "decoded";
}

double MeanChannelError(const TBitmap32& a, const TBitmap32& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int shift : {0, 8, 16})
        sum += std::abs(int((a.Pixel(x, y) >> shift) & 0xFF) - int((b.Pixel(x, y) >> shift) & 0xFF));
  return sum / (3.0 * a.Width() * a.Height());
}

}  // namespace

TEST(GifDecoder, PublicTestFiles) {
  const TBitmap32 plain = DecodeGif(ReadTestImage("video-001.gif")).Bitmap;
  ASSERT_EQ(plain.Width(), 150);
  ASSERT_EQ(plain.Height(), 103);
  EXPECT_TRUE(DecodeGif(ReadTestImage("video-001.interlaced.gif")).Bitmap == plain);

  // The PNG of the same frame; the GIF holds its 256-colour reduction.
  const TBitmap32 png = DecodePng(ReadTestImage("video-001.png")).Bitmap;
  ASSERT_TRUE(png.Width() == 150 && png.Height() == 103);
  EXPECT_LT(MeanChannelError(plain, png), 5.0);
  // 32 colours: 6-bit codes, close to the full palette.
  const TBitmap32 fewer = DecodeGif(ReadTestImage("video-001.5bpp.gif")).Bitmap;
  ASSERT_TRUE(fewer.Width() == 150 && fewer.Height() == 103);
  EXPECT_LT(MeanChannelError(plain, fewer), 8.0);

  const TBitmap32 gray = DecodeGif(ReadTestImage("video-005.gray.gif")).Bitmap;
  const TBitmap32 grayPng = DecodePng(ReadTestImage("video-005.gray.png")).Bitmap;
  ASSERT_TRUE(gray.Width() == grayPng.Width() && gray.Height() == grayPng.Height());
  EXPECT_LT(MeanChannelError(gray, grayPng), 1.0);

  const TDecodedPicture triangle = DecodeGif(ReadTestImage("triangle-001.gif"));
  ASSERT_TRUE(triangle.Bitmap.Width() == 256 && triangle.Bitmap.Height() == 128);
  ASSERT_TRUE(triangle.TransparentColor);  // the area around the triangle
  EXPECT_EQ(triangle.Bitmap.Pixel(0, 0), WinColorToColor32(*triangle.TransparentColor, 0));
  EXPECT_EQ(AlphaOf(triangle.Bitmap.Pixel(128, 100)), 0xFF);
}

TEST(GifDecoder, ColourTablesTransparencyAndFirstImage) {
  // A local table replaces the global one.
  TGifBuilder local;
  local.Header(2, 1, kGlobal).Image(0, 0, 2, 1, {0, 1}, {kBlue, kRed});
  TDecodedPicture decoded = DecodeGif(local.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), kBlue);
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 0), kRed);

  // The transparent index keeps its colour with alpha 0 and is reported as a Windows colour
  // value (blue in the high byte). Extensions are skipped; only the first image counts.
  TGifBuilder transparent;
  transparent.Header(3, 1, kGlobal).Comment().Transparent(3).Image(0, 0, 3, 1, {3, 0, 3});
  transparent.Transparent(0, false).Image(0, 0, 3, 1, {1, 1, 1});
  decoded = DecodeGif(transparent.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), RgbOf(kGrey));
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 0), kRed);
  EXPECT_EQ(decoded.Bitmap.Pixel(2, 0), RgbOf(kGrey));
  EXPECT_EQ(decoded.TransparentColor, std::optional<TColor>(0x332211));

  // No colour table at all: a grey ramp over the code's four values.
  TGifBuilder noTable;
  noTable.Header(4, 1, {}).Image(0, 0, 4, 1, {0, 1, 2, 3});
  decoded = DecodeGif(noTable.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 0), Color32(85, 85, 85));
  EXPECT_EQ(decoded.Bitmap.Pixel(3, 0), Color32(255, 255, 255));
}

TEST(GifDecoder, ScreenLayout) {
  // Around an offset image: the global background colour, opaque.
  TGifBuilder offset;
  offset.Header(4, 3, kGlobal, 2).Image(1, 1, 2, 1, {0, 1});
  TBitmap32 expected(4, 3, kBlue);
  expected.SetPixel(1, 1, kRed);
  expected.SetPixel(2, 1, kGreen);
  EXPECT_TRUE(DecodeGif(offset.Bytes).Bitmap == expected);

  // With transparency: the transparent colour, alpha 0.
  TGifBuilder transparent;
  transparent.Header(3, 1, kGlobal, 2).Transparent(1).Image(0, 0, 1, 1, {0});
  EXPECT_EQ(DecodeGif(transparent.Bytes).Bitmap.Pixel(2, 0), RgbOf(kGreen));

  // A zero screen grows to the image; an image reaching past the screen is cut off.
  TGifBuilder zeroScreen;
  zeroScreen.Header(0, 0, kGlobal, 0, "GIF87a").Image(0, 0, 2, 2, {0, 1, 2, 3});
  TBitmap32 decoded = DecodeGif(zeroScreen.Bytes).Bitmap;
  ASSERT_TRUE(decoded.Width() == 2 && decoded.Height() == 2);
  EXPECT_EQ(decoded.Pixel(1, 1), kGrey);

  TGifBuilder pastEdge;
  pastEdge.Header(3, 2, kGlobal, 3).Image(2, 1, 2, 2, {0, 1, 2, 1});
  decoded = DecodeGif(pastEdge.Bytes).Bitmap;
  ASSERT_TRUE(decoded.Width() == 3 && decoded.Height() == 2);
  EXPECT_EQ(decoded.Pixel(2, 1), kRed);
  EXPECT_EQ(decoded.Pixel(1, 1), kGrey);
}

TEST(GifDecoder, FullTableWithoutClearKeepsTwelveBitCodes) {
  // Literals only, widening as a reader must, then 300 more 12-bit codes once the table is
  // full and no clear code comes.
  TCodes codes = {{4, 3}};
  std::vector<uint8_t> sent;
  int width = 3;
  uint32_t nextFree = 6;
  for (int i = 0; i < 4400; ++i) {
    sent.push_back(uint8_t((i * 7 + i / 5) & 3));
    codes.push_back({sent.back(), width});
    if (i > 0 && nextFree < 4096 && ++nextFree == (1u << width) && width < 12) ++width;
  }
  codes.push_back({5, width});
  TGifBuilder gif;
  gif.Header(4400, 1, kGlobal).Codes(0, 0, 4400, 1, PackCodes(codes), 2);
  const TBitmap32 decoded = DecodeGif(gif.Bytes).Bitmap;
  for (int x = 0; x < 4400; ++x) ASSERT_EQ(decoded.Pixel(x, 0), kGlobal[sent[size_t(x)]]) << x;
}

TEST(GifDecoder, MinimumCodeSizeOne) {
  // Clear code 2, end code 3, a literal is 0 or 1. The first code after a clear is 2 bits wide;
  // the next free code, 4, is then already beyond 2 bits, so the codes widen at once, as
  // giflib reads them.
  const std::vector<TColor32> twoColours = {kRed, kBlue};
  const struct {
    const char* What;
    int Width, Height;
    TCodes Codes;
    std::vector<uint8_t> Indices;
  } cases[] = {
      {"a tracking pixel", 1, 1, {{2, 2}, {1, 2}, {3, 3}}, {1}},
      // 4 and 5 are strings; 8 is the code being defined; after entry 7 the codes are 4 bits.
      {"two colours in strings", 4, 3,
       {{2, 2}, {0, 2}, {1, 3}, {1, 3}, {4, 3}, {5, 3}, {8, 4}, {6, 4}, {3, 4}},
       {0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TGifBuilder gif;
    gif.Header(c.Width, c.Height, twoColours)
        .Codes(0, 0, c.Width, c.Height, PackCodes(c.Codes), 1);
    const TBitmap32 decoded = DecodeGif(gif.Bytes).Bitmap;
    ASSERT_TRUE(decoded.Width() == c.Width && decoded.Height() == c.Height);
    for (int i = 0; i < c.Width * c.Height; ++i)
      EXPECT_EQ(decoded.Pixel(i % c.Width, i / c.Width), twoColours[c.Indices[size_t(i)]]) << i;
  }
}

TEST(GifDecoder, BrokenFilesAreRefusedWithAReason) {
  auto withCodes = [](const TCodes& codes, int pixels) {
    TGifBuilder gif;
    return gif.Header(pixels, 1, kGlobal).Codes(0, 0, pixels, 1, PackCodes(codes), 2).Bytes;
  };
  // A code beyond the next free entry; a string code right after a clear.
  EXPECT_EQ(Outcome(withCodes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}, 4)), "GIF: bad LZW code");
  EXPECT_EQ(Outcome(withCodes({{4, 3}, {6, 3}, {5, 3}}, 4)), "GIF: bad LZW code");
  EXPECT_EQ(Outcome(withCodes({{4, 3}, {1, 3}, {5, 3}}, 4)),
            "GIF: LZW data ends before the image is complete");
  // Clear codes that never end, and no sub-blocks at all.
  EXPECT_EQ(Outcome(withCodes(TCodes(2000, {4, 3}), 4)), "GIF: truncated image data");
  EXPECT_EQ(Outcome(withCodes({}, 4)), "GIF: truncated image data");
  // Codes beyond the last pixel and no end code: the complete image decodes.
  EXPECT_EQ(Outcome(withCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}}, 2)), "decoded");

  TGifBuilder version, noImage, badBlock, badCodeSize, empty, hugeScreen, hugeImage;
  version.Header(1, 1, kGlobal, 0, "GIF88a").Image(0, 0, 1, 1, {0});
  EXPECT_EQ(Outcome(version.Bytes), "GIF: unsupported version 88a");
  EXPECT_EQ(Outcome({'P', 'N', 'G'}), "GIF: not a GIF file");
  noImage.Header(1, 1, kGlobal).Comment().Put({0x3B});
  EXPECT_EQ(Outcome(noImage.Bytes), "GIF: no image in the file");
  badBlock.Header(1, 1, kGlobal).Put({0x99});
  EXPECT_EQ(Outcome(badBlock.Bytes), "GIF: bad block type 0x99");
  for (int size : {0, 9}) {
    badCodeSize.Bytes.clear();
    badCodeSize.Header(1, 1, kGlobal).Codes(0, 0, 1, 1, LiteralCodes({0}), size);
    EXPECT_EQ(Outcome(badCodeSize.Bytes), "GIF: bad LZW minimum code size " + std::to_string(size));
  }
  empty.Header(0, 0, kGlobal).Image(0, 0, 0, 0, {});
  EXPECT_EQ(Outcome(empty.Bytes), "GIF: the picture has no pixels");

  // Absurd sizes are refused before anything that size is allocated.
  hugeScreen.Header(65535, 65535, kGlobal).Image(0, 0, 1, 1, {0});
  EXPECT_EQ(Outcome(hugeScreen.Bytes), "EOutOfResources");
  hugeImage.Header(16, 16, kGlobal).Image(0, 0, 10000, 10000, {0, 1, 2});  // 3 bytes of codes
  EXPECT_EQ(Outcome(hugeImage.Bytes), "GIF: truncated image data");
}

TEST(GifDecoder, TruncatedAndMutatedFiles) {
  const TBytes full = ReadTestImage("video-001.gif");
  const TBitmap32 complete = DecodeGif(full).Bitmap;
  // Every cut either fails cleanly or (when only the closing bytes are missing) still gives
  // the whole picture, never one with made-up pixels.
  for (size_t cut = 0; cut < full.size(); cut += cut < 1000 ? 1 : 37) {
    try {
      EXPECT_TRUE(DecodeGif(TByteSpan(full).first(cut)).Bitmap == complete) << "cut at " << cut;
    } catch (const EInvalidGraphic&) {
    }
  }
  EXPECT_TRUE(DecodeGif(TByteSpan(full).first(full.size() - 2)).Bitmap == complete);

  std::mt19937 random(1234);
  for (int round = 0; round < 400; ++round) {
    TBytes mutated = full;
    for (int i = 0; i < 4; ++i) mutated[random() % mutated.size()] = uint8_t(random());
    EXPECT_NO_THROW(Outcome(mutated));  // anything but our own exceptions escapes
  }
}

#include "codecs/FileIO.h"
#include "codecs/Gif.h"
#include "codecs/Png.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace gs;

namespace {

TBytes ReadTestGif(const std::string& name) {
  return ReadFileBytes(std::string(GS_TESTDATA_DIR) + "/images/" + name);
}

// Packs codes of the given widths least significant bit first.
TBytes PackCodes(const std::vector<std::pair<uint32_t, int>>& codes) {
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

// An LZW stream that sends every index as a literal and clears the table before the reader
// would widen its codes, so the code width never changes.
TBytes LiteralCodes(const std::vector<uint8_t>& indices, int minCodeSize) {
  const uint32_t clear = 1u << minCodeSize;
  const int width = minCodeSize + 1;
  const size_t perClear = clear - 2;
  std::vector<std::pair<uint32_t, int>> codes;
  for (size_t i = 0; i < indices.size(); ++i) {
    if (i % perClear == 0) codes.push_back({clear, width});
    codes.push_back({indices[i], width});
  }
  codes.push_back({clear + 1, width});
  return PackCodes(codes);
}

// Writes GIF files block by block, independently of the encoder under test.
struct TGifBuilder {
  TBytes Bytes;

  void U16(int v) {
    Bytes.push_back(uint8_t(v));
    Bytes.push_back(uint8_t(v >> 8));
  }
  void Table(const std::vector<TColor32>& colors) {
    for (TColor32 c : colors) Bytes.insert(Bytes.end(), {RedOf(c), GreenOf(c), BlueOf(c)});
  }
  // colors.size() must be a power of two (2..256) or 0 for no table.
  static uint8_t TableBits(const std::vector<TColor32>& colors) {
    uint8_t bits = 0;
    while ((size_t(2) << bits) < colors.size()) ++bits;
    return bits;
  }
  TGifBuilder& Header(int w, int h, const std::vector<TColor32>& global, uint8_t background = 0,
                      const char* signature = "GIF89a") {
    Bytes.insert(Bytes.end(), signature, signature + 6);
    U16(w);
    U16(h);
    Bytes.push_back(global.empty() ? 0 : uint8_t(0x80 | TableBits(global)));
    Bytes.push_back(background);
    Bytes.push_back(0);
    Table(global);
    return *this;
  }
  TGifBuilder& Transparent(uint8_t index, bool flag = true) {
    Bytes.insert(Bytes.end(), {0x21, 0xF9, 4, uint8_t(flag ? 1 : 0), 0, 0, index, 0});
    return *this;
  }
  TGifBuilder& Comment(const std::string& text) {  // split over several sub-blocks
    Bytes.insert(Bytes.end(), {0x21, 0xFE});
    for (char c : text) Bytes.insert(Bytes.end(), {1, uint8_t(c)});
    Bytes.push_back(0);
    return *this;
  }
  TGifBuilder& ImageWithCodes(int left, int top, int w, int h, const TBytes& codes,
                              int minCodeSize, const std::vector<TColor32>& local = {},
                              bool interlaced = false) {
    Bytes.push_back(0x2C);
    U16(left);
    U16(top);
    U16(w);
    U16(h);
    uint8_t packed = interlaced ? 0x40 : 0;
    if (!local.empty()) packed |= uint8_t(0x80 | TableBits(local));
    Bytes.push_back(packed);
    Table(local);
    Bytes.push_back(uint8_t(minCodeSize));
    for (size_t i = 0; i < codes.size(); i += 255) {
      const size_t n = std::min<size_t>(255, codes.size() - i);
      Bytes.push_back(uint8_t(n));
      Bytes.insert(Bytes.end(), codes.begin() + ptrdiff_t(i), codes.begin() + ptrdiff_t(i + n));
    }
    Bytes.push_back(0);
    return *this;
  }
  TGifBuilder& Image(int left, int top, int w, int h, const std::vector<uint8_t>& indices,
                     const std::vector<TColor32>& local = {}, bool interlaced = false) {
    return ImageWithCodes(left, top, w, h, LiteralCodes(indices, 2), 2, local, interlaced);
  }
  TGifBuilder& Trailer() {
    Bytes.push_back(0x3B);
    return *this;
  }
};

const TColor32 kRed = Color32(255, 0, 0), kGreen = Color32(0, 255, 0),
               kBlue = Color32(0, 0, 255), kGrey = Color32(0x11, 0x22, 0x33);
const std::vector<TColor32> kGlobal = {kRed, kGreen, kBlue, kGrey};

// True when decoding fails the way hostile input must: an exception of ours.
bool RefusedCleanly(const TBytes& bytes) {
  try {
    DecodeGif(bytes);
  } catch (const EInvalidGraphic&) {
    return true;
  } catch (const EOutOfResources&) {
    return true;
  }
  return false;
}

double MeanChannelError(const TBitmap32& a, const TBitmap32& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const TColor32 p = a.Pixel(x, y), q = b.Pixel(x, y);
      sum += std::abs(RedOf(p) - RedOf(q)) + std::abs(GreenOf(p) - GreenOf(q)) +
             std::abs(BlueOf(p) - BlueOf(q));
    }
  return sum / (3.0 * a.Width() * a.Height());
}

}  // namespace

TEST(GifDecoder, PublicTestFiles) {
  const TDecodedPicture plain = DecodeGif(ReadTestGif("video-001.gif"));
  ASSERT_EQ(plain.Bitmap.Width(), 150);
  ASSERT_EQ(plain.Bitmap.Height(), 103);
  EXPECT_FALSE(plain.TransparentColor);

  // The same frame, interlaced: same pixels.
  EXPECT_TRUE(DecodeGif(ReadTestGif("video-001.interlaced.gif")).Bitmap == plain.Bitmap);

  // The PNG of the same frame holds the same colours.
  const TDecodedPicture png = DecodePng(ReadTestGif("video-001.png"));
  ASSERT_EQ(png.Bitmap.Width(), 150);
  EXPECT_LT(MeanChannelError(plain.Bitmap, png.Bitmap), 5.0);

  // Reduced to 32 colours: 6-bit codes, close to the full palette.
  const TDecodedPicture fewer = DecodeGif(ReadTestGif("video-001.5bpp.gif"));
  ASSERT_EQ(fewer.Bitmap.Width(), 150);
  ASSERT_EQ(fewer.Bitmap.Height(), 103);
  EXPECT_LT(MeanChannelError(plain.Bitmap, fewer.Bitmap), 8.0);

  const TDecodedPicture gray = DecodeGif(ReadTestGif("video-005.gray.gif"));
  const TDecodedPicture grayPng = DecodePng(ReadTestGif("video-005.gray.png"));
  ASSERT_EQ(gray.Bitmap.Width(), grayPng.Bitmap.Width());
  ASSERT_EQ(gray.Bitmap.Height(), grayPng.Bitmap.Height());
  EXPECT_LT(MeanChannelError(gray.Bitmap, grayPng.Bitmap), 1.0);

  const TDecodedPicture triangle = DecodeGif(ReadTestGif("triangle-001.gif"));
  ASSERT_EQ(triangle.Bitmap.Width(), 256);
  ASSERT_EQ(triangle.Bitmap.Height(), 128);
  ASSERT_TRUE(triangle.TransparentColor);  // the area around the triangle
  EXPECT_EQ(triangle.Bitmap.Pixel(0, 0), WinColorToColor32(*triangle.TransparentColor, 0));
  EXPECT_EQ(AlphaOf(triangle.Bitmap.Pixel(128, 100)), 0xFF);
}

TEST(GifDecoder, ColourTablesAndTransparency) {
  // A local table replaces the global one for its image.
  const std::vector<TColor32> local = {kBlue, kRed};
  TGifBuilder withLocal;
  withLocal.Header(2, 1, kGlobal).Image(0, 0, 2, 1, {0, 1}, local).Trailer();
  TDecodedPicture decoded = DecodeGif(withLocal.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), kBlue);
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 0), kRed);

  // The transparent index keeps its table colour with alpha 0 and is reported as a Windows
  // colour value (blue in the high byte).
  TGifBuilder transparent;
  transparent.Header(3, 1, kGlobal).Transparent(3).Image(0, 0, 3, 1, {3, 0, 3}).Trailer();
  decoded = DecodeGif(transparent.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), RgbOf(kGrey));
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 0), kRed);
  EXPECT_EQ(decoded.Bitmap.Pixel(2, 0), RgbOf(kGrey));
  ASSERT_TRUE(decoded.TransparentColor);
  EXPECT_EQ(*decoded.TransparentColor, 0x332211u);

  // A later graphic control without the flag cancels the earlier one.
  TGifBuilder cancelled;
  cancelled.Header(1, 1, kGlobal).Transparent(0).Transparent(0, false).Image(0, 0, 1, 1, {0});
  decoded = DecodeGif(cancelled.Bytes);
  EXPECT_FALSE(decoded.TransparentColor);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), kRed);

  // No colour table at all: a grey ramp over the code's four values.
  TGifBuilder noTable;
  noTable.Header(4, 1, {}).Image(0, 0, 4, 1, {0, 1, 2, 3}).Trailer();
  decoded = DecodeGif(noTable.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), Color32(0, 0, 0));
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 0), Color32(85, 85, 85));
  EXPECT_EQ(decoded.Bitmap.Pixel(3, 0), Color32(255, 255, 255));
}

TEST(GifDecoder, ScreenLayout) {
  // An image inside a bigger screen: the rest is the global background colour, opaque.
  TGifBuilder offset;
  offset.Header(4, 3, kGlobal, 2).Image(1, 1, 2, 1, {0, 1}).Trailer();
  TDecodedPicture decoded = DecodeGif(offset.Bytes);
  ASSERT_EQ(decoded.Bitmap.Width(), 4);
  ASSERT_EQ(decoded.Bitmap.Height(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const TColor32 expected = y == 1 && x == 1 ? kRed : y == 1 && x == 2 ? kGreen : kBlue;
      EXPECT_EQ(decoded.Bitmap.Pixel(x, y), expected) << x << "," << y;
    }

  // With transparency the surroundings are the transparent colour, alpha 0.
  TGifBuilder transparent;
  transparent.Header(3, 1, kGlobal, 2).Transparent(1).Image(0, 0, 1, 1, {0}).Trailer();
  decoded = DecodeGif(transparent.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), kRed);
  EXPECT_EQ(decoded.Bitmap.Pixel(2, 0), RgbOf(kGreen));

  // A zero screen grows to the image; an image reaching past the screen is cut off there.
  TGifBuilder zeroScreen;
  zeroScreen.Header(0, 0, kGlobal).Image(0, 0, 2, 2, {0, 1, 2, 3}).Trailer();
  decoded = DecodeGif(zeroScreen.Bytes);
  ASSERT_EQ(decoded.Bitmap.Width(), 2);
  ASSERT_EQ(decoded.Bitmap.Height(), 2);
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 1), kGrey);

  TGifBuilder pastEdge;
  pastEdge.Header(3, 2, kGlobal, 3).Image(2, 1, 2, 2, {0, 1, 2, 1}).Trailer();
  decoded = DecodeGif(pastEdge.Bytes);
  ASSERT_EQ(decoded.Bitmap.Width(), 3);
  EXPECT_EQ(decoded.Bitmap.Pixel(2, 1), kRed);
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 1), kGrey);

  // 1x1, GIF87a, without a trailer.
  TGifBuilder tiny;
  tiny.Header(1, 1, kGlobal, 0, "GIF87a").Image(0, 0, 1, 1, {2});
  decoded = DecodeGif(tiny.Bytes);
  ASSERT_EQ(decoded.Bitmap.Width(), 1);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), kBlue);
}

TEST(GifDecoder, OnlyTheFirstImageAfterSkippedExtensions) {
  TGifBuilder gif;
  gif.Header(2, 1, kGlobal)
      .Comment("made by hand")
      .Image(0, 0, 2, 1, {1, 2})
      .Transparent(1)
      .Image(0, 0, 2, 1, {3, 3})
      .Trailer();
  const TDecodedPicture decoded = DecodeGif(gif.Bytes);
  EXPECT_EQ(decoded.Bitmap.Pixel(0, 0), kGreen);
  EXPECT_EQ(decoded.Bitmap.Pixel(1, 0), kBlue);
  EXPECT_FALSE(decoded.TransparentColor);
}

TEST(GifDecoder, InterlacedRowOrder) {
  // Rows arrive as 0, 8 | 4 | 2, 6 | 1, 3, 5, 7, 9; each row's index names its picture row.
  const std::vector<uint8_t> sent = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  std::vector<TColor32> table(16);
  for (int i = 0; i < 16; ++i) table[size_t(i)] = Color32(uint8_t(i * 10), 0, 0);
  TGifBuilder gif;
  gif.Header(1, 10, table).ImageWithCodes(0, 0, 1, 10, LiteralCodes(sent, 4), 4, {}, true);
  const TDecodedPicture decoded = DecodeGif(gif.Bytes);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(RedOf(decoded.Bitmap.Pixel(0, y)), y * 10);
}

TEST(GifDecoder, FullTableWithoutClearKeepsTwelveBitCodes) {
  // Literals only, widening as a reader must, then 300 more 12-bit codes once the table is
  // full and no clear code comes.
  const int minCodeSize = 2;
  std::vector<std::pair<uint32_t, int>> codes = {{4, 3}};
  std::vector<uint8_t> expected;
  int width = 3;
  uint32_t nextFree = 6;
  for (int i = 0; i < 4400; ++i) {
    const uint8_t index = uint8_t((i * 7 + i / 5) & 3);
    codes.push_back({index, width});
    expected.push_back(index);
    if (i > 0 && nextFree < 4096 && ++nextFree == (1u << width) && width < 12) ++width;
  }
  ASSERT_EQ(width, 12);
  codes.push_back({5, width});
  TGifBuilder gif;
  gif.Header(4400, 1, kGlobal).ImageWithCodes(0, 0, 4400, 1, PackCodes(codes), minCodeSize);
  const TDecodedPicture decoded = DecodeGif(gif.Bytes);
  for (int x = 0; x < 4400; ++x)
    ASSERT_EQ(decoded.Bitmap.Pixel(x, 0), kGlobal[expected[size_t(x)]]) << x;
}

TEST(GifDecoder, BrokenLzwStreams) {
  auto decodeCodes = [](const std::vector<std::pair<uint32_t, int>>& codes, int pixels) {
    TGifBuilder gif;
    gif.Header(pixels, 1, kGlobal).ImageWithCodes(0, 0, pixels, 1, PackCodes(codes), 2);
    return gif.Bytes;
  };
  auto messageOf = [](const TBytes& bytes) -> std::string {
    try {
      DecodeGif(bytes);
    } catch (const EInvalidGraphic& e) {
      return e.what();
    }
    return "decoded";
  };
  // A code beyond the next free entry; a string code right after a clear.
  EXPECT_EQ(messageOf(decodeCodes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}, 4)), "GIF: bad LZW code");
  EXPECT_EQ(messageOf(decodeCodes({{4, 3}, {6, 3}, {5, 3}}, 4)), "GIF: bad LZW code");
  // The end code before the image is complete.
  EXPECT_TRUE(RefusedCleanly(decodeCodes({{4, 3}, {1, 3}, {5, 3}}, 4)));
  // Nothing but clear codes, then the data runs out.
  std::vector<std::pair<uint32_t, int>> clears(2000, {4, 3});
  EXPECT_EQ(messageOf(decodeCodes(clears, 4)), "GIF: truncated image data");
  // No end code and more codes than pixels: the image is complete, the rest is ignored.
  const TDecodedPicture extra = DecodeGif(decodeCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}}, 2));
  EXPECT_EQ(extra.Bitmap.Pixel(1, 0), kBlue);
  // An image data chain with no sub-blocks at all.
  TGifBuilder empty;
  empty.Header(2, 1, kGlobal).ImageWithCodes(0, 0, 2, 1, {}, 2);
  EXPECT_EQ(messageOf(empty.Bytes), "GIF: truncated image data");
}

TEST(GifDecoder, RefusesBrokenFilesCleanly) {
  auto expectRefused = [](const TBytes& bytes, const char* what) {
    EXPECT_TRUE(RefusedCleanly(bytes)) << what;
  };
  TGifBuilder badSignature;
  badSignature.Header(1, 1, kGlobal, 0, "GIF88a").Image(0, 0, 1, 1, {0});
  expectRefused(badSignature.Bytes, "unknown version");
  expectRefused(TBytes{'P', 'N', 'G'}, "not a GIF");
  TGifBuilder noImage;
  noImage.Header(1, 1, kGlobal).Comment("x").Trailer();
  expectRefused(noImage.Bytes, "no image");
  TGifBuilder badBlock;
  badBlock.Header(1, 1, kGlobal).Bytes.push_back(0x99);
  expectRefused(badBlock.Bytes, "unknown block");
  TGifBuilder badCodeSize;
  badCodeSize.Header(1, 1, kGlobal).ImageWithCodes(0, 0, 1, 1, LiteralCodes({0}, 2), 9);
  expectRefused(badCodeSize.Bytes, "code size 9");
  TGifBuilder zero;
  zero.Header(0, 0, kGlobal).Image(0, 0, 0, 0, {});
  expectRefused(zero.Bytes, "no pixels");

  // Absurd sizes are refused before anything that size is allocated.
  TGifBuilder hugeScreen;
  hugeScreen.Header(65535, 65535, kGlobal).Image(0, 0, 1, 1, {0});
  EXPECT_THROW(DecodeGif(hugeScreen.Bytes), EOutOfResources);
  TGifBuilder hugeImage;
  hugeImage.Header(16, 16, kGlobal).Image(0, 0, 10000, 10000, {0, 1, 2});
  expectRefused(hugeImage.Bytes, "huge image, tiny data");
}

TEST(GifDecoder, TruncatedAndMutatedFiles) {
  const TBytes full = ReadTestGif("video-001.gif");
  const TBitmap32 complete = DecodeGif(full).Bitmap;
  // Every cut either fails cleanly or (when only the closing bytes are missing) still gives
  // the whole picture; never a picture with made-up pixels.
  for (size_t cut = 0; cut < full.size(); cut += cut < 1000 ? 1 : 37) {
    const TBytes part(full.begin(), full.begin() + ptrdiff_t(cut));
    try {
      EXPECT_TRUE(DecodeGif(part).Bitmap == complete) << "cut at " << cut;
    } catch (const EInvalidGraphic&) {
    }
  }
  EXPECT_TRUE(DecodeGif(TBytes(full.begin(), full.end() - 2)).Bitmap == complete);

  std::mt19937 random(1234);
  for (int round = 0; round < 400; ++round) {
    TBytes mutated = full;
    for (int i = 0; i < 4; ++i) mutated[random() % mutated.size()] = uint8_t(random());
    try {
      DecodeGif(mutated);
    } catch (const Exception&) {
    }
  }
}

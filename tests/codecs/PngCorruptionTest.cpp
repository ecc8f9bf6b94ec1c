// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Errors.h"
#include "PngTestFiles.h"

#include <gtest/gtest.h>

using namespace gs;
using namespace gs::pngtest;

namespace {

std::string Suite(const std::string& name) { return std::string(GS_TESTDATA_DIR) + "/pngsuite/" + name; }

// Fails unless decoding throws EInvalidGraphic whose message names PNG and contains `reason`.
void ExpectInvalid(const TBytes& bytes, const std::string& reason, const std::string& context = "") {
  try {
    DecodePng(bytes);
    ADD_FAILURE() << "decoded without error: " << reason << " " << context;
  } catch (const EInvalidGraphic& e) {
    std::string message = e.what();
    EXPECT_EQ(message.rfind("PNG: ", 0), 0u) << message;
    EXPECT_NE(message.find(reason), std::string::npos) << message << " " << context;
  }
}

TSampleImage SmallRgb() { return NoiseImage(5, 4, 3, 8); }

TBytes Scan(const TSampleImage& image) { return Scanlines(image, false, [](int row) { return row % 5; }); }

TBytes WithHeader(uint32_t w, uint32_t h, int depth, int type, int compression = 0, int filter = 0,
                  int interlace = 0) {
  TPngFileBuilder file;
  file.Header(w, h, depth, type, interlace, compression, filter);
  return file.Data(Deflate({0, 0, 0, 0})).End().Bytes();
}

TBytes RgbFile(int w, int h, const TBytes& compressed) {
  return TPngFileBuilder().Header(uint32_t(w), uint32_t(h), 8, 2).Data(compressed).End().Bytes();
}

}  // namespace

TEST(PngCorruption, EveryTruncationFails) {
  std::vector<TBytes> files = {ReadFileBytes(Suite("basn2c08.png")), ReadFileBytes(Suite("basn3p04-31i.png")),
                               MakePng(NoiseImage(9, 9, 4, 16), 6, true)};
  for (const TBytes& file : files) {
    ASSERT_NO_THROW(DecodePng(file));
    for (size_t cut = 0; cut < file.size(); ++cut)
      EXPECT_THROW(DecodePng(TBytes(file.begin(), file.begin() + long(cut))), EInvalidGraphic) << "cut at " << cut;
  }
}

TEST(PngCorruption, EveryFlippedBitFails) {
  for (const char* name : {"basn0g04.png", "ftbrn2c08.png"}) {
    TBytes file = ReadFileBytes(Suite(name));
    for (size_t i = 0; i < file.size(); ++i)
      for (uint8_t bit : {0x01, 0x20, 0x80}) {
        TBytes broken = file;
        broken[i] ^= bit;
        EXPECT_THROW(DecodePng(broken), EInvalidGraphic) << name << " byte " << i << " bit " << int(bit);
      }
  }
  TBytes file = ReadFileBytes(Suite("basn0g08.png"));
  file[file.size() - 20] ^= 1;  // inside IDAT
  ExpectInvalid(file, "bad CRC in chunk IDAT");
}

TEST(PngCorruption, HeaderFieldsAreChecked) {
  ExpectInvalid(WithHeader(0, 5, 8, 0), "zero width");
  ExpectInvalid(WithHeader(5, 0x80000000u, 8, 0), "size out of range");
  ExpectInvalid(WithHeader(1, 1, 8, 1), "colour type 1");
  ExpectInvalid(WithHeader(1, 1, 8, 7), "colour type 7");
  ExpectInvalid(WithHeader(1, 1, 16, 3), "bit depth 16");
  ExpectInvalid(WithHeader(1, 1, 4, 2), "bit depth 4");
  ExpectInvalid(WithHeader(1, 1, 3, 0), "bit depth 3");
  ExpectInvalid(WithHeader(1, 1, 8, 0, 1), "compression method");
  ExpectInvalid(WithHeader(1, 1, 8, 0, 0, 1), "filter method");
  ExpectInvalid(WithHeader(1, 1, 8, 0, 0, 0, 2), "interlace method");
  ExpectInvalid(TPngFileBuilder().Chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0}).End().Bytes(), "13");
  EXPECT_THROW(DecodePng(WithHeader(100000, 100000, 8, 2)), EOutOfResources);
  EXPECT_THROW(DecodePng(WithHeader(30001, 1, 8, 2)), EOutOfResources);
}

TEST(PngCorruption, InflatedSizeMustMatchTheHeaderExactly) {
  TSampleImage image = SmallRgb();
  TBytes raw = Scan(image);
  TBytes shortRaw(raw.begin(), raw.end() - 1);
  ExpectInvalid(RgbFile(5, 4, Deflate(shortRaw)), "truncated image data");
  TBytes longRaw = raw;
  longRaw.push_back(0);
  ExpectInvalid(RgbFile(5, 4, Deflate(longRaw)), "too much image data");

  // A bomb: 64 MB of zeros for a 1x1 picture, refused after four bytes of output.
  TBytes bomb = Deflate(TBytes(64 << 20, 0));
  ASSERT_LT(bomb.size(), 100000u);
  ExpectInvalid(RgbFile(1, 1, bomb), "too much image data");
  // A huge picture from a few bytes is refused before its bitmap is made.
  ExpectInvalid(RgbFile(20000, 5000, Deflate(TBytes(100, 0))), "too little for the picture size");

  ExpectInvalid(RgbFile(5, 4, {1, 2, 3, 4, 5}), "corrupt image data");
}

TEST(PngCorruption, ImageDataMaySpreadOverManyChunks) {
  TSampleImage image = SmallRgb();
  TBytes compressed = Deflate(Scan(image));
  TPngFileBuilder split;
  split.Header(5, 4, 8, 2);
  for (size_t i = 0; i < compressed.size(); i += 3) {
    size_t end = std::min(i + 3, compressed.size());
    split.Data(TBytes(compressed.begin() + long(i), compressed.begin() + long(end)));
  }
  split.Data({});
  TDecodedPicture whole = DecodePng(RgbFile(5, 4, compressed));
  EXPECT_EQ(DecodePng(split.End().Bytes()).Bitmap, whole.Bitmap);
}

TEST(PngCorruption, ChunkStructureIsEnforced) {
  TBytes data = Deflate(Scan(SmallRgb()));
  auto rgb = [] { return TPngFileBuilder().Header(5, 4, 8, 2); };
  TBytes plain = rgb().Data(data).End().Bytes();
  EXPECT_EQ(DecodePng(rgb().Chunk("zzXx", {1, 2}).Data(data).Chunk("tEXt", {65}).End().Bytes()).Bitmap,
            DecodePng(plain).Bitmap);

  ExpectInvalid(rgb().Chunk("ZZXX", {1, 2}).Data(data).End().Bytes(), "unknown critical chunk ZZXX");
  ExpectInvalid(rgb().Data(data).Bytes(), "truncated file");
  ExpectInvalid(rgb().End().Bytes(), "no image data");
  ExpectInvalid(rgb().Data(TBytes(data.begin(), data.begin() + 4)).Chunk("tEXt", {65})
                    .Data(TBytes(data.begin() + 4, data.end())).End().Bytes(), "not consecutive");
  ExpectInvalid(TPngFileBuilder().Data(data).End().Bytes(), "first chunk is IDAT");
  ExpectInvalid(rgb().Header(5, 4, 8, 2).Data(data).End().Bytes(), "second IHDR");
  auto withType = [](int colorType) { return TPngFileBuilder().Header(5, 4, 8, colorType); };
  ExpectInvalid(withType(0).Chunk("PLTE", {1, 2, 3}).Data(data).End().Bytes(), "palette in a grey");
  ExpectInvalid(withType(3).Data(data).End().Bytes(), "without PLTE");
  ExpectInvalid(withType(3).Chunk("PLTE", {1, 2}).Data(data).End().Bytes(), "palette length");
  ExpectInvalid(rgb().Chunk("tRNS", {1, 2}).Data(data).End().Bytes(), "tRNS length");
  ExpectInvalid(TBytes(plain.begin(), plain.begin() + 7), "not a PNG");

  TBytes hugeLength = plain;
  hugeLength[33] = 0x80;  // the length of the chunk after IHDR
  ExpectInvalid(hugeLength, "out of range");

  TBytes badFilter = Scan(SmallRgb());
  badFilter[16] = 5;  // the second row's filter type byte
  ExpectInvalid(rgb().Data(Deflate(badFilter)).End().Bytes(), "unknown filter type 5");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/FileIO.h"
#include "codecs/Jpeg.h"
#include "codecs/JpegErrors.h"
#include "codecs/Png.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace gs;

namespace {

const std::string kImages = std::string(GS_TESTDATA_DIR) + "/images/";

TBytes Load(const std::string& name) { return ReadFileBytes(kImages + name); }

// Mean absolute difference over the red, green and blue samples of equal-sized pictures.
double MeanDiff(const TBitmap32& a, const TBitmap32& b) {
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Empty()) return 1e9;
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const TColor32 p = a.Pixel(x, y), q = b.Pixel(x, y);
      sum += std::abs(RedOf(p) - RedOf(q)) + std::abs(GreenOf(p) - GreenOf(q)) +
             std::abs(BlueOf(p) - BlueOf(q));
    }
  return sum / (3.0 * a.Width() * a.Height());
}

TEST(JpegDecoder, EveryTestPictureDecodesOpaqueAtFullSize) {
  int decoded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kImages)) {
    const std::string name = entry.path().filename().string();
    // Including the progressive file whose encoder sent only its first scans.
    if (entry.path().extension() != ".jpeg") continue;
    SCOPED_TRACE(name);
    const TBitmap32 b = DecodeJpeg(Load(name));
    ASSERT_EQ(b.Width(), 150);
    ASSERT_EQ(b.Height(), 103);
    const bool grey = name.find("gray") != std::string::npos;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const TColor32 c = b.Pixel(x, y);
        ASSERT_EQ(AlphaOf(c), 255);
        if (grey) {
          ASSERT_TRUE(RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c));
        }
      }
    ++decoded;
  }
  EXPECT_GE(decoded, 24);
}

TEST(JpegDecoder, MatchesTheReferenceRenderings) {
  // A wrong colour conversion (inverted CMYK inks, swapped red and blue, greyscale as colour)
  // differs by tens of levels; decoders differ by about one.
  const struct {
    const char* Jpeg;
    const char* Png;
    double MaxDiff;
  } pairs[] = {
      {"video-001.cmyk.jpeg", "video-001.cmyk.png", 1.5},
      // Its red is subsampled 2 x 2, and the two decoders upsample differently.
      {"video-001.rgb.jpeg", "video-001.rgb.png", 6},
      {"video-001.221212.jpeg", "video-001.221212.png", 1.5},
      {"video-005.gray.jpeg", "video-005.gray.png", 1.5},
      {"video-001.jpeg", "video-001.png", 1.5},
      // The same frame at quality 50 is further off, but still the same picture.
      {"video-001.q50.420.jpeg", "video-001.png", 10},
  };
  for (const auto& p : pairs) {
    SCOPED_TRACE(p.Jpeg);
    const TBitmap32 reference = DecodePng(Load(p.Png)).Bitmap;
    EXPECT_LT(MeanDiff(DecodeJpeg(Load(p.Jpeg)), reference), p.MaxDiff);
  }
}

TEST(JpegDecoder, ProgressiveMatchesBaselineOfTheSamePicture) {
  for (const char* stem : {"video-001.q50.410", "video-001.q50.411", "video-001.q50.420",
                           "video-001.q50.422", "video-001.q50.440", "video-001.q50.444",
                           "video-001.separate.dc.progression", "video-005.gray.q50",
                           "video-005.gray.q50.2x2"}) {
    SCOPED_TRACE(stem);
    const TBitmap32 baseline = DecodeJpeg(Load(std::string(stem) + ".jpeg"));
    const TBitmap32 progressive = DecodeJpeg(Load(std::string(stem) + ".progressive.jpeg"));
    EXPECT_LT(MeanDiff(baseline, progressive), 0.5);
  }
}

void ExpectInvalid(const TBytes& bytes, const std::string& why) {
  SCOPED_TRACE(why);
  try {
    DecodeJpeg(bytes);
    ADD_FAILURE() << "decoded";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(std::string(e.what()).rfind("JPEG: ", 0), 0u) << e.what();
  }
}

TEST(JpegDecoder, CutFilesAreRejected) {
  for (const char* name : {"video-001.jpeg", "video-001.progressive.jpeg"}) {
    const TBytes whole = Load(name);
    for (size_t cut = 0; cut < whole.size(); cut += 97)
      ExpectInvalid(TBytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut)),
                    std::string(name) + " cut at " + std::to_string(cut));
    ExpectInvalid(TBytes(whole.begin(), whole.end() - 2), std::string(name) + " without EOI");
  }
}

// The picture size lives in the start-of-frame segment: height, then width, big-endian.
void SetFrameSize(TBytes& jpeg, int width, int height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      jpeg[i + 5] = uint8_t(height >> 8);
      jpeg[i + 6] = uint8_t(height);
      jpeg[i + 7] = uint8_t(width >> 8);
      jpeg[i + 8] = uint8_t(width);
      return;
    }
  FAIL() << "no start-of-frame segment";
}

TEST(JpegDecoder, HostileInputFailsCleanly) {
  ExpectInvalid({}, "empty");
  ExpectInvalid(TBytes(1000, 0x5A), "garbage");
  ExpectInvalid(Load("video-001.gif"), "a GIF");

  TBytes jpeg = Load("video-001.jpeg");
  SetFrameSize(jpeg, 65000, 65000);
  EXPECT_THROW(DecodeJpeg(jpeg), EOutOfResources);
  SetFrameSize(jpeg, 8000, 3000);  // allowed, but the data covers a few rows only
  ExpectInvalid(jpeg, "size beyond the data");

  // Damaged entropy data decodes to something or fails; either way nothing else happens.
  const TBytes whole = Load("video-001.progressive.jpeg");
  for (size_t at = 300; at < whole.size(); at += 211) {
    TBytes damaged = whole;
    damaged[at] ^= 0x5B;
    damaged[at + 1] = 0xFF;
    try {
      EXPECT_EQ(DecodeJpeg(damaged).Width(), 150);
    } catch (const EInvalidGraphic&) {
    }
  }
}

TBitmap32 Gradient(int width, int height) {
  TBitmap32 b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      b.SetPixel(x, y, Color32(uint8_t(x * 255 / width), uint8_t(y * 255 / height),
                               uint8_t(128 + (x - y) / 4)));
  return b;
}

// libjpeg's writer with our own scan script, under a setjmp like the codec's own calls.
struct TScriptedWriter {
  jpeg_compress_struct Info{};
  jpeg::TErrorManager Errors{};
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  ~TScriptedWriter() {
    if (Info.err) jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
};

bool CompressWithScans(TScriptedWriter& w, int width, int height, JSAMPLE* rgb,
                       const std::vector<jpeg_scan_info>& scans) {
  w.Info.err = jpeg::InstallErrorManager(w.Errors);
  if (setjmp(w.Errors.Jump)) return false;
  jpeg_create_compress(&w.Info);
  jpeg_mem_dest(&w.Info, &w.Buffer, &w.Size);
  w.Info.image_width = JDIMENSION(width);
  w.Info.image_height = JDIMENSION(height);
  w.Info.input_components = 3;
  w.Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&w.Info);
  jpeg_simple_progression(&w.Info);  // progressive, then our script replaces libjpeg's
  w.Info.scan_info = scans.data();
  w.Info.num_scans = int(scans.size());
  jpeg_start_compress(&w.Info, TRUE);
  while (w.Info.next_scanline < w.Info.image_height) {
    JSAMPROW row = rgb + size_t(w.Info.next_scanline) * size_t(width) * 3;
    jpeg_write_scanlines(&w.Info, &row, 1);
  }
  jpeg_finish_compress(&w.Info);
  return true;
}

TBytes EncodeProgressive(const TBitmap32& picture, const std::vector<jpeg_scan_info>& scans) {
  std::vector<JSAMPLE> rgb;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const TColor32 c = picture.Pixel(x, y);
      rgb.insert(rgb.end(), {JSAMPLE(RedOf(c)), JSAMPLE(GreenOf(c)), JSAMPLE(BlueOf(c))});
    }
  TScriptedWriter writer;
  if (!CompressWithScans(writer, picture.Width(), picture.Height(), rgb.data(), scans)) {
    ADD_FAILURE() << writer.Errors.Message;
    return {};
  }
  return TBytes(writer.Buffer, writer.Buffer + writer.Size);
}

TEST(JpegDecoder, ProgressiveFilesWithoutEveryScanDecode) {
  // An encoder may stop sending detail whenever it likes; such files end properly, and libjpeg
  // decodes them without a warning. Components: 0 luma, 1 and 2 chroma.
  const jpeg_scan_info dc = {3, {0, 1, 2}, 0, 0, 0, 0};
  const struct {
    const char* What;
    std::vector<jpeg_scan_info> Scans;
    double MaxDiff;
  } cases[] = {
      {"DC, then luma AC only", {dc, {1, {0}, 1, 63, 0, 0}}, 6},
      {"DC only, without its last bit", {{3, {0, 1, 2}, 0, 0, 0, 1}}, 6},
      {"AC up to coefficient 5 for luma",
       {dc, {1, {0}, 1, 5, 0, 0}, {1, {1}, 1, 63, 0, 0}, {1, {2}, 1, 63, 0, 0}}, 3},
      {"AC without its last bit",
       {dc, {1, {0}, 1, 63, 0, 1}, {1, {1}, 1, 63, 0, 1}, {1, {2}, 1, 63, 0, 1}}, 3},
  };
  const TBitmap32 picture = Gradient(96, 64);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    const TBytes file = EncodeProgressive(picture, c.Scans);
    ASSERT_FALSE(file.empty());
    const TBitmap32 decoded = DecodeJpeg(file);
    EXPECT_LT(MeanDiff(decoded, picture), c.MaxDiff);
    // Cut short, the same file is still refused.
    ExpectInvalid(TBytes(file.begin(), file.end() - 2), "without EOI");
  }
}

TEST(JpegEncoder, RoundTripStaysCloseAndQualityTradesSizeForFidelity) {
  const TBitmap32 picture = Gradient(96, 64);
  const TBytes q90 = EncodeJpeg(picture);
  EXPECT_LT(MeanDiff(DecodeJpeg(q90), picture), 1.5);

  const TBytes q50 = EncodeJpeg(picture, 50);
  const TBytes q95 = EncodeJpeg(picture, 95);
  EXPECT_LT(q50.size(), q95.size());
  EXPECT_LT(MeanDiff(DecodeJpeg(q95), picture), MeanDiff(DecodeJpeg(q50), picture));

  // Out-of-range qualities are clamped, not refused.
  EXPECT_EQ(EncodeJpeg(picture, 500), EncodeJpeg(picture, 100));
  EXPECT_EQ(EncodeJpeg(picture, -3), EncodeJpeg(picture, 1));
}

TEST(JpegEncoder, OddSizesAndAlphaIgnored) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 5}, {17, 9}, {1, 40}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    // Fully transparent pixels keep their colour: the file has no alpha.
    const TBitmap32 picture(w, h, Color32(200, 60, 30, 0));
    const TBitmap32 back = DecodeJpeg(EncodeJpeg(picture));
    ASSERT_EQ(back.Width(), w);
    ASSERT_EQ(back.Height(), h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const TColor32 c = back.Pixel(x, y);
        EXPECT_EQ(AlphaOf(c), 255);
        EXPECT_NEAR(RedOf(c), 200, 3);
        EXPECT_NEAR(GreenOf(c), 60, 3);
        EXPECT_NEAR(BlueOf(c), 30, 3);
      }
  }
  EXPECT_THROW(EncodeJpeg(TBitmap32()), Exception);
}

TEST(JpegEncoder, LargeOutputGrowsTheBuffer) {
  TBitmap32 noise(400, 300);
  uint32_t seed = 12345;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const uint8_t v = uint8_t(seed >> 24);  // grey: chroma subsampling cannot blur it
      noise.SetPixel(x, y, Color32(v, v, v));
    }
  const TBytes file = EncodeJpeg(noise, 100);
  ASSERT_GT(file.size(), 128u * 1024);  // more than twice the first buffer
  EXPECT_LT(MeanDiff(DecodeJpeg(file), noise), 6);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// WebP, HEIC and AVIF through libwebp and libheif: against the reference tools' decodes, round
// trips, animations read back with libwebp's demuxer, and files that must be refused.

#include "codecs/FileIO.h"
#include "codecs/Heif.h"
#include "codecs/Png.h"
#include "codecs/Webp.h"
#include "common/Errors.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace gs;

namespace {

const std::string kFormats = std::string(GS_SOURCE_DIR) + "/../tests/data/formats/";

TBytes Load(const std::string& name) { return ReadFileBytes(kFormats + name); }

// The largest difference of any sample, alpha included; colour only where a pixel shows.
int MaxDiff(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 1000;
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const TColor32 p = a.Pixel(x, y), q = b.Pixel(x, y);
      worst = std::max(worst, std::abs(AlphaOf(p) - AlphaOf(q)));
      if (AlphaOf(p) != 0 && AlphaOf(q) != 0)
        for (int shift : {0, 8, 16}) worst = std::max(worst, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
    }
  return worst;
}

double Psnr(const TBitmap32& a, const TBitmap32& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int shift : {0, 8, 16}) {
        const int d = int((a.Pixel(x, y) >> shift) & 0xFF) - int((b.Pixel(x, y) >> shift) & 0xFF);
        sum += d * d;
      }
  return 10 * std::log10(255.0 * 255.0 * 3 * a.Width() * a.Height() / std::max(sum, 1e-9));
}

// Smooth shading and noise: well over 256 colours, as a photo.
TBitmap32 Photo(int width, int height) {
  TBitmap32 b(width, height);
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525 + 1013904223;
      const int noise = int(seed >> 29);
      b.SetPixel(x, y, Color32(uint8_t(x * 255 / width), uint8_t(y * 255 / height), uint8_t(96 + noise * 4)));
    }
  return b;
}

// A drawing shaded in fine grain, as a drawn portrait's background: lossless it takes about
// twice the bytes of lossy at a high quality, a photo many times more.
TBitmap32 ShadedDrawing(int width, int height) {
  TBitmap32 b(width, height);
  uint32_t seed = 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525 + 1013904223;
      const int grain = int(seed >> 30) * 3;
      b.SetPixel(x, y, Color32(uint8_t(240 - y * 60 / height - x * 20 / width + grain),
                               uint8_t(220 - y * 90 / height + grain), uint8_t(180 + y * 40 / height + x * 30 / width)));
    }
  b.FillRect(TRect{width / 4, height / 5, width * 3 / 4, height * 5 / 6}, 0xFF462820);
  b.FillRect(TRect{width / 4 + 2, height / 5 + 2, width * 3 / 4 - 2, height * 5 / 6 - 2}, 0xFFF0BEA0);
  return b;
}

TEST(LibraryCodecs, DecodeAsTheReferenceToolsDo) {
  const struct {
    const char* File;
    TDecodedPicture (*Decode)(TByteSpan);
    const char* Reference;
    int Tolerance;
  } cases[] = {
      {"lossy.webp", DecodeWebp, "lossy.webp.png", 0},      // dwebp
      {"alpha.webp", DecodeWebp, "alpha.png", 0},           // lossless: the picture itself
      {"animated.webp", DecodeWebp, "quadrants.png", 0},    // its first frame
      {"lossy.heic", DecodeHeif, "lossy.heic.png", 1},      // heif-convert
      {"alpha.heic", DecodeHeif, "alpha.heic.png", 1},
      {"lossy.avif", DecodeHeif, "lossy.avif.png", 1},
      {"alpha.avif", DecodeHeif, "alpha.png", 2},           // lossless but for YUV rounding
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    const TBitmap32 ours = c.Decode(Load(c.File)).Bitmap;
    const TBitmap32 reference = DecodePng(Load(c.Reference)).Bitmap;
    EXPECT_LE(MaxDiff(ours, reference), c.Tolerance);
  }
}

TEST(LibraryCodecs, StillWebpIsLossyForPhotosAndExactForDrawingsAndAlpha) {
  TBitmap32 drawing(40, 30, 0xFF204080);
  drawing.FillRect(TRect{5, 5, 20, 25}, 0xFFE0C020);
  TBitmap32 cutOut = Photo(40, 30);
  cutOut.FillRect(TRect{0, 0, 10, 30}, 0x00000000);
  cutOut.FillRect(TRect{10, 0, 20, 30}, 0x80FF0000);
  const struct {
    const char* Name;
    TBitmap32 Picture;
    bool Lossless;
  } cases[] = {
      {"photo", Photo(64, 48), false},
      {"drawing", drawing, true},
      {"cut out", cutOut, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(StillWebpOptions(c.Picture).Lossless, c.Lossless);
    const TBitmap32 back = DecodeWebp(EncodeWebp(c.Picture)).Bitmap;
    if (c.Lossless) EXPECT_EQ(MaxDiff(back, c.Picture), 0);
    else EXPECT_GT(Psnr(back, c.Picture), 32.0);
  }
}

TEST(LibraryCodecs, AnimatedWebpKeepsFramesDelaysAndLooping) {
  for (bool loop : {true, false}) {
    TAnimatedWebpWriter writer(32, 24, loop, TWebpOptions{false, 80});
    const TColor32 colours[] = {0xFFFF0000, 0x8000FF00, 0xFF0000FF};
    const int delays[] = {80, 120, 200};
    for (int i = 0; i < 3; ++i) writer.AddFrame(TBitmap32(32, 24, colours[i]), delays[i]);
    const TBytes bytes = writer.Finish();
    EXPECT_THROW(writer.AddFrame(TBitmap32(32, 24), 10), Exception);

    const WebPData data{bytes.data(), bytes.size()};
    WebPDemuxer* demux = WebPDemux(&data);
    ASSERT_NE(demux, nullptr);
    EXPECT_EQ(WebPDemuxGetI(demux, WEBP_FF_FRAME_COUNT), 3u);
    EXPECT_EQ(WebPDemuxGetI(demux, WEBP_FF_LOOP_COUNT), loop ? 0u : 1u);
    WebPIterator frame;
    ASSERT_TRUE(WebPDemuxGetFrame(demux, 1, &frame));
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(frame.duration, delays[i]);
      if (i < 2) {
        ASSERT_TRUE(WebPDemuxNextFrame(&frame));
      }
    }
    WebPDemuxReleaseIterator(&frame);
    WebPDemuxDelete(demux);
    EXPECT_LE(MaxDiff(DecodeWebp(bytes).Bitmap, TBitmap32(32, 24, colours[0])), 8);
  }
  TAnimatedWebpWriter writer(32, 24, true, {});
  EXPECT_THROW(writer.AddFrame(TBitmap32(24, 32), 10), Exception);
}

// The first frame shows wherever the face does not move: a drawing's is kept exactly even where
// lossless costs more than lossy, a photo's stays lossy.
TEST(LibraryCodecs, AnimatedWebpKeepsADrawnFirstFrameExactly) {
  const struct {
    const char* Name;
    TBitmap32 First;
    bool Exact;
  } cases[] = {
      {"shaded drawing", ShadedDrawing(64, 48), true},
      {"photo", Photo(64, 48), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TAnimatedWebpWriter writer(64, 48, true, TWebpOptions{false, 70});
    writer.AddFrame(c.First, 80);
    TBitmap32 moved = c.First;
    moved.FillRect(TRect{20, 16, 44, 32}, 0xFF3060C0);
    writer.AddFrame(moved, 80);
    const TBitmap32 first = DecodeWebp(writer.Finish()).Bitmap;
    if (c.Exact) {
      EXPECT_EQ(MaxDiff(first, c.First), 0);
    } else {
      EXPECT_GT(MaxDiff(first, c.First), 0);
      EXPECT_GT(Psnr(first, c.First), 32.0);
    }
  }
}

// A WebP header claiming a canvas of 20000 x 20000 (VP8X: 24-bit sizes less one).
TBytes HugeWebp() {
  TBytes b = Load("animated.webp");
  const uint8_t side[3] = {0x1F, 0x4E, 0x00};  // 19999
  std::memcpy(&b[24], side, 3);
  std::memcpy(&b[27], side, 3);
  return b;
}

// The HEIC with its stored size (the ispe property) raised to 40000 x 40000.
TBytes HugeHeic() {
  TBytes b = Load("lossy.heic");
  for (size_t p = 0; p + 16 <= b.size(); ++p)
    if (std::memcmp(&b[p], "ispe", 4) == 0) {
      const uint8_t size[8] = {0, 0, 0x9C, 0x40, 0, 0, 0x9C, 0x40};
      std::memcpy(&b[p + 8], size, 8);
    }
  return b;
}

TBytes Cut(TBytes bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(LibraryCodecs, BrokenTruncatedAndHugeFilesAreRefusedWithTheirReason) {
  const TBytes garbage(300, 0x5A);
  const struct {
    const char* Name;
    TBytes Bytes;
    TDecodedPicture (*Decode)(TByteSpan);
    const char* Says;
  } cases[] = {
      {"webp cut in half", Cut(Load("lossy.webp"), 65), DecodeWebp, "WebP"},
      {"animation cut off", Cut(Load("animated.webp"), 270), DecodeWebp, "WebP"},
      {"webp garbage", garbage, DecodeWebp, "not a WebP"},
      {"webp canvas too large", HugeWebp(), DecodeWebp, "too large"},
      {"heic cut in half", Cut(Load("lossy.heic"), 500), DecodeHeif, "HEIF"},
      {"heif garbage", garbage, DecodeHeif, "HEIF"},
      {"empty heif", TBytes{}, DecodeHeif, "cut off"},
      {"heic too large", HugeHeic(), DecodeHeif, "too large"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      c.Decode(c.Bytes);
      ADD_FAILURE() << "decoded";
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
    }
  }
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Photos as cameras and phones store them: landscape pixels plus an EXIF orientation that says
// how a viewer turns them. The files are made here with our encoders and the EXIF block spliced
// in by hand, in both TIFF byte orders.

#include "codecs/DecodeByExtension.h"
#include "codecs/ExifOrientation.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace gs {
namespace {

// The stored picture: 3 x 2 cells of 16 x 16 pixels (whole JPEG blocks, so the colours survive
// compression), named A B C over D E F.
constexpr int kCell = 16;
const char kCellNames[] = "ABCDEF";
const TColor32 kCellColors[] = {Color32(255, 0, 0), Color32(0, 255, 0),   Color32(0, 0, 255),
                                Color32(255, 255, 0), Color32(255, 0, 255), Color32(0, 255, 255)};

TBitmap32 StoredCells() {
  TBitmap32 picture(3 * kCell, 2 * kCell);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, kCellColors[(y / kCell) * 3 + x / kCell]);
  return picture;
}

// The picture's cells row by row ("AB/CD"), each named by the nearest of the colours at its centre.
std::string CellsOf(const TBitmap32& picture) {
  std::string rows;
  for (int cy = 0; cy < picture.Height() / kCell; ++cy) {
    if (cy > 0) rows += '/';
    for (int cx = 0; cx < picture.Width() / kCell; ++cx) {
      const TColor32 c = picture.Pixel(cx * kCell + kCell / 2, cy * kCell + kCell / 2);
      int best = 0, bestDistance = 1 << 30;
      for (int i = 0; i < 6; ++i) {
        const TColor32 k = kCellColors[i];
        const int d = std::abs(RedOf(c) - RedOf(k)) + std::abs(GreenOf(c) - GreenOf(k)) +
                      std::abs(BlueOf(c) - BlueOf(k));
        if (d < bestDistance) best = i, bestDistance = d;
      }
      rows += kCellNames[best];
    }
  }
  return rows;
}

struct TIfdEntry {
  uint16_t Tag, Type;
  uint32_t Count;
  uint16_t Value;  // written into the first two bytes of the value field, as for one SHORT
};

// A TIFF structure with IFD0 at offset 8 holding the entries, then no further IFD.
TBytes Tiff(bool bigEndian, const std::vector<TIfdEntry>& entries) {
  TBytes out;
  auto put16 = [&](uint32_t v) {
    out.push_back(uint8_t(bigEndian ? v >> 8 : v));
    out.push_back(uint8_t(bigEndian ? v : v >> 8));
  };
  auto put32 = [&](uint32_t v) {
    if (bigEndian) put16(v >> 16), put16(v & 0xFFFF);
    else put16(v & 0xFFFF), put16(v >> 16);
  };
  out.push_back(bigEndian ? 'M' : 'I');
  out.push_back(bigEndian ? 'M' : 'I');
  put16(42);
  put32(8);
  put16(uint32_t(entries.size()));
  for (const TIfdEntry& e : entries) {
    put16(e.Tag), put16(e.Type), put32(e.Count), put16(e.Value), put16(0);
  }
  put32(0);
  return out;
}

// Width (LONG 48) first, so the orientation is not the first entry.
TBytes OrientationTiff(bool bigEndian, uint16_t orientation) {
  return Tiff(bigEndian, {{0x0100, 4, 1, 48}, {0x0112, 3, 1, orientation}});
}

// The TIFF structure as an APP1 "Exif" segment right after the JPEG's SOI.
TBytes WithJpegExif(TBytes jpeg, const TBytes& tiff, const std::string& header = std::string("Exif\0\0", 6)) {
  TBytes segment = {0xFF, 0xE1};
  const size_t length = 2 + header.size() + tiff.size();
  segment.push_back(uint8_t(length >> 8));
  segment.push_back(uint8_t(length));
  segment.insert(segment.end(), header.begin(), header.end());
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

// The TIFF structure as an eXIf chunk right after IHDR (8 signature bytes + 25 of IHDR).
TBytes WithPngExif(TBytes png, const TBytes& tiff) {
  TBytes chunk;
  for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(uint8_t(tiff.size() >> shift));
  for (char c : std::string("eXIf")) chunk.push_back(uint8_t(c));
  chunk.insert(chunk.end(), tiff.begin(), tiff.end());
  const uint32_t crc = uint32_t(crc32(0, chunk.data() + 4, uInt(tiff.size() + 4)));
  for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(uint8_t(crc >> shift));
  png.insert(png.begin() + 33, chunk.begin(), chunk.end());
  return png;
}

TEST(ExifOrientation, JpegAndPngOpenAsAViewerShowsThemForAllEightOrientations) {
  // What a viewer shows of A B C / D E F, from the definitions of the tag's values.
  const struct {
    uint16_t Orientation;
    const char* Shown;
  } cases[] = {
      {1, "ABC/DEF"},     // as stored
      {2, "CBA/FED"},     // mirrored left-right
      {3, "FED/CBA"},     // turned 180
      {4, "DEF/ABC"},     // mirrored top-bottom
      {5, "AD/BE/CF"},    // transposed: the stored top row becomes the left column, A on top
      {6, "DA/EB/FC"},    // turned clockwise: the stored top row becomes the right column
      {7, "FC/EB/DA"},    // transverse: the stored top row becomes the right column, A at the bottom
      {8, "CF/BE/AD"},    // turned counter-clockwise: the stored top row becomes the left column
  };
  const TBitmap32 stored = StoredCells();
  const TBytes jpeg = EncodeJpeg(stored, 95);
  const TBytes png = EncodePng(stored, std::nullopt);
  for (const auto& c : cases)
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(std::to_string(c.Orientation) + (bigEndian ? " MM" : " II"));
      const TBytes tiff = OrientationTiff(bigEndian, c.Orientation);
      const TBitmap32 fromJpeg = DecodePicture(".jpg", WithJpegExif(jpeg, tiff)).Bitmap;
      EXPECT_EQ(CellsOf(fromJpeg), c.Shown);
      const TBitmap32 fromPng = DecodePicture(".png", WithPngExif(png, tiff)).Bitmap;
      EXPECT_EQ(CellsOf(fromPng), c.Shown);
      EXPECT_EQ(fromPng.Width() * fromPng.Height(), stored.Width() * stored.Height());

      // Our encoders copy no EXIF, so what is saved opens upright again, not turned twice.
      EXPECT_EQ(DecodePicture(".png", EncodePng(fromPng, std::nullopt)).Bitmap, fromPng);
      EXPECT_EQ(CellsOf(DecodePicture(".jpeg", EncodeJpeg(fromJpeg, 95)).Bitmap), c.Shown);
    }
}

TEST(ExifOrientation, PngExifWithTheJpegStyleHeaderIsReadToo) {
  // Some writers copy a JPEG's APP1 payload, "Exif\0\0" included, into the eXIf chunk.
  TBytes prefixed = {'E', 'x', 'i', 'f', 0, 0};
  const TBytes tiff = OrientationTiff(false, 8);
  prefixed.insert(prefixed.end(), tiff.begin(), tiff.end());
  const TBytes png = WithPngExif(EncodePng(StoredCells(), std::nullopt), prefixed);
  EXPECT_EQ(CellsOf(DecodePicture(".png", png).Bitmap), "CF/BE/AD");
}

TEST(ExifOrientation, JpegFindsTheExifSegmentAmongOtherApp1Segments) {
  const TBytes jpeg = EncodeJpeg(StoredCells(), 95);
  const TBytes withExif = WithJpegExif(jpeg, OrientationTiff(true, 6));
  // An XMP packet also travels in APP1; it comes first here and must not hide the EXIF.
  const TBytes xmp = WithJpegExif(withExif, {'<', 'x', '/', '>'}, std::string("http://ns.adobe.com/xap/1.0/\0", 29));
  EXPECT_EQ(CellsOf(DecodePicture(".jpg", xmp).Bitmap), "DA/EB/FC");
  // "Exif" without its two zero bytes is not an EXIF segment.
  const TBytes unmarked = WithJpegExif(jpeg, OrientationTiff(true, 6), "Exif");
  EXPECT_EQ(CellsOf(DecodePicture(".jpg", unmarked).Bitmap), "ABC/DEF");
}

TEST(ExifOrientation, BrokenOrHostileExifOpensThePictureAsStored) {
  // Each is the block for orientation 6 broken one way; byte offsets are for the layout Tiff()
  // writes: header 0..7, entry count 8..9, the width entry 10..21, orientation 22..33.
  auto put = [](TBytes tiff, size_t at, TBytes bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) tiff[at + i] = bytes[i];
    return tiff;
  };
  for (bool bigEndian : {false, true}) {
    const TBytes good = OrientationTiff(bigEndian, 6);
    auto value16 = [&](uint16_t v) {
      return bigEndian ? TBytes{uint8_t(v >> 8), uint8_t(v)} : TBytes{uint8_t(v), uint8_t(v >> 8)};
    };
    auto value32 = [&](uint32_t v) {
      TBytes b = value16(bigEndian ? uint16_t(v >> 16) : uint16_t(v));
      const TBytes rest = value16(bigEndian ? uint16_t(v) : uint16_t(v >> 16));
      b.insert(b.end(), rest.begin(), rest.end());
      return b;
    };
    const struct {
      const char* How;
      TBytes Tiff;
    } cases[] = {
        {"byte order neither II nor MM", put(good, 0, {'I', 'M'})},
        {"43 instead of 42", put(good, 2, value16(43))},
        {"orientation 0", OrientationTiff(bigEndian, 0)},
        {"orientation 9", OrientationTiff(bigEndian, 9)},
        {"orientation 0xFFFF", OrientationTiff(bigEndian, 0xFFFF)},
        {"IFD0 offset just past the block", put(good, 4, value32(uint32_t(good.size())))},
        {"IFD0 offset near 2^32, wrapping if added", put(good, 4, value32(0xFFFFFFFE))},
        {"IFD0 offset inside the header", put(good, 4, value32(2))},
        {"IFD cut inside the orientation entry", TBytes(good.begin(), good.begin() + 28)},
        {"entry count far beyond the block", put(good, 8, value16(0xFFFF))},
        {"orientation count huge", put(good, 26, value32(0xFFFFFFFF))},
        {"orientation count 2", put(good, 26, value32(2))},
        {"orientation as a LONG", put(good, 24, value16(4))},
        {"header cut short", TBytes(good.begin(), good.begin() + 6)},
        {"empty block", TBytes{}},
    };
    const TBitmap32 stored = StoredCells();
    const TBytes jpeg = EncodeJpeg(stored, 95);
    const TBytes png = EncodePng(stored, std::nullopt);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.How) + (bigEndian ? " MM" : " II"));
      EXPECT_EQ(ParseExifOrientation(c.Tiff), kExifAsStored);
      EXPECT_EQ(DecodePicture(".png", WithPngExif(png, c.Tiff)).Bitmap, stored);
      EXPECT_EQ(CellsOf(DecodePicture(".jpg", WithJpegExif(jpeg, c.Tiff)).Bitmap), "ABC/DEF");
    }
  }
}

TEST(ExifOrientation, SegmentsAndChunksRunningPastTheFileAreIgnored) {
  const TBytes tiff = OrientationTiff(false, 6);
  // A JPEG cut inside its APP1 segment, and one whose APP1 length is shorter than the length
  // field itself.
  TBytes jpeg = WithJpegExif(EncodeJpeg(StoredCells(), 95), tiff);
  EXPECT_TRUE(FindJpegExif(TByteSpan(jpeg).first(20)).empty());
  jpeg[4] = 0, jpeg[5] = 1;
  EXPECT_TRUE(FindJpegExif(jpeg).empty());
  // A PNG cut inside its eXIf chunk, and one whose eXIf length runs past the end.
  TBytes png = WithPngExif(EncodePng(StoredCells(), std::nullopt), tiff);
  EXPECT_TRUE(FindPngExif(TByteSpan(png).first(33 + 8 + 10)).empty());
  png[33] = 0x7F;
  EXPECT_TRUE(FindPngExif(png).empty());
}

}  // namespace
}  // namespace gs

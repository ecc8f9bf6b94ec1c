// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/ExifOrientation.h"

#include <cstddef>
#include <cstring>
#include <utility>

namespace gs {

namespace {

constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kIfdEntryBytes = 12;

bool StartsWith(TByteSpan data, const uint8_t* prefix, size_t size) {
  return data.size() >= size && std::memcmp(data.data(), prefix, size) == 0;
}

uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// TIFF data in the byte order its header names.
class TTiffReader {
public:
  TTiffReader(TByteSpan data, bool bigEndian) : Data_(data), BigEndian_(bigEndian) {}
  // Callers check that at + 2 (or 4) fits in the data first.
  uint16_t U16(size_t at) const {
    const uint8_t* p = Data_.data() + at;
    return BigEndian_ ? Be16(p) : uint16_t(p[0] | (p[1] << 8));
  }
  uint32_t U32(size_t at) const {
    const uint8_t* p = Data_.data() + at;
    return BigEndian_ ? Be32(p)
                      : uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                            (uint32_t(p[3]) << 24);
  }

private:
  TByteSpan Data_;
  bool BigEndian_;
};

}  // namespace

TByteSpan FindJpegExif(TByteSpan file) {
  if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return {};
  size_t pos = 2;
  // Every step moves forward by at least two bytes and each read is checked against the end,
  // so a hostile file ends the walk rather than the program.
  while (file.size() - pos >= 4) {
    if (file[pos] != 0xFF) return {};
    const uint8_t marker = file[pos + 1];
    if (marker == 0xFF) {  // a fill byte before the marker
      ++pos;
      continue;
    }
    // Markers without a length: TEM and the restart markers; none should come before the
    // scan, but they carry nothing to skip.
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      pos += 2;
      continue;
    }
    // The metadata segments all come before the first scan; the end of the picture ends it too.
    if (marker == 0xDA || marker == 0xD9) return {};
    const size_t length = Be16(file.data() + pos + 2);  // counts itself, not the marker
    if (length < 2 || length > file.size() - pos - 2) return {};
    const TByteSpan segment = file.subspan(pos + 4, length - 2);
    if (marker == 0xE1 && StartsWith(segment, kExifHeader, sizeof kExifHeader))
      return segment.subspan(sizeof kExifHeader);
    pos += 2 + length;
  }
  return {};
}

TByteSpan FindPngExif(TByteSpan file) {
  constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (!StartsWith(file, kSignature, sizeof kSignature)) return {};
  size_t pos = sizeof kSignature;
  while (file.size() - pos >= 12) {
    const uint8_t* p = file.data() + pos;
    const uint32_t length = Be32(p);
    // A chunk's length, type and CRC take 12 bytes beyond its data.
    if (length > file.size() - pos - 12) return {};
    if (std::memcmp(p + 4, "IEND", 4) == 0) return {};
    if (std::memcmp(p + 4, "eXIf", 4) == 0) {
      const TByteSpan data = file.subspan(pos + 8, length);
      return StartsWith(data, kExifHeader, sizeof kExifHeader) ? data.subspan(sizeof kExifHeader) : data;
    }
    pos += size_t(length) + 12;
  }
  return {};
}

int ParseExifOrientation(TByteSpan tiff) {
  // The header: byte order ("II" little-endian, "MM" big-endian), 42, the offset of IFD0.
  if (tiff.size() < 8) return kExifAsStored;
  bool bigEndian;
  if (tiff[0] == 'I' && tiff[1] == 'I') bigEndian = false;
  else if (tiff[0] == 'M' && tiff[1] == 'M') bigEndian = true;
  else return kExifAsStored;
  const TTiffReader reader(tiff, bigEndian);
  if (reader.U16(2) != 42) return kExifAsStored;
  const size_t ifd = reader.U32(4);
  // The IFD: a count of entries, the entries, then the next IFD's offset, which is not needed.
  // The offset is checked against the size by subtraction, which cannot overflow.
  if (ifd < 8 || ifd > tiff.size() - 2) return kExifAsStored;
  const size_t entries = reader.U16(ifd);
  if (entries > (tiff.size() - ifd - 2) / kIfdEntryBytes) return kExifAsStored;
  for (size_t i = 0; i < entries; ++i) {
    const size_t entry = ifd + 2 + i * kIfdEntryBytes;
    if (reader.U16(entry) != kOrientationTag) continue;
    // The value of a single SHORT sits in the first two bytes of the entry's value field.
    if (reader.U16(entry + 2) != kTypeShort || reader.U32(entry + 4) != 1) return kExifAsStored;
    const int value = reader.U16(entry + 8);
    return value >= 1 && value <= 8 ? value : kExifAsStored;
  }
  return kExifAsStored;
}

void OrientPicture(TBitmap32& picture, int orientation) {
  if (orientation < 2 || orientation > 8) return;
  const TBitmap32 stored = std::move(picture);
  const ptrdiff_t w = stored.Width(), h = stored.Height();
  // Shown (x, y) is stored (x0 + x * XX + y * YX, y0 + x * XY + y * YY). For 6 (turn clockwise)
  // the stored top row becomes the shown right column: shown (x, y) is stored (y, h - 1 - x).
  struct TMap {
    bool FromRight, FromBottom;  // the origin x0 is w - 1 rather than 0, y0 is h - 1
    int XX, XY, YX, YY;
  };
  static constexpr TMap kMaps[9] = {
      {}, {},
      {true, false, -1, 0, 0, 1},    // 2: mirror left-right
      {true, true, -1, 0, 0, -1},    // 3: turn 180
      {false, true, 1, 0, 0, -1},    // 4: mirror top-bottom
      {false, false, 0, 1, 1, 0},    // 5: transpose
      {false, true, 0, -1, 1, 0},    // 6: turn clockwise
      {true, true, 0, -1, -1, 0},    // 7: transverse
      {true, false, 0, 1, -1, 0},    // 8: turn counter-clockwise
  };
  const TMap& m = kMaps[orientation];
  const bool swap = orientation >= 5;
  TBitmap32 shown(int(swap ? h : w), int(swap ? w : h));
  shown.OuterColor = stored.OuterColor;
  // Pixel indices into the stored picture: where a shown row starts and the steps along it.
  const ptrdiff_t stepX = m.XX + m.XY * w, stepY = m.YX + m.YY * w;
  ptrdiff_t rowStart = (m.FromRight ? w - 1 : 0) + (m.FromBottom ? h - 1 : 0) * w;
  const TColor32* source = stored.Bits();
  for (int y = 0; y < shown.Height(); ++y, rowStart += stepY) {
    TColor32* row = shown.ScanLine(y);
    ptrdiff_t at = rowStart;
    for (int x = 0; x < shown.Width(); ++x, at += stepX) row[x] = source[at];
  }
  picture = std::move(shown);
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Bmp.h"

#include "common/Errors.h"

namespace gs {
namespace {

constexpr uint32_t kHeadersSize = 14 + 40;
constexpr uint32_t kPixelsPerMetre72Dpi = 2835;

void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

}  // namespace

TBytes EncodeBmp32(const TBitmap32& picture) {
  if (picture.Empty()) throw Exception("BMP: cannot save an empty picture");
  const uint32_t width = uint32_t(picture.Width());
  const uint32_t height = uint32_t(picture.Height());
  // The picture limits keep this far below 4 GB.
  const uint32_t pixelBytes = width * height * 4;

  TBytes file(kHeadersSize + size_t(pixelBytes));
  uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  Put32(p + 2, kHeadersSize + pixelBytes);
  Put32(p + 10, kHeadersSize);
  Put32(p + 14, 40);
  Put32(p + 18, width);
  Put32(p + 22, height);  // positive: bottom-up rows
  Put16(p + 26, 1);       // planes
  Put16(p + 28, 32);      // bits per pixel; compression BI_RGB stays 0
  Put32(p + 34, pixelBytes);
  Put32(p + 38, kPixelsPerMetre72Dpi);
  Put32(p + 42, kPixelsPerMetre72Dpi);

  uint8_t* row = p + kHeadersSize;
  for (int y = picture.Height() - 1; y >= 0; --y, row += width * 4) {
    const TColor32* src = picture.ScanLine(y);
    for (uint32_t x = 0; x < width; ++x) Put32(row + 4 * x, src[x]);  // B, G, R, A
  }
  return file;
}

}  // namespace gs

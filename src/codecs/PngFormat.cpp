// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/PngFormat.h"

#include "common/Errors.h"
#include "common/Limits.h"

namespace gs {

std::string PngChunkName(uint32_t type) {
  std::string name;
  for (int shift = 24; shift >= 0; shift -= 8) {
    char c = char(type >> shift);
    bool printable = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    name += printable ? std::string(1, c) : "\\x" + std::to_string(uint8_t(c));
  }
  return name;
}

int TPngHeader::Channels() const {
  switch (ColorType) {
    case TPngColorType::Grey:
    case TPngColorType::Indexed: return 1;
    case TPngColorType::GreyAlpha: return 2;
    case TPngColorType::Rgb: return 3;
    case TPngColorType::Rgba: return 4;
  }
  return 1;
}

namespace {

bool DepthAllowed(int colorType, int depth) {
  switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("PNG: " + why); }

}  // namespace

TPngHeader ParsePngHeader(TByteSpan data) {
  if (data.size() != 13) Fail("image header has " + std::to_string(data.size()) + " bytes, not 13");
  uint32_t width = ReadBE32(&data[0]);
  uint32_t height = ReadBE32(&data[4]);
  int depth = data[8];
  int colorType = data[9];
  if (width == 0 || height == 0) Fail("image of zero width or height");
  if (width > kPngMaxLength || height > kPngMaxLength) Fail("image size out of range");
  if (colorType > 6 || colorType == 1 || colorType == 5) Fail("unknown colour type " + std::to_string(colorType));
  if (!DepthAllowed(colorType, depth))
    Fail("bit depth " + std::to_string(depth) + " not allowed for colour type " + std::to_string(colorType));
  if (data[10] != 0) Fail("unknown compression method " + std::to_string(data[10]));
  if (data[11] != 0) Fail("unknown filter method " + std::to_string(data[11]));
  if (data[12] > 1) Fail("unknown interlace method " + std::to_string(data[12]));
  CheckPictureSize(width, height);

  TPngHeader header;
  header.Width = int(width);
  header.Height = int(height);
  header.BitDepth = depth;
  header.ColorType = TPngColorType(colorType);
  header.Interlaced = data[12] == 1;
  return header;
}

}  // namespace gs

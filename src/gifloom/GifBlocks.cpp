// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/GifBlocks.h"

#include "gifloom/GifError.h"
#include "gifloom/GifMessages.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace gifloom {

void ReadVersionHeader(TInputFile& input) {
  std::array<uint8_t, kHeaderSize> header{};
  const size_t count = input.ReadAvailable(header);
  const bool known = count == kHeaderSize && (std::memcmp(header.data(), "GIF89a", 6) == 0 ||
                                              std::memcmp(header.data(), "GIF87a", 6) == 0);
  if (!known) throw EGifError(kNotAGif, input.Path());
}

TScreenDescriptor ReadScreenDescriptor(TInputFile& input) {
  TScreenDescriptor screen;
  input.Read(screen.Bytes);
  return screen;
}

TImageDescriptor ReadImageDescriptor(TInputFile& input) {
  TImageDescriptor image;
  input.Read(image.Bytes);
  return image;
}

TColourTable ReadColourTable(TInputFile& input, uint8_t code) {
  TColourTable table;
  table.Size = ColourTableSize(code);
  input.Read(std::span(table.Bytes.data(), table.Size));
  return table;
}

void SkipSubBlocks(TInputFile& input) {
  while (const uint8_t length = input.ReadByte()) input.Skip(length);
}

void SkipImageData(TInputFile& input) {
  input.ReadByte();
  SkipSubBlocks(input);
}

bool ImageFollows(TInputFile& input) noexcept {
  try {
    std::array<uint8_t, 1> byte{};
    while (input.ReadAvailable(byte) == 1) {
      if (byte[0] == kImageSeparator) return true;
      if (byte[0] == kTrailer) return false;
      if (byte[0] == kExtensionIntroducer) {
        input.ReadByte();
        SkipSubBlocks(input);
      }
    }
  } catch (...) {
  }
  return false;
}

TGraphicControl ReadGraphicControl(TInputFile& input) {
  std::array<uint8_t, 255> block{};
  const uint8_t length = input.ReadByte();
  if (length == 0) return {};
  input.Read(std::span(block.data(), length));
  SkipSubBlocks(input);
  return {.Packed = block[0], .TransparentIndex = block[3]};
}

}  // namespace gifloom

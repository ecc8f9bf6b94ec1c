// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the parts of a GIF that come before its first image: the version header, the screen
// descriptor, colour tables, and the extensions between them and the first image descriptor.

#include "gifloom/GifFormat.h"
#include "gifloom/InputFile.h"

#include <string_view>

namespace gifloom {

// Throws EGifError(kNotAGif) unless the file starts with "GIF87a" or "GIF89a".
void ReadVersionHeader(TInputFile& input);

TScreenDescriptor ReadScreenDescriptor(TInputFile& input);
TImageDescriptor ReadImageDescriptor(TInputFile& input);
TColourTable ReadColourTable(TInputFile& input, uint8_t code);

// Passes over sub-blocks up to and including the zero length byte.
void SkipSubBlocks(TInputFile& input);

// Passes over an image's data: the minimum code size and the sub-blocks after it.
void SkipImageData(TInputFile& input);

// After an image's data: whether another image follows before the trailer. The rest of the file
// only decides a remark, so a damaged or cut rest answers false rather than failing.
bool ImageFollows(TInputFile& input) noexcept;

// Reads a graphic control extension after its label, up to its terminator. Fields its first
// sub-block is too short to hold read as zero.
TGraphicControl ReadGraphicControl(TInputFile& input);

// Reads up to and including the first image separator. Each extension's label is handed to
// onExtension, which must consume the extension's sub-blocks; other stray bytes are passed over.
template <typename TOnExtension>
void SeekFirstImage(TInputFile& input, TOnExtension&& onExtension) {
  for (;;) {
    const uint8_t byte = input.ReadByte();
    if (byte == kImageSeparator) return;
    if (byte == kExtensionIntroducer) onExtension(input.ReadByte());
  }
}

}  // namespace gifloom

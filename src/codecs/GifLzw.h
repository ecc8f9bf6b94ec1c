// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GIF's variable-length LZW: codes of 2 to 12 bits, least significant bit first, with a clear
// code (1 << minCodeSize) and an end code (clear + 1).

#include "codecs/Picture.h"

#include <cstdint>
#include <span>

namespace gs {

// Appends the data part of an image block: the minimum code size byte, the compressed indices
// in sub-blocks of at most 255 bytes, and the empty sub-block that closes the chain. Every
// index must be below 1 << minCodeSize (2..8); higher bits are dropped. A clear code is sent
// whenever the table fills, so any GIF reader can follow.
void AppendGifLzwData(TBytes& out, std::span<const uint8_t> indices, int minCodeSize);
// The same where each pixel may be written as either of two indices that show the same (a
// frame's pixel that stays as it was: "transparent" or its own colour): indices[i] unless
// alternatives[i] makes the string longer. alternatives has the size of indices.
void AppendGifLzwData(TBytes& out, std::span<const uint8_t> indices,
                      std::span<const uint8_t> alternatives, int minCodeSize);

// Decodes LZW codes (the sub-blocks' bytes joined, without their length bytes) into exactly
// out.size() indices; codes after the image is complete are ignored. Throws EInvalidGraphic on
// a code that is not yet in the table, on an end code before the image is complete, and when
// the codes run out first ("GIF: truncated image data"). minCodeSize must be 1..8: writers
// should not use 1, but some do for two-colour pictures, and it is read as giflib reads it.
void DecodeGifLzw(TByteSpan codes, int minCodeSize, std::span<uint8_t> out);

// The most indices that codeBytes bytes of codes can produce, so a reader can refuse to
// allocate a huge image for a tiny amount of data.
uint64_t GifLzwMaxOutput(size_t codeBytes, int minCodeSize);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GIF pictures. The decoder reads GIF87a and GIF89a and returns the first image; the encoder
// writes one GIF89a image with a global colour table. The building blocks of the writer (header,
// graphic control, image block) are in GifWriter.h, the colour reduction in ColorQuantizer.h.

#include "codecs/Picture.h"

#include <optional>

namespace gs {

// The first image drawn on the logical screen. The screen grows to the image's size when it is
// smaller (or zero); parts of the image outside the screen are cut off. Pixels of the
// transparent index get alpha 0 (keeping their table colour), all others alpha 255; the screen
// around the image is the transparent colour with alpha 0 when the image has one, otherwise the
// global table's background colour. Without any colour table an index i is the grey level
// i * 255 / (2^minCodeSize - 1); indices beyond a table are black.
// Throws EInvalidGraphic for broken data, EOutOfResources for pictures beyond the size limits.
TDecodedPicture DecodeGif(TByteSpan bytes);

// The picture as one GIF89a image. With 256 colours or fewer (counting the transparent colour)
// every pixel keeps its colour; otherwise a palette of 256 colours is chosen (see
// TColorHistogram) and each pixel gets the nearest, without dithering. With a transparentColor
// (a Windows colour value, 0x00BBGGRR) pixels with alpha below 128 get an index of their own
// that the file marks as transparent, whatever their colour; its table colour is
// transparentColor unless an opaque entry has that colour, then the nearest colour none has.
// Opaque pixels of the key's colour stay opaque. Without one every pixel is opaque. Throws
// Exception for an empty picture.
TBytes EncodeGif(const TBitmap32& picture, std::optional<TColor> transparentColor);

}  // namespace gs

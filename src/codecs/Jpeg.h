// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG reading and writing through libjpeg.

#include "codecs/Picture.h"

namespace gs {

// Decodes a baseline or progressive JPEG in greyscale, YCbCr, RGB, CMYK or YCCK into opaque
// pixels. Throws EInvalidGraphic for broken files, including cut-off ones, and EOutOfResources
// for pictures beyond the editor's size limits.
TBitmap32 DecodeJpeg(TByteSpan bytes);

// Encodes as colour (YCbCr) JPEG with libjpeg's standard tables scaled to a quality of 1..100
// (out-of-range values are clamped). Alpha is ignored. Throws gs::Exception for an empty
// picture.
TBytes EncodeJpeg(const TBitmap32& picture, int quality = 90);

}  // namespace gs

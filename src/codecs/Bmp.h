// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows and OS/2 bitmap files.

#include "codecs/Picture.h"

namespace gs {

// Decodes a BMP file: OS/2 1.x and 2.x, Windows 3 and V2..V5 headers; 1, 4, 8, 16, 24 and 32
// bits per pixel; uncompressed, RLE8, RLE4 and bit-field pixels; bottom-up or top-down rows.
// Pixels are opaque unless the file carries alpha: the 4th byte of 32-bit pixels or an alpha
// bit field counts only when at least one pixel has a non-zero alpha, because most programs
// leave it 0. Pixels an RLE stream skips (delta and early line ends) stay transparent black.
// TransparentColor is always empty. Throws EInvalidGraphic for broken or truncated files and
// EOutOfResources for pictures beyond the editor's size limits.
TDecodedPicture DecodeBmp(TByteSpan bytes);

// Encodes as a bottom-up 32 bits per pixel BI_RGB file with a BITMAPINFOHEADER, the alpha kept
// in the 4th byte, 72 dpi. Throws gs::Exception for an empty picture.
TBytes EncodeBmp32(const TBitmap32& picture);

}  // namespace gs

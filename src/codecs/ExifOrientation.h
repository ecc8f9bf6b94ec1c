// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The EXIF orientation tag (0x0112) that cameras and phones write instead of turning the pixels,
// read from JPEG and PNG files, and the turn or mirror it asks of a viewer. Nothing here
// throws on bad data: a broken or hostile EXIF block reads as "as stored".

#include "codecs/Picture.h"

namespace gs {

// 1 = as stored, 2 = mirror left-right, 3 = turn 180, 4 = mirror top-bottom, 5 = transpose,
// 6 = turn 90 clockwise, 7 = transverse, 8 = turn 90 counter-clockwise.
inline constexpr int kExifAsStored = 1;

// The TIFF structure of a JPEG's first APP1 segment that starts with "Exif\0\0", found by
// walking the marker segments up to the first scan; empty when there is none or the segments
// are broken before it.
TByteSpan FindJpegExif(TByteSpan file);

// The data of a PNG's first eXIf chunk before IEND (a leading "Exif\0\0", which some writers
// add, is skipped); empty when there is none or the chunk lengths run past the file. CRCs are
// not checked here: the decoder refuses a file with a bad one.
TByteSpan FindPngExif(TByteSpan file);

// The orientation stored in IFD0 of a TIFF structure in either byte order, as a SHORT with a
// count of 1 and a value of 1..8; kExifAsStored for anything else.
int ParseExifOrientation(TByteSpan tiff);

// Turns and mirrors the picture into what a viewer shows for the orientation; 1 and values
// outside 1..8 leave it alone. 5..8 swap width and height. The outer colour is kept.
void OrientPicture(TBitmap32& picture, int orientation);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The grey copy a face detector looks at, made from a large photo on every core.

#include "common/Bitmap32.h"

#include <cstdint>

namespace gs {

// The picture in grey as dlib's own examples load a photo (the mean of red, green and blue), over
// white where it is transparent, shrunk to width x height (each at most the picture's own side) so
// that each pixel is the mean of the area it covers. `out` takes height rows of width bytes, one
// after another.
void ShrinkToGrey(const TBitmap32& picture, int width, int height, uint8_t* out);

}  // namespace gs

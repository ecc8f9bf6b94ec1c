// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A much smaller copy of a picture in which every pixel is the average of the pixels it covers,
// so that fine detail (an eyelash, a noisy sky) does not alias the way sampling would.

#include "common/Bitmap32.h"

namespace gs {

// The picture shrunk to width x height (each at most the picture's own side, at least 1).
// Colours are weighted by alpha, so transparent pixels add no colour to their neighbours.
TBitmap32 ShrinkPicture(const TBitmap32& picture, int width, int height);

// The size of the picture scaled to fit maxSide x maxSide keeping its shape, never enlarged.
TSize FittedSize(int width, int height, int maxSide);

}  // namespace gs

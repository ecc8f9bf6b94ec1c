// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The key colour: how pictures with one transparent colour become pictures with alpha, and back.

#include "common/Bitmap32.h"
#include "common/Color.h"

namespace gs {

// Alpha 0 where the red, green and blue equal the key's, 255 elsewhere; colours untouched.
void KeyOutTransparent(TBitmap32& picture, TColor key);

// Pixels less than half opaque (alpha below 128) take the key's colour with alpha 0; all others
// become opaque. Only alpha decides: an opaque pixel of the key's colour stays opaque.
void FillKeyColour(TBitmap32& picture, TColor key);

// The same on `picture`; `other` gets the key's colour with alpha 0 wherever `picture` is
// transparent and alpha 255 everywhere else. Both pictures have the same size.
void FillKeyColour(TBitmap32& picture, TBitmap32& other, TColor key);

// Every pixel opaque, colours untouched.
void MakeOpaque(TBitmap32& picture);

}  // namespace gs

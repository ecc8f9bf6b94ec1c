// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PNG reading and writing.

#include "codecs/Picture.h"

#include <optional>

namespace gs {

// Decodes a whole PNG file: every colour type and bit depth, interlaced or not. 16-bit samples
// keep their high byte. The bitmap carries the file's alpha (alpha channel, palette tRNS, or 0
// for pixels matching a colour key). TransparentColor is set when the file's transparency is a
// single colour key: the grey or RGB tRNS key, or the first fully transparent palette entry of a
// palette whose alphas are all 0 or 255. Throws EInvalidGraphic for broken files and
// EOutOfResources for pictures beyond the editor's size limits.
TDecodedPicture DecodePng(TByteSpan bytes);

// Encodes as 8-bit RGB unless the picture needs an alpha channel, then as 8-bit RGBA. The alpha
// channel is needed for partial alpha (1..254) anywhere, or for fully transparent pixels when
// no transparent colour is given. In RGB files fully transparent pixels take the key colour,
// written as the tRNS key, so they stay transparent on reload; opaque pixels never turn
// transparent: the key is transparentColor unless an opaque pixel has that colour, then the
// nearest colour none has (RGBA when the picture uses every colour). Throws gs::Exception for
// an empty picture.
// Fast packs at zlib's quickest level, for a large picture written often where a file a tenth
// larger matters less than the wait.
enum class TPngPacking { Normal, Fast };
TBytes EncodePng(const TBitmap32& picture, std::optional<TColor> transparentColor, TPngPacking packing);
TBytes EncodePng(const TBitmap32& picture, std::optional<TColor> transparentColor);

}  // namespace gs

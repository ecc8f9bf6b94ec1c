// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// HEIF pictures through libheif: HEIC (HEVC-coded, what phones save) and AVIF (AV1-coded).
// Read only.

#include "codecs/Picture.h"

namespace gs {

// Decodes the file's primary picture (the first of a sequence), upright: the rotation and
// mirroring the file stores (irot, imir) are applied, and an EXIF orientation when the file
// stores no such transformation. Alpha is kept. The size is checked against the editor's
// limits before the picture is decoded. Throws EInvalidGraphic for broken or truncated files,
// naming the missing package when the file's coding has no decoder installed, and
// EOutOfResources for pictures too large.
TDecodedPicture DecodeHeif(TByteSpan bytes);

}  // namespace gs

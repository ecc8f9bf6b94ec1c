// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Chooses the decoder for a picture file by its extension.

#include "codecs/Picture.h"

#include <string>

namespace gs {

// True for the extensions of the kinds with a reader (see PictureKinds.h).
bool IsDecodableExtension(const std::string& lowerExt);

// Decodes bytes as the format named by a lower-case extension with its dot, or as the kind the
// bytes clearly are when they name another (see ExtensionForContent). Pictures come
// upright as their EXIF orientation (or HEIF's rotation and mirroring) says. Any other
// extension throws gs::Exception("Unsupported image format").
TDecodedPicture DecodePicture(const std::string& lowerExt, TByteSpan bytes);

}  // namespace gs

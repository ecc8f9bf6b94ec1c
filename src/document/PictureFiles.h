// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading picture files of every kind the editor knows, protected files included.

#include "codecs/Picture.h"
#include "codecs/PictureKinds.h"

#include <string>

namespace gs {

// The status bar's word after a flat save merged the layers into the picture.
inline constexpr const char* kLayersMergedMessage =
    "The layers were merged into the picture. To keep them apart, use Save As \"Grimacer Project (*.ora)\".";
inline constexpr const char* kSavePictureDefaultExt = "bmp";

// A picture file's bytes and the lower-cased extension of the format they are in, which is the
// kind their first bytes name when those name another kind than the file's extension; for a
// protected file the deciphered inner file and its inner extension.
struct TPictureSource {
  std::string Extension;
  TBytes Bytes;
};

// Fails with UnsupportedFormatMessage (see PictureKinds.h) for a kind that does not open, before
// reading the file.
TPictureSource ReadPictureSource(const std::string& path);

// Decodes what ReadPictureSource read from path. Fails with UnsupportedFormatMessage for a kind
// without a reader (a protected file holding one); a broken or too large picture's message
// starts with the file's name.
TDecodedPicture DecodePictureSource(const TPictureSource& source, const std::string& path);

// Whether clipart of this kind (the lower-cased extension of the picture itself, inside a
// protected file) asks "Transparent Image?": only kinds that mark one colour transparent.
bool AsksTransparentImage(const std::string& lowerExt);

// Reads a picture of any supported kind for features that need one outside the document
// (backgrounds, chroma key). PNG pictures come back with their colour only, fully opaque.
// Fails with UnsupportedFormatMessage for other kinds.
TDecodedPicture LoadGraphicFile(const std::string& path);

}  // namespace gs

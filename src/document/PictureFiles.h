// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading picture files of every kind the editor knows, protected files included.

#include "codecs/Picture.h"

#include <string>

namespace gs {

inline constexpr const char* kOpenPictureFilter =
    "All (*.gif;*.jpg;*.bmp;*.png;*.mfk)|*.gif;*.jpg;*.jpeg;*.bmp;*.png;*.mfk|CompuServe GIF Image "
    "(*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|PNG Image "
    "(*.png)|*.png|Grimacer Studio Graphics (*.mfk)|*.mfk";
// File > Open takes projects as well; clipart, backgrounds and keys take pictures only.
inline constexpr const char* kOpenDocumentFilter =
    "All (*.gif;*.jpg;*.bmp;*.png;*.mfk;*.ora)|*.gif;*.jpg;*.jpeg;*.bmp;*.png;*.mfk;*.ora|CompuServe GIF Image "
    "(*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|PNG Image "
    "(*.png)|*.png|Grimacer Studio Graphics (*.mfk)|*.mfk|Grimacer Project (*.ora)|*.ora";
inline constexpr const char* kSavePictureFilter =
    "JPEG Image File (*.jpg)|*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|Portable Document Format "
    "(*.pdf)|*.pdf|CompuServe GIF Image (*.gif)|*.gif|PNG Image (*.png)|*.png|Grimacer Project (*.ora)|*.ora";
// The status bar's word after a flat save merged the layers into the picture.
inline constexpr const char* kLayersMergedMessage =
    "The layers were merged into the picture. To keep them apart, use Save As \"Grimacer Project (*.ora)\".";
inline constexpr const char* kSavePictureDefaultExt = "bmp";

// A picture file's bytes and the lower-cased extension of the format they are in; for a
// protected file the deciphered inner file and its inner extension.
struct TPictureSource {
  std::string Extension;
  TBytes Bytes;
};

TPictureSource ReadPictureSource(const std::string& path);

// Reads a picture of any supported kind for features that need one outside the document
// (backgrounds, chroma key). PNG pictures come back with their colour only, fully opaque.
// Fails with "Unsupported image format" for other kinds.
TDecodedPicture LoadGraphicFile(const std::string& path);

}  // namespace gs

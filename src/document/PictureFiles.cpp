// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PictureFiles.h"

#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "codecs/ProtectedImage.h"
#include "common/Errors.h"
#include "document/Transparency.h"

namespace gs {

TPictureSource ReadPictureSource(const std::string& path) {
  TPictureSource source{LowerCase(ExtractFileExt(path)), {}};
  // Refuse unknown kinds before reading what may be a huge unrelated file.
  if (source.Extension != ".mfk" && !IsDecodableExtension(source.Extension))
    throw Exception("Unsupported image format");
  source.Bytes = ReadFileBytes(path);
  if (source.Extension == ".mfk") {
    TProtectedContent inner = DecipherProtected(source.Bytes);
    source.Extension = inner.InnerExtension;
    source.Bytes = std::move(inner.Inner);
  }
  return source;
}

TDecodedPicture LoadGraphicFile(const std::string& path) {
  const TPictureSource source = ReadPictureSource(path);
  TDecodedPicture picture = DecodePicture(source.Extension, source.Bytes);
  if (source.Extension == ".png") MakeOpaque(picture.Bitmap);
  return picture;
}

}  // namespace gs

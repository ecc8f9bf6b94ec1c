// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PictureFiles.h"

#include "codecs/FileIO.h"
#include "codecs/ProtectedImage.h"
#include "common/Errors.h"
#include "document/Transparency.h"

namespace gs {

TPictureSource ReadPictureSource(const std::string& path) {
  TPictureSource source{LowerCase(ExtractFileExt(path)), {}};
  // Refuse unknown kinds before reading what may be a huge unrelated file.
  const TPictureKind* kind = PictureKindOf(source.Extension);
  if (!kind || kind->OpenPlace == 0) throw Exception(UnsupportedFormatMessage(path));
  source.Bytes = ReadFileBytes(path);
  // Renamed files are read as what they hold; a protected file's own bytes name no kind.
  source.Extension = ExtensionForContent(source.Extension, source.Bytes);
  if (PictureKindOf(source.Extension)->Id == TPictureKindId::Protected) {
    TProtectedContent inner = DecipherProtected(source.Bytes);
    source.Extension = ExtensionForContent(inner.InnerExtension, inner.Inner);
    source.Bytes = std::move(inner.Inner);
  }
  return source;
}

TDecodedPicture DecodePictureSource(const TPictureSource& source, const std::string& path) {
  const TPictureKind* kind = PictureKindOf(source.Extension);
  if (!kind || !kind->Read) throw Exception(UnsupportedFormatMessage(path));
  try {
    return kind->Read(source.Bytes);
  } catch (const EInvalidGraphic& e) {
    throw EInvalidGraphic(ExtractFileName(path) + ": " + e.what());
  } catch (const EOutOfResources& e) {
    throw EOutOfResources(ExtractFileName(path) + ": " + e.what());
  }
}

bool AsksTransparentImage(const std::string& lowerExt) {
  const TPictureKind* kind = PictureKindOf(lowerExt);
  return kind && kind->HasKeyColour;
}

TDecodedPicture LoadGraphicFile(const std::string& path) {
  const TPictureSource source = ReadPictureSource(path);
  TDecodedPicture picture = DecodePictureSource(source, path);
  const TPictureKind* kind = PictureKindOf(source.Extension);
  if (kind && kind->OpensWithoutAlpha) MakeOpaque(picture.Bitmap);
  return picture;
}

}  // namespace gs

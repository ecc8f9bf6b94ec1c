// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DecodeByExtension.h"

#include "codecs/PictureKinds.h"
#include "common/Errors.h"

namespace gs {

bool IsDecodableExtension(const std::string& lowerExt) {
  const TPictureKind* kind = PictureKindOf(lowerExt);
  return kind && kind->Read;
}

TDecodedPicture DecodePicture(const std::string& lowerExt, TByteSpan bytes) {
  const TPictureKind* kind = PictureKindOf(ExtensionForContent(lowerExt, bytes));
  if (!kind || !kind->Read) throw Exception("Unsupported image format");
  return kind->Read(bytes);
}

}  // namespace gs

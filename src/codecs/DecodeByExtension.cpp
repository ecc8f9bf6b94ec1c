// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/DecodeByExtension.h"

#include "codecs/Bmp.h"
#include "codecs/ExifOrientation.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "common/Errors.h"

namespace gs {

bool IsDecodableExtension(const std::string& lowerExt) {
  return lowerExt == ".gif" || lowerExt == ".png" || lowerExt == ".jpg" || lowerExt == ".jpeg" ||
         lowerExt == ".bmp";
}

TDecodedPicture DecodePicture(const std::string& lowerExt, TByteSpan bytes) {
  if (lowerExt == ".gif") return DecodeGif(bytes);
  if (lowerExt == ".bmp") return DecodeBmp(bytes);
  // Phones store portraits as landscape pixels with an EXIF orientation that every viewer
  // honours; the picture is turned here, where every opening (document, clipart, backgrounds,
  // protected files) decodes, so nothing after this sees it sideways.
  if (lowerExt == ".png") {
    TDecodedPicture picture = DecodePng(bytes);
    OrientPicture(picture.Bitmap, ParseExifOrientation(FindPngExif(bytes)));
    return picture;
  }
  if (lowerExt == ".jpg" || lowerExt == ".jpeg") {
    TDecodedPicture picture{DecodeJpeg(bytes), {}};
    OrientPicture(picture.Bitmap, ParseExifOrientation(FindJpegExif(bytes)));
    return picture;
  }
  throw Exception("Unsupported image format");
}

}  // namespace gs

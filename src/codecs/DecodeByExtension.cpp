#include "codecs/DecodeByExtension.h"

#include "codecs/Bmp.h"
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
  if (lowerExt == ".png") return DecodePng(bytes);
  if (lowerExt == ".bmp") return DecodeBmp(bytes);
  if (lowerExt == ".jpg" || lowerExt == ".jpeg") return TDecodedPicture{DecodeJpeg(bytes), {}};
  throw Exception("Unsupported image format");
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Webp.h"

#include "common/Errors.h"
#include "common/Limits.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <bit>
#include <cstring>
#include <memory>

namespace gs {
namespace {

static_assert(std::endian::native == std::endian::little,
              "libwebp's BGRA rows are the bitmap's layout only on little-endian machines");

[[noreturn]] void Broken(const char* what) { throw EInvalidGraphic(std::string("WebP: ") + what); }

const char* FeatureError(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file is cut off";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "a feature this reader does not support";
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    default: return "not a WebP picture, or a broken one";
  }
}

TBitmap32 DecodeStill(TByteSpan bytes, int width, int height) {
  TBitmap32 bitmap;
  bitmap.SetSize(width, height);
  const size_t stride = size_t(width) * 4;
  auto* out = reinterpret_cast<uint8_t*>(bitmap.Bits());
  if (!WebPDecodeBGRAInto(bytes.data(), bytes.size(), out, stride * size_t(height), int(stride)))
    Broken("the picture data is broken or cut off");
  return bitmap;
}

struct TDemuxDeleter {
  void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct TAnimDecoderDeleter {
  void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

// The first frame as a viewer shows it: drawn on the canvas, which may be larger than the frame.
TBitmap32 DecodeFirstFrame(TByteSpan bytes) {
  const WebPData data{bytes.data(), bytes.size()};
  // The canvas size comes from the demuxer, which allocates nothing for pixels: the animation
  // decoder would allocate the whole canvas before we could refuse it.
  {
    std::unique_ptr<WebPDemuxer, TDemuxDeleter> demux(WebPDemux(&data));
    if (!demux) Broken("the animation's chunks are broken or cut off");
    CheckPictureSize(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH),
                     WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    if (WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT) == 0) Broken("the animation has no frame");
  }
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) Broken("libwebp is too old");
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  std::unique_ptr<WebPAnimDecoder, TAnimDecoderDeleter> decoder(WebPAnimDecoderNew(&data, &options));
  if (!decoder) Broken("the animation cannot be read");
  WebPAnimInfo info;
  if (!WebPAnimDecoderGetInfo(decoder.get(), &info)) Broken("the animation cannot be read");
  uint8_t* pixels = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp) || !pixels)
    Broken("the first frame is broken or cut off");
  TBitmap32 bitmap;
  bitmap.SetSize(int(info.canvas_width), int(info.canvas_height));
  std::memcpy(bitmap.Bits(), pixels, size_t(info.canvas_width) * info.canvas_height * 4);
  return bitmap;
}

}  // namespace

TDecodedPicture DecodeWebp(TByteSpan bytes) {
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
  if (status != VP8_STATUS_OK) Broken(FeatureError(status));
  if (features.has_animation) return {DecodeFirstFrame(bytes), {}};
  CheckPictureSize(features.width, features.height);
  return {DecodeStill(bytes, features.width, features.height), {}};
}

}  // namespace gs

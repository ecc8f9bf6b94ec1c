// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/Webp.h"

#include "common/Errors.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <unordered_set>

namespace gs {
namespace {

constexpr int kMaxWebpSide = WEBP_MAX_DIMENSION;
constexpr size_t kDrawingColours = 256;

void CheckWebpSize(int width, int height) {
  if (width <= 0 || height <= 0) throw Exception("An empty picture cannot be saved as WebP");
  if (width > kMaxWebpSide || height > kMaxWebpSide)
    throw Exception("A WebP picture may be at most " + std::to_string(kMaxWebpSide) +
                    " pixels a side; this one is " + std::to_string(width) + " x " +
                    std::to_string(height));
}

bool HasTransparency(const TBitmap32& picture) {
  const TColor32* p = picture.Bits();
  return std::any_of(p, p + size_t(picture.Width()) * picture.Height(),
                     [](TColor32 c) { return AlphaOf(c) != 0xFF; });
}

bool HasFewColours(const TBitmap32& picture) {
  std::unordered_set<TColor32> seen;
  const TColor32* p = picture.Bits();
  for (size_t i = 0, n = size_t(picture.Width()) * picture.Height(); i < n; ++i)
    if (seen.insert(p[i]).second && seen.size() > kDrawingColours) return false;
  return true;
}

WebPConfig ConfigFor(const TWebpOptions& options) {
  WebPConfig config;
  if (!WebPConfigInit(&config)) throw Exception("WebP: libwebp does not match its header");
  config.lossless = options.Lossless ? 1 : 0;
  config.quality = float(std::clamp(options.Quality, 0, 100));
  // Transparent pixels keep no colour of their own: let the coder pick what costs least.
  config.exact = 0;
  return config;
}

// Points a libwebp picture at the bitmap's rows (B, G, R, A in memory, as libwebp's BGRA).
void ImportBitmap(WebPPicture& picture, const TBitmap32& bitmap, bool lossless) {
  if (!WebPPictureInit(&picture)) throw Exception("WebP: libwebp does not match its header");
  picture.width = bitmap.Width();
  picture.height = bitmap.Height();
  picture.use_argb = lossless ? 1 : 0;
  const auto* bgra = reinterpret_cast<const uint8_t*>(bitmap.Bits());
  if (!WebPPictureImportBGRA(&picture, bgra, bitmap.Width() * 4))
    throw EOutOfResources("WebP: not enough memory for the picture");
}

struct TPictureGuard {
  WebPPicture& Picture;
  ~TPictureGuard() { WebPPictureFree(&Picture); }
};

}  // namespace

TWebpOptions StillWebpOptions(const TBitmap32& picture) {
  if (HasTransparency(picture) || HasFewColours(picture)) return TWebpOptions{true, 75};
  return TWebpOptions{false, 90};
}

TBytes EncodeWebp(const TBitmap32& bitmap, const TWebpOptions& options) {
  CheckWebpSize(bitmap.Width(), bitmap.Height());
  WebPConfig config = ConfigFor(options);
  WebPPicture picture;
  ImportBitmap(picture, bitmap, options.Lossless);
  TPictureGuard guard{picture};
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  const bool ok = WebPEncode(&config, &picture) != 0;
  TBytes bytes(writer.mem, writer.mem + writer.size);
  WebPMemoryWriterClear(&writer);
  if (!ok) throw Exception("WebP: the picture could not be encoded (error " +
                           std::to_string(int(picture.error_code)) + ")");
  return bytes;
}

TBytes EncodeWebp(const TBitmap32& picture) {
  CheckWebpSize(picture.Width(), picture.Height());
  return EncodeWebp(picture, StillWebpOptions(picture));
}

struct TAnimatedWebpWriter::TState {
  WebPAnimEncoder* Encoder = nullptr;
  WebPConfig Config;
  int Width = 0;
  int Height = 0;
  int Timestamp = 0;  // milliseconds at which the next frame starts
  ~TState() {
    if (Encoder) WebPAnimEncoderDelete(Encoder);
  }
};

TAnimatedWebpWriter::TAnimatedWebpWriter(int width, int height, bool loop, const TWebpOptions& options)
    : State_(std::make_unique<TState>()) {
  CheckWebpSize(width, height);
  State_->Config = ConfigFor(options);
  // Measured on a drawn portrait's caricature (bench/webp/CompareAnimation.cpp): sharper colour
  // edges when converting to YUV gain 0.9 dB for 6 % more bytes (a higher quality gains about
  // half that for them), a filter chosen per frame 0.1 dB for nothing. Together they take about
  // twice the encoding time: half a second for 22 frames of 600 x 750 at quality 86.
  State_->Config.use_sharp_yuv = 1;
  State_->Config.autofilter = 1;
  State_->Width = width;
  State_->Height = height;
  WebPAnimEncoderOptions animation;
  if (!WebPAnimEncoderOptionsInit(&animation)) throw Exception("WebP: libwebp does not match its header");
  animation.anim_params.loop_count = loop ? 0 : 1;  // 0: for ever
  animation.anim_params.bgcolor = 0;                // transparent where no frame draws
  // Each frame may be lossy or lossless, whichever is smaller: flat caricature areas code
  // better lossless, the photo's texture lossy.
  animation.allow_mixed = options.Lossless ? 0 : 1;
  State_->Encoder = WebPAnimEncoderNew(width, height, &animation);
  if (!State_->Encoder) throw EOutOfResources("WebP: not enough memory for the animation");
}

TAnimatedWebpWriter::~TAnimatedWebpWriter() = default;

void TAnimatedWebpWriter::AddFrame(const TBitmap32& frame, int durationMs) {
  if (!State_->Encoder) throw Exception("WebP: the animation is already finished");
  if (frame.Width() != State_->Width || frame.Height() != State_->Height)
    throw Exception("WebP: every frame of an animation must have the same size");
  WebPPicture picture;
  // Handed over as ARGB even for lossy frames: the animation encoder works on ARGB canvases,
  // and a picture imported as YUV would be turned back, losing its colour detail twice.
  ImportBitmap(picture, frame, true);
  TPictureGuard guard{picture};
  if (!WebPAnimEncoderAdd(State_->Encoder, &picture, State_->Timestamp, &State_->Config))
    throw Exception(std::string("WebP: a frame could not be encoded: ") +
                    WebPAnimEncoderGetError(State_->Encoder));
  State_->Timestamp += std::max(durationMs, 1);
}

TBytes TAnimatedWebpWriter::Finish() {
  if (!State_->Encoder) throw Exception("WebP: the animation is already finished");
  // A last call without a picture ends the last frame at the given time.
  if (!WebPAnimEncoderAdd(State_->Encoder, nullptr, State_->Timestamp, nullptr))
    throw Exception(std::string("WebP: the animation could not be finished: ") +
                    WebPAnimEncoderGetError(State_->Encoder));
  WebPData data;
  WebPDataInit(&data);
  if (!WebPAnimEncoderAssemble(State_->Encoder, &data))
    throw Exception(std::string("WebP: the animation could not be assembled: ") +
                    WebPAnimEncoderGetError(State_->Encoder));
  TBytes bytes(data.bytes, data.bytes + data.size);
  WebPDataClear(&data);
  WebPAnimEncoderDelete(State_->Encoder);
  State_->Encoder = nullptr;
  return bytes;
}

}  // namespace gs

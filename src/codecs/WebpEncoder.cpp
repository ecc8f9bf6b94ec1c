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

// The picture coded with config into memory; `what` names it when that fails.
TBytes Encoded(WebPPicture& picture, const WebPConfig& config, const char* what) {
  WebPMemoryWriter writer;
  WebPMemoryWriterInit(&writer);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &writer;
  const bool ok = WebPEncode(&config, &picture) != 0;
  TBytes bytes(writer.mem, writer.mem + writer.size);
  WebPMemoryWriterClear(&writer);
  if (!ok)
    throw Exception(std::string("WebP: ").append(what).append(" could not be encoded (error ") +
                    std::to_string(int(picture.error_code)) + ")");
  return bytes;
}

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
  return Encoded(picture, config, "the picture");
}

TBytes EncodeWebp(const TBitmap32& picture) {
  CheckWebpSize(picture.Width(), picture.Height());
  return EncodeWebp(picture, StillWebpOptions(picture));
}

namespace {

// The first frame of a lossy animation is coded better than the rest: where the face does not
// move it shows in every frame, while each later frame is coded only where it changed and shows
// once. Measured on a photo's caricature (bench/webp/CompareAnimation.cpp, 22 frames of
// tests/data/public/faces/astronaut.png): the first frame at quality 92 and the others at 66
// take 159 KB for 37.7 dB PSNR, where all at 86 took 210 KB for 37.4 dB.
constexpr int kFirstFrameQualityGain = 26;
// A lossy frame cannot be much better than 44 dB on a drawing's sharp coloured outlines (colour
// is kept at half resolution), so a drawing's first frame is kept exactly: a frame that takes at
// most kDrawingLosslessCost times the bytes lossless that it takes lossy at kDrawingTestQuality.
// The drawn sample portrait takes 2.5 times, and its animation then reaches 44.3 dB at 47 % of
// our dithered GIF's size (the GIF: 42.4 dB); the photos in tests/data/public take 3.8 to 6.2
// times. Tried at one quality, so that a picture is a drawing or not at every quality.
constexpr size_t kDrawingLosslessCost = 3;
constexpr float kDrawingTestQuality = 90;

size_t EncodedSize(const TBitmap32& frame, const WebPConfig& config) {
  WebPPicture picture;
  ImportBitmap(picture, frame, true);
  TPictureGuard guard{picture};
  return Encoded(picture, config, "a frame").size();
}

WebPConfig FirstFrameConfig(const TBitmap32& frame, const WebPConfig& later) {
  if (later.lossless) return later;
  WebPConfig lossless;
  if (!WebPConfigInit(&lossless)) throw Exception("WebP: libwebp does not match its header");
  lossless.lossless = 1;
  lossless.exact = 0;
  WebPConfig test = later;
  test.quality = kDrawingTestQuality;
  if (EncodedSize(frame, lossless) <= kDrawingLosslessCost * EncodedSize(frame, test)) return lossless;
  WebPConfig lossy = later;
  lossy.quality = std::min(later.quality + float(kFirstFrameQualityGain), 100.0f);
  return lossy;
}

}  // namespace

struct TAnimatedWebpWriter::TState {
  WebPAnimEncoder* Encoder = nullptr;
  WebPConfig Config;  // the frames after the first
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
  // Measured on the sample portrait's caricature (bench/webp/CompareAnimation.cpp): sharper
  // colour edges when converting to YUV gain 0.3 dB for 2 % more bytes (a photo's 0.5 dB for 4 %),
  // as much as a higher quality gains for them. Its 22 frames of 600 x 750 take under a second
  // to render and encode. A filter chosen per frame (autofilter) would gain a photo 0.05 dB for
  // 0.8 s more on 22 frames of 512 x 512, and the drawing nothing.
  State_->Config.use_sharp_yuv = 1;
  State_->Width = width;
  State_->Height = height;
  WebPAnimEncoderOptions animation;
  if (!WebPAnimEncoderOptionsInit(&animation)) throw Exception("WebP: libwebp does not match its header");
  animation.anim_params.loop_count = loop ? 0 : 1;  // 0: for ever
  animation.anim_params.bgcolor = 0;                // transparent where no frame draws
  // Lossless or lossy is chosen for the first frame alone (FirstFrameConfig): libwebp's own
  // choice of the smaller would override it. The later frames of a drawn, a flat-coloured and a
  // photo portrait's caricature all came out smaller lossy when it was left to choose.
  animation.allow_mixed = 0;
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
  const bool first = State_->Timestamp == 0;  // every frame shows for at least a millisecond
  const WebPConfig config = first ? FirstFrameConfig(frame, State_->Config) : State_->Config;
  if (!WebPAnimEncoderAdd(State_->Encoder, &picture, State_->Timestamp, &config))
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

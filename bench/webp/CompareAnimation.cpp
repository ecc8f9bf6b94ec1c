// SPDX-License-Identifier: GPL-3.0-or-later
// The caricature of a portrait animated as our GIF and as our animated WebP: the sizes of the
// two files, and how close each one's frames come to the frames rendered (PSNR over the red,
// green and blue of every shown frame together). The strokes are those of
// bench/gifdecoders/check_readers.sh: two warps pulling the cheeks out and a twirl on the mouth,
// 12 frames played back and forth (22 shown). The GIF is dithered as the dialog offers it for
// a photo. `compare_animation PORTRAIT.png [WEBP_QUALITY]`
#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "document/Animation.h"
#include "document/BrushTool.h"
#include "document/Document.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <webp/demux.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace gs;

namespace {

void Stroke(TDocument& doc, TToolMode tool, int size, TPoint at, int ticks) {
  doc.Brushes.SetSize(size);
  doc.Brushes.Choose(tool);
  for (int i = 0; i <= ticks; ++i) doc.Brushes.ApplyAt(at);
}

struct TError {
  double SquaredSum = 0;
  double Samples = 0;
  void Add(const TBitmap32& truth, const uint8_t* bgra) {
    for (int i = 0, n = truth.Width() * truth.Height(); i < n; ++i) {
      const TColor32 c = truth.Bits()[i];
      for (int ch = 0; ch < 3; ++ch) {
        const double d = double((c >> (8 * ch)) & 0xFF) - bgra[4 * i + ch];
        SquaredSum += d * d;
      }
      Samples += 3;
    }
  }
  double Psnr() const { return 10 * std::log10(255.0 * 255.0 * Samples / SquaredSum); }
};

std::vector<QImage> GifFrames(const TBytes& bytes) {
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer, "gif");
  std::vector<QImage> frames;
  for (QImage frame; reader.read(&frame);) frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
  return frames;
}

std::vector<std::vector<uint8_t>> WebpFrames(const TBytes& bytes, int delayMs) {
  const WebPData data{bytes.data(), bytes.size()};
  WebPAnimDecoderOptions options;
  WebPAnimDecoderOptionsInit(&options);
  options.color_mode = MODE_BGRA;
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
  WebPAnimInfo info;
  WebPAnimDecoderGetInfo(decoder, &info);
  std::vector<std::vector<uint8_t>> frames;
  std::vector<int> ends;
  uint8_t* pixels = nullptr;
  int timestamp = 0;
  while (WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
    frames.emplace_back(pixels, pixels + size_t(info.canvas_width) * info.canvas_height * 4);
    ends.push_back(timestamp);
  }
  WebPAnimDecoderDelete(decoder);
  // A frame libwebp merged into the one before shows for as long as both: count it as many times.
  std::vector<std::vector<uint8_t>> shown;
  int start = 0;
  for (size_t i = 0; i < frames.size(); ++i) {
    for (int t = start; t < ends[i]; t += delayMs) shown.push_back(frames[i]);
    start = ends[i];
  }
  return shown;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: compare_animation PORTRAIT.png [WEBP_QUALITY]\n");
    return 2;
  }
  TDocument doc;
  doc.Open(ReadPictureFile(argv[1]));
  Stroke(doc, TToolMode::Warp, 200, TPoint{235, 280}, 12);
  Stroke(doc, TToolMode::Warp, 200, TPoint{365, 280}, 12);
  Stroke(doc, TToolMode::Twirl, 200, TPoint{300, 390}, 8);
  const TAnimationScene scene = SceneOf(doc);
  TAnimationSettings settings;  // 12 frames of 80 ms, looping, back and forth
  settings.Dither = SceneWantsDither(scene);
  const TBytes gif = *EncodeCaricatureAnimation(scene, settings, {});
  const int quality = argc == 3 ? std::atoi(argv[2]) : kAnimationWebpQuality;
  const auto started = std::chrono::steady_clock::now();
  const TBytes webp = *EncodeCaricatureWebp(scene, settings, {}, quality);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  TAnimationFrameRenderer renderer(scene);
  const std::vector<int> order = AnimationOrder(settings.Frames, settings.BackAndForth);
  const std::vector<QImage> gifFrames = GifFrames(gif);
  const std::vector<std::vector<uint8_t>> webpFrames = WebpFrames(webp, settings.DelayCentiseconds * 10);
  if (gifFrames.size() != order.size() || webpFrames.size() != order.size()) {
    std::fprintf(stderr, "frames: %zu shown, %zu in the GIF, %zu in the WebP\n", order.size(), gifFrames.size(),
                 webpFrames.size());
    return 1;
  }
  TError gifError, webpError;
  for (size_t i = 0; i < order.size(); ++i) {
    const TBitmap32 truth = renderer.Render(order[i], settings.Frames);
    gifError.Add(truth, gifFrames[i].constBits());
    webpError.Add(truth, webpFrames[i].data());
  }
  std::printf("%d x %d, %zu frames shown\n", doc.ImageWidth(), doc.ImageHeight(), order.size());
  std::printf("GIF  %8zu bytes  PSNR %.2f dB%s\n", gif.size(), gifError.Psnr(), settings.Dither ? " (dithered)" : "");
  std::printf("WebP %8zu bytes  PSNR %.2f dB (quality %d, rendered and encoded in %.2f s)\n", webp.size(),
              webpError.Psnr(), quality, seconds);
  std::printf("WebP / GIF: %.2f\n", double(webp.size()) / double(gif.size()));
  return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Animate Caricature on a 2-megapixel portrait whose face earlier strokes have bent: 12 frames
// played back and forth (22 shown, 12 rendered), from rendering to the finished GIF bytes,
// without and with dithering. The goal is well under 3 seconds an animation.

#include "BenchNoise.h"
#include "codecs/FileIO.h"
#include "document/Animation.h"
#include "document/BrushTool.h"
#include "document/Document.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace gs;

constexpr int kWidth = 1200;
constexpr int kHeight = 1680;  // 2.0 megapixels

using bench::PixelNoise;

// A shaded backdrop, a face with eyes and a mouth, and sensor noise, so that the colour table
// and the compression see something like a photo rather than flat colour. Without the noise the
// shading is smooth, as in a photo taken in good light or shrunk: the GIF's colours show bands
// there unless dithered (the noise dithers by itself).
TBitmap32 Portrait(bool noise) {
  TBitmap32 b(kWidth, kHeight);
  const double cx = kWidth / 2.0, cy = kHeight * 0.42;
  for (int y = 0; y < kHeight; ++y) {
    TColor32* row = b.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      const int n = noise ? int(PixelNoise(x, y) & 7) : 0;
      const double fx = (x - cx) / 380.0, fy = (y - cy) / 500.0;
      const double face = fx * fx + fy * fy;
      int r = 60 + x * 120 / kWidth, g = 90 + y * 100 / kHeight, bl = 170;
      if (face < 1.0) {
        const double shade = 1.0 - 0.35 * face;
        r = int(240 * shade);
        g = int(190 * shade);
        bl = int(150 * shade);
      }
      for (const double ex : {-150.0, 150.0}) {
        const double dx = (x - cx - ex) / 60.0, dy = (y - cy + 120) / 35.0;
        if (dx * dx + dy * dy < 1.0) r = 40, g = 120, bl = 60;
      }
      const double mx = (x - cx) / 170.0, my = (y - cy - 220) / 45.0;
      if (mx * mx + my * my < 1.0) r = 170, g = 40, bl = 50;
      row[x] = Color32(uint8_t(std::min(255, r + n)), uint8_t(std::min(255, g + n)),
                       uint8_t(std::min(255, bl + n)), 0xFF);
    }
  }
  return b;
}

// The portrait loaded and bent: the eyes blown up with Warp held still, the chin dragged down
// with Putty, the nose twirled.
struct TBentPortrait {
  TDocument Doc;

  explicit TBentPortrait(bool noise) {
    Doc.Open(TLoadedPicture{Portrait(noise)});
    const int cx = kWidth / 2, cy = int(kHeight * 0.42);
    Stroke(TToolMode::Warp, 260, {{cx - 150, cy - 120}, {cx + 150, cy - 120}}, 10);
    Stroke(TToolMode::Putty, 320, Path({cx, cy + 300}, {cx, cy + 420}, 30), 1);
    Stroke(TToolMode::Twirl, 200, {{cx, cy + 40}}, 8);
  }

  static std::vector<TPoint> Path(TPoint from, TPoint to, int steps) {
    std::vector<TPoint> points;
    for (int i = 0; i <= steps; ++i)
      points.push_back(TPoint{from.X + (to.X - from.X) * i / steps, from.Y + (to.Y - from.Y) * i / steps});
    return points;
  }

  // Centres in picture pixels; each point is applied `repeat` times, as the held-button timer does.
  void Stroke(TToolMode mode, int size, const std::vector<TPoint>& centres, int repeat) {
    Doc.Brushes.SetSize(size);
    Doc.Brushes.Choose(mode);
    Doc.Brushes.Stroke.StrokePoint = TPoint{centres.front().X - size / 2, centres.front().Y - size / 2};
    for (const TPoint& c : centres)
      for (int i = 0; i < repeat; ++i)
        Doc.Brushes.ApplyAt(TPoint{c.X - size / 2, c.Y - size / 2});
  }
};

// The picture as an eye sees it from a little way off: every channel averaged over the
// (2 * radius + 1)^2 pixels around (radius 0: the pixels themselves).
std::vector<double> Seen(int w, int h, int radius, const std::function<TColor32(int, int)>& pixel) {
  std::vector<double> out(size_t(w) * size_t(h) * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double sum[3] = {0, 0, 0};
      int n = 0;
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
          const TColor32 c = pixel(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
          sum[0] += RedOf(c), sum[1] += GreenOf(c), sum[2] += BlueOf(c);
          ++n;
        }
      for (int i = 0; i < 3; ++i) out[(size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(i)] = sum[i] / n;
    }
  return out;
}

// The peak signal-to-noise ratio of frame `index` of the GIF (as Qt's reader composes it)
// against the picture, in dB.
double Psnr(const TBytes& gif, int index, const TBitmap32& picture, int radius) {
  QByteArray bytes(reinterpret_cast<const char*>(gif.data()), qsizetype(gif.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "gif");
  QImage frame;
  for (int i = 0; i <= index; ++i) frame = reader.read();
  if (frame.isNull()) return 0;
  frame = frame.convertToFormat(QImage::Format_ARGB32);
  const int w = picture.Width(), h = picture.Height();
  const std::vector<double> a = Seen(w, h, radius, [&](int x, int y) { return TColor32(frame.pixel(x, y)); });
  const std::vector<double> b = Seen(w, h, radius, [&](int x, int y) { return picture.Pixel(x, y); });
  double squares = 0;
  for (size_t i = 0; i < a.size(); ++i) squares += (a[i] - b[i]) * (a[i] - b[i]);
  const double mse = squares / double(a.size());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// state.range(0): 1 with dithering; state.range(1): 1 for the portrait with noise, 0 for the
// smooth one. Besides the time: the file's size, and the PSNR of the caricature (the last frame
// rendered) against the working picture, per pixel and seen over 3 x 3 pixels. Dithering shows
// its worth in the second: per pixel, nothing beats the nearest colour.
// With GS_ANIMATE_BENCH_OUT set to a folder, the GIFs are also written there for other tools.
void BM_AnimateCaricature(benchmark::State& state) {
  const bool dither = state.range(0) != 0;
  const bool noise = state.range(1) != 0;
  static std::unique_ptr<TBentPortrait> made[2];  // each made when first asked for
  if (!made[noise]) made[noise] = std::make_unique<TBentPortrait>(noise);
  const TBentPortrait& portrait = *made[noise];
  const TAnimationScene scene = SceneOf(portrait.Doc);
  const TAnimationSettings settings{12, 8, true, true, dither};
  std::optional<TBytes> gif;
  int steps = 0;
  for (auto _ : state) {
    steps = 0;
    gif = EncodeCaricatureAnimation(scene, settings, [&](int, int) { return ++steps > 0; });
    benchmark::DoNotOptimize(gif);
  }
  if (!gif) return state.SkipWithError("no animation");
  state.counters["file_MB"] = double(gif->size()) / 1e6;
  state.counters["frames_shown"] = double(AnimationOrder(settings.Frames, settings.BackAndForth).size());
  state.counters["progress_steps"] = steps;
  state.counters["psnr_dB"] = Psnr(*gif, settings.Frames - 1, portrait.Doc.ViewBitmap, 0);
  state.counters["psnr_3x3_dB"] = Psnr(*gif, settings.Frames - 1, portrait.Doc.ViewBitmap, 1);
  if (const char* folder = std::getenv("GS_ANIMATE_BENCH_OUT"))
    WriteFileBytes(std::string(folder) + (noise ? "/photo" : "/smooth-photo") + (dither ? "-dither.gif" : ".gif"), *gif);
}
BENCHMARK(BM_AnimateCaricature)
    ->ArgNames({"dither", "noise"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

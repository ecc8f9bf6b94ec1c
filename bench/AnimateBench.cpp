// Animate Caricature on a 2-megapixel portrait whose face earlier strokes have bent: 12 frames
// played back and forth (22 shown, 12 rendered), from rendering to the finished GIF bytes.
// The goal is well under 3 seconds an animation.

#include "shell/document/Animation.h"
#include "shell/document/BrushTool.h"
#include "shell/document/Document.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

using namespace gs;

constexpr int kWidth = 1200;
constexpr int kHeight = 1680;  // 2.0 megapixels

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// A shaded backdrop, a face with eyes and a mouth, and sensor noise, so that the colour table
// and the compression see something like a photo rather than flat colour.
TBitmap32 Portrait() {
  TBitmap32 b(kWidth, kHeight);
  const double cx = kWidth / 2.0, cy = kHeight * 0.42;
  for (int y = 0; y < kHeight; ++y) {
    TColor32* row = b.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      const int n = int(Hash(uint32_t(x) * 7919u + uint32_t(y) * 104729u) & 7);
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

  TBentPortrait() {
    Doc.ReplacePicture(Portrait());
    Doc.ImageWidth = kWidth;
    Doc.ImageHeight = kHeight;
    Doc.ImageLoaded = true;
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

void BM_AnimateCaricature(benchmark::State& state) {
  static const TBentPortrait portrait;
  const TAnimationScene scene = SceneOf(portrait.Doc);
  const TAnimationSettings settings{12, 8, true, true};
  size_t bytes = 0;
  int steps = 0;
  for (auto _ : state) {
    steps = 0;
    const std::optional<TBytes> gif =
        EncodeCaricatureAnimation(scene, settings, [&](int, int) { return ++steps > 0; });
    bytes = gif ? gif->size() : 0;
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["file_MB"] = double(bytes) / 1e6;
  state.counters["frames_shown"] = double(AnimationOrder(settings.Frames, settings.BackAndForth).size());
  state.counters["progress_steps"] = steps;
}
BENCHMARK(BM_AnimateCaricature)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

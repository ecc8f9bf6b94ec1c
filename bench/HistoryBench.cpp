// SPDX-License-Identifier: GPL-3.0-or-later
// The editing history on a 24-megapixel photo: what 200 Warp strokes at Size 300 add to it, and
// how long going one stroke back or forward, and 200 strokes back in one click, takes.

#include "BenchClock.h"
#include "document/Document.h"
#include "document/History.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

namespace {

using namespace gs;
using namespace gs::bench;

constexpr int kStrokes = 200;
constexpr int kSize = 300;

TBitmap32 Photo() {
  TBitmap32 b(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    TColor32* row = b.ScanLine(y);
    for (int x = 0; x < kWidth; ++x)
      row[x] = Color32(uint8_t(x * 3 + (y >> 2)), uint8_t(y * 5 + (x >> 3)), uint8_t((x ^ y) * 7));
  }
  return b;
}


// A press, a short drag of ten moves and a release, recorded as the window records a stroke.
void WarpStroke(TDocument& doc, std::mt19937& rng) {
  std::uniform_int_distribution<int> x(kSize, kWidth - kSize), y(kSize, kHeight - kSize);
  const TPointF from{double(x(rng)), double(y(rng))};
  const TButtons left{true, false, false};
  doc.History.BeginStroke(doc);
  doc.Brushes.Press(TPointer{from, left, false});
  for (int i = 1; i <= 10; ++i) doc.Brushes.Move(TPointer{TPointF{from.X + 6 * i, from.Y + 3 * i}, left, false});
  doc.Brushes.Tick();
  doc.Brushes.Release();
  doc.History.EndStroke(doc, "Warp stroke");
}

void BM_HistoryOfWarpStrokes(benchmark::State& state) {
  for (auto _ : state) {
    TDocument doc;
    doc.Open(TLoadedPicture{Photo()});
    doc.Brushes.SetSize(kSize);
    doc.Brushes.Choose(TToolMode::Warp);
    std::mt19937 rng(7);
    const auto strokesStart = TClock::now();
    for (int i = 0; i < kStrokes; ++i) WarpStroke(doc, rng);
    const double strokeMs = Milliseconds(strokesStart) / kStrokes;

    double backMs = 0, forwardMs = 0;
    for (int i = 0; i < 10; ++i) {
      auto t = TClock::now();
      doc.History.GoTo(doc, doc.History.Current() - 1);
      backMs = std::max(backMs, Milliseconds(t));
      t = TClock::now();
      doc.History.GoTo(doc, doc.History.Current() + 1);
      forwardMs = std::max(forwardMs, Milliseconds(t));
    }
    const auto allBack = TClock::now();
    doc.History.GoTo(doc, 0);
    const double allBackMs = Milliseconds(allBack);

    state.counters["history_MB"] = double(doc.History.Bytes()) / (1 << 20);
    state.counters["stroke_ms"] = strokeMs;
    state.counters["one_back_ms_max"] = backMs;
    state.counters["one_forward_ms_max"] = forwardMs;
    state.counters["all_back_ms"] = allBackMs;
    state.counters["steps"] = doc.History.Count();
  }
}
BENCHMARK(BM_HistoryOfWarpStrokes)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The warp strokes the file benchmarks put on their 24-megapixel photo: the same 20 strokes of
// a 300-pixel Warp brush every time, so the meshes they save are alike from run to run.

#include "BenchClock.h"
#include "document/Document.h"

#include <random>

namespace gs::bench {

// Each stroke is made between before(doc) and after(doc), for a caller that keeps history steps.
template <class TBefore, class TAfter>
void DrawWarpStrokes(TDocument& doc, TBefore before, TAfter after) {
  doc.Brushes.SetSize(300);
  doc.Brushes.Choose(TToolMode::Warp);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> x(300, kWidth - 300), y(300, kHeight - 300);
  const TButtons left{true, false, false};
  for (int i = 0; i < 20; ++i) {
    const TPointF from{double(x(rng)), double(y(rng))};
    before(doc);
    doc.Brushes.Press(TPointer{from, left, false});
    for (int k = 1; k <= 10; ++k) doc.Brushes.Move(TPointer{TPointF{from.X + 6 * k, from.Y + 3 * k}, left, false});
    doc.Brushes.Release();
    after(doc);
  }
}

inline void DrawWarpStrokes(TDocument& doc) {
  DrawWarpStrokes(doc, [](TDocument&) {}, [](TDocument&) {});
}

}  // namespace gs::bench

// SPDX-License-Identifier: GPL-3.0-or-later
#include "warp/ApplyBrush.h"

#include "warp/Compose.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

// The compiler's own vectorisation of a loop, once more for AVX2, picked at load time.
#if defined(__x86_64__)
#define GS_ALSO_FOR_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define GS_ALSO_FOR_AVX2
#endif

namespace gs {

namespace {

// Rows are written back and re-rendered in bands of this many, amortising the render call.
constexpr int kBand = 8;

// Half the step since the last application plus half the previous carry: each older step
// counts half as much as the next.
TFixed NextCarry(int64_t from, int64_t to, TFixed carry) {
  return RoundHalfEven((double(from - to) * 65536.0 + double(carry)) / 2.0);
}

// How many rows above its own a stamp row may read from the map: the most negative vertical
// displacement of the (scaled) cells, in whole rows. INT_MAX when scaling may wrap round and
// the reach cannot be bounded. (A pass over the whole stamp: the AVX2 clone of the loop is
// about twice as fast.)
GS_ALSO_FOR_AVX2 int64_t RowsReadAbove(const TVectorMap& stamp, int i0, int i1, int j0, int j1,
                                       TFixed scaleY, bool scaled) {
  TFixed low = INT32_MAX, high = INT32_MIN;
  for (int j = j0; j <= j1; ++j) {
    const TFixedVector* row = stamp.Row(j);
    for (int i = i0; i <= i1; ++i) {
      low = std::min(low, row[i].Y);
      high = std::max(high, row[i].Y);
    }
  }
  int64_t reach = low;
  if (scaled) {
    // FixedMul is monotonic in the cell as long as neither end wraps round.
    const int64_t a = int64_t(scaleY) * low >> 16;
    const int64_t b = int64_t(scaleY) * high >> 16;
    if (a != int64_t(TFixed(a)) || b != int64_t(TFixed(b))) return INT_MAX;
    reach = std::min(a, b);
  }
  return reach >= 0 ? 0 : -(reach >> 16);
}

// The stamp cells i0..i1 of rows j0..j1 that land on the map with the stamp's top-left cell at
// (px, py); in 64 bits, so that a point far off the picture clips instead of overflowing.
struct TCellsOnMap {
  int64_t I0, I1, J0, J1;
  bool Empty() const { return I0 > I1 || J0 > J1; }
};

TCellsOnMap CellsOnMap(const TVectorMap& map, int64_t px, int64_t py, int ws, int hs) {
  return TCellsOnMap{-std::min<int64_t>(px, 0),
                     std::min<int64_t>(px + ws - 1, int64_t(map.Width()) - 1) - px,
                     -std::min<int64_t>(py, 0),
                     std::min<int64_t>(py + hs - 1, int64_t(map.Height()) - 1) - py};
}

// The stamp's square of dst: in 64 bits, then clipped to the picture, which keeps it within
// int range.
TRect SquareOn(const TBitmap32& dst, int64_t px, int64_t py, int ws, int hs) {
  const TRect bounds = dst.BoundsRect();
  const TRect square{int(std::clamp<int64_t>(px, bounds.Left, bounds.Right)),
                     int(std::clamp<int64_t>(py, bounds.Top, bounds.Bottom)),
                     int(std::clamp<int64_t>(px + ws, bounds.Left, bounds.Right)),
                     int(std::clamp<int64_t>(py + hs, bounds.Top, bounds.Bottom))};
  return Intersect(square, bounds);
}

// Re-renders the rows top .. bottom - 1 of the square.
void RenderRows(const TRemapTransformation& mesh, TBitmap32& dst, const TBitmap32& source,
                const TRect& square, int64_t top, int64_t bottom, TRemapKernel kernel) {
  TRect band = square;
  band.Top = int(std::max<int64_t>(top, band.Top));
  band.Bottom = int(std::min<int64_t>(bottom, band.Bottom));
  if (band.Bottom > band.Top) mesh.ClearAndRender(dst, source, band, kernel);
}

// cell * (2^32 - pull) / 2^32 toward zero for both components. The product fits 64 bits:
// |cell| <= 2^31 and the factor <= 2^32, and -2^31 * 2^32 is exactly INT64_MIN.
GS_ALSO_FOR_AVX2 void PullRow(const TFixedVector* weights, TFixedVector* cells, int64_t count,
                              int64_t strength) {
  constexpr int64_t kWhole = int64_t(1) << 32;
  for (int64_t i = 0; i < count; ++i) {
    const int64_t w = std::clamp<int64_t>(weights[i].X, 0, kFixedOne);
    const int64_t keep = kWhole - w * strength;
    cells[i].X = TFixed(int64_t(cells[i].X) * keep / kWhole);
    cells[i].Y = TFixed(int64_t(cells[i].Y) * keep / kWhole);
  }
}

}  // namespace

TRect ApplyBrush(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                 const TVectorMap& stamp, TVectorMap& scratch, TPoint p, bool putty,
                 TStrokeState& state, TRemapKernel kernel) {
  mesh.CheckRects();  // before the map changes: a failed render must not leave it half done
  TVectorMap& map = mesh.VectorMap();
  const int ws = stamp.Width();
  const int hs = stamp.Height();
  scratch.SetSize(ws, hs);
  kernel = ResolveRemapKernel(kernel);

  const int64_t px = p.X;
  const int64_t py = p.Y;
  const TCellsOnMap cells = CellsOnMap(map, px, py, ws, hs);
  const int64_t i0 = cells.I0, i1 = cells.I1, j0 = cells.J0, j1 = cells.J1;

  TFixedVector scale{kFixedOne, kFixedOne};
  if (putty) {
    state.PuttyCarry = TFixedVector{NextCarry(state.StrokePoint.X, px, state.PuttyCarry.X),
                                    NextCarry(state.StrokePoint.Y, py, state.PuttyCarry.Y)};
    scale = state.PuttyCarry;
  }

  const TRect rendered = SquareOn(dst, px, py, ws, hs);
  const auto render = [&](int64_t top, int64_t bottom) {
    RenderRows(mesh, dst, source, rendered, top, bottom, kernel);
  };

  int64_t renderedTo = rendered.Top;  // rows above are done
  if (i0 <= i1 && j0 <= j1) {
    // Rows go through compose, write-back and render in one sweep, so that the stamp, the
    // scratch rows, the map rows and the pixels involved stay in cache. A map row is written
    // back once no later stamp row can read it; until then its new cells wait in scratch,
    // used as a ring of rows.
    const int64_t lag = RowsReadAbove(stamp, int(i0), int(i1), int(j0), int(j1), scale.Y, putty);
    const int64_t ring = std::min<int64_t>(lag + kBand, hs);
    const size_t bytes = size_t(i1 - i0 + 1) * sizeof(TFixedVector);
    const auto slot = [&](int64_t j) { return scratch.Row(int(j % ring)); };
    int64_t next = j0;  // first row not yet written back
    for (int64_t j = j0; j <= j1; ++j) {
      ComposeRow(map, stamp.Row(int(j)), slot(j), int(i0), int(i1), int(px + i0), int(py + j),
                 scale, putty, kernel);
      const int64_t last = j == j1 ? j1 : j - lag;
      if (last - next + 1 < kBand && j != j1) continue;
      for (; next <= last; ++next)
        std::memcpy(map.Row(int(py + next)) + (px + i0), slot(next) + i0, bytes);
      render(renderedTo, py + next);
      renderedTo = std::max<int64_t>(renderedTo, py + next);
    }
  }
  // Rows of the picture below the map, or all of the square when nothing was composed.
  render(renderedTo, rendered.Bottom);
  state.StrokePoint = p;
  return rendered;
}

TRect ReconstructBrush(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                       const TVectorMap& weights, TFixed strength, TPoint p, TStrokeState& state,
                       TRemapKernel kernel) {
  mesh.CheckRects();  // before the map changes, as in ApplyBrush
  TVectorMap& map = mesh.VectorMap();
  kernel = ResolveRemapKernel(kernel);
  const int64_t px = p.X;
  const int64_t py = p.Y;
  const TCellsOnMap cells = CellsOnMap(map, px, py, weights.Width(), weights.Height());
  const TRect rendered = SquareOn(dst, px, py, weights.Width(), weights.Height());
  const int64_t s = std::clamp<int64_t>(strength, 0, kFixedOne);
  int64_t renderedTo = rendered.Top;  // rows above are done
  if (!cells.Empty()) {
    // Pulled and re-rendered in bands, so that the cells and pixels of a band stay in cache.
    for (int64_t j = cells.J0; j <= cells.J1; ++j) {
      PullRow(weights.Row(int(j)) + cells.I0, map.Row(int(py + j)) + (px + cells.I0),
              cells.I1 - cells.I0 + 1, s);
      if ((j - cells.J0 + 1) % kBand != 0 && j != cells.J1) continue;
      RenderRows(mesh, dst, source, rendered, renderedTo, py + j + 1, kernel);
      renderedTo = std::max<int64_t>(renderedTo, py + j + 1);
    }
  }
  RenderRows(mesh, dst, source, rendered, renderedTo, rendered.Bottom, kernel);
  state.StrokePoint = p;
  return rendered;
}

}  // namespace gs

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

  // 64 bits: a point far off the picture must clip, not overflow.
  const int64_t px = p.X;
  const int64_t py = p.Y;
  const int64_t i0 = -std::min<int64_t>(px, 0);
  const int64_t i1 = std::min<int64_t>(px + ws - 1, int64_t(map.Width()) - 1) - px;
  const int64_t j0 = -std::min<int64_t>(py, 0);
  const int64_t j1 = std::min<int64_t>(py + hs - 1, int64_t(map.Height()) - 1) - py;

  TFixedVector scale{kFixedOne, kFixedOne};
  if (putty) {
    state.PuttyCarry = TFixedVector{NextCarry(state.StrokePoint.X, px, state.PuttyCarry.X),
                                    NextCarry(state.StrokePoint.Y, py, state.PuttyCarry.Y)};
    scale = state.PuttyCarry;
  }

  // The square in 64 bits, then clipped to the picture, which keeps it within int range.
  const TRect bounds = dst.BoundsRect();
  const TRect square{int(std::clamp<int64_t>(px, bounds.Left, bounds.Right)),
                     int(std::clamp<int64_t>(py, bounds.Top, bounds.Bottom)),
                     int(std::clamp<int64_t>(px + ws, bounds.Left, bounds.Right)),
                     int(std::clamp<int64_t>(py + hs, bounds.Top, bounds.Bottom))};
  const TRect rendered = Intersect(square, bounds);
  const auto render = [&](int64_t top, int64_t bottom) {
    TRect band = rendered;
    band.Top = int(std::max<int64_t>(top, band.Top));
    band.Bottom = int(std::min<int64_t>(bottom, band.Bottom));
    if (band.Bottom > band.Top) mesh.ClearAndRender(dst, source, band, kernel);
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

}  // namespace gs

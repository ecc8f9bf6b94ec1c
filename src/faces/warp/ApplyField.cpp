// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/warp/ApplyField.h"

#include "common/OnAllCores.h"
#include "warp/Compose.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <thread>

namespace gs {

namespace {

// One row of the field in 16.16, cells x0..x1 of row y, each moved no further than keeps its
// sample inside the picture.
void FieldRow(const TWarpField& field, int y, int x0, int x1, TSize picture, TFixedVector* out) {
  field.RowAt(y, x0, x1, out);
  const int64_t lowY = -int64_t(y) * kFixedOne, highY = int64_t(picture.Height - 1 - y) * kFixedOne;
  for (int x = x0; x <= x1; ++x) {
    TFixedVector& v = out[x - x0];
    v.X = TFixed(std::clamp<int64_t>(v.X, -int64_t(x) * kFixedOne, int64_t(picture.Width - 1 - x) * kFixedOne));
    v.Y = TFixed(std::clamp<int64_t>(v.Y, lowY, highY));
  }
}

// Composed rows waiting to go back into the map.
struct TComposedRow {
  int Y = 0, X0 = 0;
  std::vector<TFixedVector> Cells;
};

// The row put into the map and rendered from it while its cells are still in the cache.
void Settle(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst, const TComposedRow& row) {
  std::copy(row.Cells.begin(), row.Cells.end(), mesh.VectorMap().Row(row.Y) + row.X0);
  mesh.ClearAndRender(dst, source, TRect{row.X0, row.Y, row.X0 + int(row.Cells.size()), row.Y + 1});
}

// Composes rows top..bottom - 1 of the field into the map. A composed row reads the map up to
// `delay` rows above and below, so it goes back only once no later row of the band can read the
// cells it replaces; the band's first and last `delay` rows, which the bands beside it read,
// are kept in `held` until every band is done.
void ComposeBand(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst, const TWarpField& field,
                 int top, int bottom, int delay, std::vector<TComposedRow>& held, TRect& changed) {
  const TVectorMap& map = mesh.VectorMap();
  const TSize picture{map.Width(), map.Height()};
  std::deque<TComposedRow> pending;
  std::vector<TFixedVector> moves;
  auto release = [&](TComposedRow&& row) {
    if (row.Y < top + delay || row.Y >= bottom - delay) held.push_back(std::move(row));
    else Settle(mesh, source, dst, row);
  };
  for (int y = top; y < bottom; ++y) {
    int x0 = 0, x1 = -1;
    if (field.RowSpan(y, x0, x1)) {
      moves.resize(size_t(x1 - x0 + 1));
      FieldRow(field, y, x0, x1, picture, moves.data());
      TComposedRow row{y, x0, std::vector<TFixedVector>(moves.size())};
      ComposeRow(map, moves.data(), row.Cells.data(), 0, x1 - x0, x0, y, TFixedVector{}, false);
      pending.push_back(std::move(row));
      changed = Union(changed, TRect{x0, y, x1 + 1, y + 1});
    }
    while (!pending.empty() && pending.front().Y <= y - delay) {
      release(std::move(pending.front()));
      pending.pop_front();
    }
  }
  for (TComposedRow& row : pending) release(std::move(row));
}

// Whether every cell of the map within r is zero: the mesh there shows the picture as it is.
bool Undisplaced(const TVectorMap& map, const TRect& r) {
  constexpr int kRows = 64;
  std::atomic<bool> zero{true};
  OnAllCores(size_t((r.Height() + kRows - 1) / kRows), [&](size_t k) {
    const int top = r.Top + int(k) * kRows;
    for (int y = top; zero && y < std::min(r.Bottom, top + kRows); ++y) {
      const TFixedVector* row = map.Row(y);
      TFixed any = 0;
      for (int x = r.Left; x < r.Right; ++x) any |= row[x].X | row[x].Y;
      if (any) zero = false;
    }
  });
  return zero;
}

// The field written straight into a map that is all zero wherever the field reads it: the
// composition is then the field itself, and no row reads what another writes. Each row is
// rendered while its cells are still in the cache, which on a face filling a large frame saves
// most of the memory traffic the composition would take.
TRect WriteAndRender(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                     const TWarpField& field, const TRect& bounds) {
  TVectorMap& map = mesh.VectorMap();
  const TSize picture{map.Width(), map.Height()};
  constexpr int kRows = 32;
  const size_t jobs = size_t((bounds.Height() + kRows - 1) / kRows);
  std::vector<TRect> changed(jobs);
  OnAllCores(jobs, [&](size_t k) {
    const int top = bounds.Top + int(k) * kRows;
    for (int y = top; y < std::min(bounds.Bottom, top + kRows); ++y) {
      int x0 = 0, x1 = -1;
      if (!field.RowSpan(y, x0, x1)) continue;
      FieldRow(field, y, x0, x1, picture, map.Row(y) + x0);
      const TRect span{x0, y, x1 + 1, y + 1};
      mesh.ClearAndRender(dst, source, span);
      changed[k] = Union(changed[k], span);
    }
  });
  TRect all;
  for (const TRect& r : changed) all = Union(all, r);
  return all;
}

}  // namespace

TRect ApplyWarpField(TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                     const TWarpField& field, const std::function<void(const TRect&)>& beforeChange) {
  if (field.Empty()) return TRect{};
  TVectorMap& map = mesh.VectorMap();
  const TSize picture{map.Width(), map.Height()};
  const TRect bounds = Intersect(field.Bounds(), TRect{0, 0, picture.Width, picture.Height});
  if (bounds.IsEmpty()) return TRect{};
  mesh.CheckRects();
  // The rows' spans in bands of the history's tiles, rather than the whole square round the
  // disc: a quarter less to keep.
  for (int top = bounds.Top; beforeChange && top < bounds.Bottom; top += 64) {
    TRect band;
    for (int y = top; y < std::min(bounds.Bottom, top + 64); ++y)
      if (int x0 = 0, x1 = -1; field.RowSpan(y, x0, x1)) band = Union(band, TRect{x0, y, x1 + 1, y + 1});
    if (!band.IsEmpty()) beforeChange(band);
  }

  // How far a composed cell reads the map: the field's largest moves, with a cell's room for
  // what the samples between the grid's points may add.
  double reachX = 0, reach = 0;
  const int step = std::max(1, int(field.Disc().Cell / 2));
  for (int y = bounds.Top; y < bounds.Bottom; y += step)
    for (int x = bounds.Left; x < bounds.Right; x += step) {
      const TPointF move = field.At(TPointF{x + 0.5, y + 0.5});
      reachX = std::max(reachX, std::abs(move.X));
      reach = std::max(reach, std::abs(move.Y));
    }
  const int delay = int(std::ceil(reach + field.Disc().Cell)) + 2;
  const int across = int(std::ceil(reachX + field.Disc().Cell)) + 2;
  const TRect read = Intersect(TRect{bounds.Left - across, bounds.Top - delay, bounds.Right + across,
                                     bounds.Bottom + delay},
                               TRect{0, 0, picture.Width, picture.Height});
  if (Undisplaced(map, read)) return WriteAndRender(mesh, source, dst, field, bounds);

  const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  const int bands = std::max(1, std::min(threads, bounds.Height() / (4 * delay)));
  std::vector<std::vector<TComposedRow>> held(static_cast<size_t>(bands));
  std::vector<TRect> changed(static_cast<size_t>(bands));
  OnAllCores(size_t(bands), [&](size_t k) {
    const int top = bounds.Top + int(int64_t(bounds.Height()) * int64_t(k) / bands);
    const int bottom = bounds.Top + int(int64_t(bounds.Height()) * int64_t(k + 1) / bands);
    ComposeBand(mesh, source, dst, field, top, bottom, delay, held[k], changed[k]);
  });
  std::vector<const TComposedRow*> last;
  TRect all;
  for (int k = 0; k < bands; ++k) {
    for (const TComposedRow& row : held[size_t(k)]) last.push_back(&row);
    all = Union(all, changed[size_t(k)]);
  }
  OnAllCores(last.size(), [&](size_t k) { Settle(mesh, source, dst, *last[k]); });
  return all;
}

}  // namespace gs

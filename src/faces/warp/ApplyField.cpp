// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/warp/ApplyField.h"

#include "common/OnAllCores.h"
#include "warp/Compose.h"

#include <algorithm>
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

// Re-renders the rows' spans the field moved, not the square round them, on all cores.
void RenderSpans(const TRemapTransformation& mesh, const TBitmap32& source, TBitmap32& dst,
                 const TWarpField& field, const TRect& r) {
  constexpr int kRows = 32;
  OnAllCores(size_t((r.Height() + kRows - 1) / kRows), [&](size_t k) {
    const int top = r.Top + int(k) * kRows;
    for (int y = top; y < std::min(r.Bottom, top + kRows); ++y)
      if (int x0 = 0, x1 = -1; field.RowSpan(y, x0, x1)) mesh.ClearAndRender(dst, source, TRect{x0, y, x1 + 1, y + 1});
  });
}

}  // namespace

namespace {

// Composed rows waiting to go back into the map.
struct TComposedRow {
  int Y = 0, X0 = 0;
  std::vector<TFixedVector> Cells;
};

void WriteBack(TVectorMap& map, const TComposedRow& row) {
  std::copy(row.Cells.begin(), row.Cells.end(), map.Row(row.Y) + row.X0);
}

// Composes rows top..bottom - 1 of the field into the map. A composed row reads the map up to
// `delay` rows above and below, so it goes back only once no later row of the band can read the
// cells it replaces; the band's first and last `delay` rows, which the bands beside it read,
// are kept in `held` until every band is done.
void ComposeBand(TVectorMap& map, const TWarpField& field, TSize picture, int top, int bottom, int delay,
                 std::vector<TComposedRow>& held, TRect& changed) {
  std::deque<TComposedRow> pending;
  std::vector<TFixedVector> moves;
  auto release = [&](TComposedRow&& row) {
    if (row.Y < top + delay || row.Y >= bottom - delay) held.push_back(std::move(row));
    else WriteBack(map, row);
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

  // How far up or down a composed cell reads the map: the field's largest vertical move.
  double reach = 0;
  const int step = std::max(1, int(field.Disc().Cell / 2));
  for (int y = bounds.Top; y < bounds.Bottom; y += step)
    for (int x = bounds.Left; x < bounds.Right; x += step)
      reach = std::max(reach, std::abs(field.At(TPointF{x + 0.5, y + 0.5}).Y));
  const int delay = int(std::ceil(reach + field.Disc().Cell)) + 2;

  const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  const int bands = std::max(1, std::min(threads, bounds.Height() / (4 * delay)));
  std::vector<std::vector<TComposedRow>> held(static_cast<size_t>(bands));
  std::vector<TRect> changed(static_cast<size_t>(bands));
  OnAllCores(size_t(bands), [&](size_t k) {
    const int top = bounds.Top + int(int64_t(bounds.Height()) * int64_t(k) / bands);
    const int bottom = bounds.Top + int(int64_t(bounds.Height()) * int64_t(k + 1) / bands);
    ComposeBand(map, field, picture, top, bottom, delay, held[k], changed[k]);
  });
  TRect all;
  for (int k = 0; k < bands; ++k) {
    for (const TComposedRow& row : held[size_t(k)]) WriteBack(map, row);
    all = Union(all, changed[size_t(k)]);
  }
  RenderSpans(mesh, source, dst, field, all);
  return all;
}

}  // namespace gs

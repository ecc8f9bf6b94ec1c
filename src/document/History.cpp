// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/History.h"

#include "common/Errors.h"
#include "common/OnAllCores.h"
#include "document/Document.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <tuple>

namespace gs {

namespace {

using TPlane = THistoryStep::TPlane;

// A brush's step holds a few tiles, not worth a thread; a face's holds thousands.
template <class TJob>
void OnCoresIfMany(size_t count, const TJob& job) {
  if (count < 16)
    for (size_t k = 0; k < count; ++k) job(k);
  else
    OnAllCores(count, job);
}

// A stroke's differences are zero but where the brush reached: the fastest level packs them
// well.
TBytes Pack(const TBytes& raw) {
  if (raw.empty()) return {};
  uLongf size = compressBound(uLong(raw.size()));
  TBytes packed(size + 8);
  const uint64_t length = raw.size();
  std::memcpy(packed.data(), &length, 8);
  if (compress2(packed.data() + 8, &size, raw.data(), uLong(raw.size()), 1) != Z_OK)
    throw Exception("There is not enough memory for the editing history.");
  packed.resize(size + 8);
  packed.shrink_to_fit();
  return packed;
}

TBytes Unpack(const TBytes& packed) {
  if (packed.empty()) return {};
  uint64_t length = 0;
  std::memcpy(&length, packed.data(), 8);
  TBytes raw(length);
  uLongf size = uLongf(length);
  if (uncompress(raw.data(), &size, packed.data() + 8, uLong(packed.size() - 8)) != Z_OK || size != length)
    throw Exception("The editing history is damaged.");
  return raw;
}

size_t CellBytes(TPlane plane) { return plane == TPlane::Mesh ? sizeof(TFixedVector) : sizeof(TColor32); }

// The bytes of every cell regrouped by their place in the cell: the high bytes of a stroke's
// differences are nearly all zero, and grouped they pack into long runs, which also unpack fast.
TBytes Shuffle(const TBytes& cells, size_t cell) {
  TBytes planes(cells.size());
  const size_t count = cells.size() / cell;
  for (size_t i = 0; i < count; ++i)
    for (size_t b = 0; b < cell; ++b) planes[b * count + i] = cells[i * cell + b];
  return planes;
}

TBytes Unshuffle(const TBytes& planes, size_t cell) {
  TBytes cells(planes.size());
  const size_t count = planes.size() / cell;
  for (size_t b = 0; b < cell; ++b)
    for (size_t i = 0; i < count; ++i) cells[i * cell + b] = planes[b * count + i];
  return cells;
}

// A mesh's cells change smoothly from one to the next, so each 16.16 component is kept as its
// difference from the same component of the cell before: small numbers whose high bytes are
// runs of 0 and 255. It packs to a quarter of the plain bits, and deflates faster.
constexpr size_t kMeshWords = sizeof(TFixedVector) / sizeof(uint32_t);

// Walks the cells' words in order; `code` gets a word and the plain value of the same word in the
// cell before, which it keeps up to date, and gives the word's new value.
template <class TCode>
void CodeCells(TBytes& cells, TCode code) {
  uint32_t previous[kMeshWords] = {};
  for (size_t at = 0; at + sizeof(TFixedVector) <= cells.size(); at += sizeof(TFixedVector))
    for (size_t w = 0; w < kMeshWords; ++w) {
      uint32_t v;
      std::memcpy(&v, cells.data() + at + 4 * w, 4);
      v = code(v, previous[w]);
      std::memcpy(cells.data() + at + 4 * w, &v, 4);
    }
}

void ToDeltas(TBytes& cells) {
  CodeCells(cells, [](uint32_t v, uint32_t& previous) {
    const uint32_t delta = v - previous;
    previous = v;
    return delta;
  });
}

void FromDeltas(TBytes& cells) {
  CodeCells(cells, [](uint32_t delta, uint32_t& previous) { return previous += delta; });
}

TBytes PackFlipped(TPlane plane, TBytes flipped) {
  if (plane == TPlane::Mesh) ToDeltas(flipped);
  return Pack(Shuffle(flipped, CellBytes(plane)));
}

// The bits a patch flips, whether it is packed or still raw.
TBytes FlippedOf(const THistoryStep::TPatch& patch) {
  if (patch.Raw) return patch.Packed;
  TBytes flipped = Unshuffle(Unpack(patch.Packed), CellBytes(patch.Plane));
  if (patch.Plane == TPlane::Mesh) FromDeltas(flipped);
  return flipped;
}

// The rows of a rectangle of one plane, one after the other.
template <class TRowOf>
TBytes ReadRows(const TRect& r, size_t cell, TRowOf row) {
  TBytes raw(size_t(r.Width()) * size_t(r.Height()) * cell);
  uint8_t* out = raw.data();
  for (int y = r.Top; y < r.Bottom; ++y, out += size_t(r.Width()) * cell)
    std::memcpy(out, row(y) + size_t(r.Left) * cell, size_t(r.Width()) * cell);
  return raw;
}

template <class TRowOf>
void WriteRows(const TRect& r, size_t cell, const TBytes& raw, TRowOf row) {
  if (raw.size() != size_t(r.Width()) * size_t(r.Height()) * cell) throw Exception("The editing history is damaged.");
  const uint8_t* in = raw.data();
  for (int y = r.Top; y < r.Bottom; ++y, in += size_t(r.Width()) * cell)
    std::memcpy(row(y) + size_t(r.Left) * cell, in, size_t(r.Width()) * cell);
}

// Flips the bits a change flipped: the same difference takes the cells there and back.
template <class TRowOf>
void XorRows(const TRect& r, size_t cell, const TBytes& difference, TRowOf row) {
  const size_t width = size_t(r.Width()) * cell;
  if (difference.size() != width * size_t(r.Height())) throw Exception("The editing history is damaged.");
  const uint8_t* in = difference.data();
  for (int y = r.Top; y < r.Bottom; ++y, in += width) {
    uint8_t* out = row(y) + size_t(r.Left) * cell;
    size_t i = 0;
    for (; i + 8 <= width; i += 8) {
      uint64_t a, b;
      std::memcpy(&a, out + i, 8);
      std::memcpy(&b, in + i, 8);
      a ^= b;
      std::memcpy(out + i, &a, 8);
    }
    for (; i < width; ++i) out[i] ^= in[i];
  }
}

const uint8_t* PlaneRow(const TDocument& doc, TPlane plane, int y) {
  switch (plane) {
    case TPlane::Mesh: return reinterpret_cast<const uint8_t*>(doc.MeshTransformation.VectorMap().Row(y));
    case TPlane::Source: return reinterpret_cast<const uint8_t*>(doc.SourceBitmap.ScanLine(y));
    case TPlane::View: return reinterpret_cast<const uint8_t*>(doc.ViewBitmap.ScanLine(y));
  }
  return nullptr;
}

// Turns a patch holding the cells as they were into the bits the change flipped since, in
// place; false when nothing differs.
bool FlipToNow(const TDocument& doc, THistoryStep::TPatch& patch) {
  const size_t width = size_t(patch.Rect.Width()) * CellBytes(patch.Plane);
  uint8_t* kept = patch.Packed.data();
  uint64_t any = 0;
  for (int y = patch.Rect.Top; y < patch.Rect.Bottom; ++y, kept += width) {
    const uint8_t* now = PlaneRow(doc, patch.Plane, y) + size_t(patch.Rect.Left) * CellBytes(patch.Plane);
    size_t i = 0;
    for (; i + 8 <= width; i += 8) {
      uint64_t a, b;
      std::memcpy(&a, kept + i, 8);
      std::memcpy(&b, now + i, 8);
      a ^= b;
      any |= a;
      std::memcpy(kept + i, &a, 8);
    }
    for (; i < width; ++i) any |= (kept[i] ^= now[i]);
  }
  return any != 0;
}

TBytes Read(const TDocument& doc, TPlane plane, const TRect& r) {
  switch (plane) {
    case TPlane::Mesh: {
      const TVectorMap& map = doc.MeshTransformation.VectorMap();
      return ReadRows(r, CellBytes(plane), [&](int y) { return reinterpret_cast<const uint8_t*>(map.Row(y)); });
    }
    case TPlane::Source:
      return ReadRows(r, CellBytes(plane), [&](int y) { return reinterpret_cast<const uint8_t*>(doc.SourceBitmap.ScanLine(y)); });
    case TPlane::View:
      return ReadRows(r, CellBytes(plane), [&](int y) { return reinterpret_cast<const uint8_t*>(doc.ViewBitmap.ScanLine(y)); });
  }
  return {};
}

void Xor(TDocument& doc, TPlane plane, const TRect& r, const TBytes& difference) {
  switch (plane) {
    case TPlane::Mesh: {
      TVectorMap& map = doc.MeshTransformation.VectorMap();
      XorRows(r, CellBytes(plane), difference, [&](int y) { return reinterpret_cast<uint8_t*>(map.Row(y)); });
      break;
    }
    case TPlane::Source:
      XorRows(r, CellBytes(plane), difference, [&](int y) { return reinterpret_cast<uint8_t*>(doc.SourceBitmap.ScanLine(y)); });
      break;
    case TPlane::View:
      XorRows(r, CellBytes(plane), difference, [&](int y) { return reinterpret_cast<uint8_t*>(doc.ViewBitmap.ScanLine(y)); });
      break;
  }
}

TRect PlaneBounds(const TDocument& doc, TPlane plane) {
  if (plane == TPlane::Mesh) {
    const TVectorMap& map = doc.MeshTransformation.VectorMap();
    return TRect{0, 0, map.Width(), map.Height()};
  }
  return (plane == TPlane::Source ? doc.SourceBitmap : doc.ViewBitmap).BoundsRect();
}

// An all-zero mesh, the common case, is kept as nothing at all.
TBytes PackMesh(const TVectorMap& map) {
  if (map.IsIdentity()) return {};
  return Pack(ReadRows(TRect{0, 0, map.Width(), map.Height()}, sizeof(TFixedVector),
                       [&](int y) { return reinterpret_cast<const uint8_t*>(map.Row(y)); }));
}

std::vector<std::unique_ptr<TRotatableLayer>> CopyLayers(const TDocument& doc) {
  std::vector<std::unique_ptr<TRotatableLayer>> copy;
  for (const auto& layer : doc.Layers()) copy.push_back(std::make_unique<TRotatableLayer>(*layer));
  return copy;
}

bool SameLayer(const TRotatableLayer& a, const TRotatableLayer& b) {
  return a.Bitmap == b.Bitmap && a.Location == b.Location && a.Angle == b.Angle && a.Visible == b.Visible &&
         a.Unrotated.has_value() == b.Unrotated.has_value() && (!a.Unrotated || *a.Unrotated == *b.Unrotated);
}

bool SameLayers(const THistoryStep::TWhole& w, const TDocument& doc) {
  if (w.LayerList.size() != doc.Layers().size() || w.Records.size() != doc.LayerRecords().size()) return false;
  for (size_t i = 0; i < w.LayerList.size(); ++i)
    if (!SameLayer(*w.LayerList[i], *doc.Layers()[i])) return false;
  for (size_t i = 0; i < w.Records.size(); ++i)
    if (!(w.Records[i].Picture == doc.LayerRecords()[i].Picture) ||
        !(w.Records[i].Warp.VectorMap() == doc.LayerRecords()[i].Warp.VectorMap()))
      return false;
  return true;
}

}  // namespace

namespace {

// The parts of r on the outermost pixels of a picture with these bounds.
std::vector<TRect> EdgeStrips(const TRect& bounds, const TRect& r) {
  std::vector<TRect> strips;
  const TRect inner{bounds.Left + 1, bounds.Top + 1, bounds.Right - 1, bounds.Bottom - 1};
  const TRect lines[] = {{bounds.Left, bounds.Top, bounds.Right, inner.Top},
                         {bounds.Left, inner.Bottom, bounds.Right, bounds.Bottom},
                         {bounds.Left, inner.Top, inner.Left, inner.Bottom},
                         {inner.Right, inner.Top, bounds.Right, inner.Bottom}};
  for (const TRect& line : lines) {
    const TRect part = Intersect(line, r);
    if (!part.IsEmpty()) strips.push_back(part);
  }
  return strips;
}

// Renders the view where the mesh changed; a tile swapped by several steps is rendered once,
// from the mesh it ends with. Returns the area rendered.
TRect RenderOnce(TDocument& doc, std::vector<TRect>& rerender) {
  std::sort(rerender.begin(), rerender.end(), [](const TRect& a, const TRect& b) {
    return std::tie(a.Top, a.Left, a.Bottom, a.Right) < std::tie(b.Top, b.Left, b.Bottom, b.Right);
  });
  rerender.erase(std::unique(rerender.begin(), rerender.end()), rerender.end());
  TRect changed;
  for (const TRect& r : rerender)
    changed = changed.IsEmpty() ? r
                                : TRect{std::min(changed.Left, r.Left), std::min(changed.Top, r.Top),
                                        std::max(changed.Right, r.Right), std::max(changed.Bottom, r.Bottom)};
  // The rectangles are whole tiles of one grid, each once: a face's thousands render on every
  // core.
  OnCoresIfMany(rerender.size(), [&](size_t k) {
    const TRect& r = rerender[k];
    // The view's outermost pixels need not be what the mesh renders (a filter clears the
    // source's edge to transparent and leaves the view as it was); the steps keep them exactly.
    const std::vector<TRect> edge = EdgeStrips(doc.ViewBitmap.BoundsRect(), r);
    std::vector<TBytes> kept;
    for (const TRect& strip : edge) kept.push_back(Read(doc, TPlane::View, strip));
    doc.MeshTransformation.ClearAndRender(doc.ViewBitmap, doc.SourceBitmap, r);
    for (size_t i = 0; i < edge.size(); ++i)
      WriteRows(edge[i], sizeof(TColor32), kept[i],
                [&](int y) { return reinterpret_cast<uint8_t*>(doc.ViewBitmap.ScanLine(y)); });
  });
  rerender.clear();
  return changed;
}

}  // namespace

struct THistory::TPending {
  // The tiles a stroke touched, as they were before it (raw until the stroke ends), and which
  // ones it touched.
  std::vector<THistoryStep::TPatch> Patches;
  std::set<std::tuple<int, int, int>> Touched;  // plane, tile column, tile row
  std::unique_ptr<THistoryStep::TWhole> Before;
  int Depth = 1;
};

struct THistoryStep::TPacking {
  std::vector<TBytes> Packed;  // per patch; empty where the worker did not pack it
  std::atomic<bool> Stop{false};
  std::atomic<bool> Done{false};
  std::jthread Worker;
};

THistoryStep::THistoryStep(std::string name) : Name(std::move(name)) {}

THistoryStep::~THistoryStep() {
  // The worker reads the raw patches: it stops and is gone before they are.
  if (Packing_) Packing_->Stop = true;
  Packing_.reset();
}

void THistoryStep::PackLater() {
  if (Packing_) return;
  auto packing = std::make_unique<TPacking>();
  packing->Packed.resize(Patches.size());
  TPacking* job = packing.get();
  const std::vector<TPatch>* patches = &Patches;
  // Nothing else writes the raw patches while the worker runs (Settle joins it first), and
  // the document reads them only; a patch that fails to pack stays raw.
  job->Worker = std::jthread([job, patches] {
    try {
      OnAllCores(patches->size(), [&](size_t k) {
        const TPatch& patch = (*patches)[k];
        if (job->Stop || !patch.Raw) return;
        try {
          job->Packed[k] = PackFlipped(patch.Plane, patch.Packed);
        } catch (...) {
        }
      });
    } catch (...) {
    }
    job->Done = true;
  });
  Packing_ = std::move(packing);
}

void THistoryStep::Settle(bool wait) {
  if (!Packing_) return;
  // A worker still running is asked again at the next chance, unless the caller waits.
  if (!wait && !Packing_->Done) return;
  if (Packing_->Worker.joinable()) Packing_->Worker.join();
  for (size_t k = 0; k < Patches.size(); ++k) {
    TBytes& packed = Packing_->Packed[k];
    if (packed.empty()) continue;
    Patches[k].Packed = std::move(packed);
    Patches[k].Raw = false;
  }
  Packing_.reset();
}

void THistoryStep::Swap(TDocument& doc, std::vector<TRect>& rerender) {
  // All or nothing: a patch that cannot be unpacked (memory ran out) puts back the ones flipped
  // before it, so that the document stays at one state of the history.
  std::vector<uint8_t> done(Patches.size(), 0);
  const auto flip = [&](size_t k) {
    const TPatch& patch = Patches[k];
    if (patch.Raw) Xor(doc, patch.Plane, patch.Rect, patch.Packed);
    else Xor(doc, patch.Plane, patch.Rect, FlippedOf(patch));
    done[k] = 1;
  };
  try {
    // The patches' tiles do not overlap: a face's thousands are flipped on every core.
    OnCoresIfMany(Patches.size(), flip);
  } catch (...) {
    for (size_t k = 0; k < Patches.size(); ++k)
      if (done[k]) flip(k);
    throw;
  }
  for (const TPatch& patch : Patches)
    if (patch.Plane == TPlane::Mesh) rerender.push_back(patch.Rect);
  if (Whole && Whole->Picture) {
    // The picture this step keeps for the way back must be the one the steps so far left. What
    // can fail is done before anything is swapped.
    RenderOnce(doc, rerender);
    TBytes current = PackMesh(doc.MeshTransformation.VectorMap());
    const TBytes incoming = Unpack(Whole->PackedMesh);
    std::swap(doc.SourceBitmap, Whole->Source);
    std::swap(doc.ViewBitmap, Whole->View);
    std::swap(doc.ImageWidth_, Whole->ImageWidth);
    std::swap(doc.ImageHeight_, Whole->ImageHeight);
    doc.MeshTransformation.VectorMap().Clear();
    doc.BindMesh();
    TVectorMap& map = doc.MeshTransformation.VectorMap();
    map.Clear();
    if (!incoming.empty())
      WriteRows(TRect{0, 0, map.Width(), map.Height()}, sizeof(TFixedVector), incoming,
                [&](int y) { return reinterpret_cast<uint8_t*>(map.Row(y)); });
    Whole->PackedMesh = std::move(current);
  }
  if (Whole && Whole->Layers) {
    // The layers swapped in are other objects: nothing of them is selected.
    doc.Selection().Clear();
    std::swap(doc.Layers_, Whole->LayerList);
    std::swap(doc.LayerRecords_, Whole->Records);
  }
}

size_t THistoryStep::Bytes() const {
  size_t bytes = sizeof(*this) + Name.size();
  for (const TPatch& patch : Patches) bytes += sizeof(patch) + patch.Packed.capacity();
  if (Whole) {
    bytes += sizeof(*Whole) + Whole->PackedMesh.capacity();
    bytes += size_t(Whole->Source.Width()) * size_t(Whole->Source.Height()) * 4;
    bytes += size_t(Whole->View.Width()) * size_t(Whole->View.Height()) * 4;
    for (const auto& layer : Whole->LayerList) {
      bytes += size_t(layer->Bitmap.Width()) * size_t(layer->Bitmap.Height()) * 4;
      if (layer->Unrotated) bytes += size_t(layer->Unrotated->Width()) * size_t(layer->Unrotated->Height()) * 4;
    }
    for (const TLayerBmp& record : Whole->Records) {
      bytes += size_t(record.Picture.Width()) * size_t(record.Picture.Height()) * 4;
      bytes += size_t(record.Warp.VectorMap().Width()) * size_t(record.Warp.VectorMap().Height()) * 8;
    }
  }
  return bytes;
}

void THistory::Clear() {
  Steps_.clear();
  Current_ = 0;
  Saved_ = 0;
  SavedAfterCommand_ = false;
  StartName = "Open";
  Stroke_.reset();
  Command_.reset();
}

void THistory::SetBudget(size_t bytes) {
  Budget_ = bytes;
  Trim();
}

size_t THistory::Bytes() const {
  size_t bytes = 0;
  for (const auto& step : Steps_) bytes += step->Bytes();
  return bytes;
}

TRect THistory::GoTo(TDocument& doc, int k) {
  k = std::clamp(k, 0, Count());
  std::vector<TRect> rerender;
  bool whole = false;
  // The index moves only once its step has been swapped: a step that fails leaves the document
  // at the state the index names.
  const auto reached = [&] {
    // Undo and Animate's kept scene speak of the state that was left; the one reached has neither.
    doc.DropUndoSnapshot();
    doc.SceneBeforeSave.reset();
  };
  try {
    while (Current_ > k) {
      THistoryStep& step = *Steps_[size_t(Current_ - 1)];
      whole = whole || step.Whole;
      step.Swap(doc, rerender);
      --Current_;
    }
    while (Current_ < k) {
      THistoryStep& step = *Steps_[size_t(Current_)];
      whole = whole || step.Whole;
      step.Swap(doc, rerender);
      ++Current_;
    }
  } catch (...) {
    try {
      RenderOnce(doc, rerender);
    } catch (...) {
      MarkUnsaved();  // the view may show less than the state: closing must still ask
    }
    reached();
    throw;
  }
  const TRect changed = RenderOnce(doc, rerender);
  reached();
  return whole ? doc.ViewBitmap.BoundsRect() : changed;
}

void THistory::Add(std::unique_ptr<THistoryStep> step) {
  // A change after stepping back: the steps ahead no longer lead anywhere, the saved one with them.
  if (Saved_ > Current_) Saved_ = kNowhere;
  Steps_.resize(size_t(Current_));
  Steps_.push_back(std::move(step));
  Current_ = Count();
  if (SavedAfterCommand_) Saved_ = Current_;
  Trim();
}

void THistory::MarkSaved() {
  Saved_ = Current_;
  SavedAfterCommand_ = Command_ != nullptr;
}

void THistory::FinishPacking() {
  for (const auto& step : Steps_) step->Settle(true);
}

void THistory::Trim() {
  for (const auto& step : Steps_) step->Settle(false);
  size_t bytes = Bytes();
  // Steps still raw count more than they will: nothing is dropped for them.
  if (bytes > Budget_ && std::any_of(Steps_.begin(), Steps_.end(), [](const auto& s) { return s->Packing(); })) {
    FinishPacking();
    bytes = Bytes();
  }
  // The oldest steps go first, but never the one the document shows.
  while (bytes > Budget_ && Current_ >= 2) {
    bytes -= Steps_.front()->Bytes();
    Steps_.erase(Steps_.begin());
    --Current_;
    // The state before the dropped step cannot be reached any more.
    Saved_ = Saved_ > 0 ? Saved_ - 1 : kNowhere;
    StartName = "Earlier steps";
  }
  while (bytes > Budget_ && Current_ < Count()) {
    bytes -= Steps_.back()->Bytes();
    Steps_.pop_back();
  }
  if (Saved_ > Count()) Saved_ = kNowhere;
}

void THistory::BeginStroke(const TDocument& doc) {
  Stroke_ = std::make_shared<TPending>();
  Stroke_->Before = std::make_unique<THistoryStep::TWhole>();
  Stroke_->Before->Layers = true;
  Stroke_->Before->LayerList = CopyLayers(doc);
  Stroke_->Before->Records = doc.LayerRecords();
}

void THistory::Touch(const TDocument& doc, TPlane plane, const TRect& rect) {
  if (!Stroke_) return;
  const TRect r = Intersect(rect, PlaneBounds(doc, plane));
  if (r.IsEmpty()) return;
  const TRect bounds = PlaneBounds(doc, plane);
  std::vector<THistoryStep::TPatch>& patches = Stroke_->Patches;
  const size_t first = patches.size();
  for (int ty = r.Top / kTile; ty <= (r.Bottom - 1) / kTile; ++ty)
    for (int tx = r.Left / kTile; tx <= (r.Right - 1) / kTile; ++tx) {
      if (!Stroke_->Touched.insert({int(plane), tx, ty}).second) continue;
      const TRect tile = Intersect(TRect{tx * kTile, ty * kTile, (tx + 1) * kTile, (ty + 1) * kTile}, bounds);
      patches.push_back({plane, tile, {}});
    }
  // Kept raw while the stroke goes on, so the brush does not wait for the compressor; a face's
  // band of a hundred tiles is read on every core.
  const auto read = [&](size_t k) { patches[first + k].Packed = Read(doc, plane, patches[first + k].Rect); };
  try {
    OnCoresIfMany(patches.size() - first, read);
  } catch (...) {
    // A tile not kept is not touched: the change is refused before it starts.
    for (size_t k = first; k < patches.size(); ++k)
      Stroke_->Touched.erase({int(plane), patches[k].Rect.Left / kTile, patches[k].Rect.Top / kTile});
    patches.resize(first);
    throw;
  }
}

void THistory::TouchMesh(const TDocument& doc, const TRect& rect) {
  Touch(doc, TPlane::Mesh, rect);
  // Going back renders the mesh's tiles again but keeps the view's edge as it is: the step
  // keeps what the change did there.
  for (const TRect& strip : EdgeStrips(doc.ViewBitmap.BoundsRect(), rect)) Touch(doc, TPlane::View, strip);
}

void THistory::TouchPixels(const TDocument& doc, const TRect& rect) {
  Touch(doc, TPlane::Source, rect);
  Touch(doc, TPlane::View, rect);
}

void THistory::EndStroke(const TDocument& doc, const std::string& name) {
  if (!Stroke_) return;
  std::vector<THistoryStep::TPatch>& patches = Stroke_->Patches;
  // Everything the step needs is had before the kept tiles turn into differences: until then a
  // failure leaves the stroke open, to be rolled back as it was kept.
  auto step = std::make_unique<THistoryStep>(name);
  std::vector<uint8_t> changed(patches.size(), 0);
  step->Patches.reserve(patches.size());
  Steps_.reserve(size_t(Current_) + 1);
  const bool layersChanged = !SameLayers(*Stroke_->Before, doc);
  const std::shared_ptr<TPending> pending = std::move(Stroke_);
  // What the stroke changed, as the bits it flipped: zero almost everywhere outside the brush's
  // reach, and the same difference serves the way back and the way forward. A face bent whole
  // touches thousands of tiles: they are compared on every core.
  OnCoresIfMany(patches.size(), [&](size_t k) { changed[k] = FlipToNow(doc, patches[k]); });
  size_t raw = 0;
  // Tiles the stroke read but did not change are no part of it.
  for (size_t k = 0; k < patches.size(); ++k)
    if (changed[k]) {
      patches[k].Raw = true;
      raw += patches[k].Packed.size();
      step->Patches.push_back(std::move(patches[k]));
    }
  patches.clear();
  if (layersChanged) step->Whole = std::move(pending->Before);
  if (step->Patches.empty() && !step->Whole) return;
  bool later = raw > kPackLaterBytes;
  if (later) {
    try {
      step->PackLater();
    } catch (...) {
      later = false;  // no thread to be had: packed here instead
    }
  }
  if (!later) {
    // A tile that cannot be packed (memory ran out) is kept raw rather than lost.
    OnCoresIfMany(step->Patches.size(), [&](size_t k) {
      THistoryStep::TPatch& patch = step->Patches[k];
      try {
        patch.Packed = PackFlipped(patch.Plane, std::move(patch.Packed));
        patch.Raw = false;
      } catch (...) {
      }
    });
  }
  Add(std::move(step));
}

void THistory::BeginCommand(const TDocument& doc, TChangeScope scope) {
  if (Command_) {
    ++Command_->Depth;
    return;
  }
  Command_ = std::make_shared<TPending>();
  auto before = std::make_unique<THistoryStep::TWhole>();
  before->Layers = true;
  before->LayerList = CopyLayers(doc);
  before->Records = doc.LayerRecords();
  if (scope == TChangeScope::Picture) {
    before->Picture = true;
    before->Source = doc.SourceBitmap;
    before->View = doc.ViewBitmap;
    before->ImageWidth = doc.ImageWidth();
    before->ImageHeight = doc.ImageHeight();
    // Packed at once: a copy of the mesh as it is would cost eight bytes a pixel for the length
    // of the command.
    before->PackedMesh = PackMesh(doc.MeshTransformation.VectorMap());
  }
  Command_->Before = std::move(before);
}

void THistory::EndCommand(const TDocument& doc, const std::string& name) {
  if (!Command_ || --Command_->Depth > 0) return;
  // The command stays open until its step is made: a failure on the way (memory, packing the
  // mesh) leaves it for AbandonCommand to put back.
  const std::shared_ptr<TPending> pending = Command_;
  // A save during the command: the file holds the state after it, the step Add records.
  const struct TSavedAfter {
    bool& Flag;
    ~TSavedAfter() { Flag = false; }
  } savedAfter{SavedAfterCommand_};
  THistoryStep::TWhole& before = *pending->Before;
  const bool layersChanged = !SameLayers(before, doc);
  bool pictureChanged = false;
  if (before.Picture) {
    pictureChanged = !(before.Source == doc.SourceBitmap) || !(before.View == doc.ViewBitmap) ||
                     before.ImageWidth != doc.ImageWidth() || before.ImageHeight != doc.ImageHeight();
    // Most commands that keep the picture keep an all-zero mesh too, which needs no packing.
    if (!pictureChanged) {
      const TVectorMap& mesh = doc.MeshTransformation.VectorMap();
      pictureChanged = before.PackedMesh.empty() ? !mesh.IsIdentity() : PackMesh(mesh) != before.PackedMesh;
    }
  }
  if (!layersChanged && !pictureChanged) {
    Command_.reset();
    return;
  }
  auto step = std::make_unique<THistoryStep>(name);
  Steps_.reserve(size_t(Current_) + 1);
  Command_.reset();
  before.Picture = pictureChanged;
  if (!pictureChanged) {
    before.Source = TBitmap32();
    before.View = TBitmap32();
  }
  before.Layers = layersChanged;
  if (!layersChanged) {
    before.LayerList.clear();
    before.Records.clear();
  }
  step->Whole = std::move(pending->Before);
  Add(std::move(step));
}

void THistory::AbandonCommand(TDocument& doc) {
  if (!Command_ || --Command_->Depth > 0) return;
  const std::shared_ptr<TPending> pending = std::move(Command_);
  // A file written during the command holds what is now being put back.
  if (SavedAfterCommand_) Saved_ = kNowhere;
  SavedAfterCommand_ = false;
  THistoryStep before("");
  before.Whole = std::move(pending->Before);
  // Layers it did not change stay the same objects, and so does the selection among them.
  before.Whole->Layers = !SameLayers(*before.Whole, doc);
  std::vector<TRect> rerender;
  before.Swap(doc, rerender);
}

void THistory::AbandonStroke(TDocument& doc) {
  if (!Stroke_) return;
  const std::shared_ptr<TPending> pending = std::move(Stroke_);
  std::vector<TRect> rerender;
  for (const THistoryStep::TPatch& patch : pending->Patches) {
    // The patch holds the tile as it was, raw: flipping what differs now brings it back.
    TBytes difference = Read(doc, patch.Plane, patch.Rect);
    for (size_t i = 0; i < difference.size(); ++i) difference[i] ^= patch.Packed[i];
    Xor(doc, patch.Plane, patch.Rect, difference);
    if (patch.Plane == TPlane::Mesh) rerender.push_back(patch.Rect);
  }
  RenderOnce(doc, rerender);
  if (!SameLayers(*pending->Before, doc)) {
    THistoryStep before("");
    before.Whole = std::move(pending->Before);
    before.Swap(doc, rerender);
  }
}

THistory::TStep::TStep(TDocument& doc, TChangeScope scope, std::string name)
    : Doc_(doc), Scope_(scope), Name_(std::move(name)) {
  if (Scope_ == TChangeScope::Mesh) Doc_.History.BeginStroke(Doc_);
  else Doc_.History.BeginCommand(Doc_, Scope_);
}

void THistory::TStep::Commit() {
  if (!Open_) return;
  try {
    if (Scope_ == TChangeScope::Mesh) Doc_.History.EndStroke(Doc_, Name_);
    else Doc_.History.EndCommand(Doc_, Name_);
  } catch (...) {
    // The destructor rolls the change back where the history still holds what it kept. Should
    // anything of it stay, the picture differs from every state the history knows, and closing
    // must still ask.
    Doc_.History.MarkUnsaved();
    throw;
  }
  Open_ = false;
}

THistory::TStep::~TStep() {
  if (!Open_) return;
  try {
    if (Scope_ == TChangeScope::Mesh) Doc_.History.AbandonStroke(Doc_);
    else Doc_.History.AbandonCommand(Doc_);
  } catch (...) {
    // Only memory can run out here; the document keeps what the change left, which no state
    // of the history holds, and an exception is already on its way out.
    Doc_.History.MarkUnsaved();
  }
}

}  // namespace gs

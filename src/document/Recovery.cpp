// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Recovery.h"

#include "codecs/DeflateInPieces.h"
#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "common/Limits.h"
#include "document/Document.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <type_traits>
#include <limits>
#include <exception>
#include <memory>
#include <thread>

namespace gs {

namespace {

constexpr char kMagic[8] = {'G', 'S', 'R', 'E', 'C', 'O', 'V', '\x1a'};
// Version 2 added the text of text layers; version 1 copies still read, as layers of pixels only.
constexpr uint32_t kVersion = 2;
constexpr uint32_t kFirstVersionWithTexts = 2;
// Names are paths: anything longer than this is not one of ours.
constexpr uint64_t kMaxName = 64 * 1024;
constexpr uint32_t kMaxLayers = 10'000;
constexpr double kMaxCoordinate = 1e7;
constexpr int32_t kMaxPointSize = 10'000;
// All pictures and meshes of one copy together: the largest picture with its view and mesh
// takes 1.6 GB, layers come on top. A file asking for more is forged.
constexpr uint64_t kMaxTotalCells = uint64_t(4) << 30;

constexpr uint32_t Tag(const char (&t)[5]) {
  return uint32_t(uint8_t(t[0])) | uint32_t(uint8_t(t[1])) << 8 | uint32_t(uint8_t(t[2])) << 16 |
         uint32_t(uint8_t(t[3])) << 24;
}
constexpr uint32_t kNames = Tag("NAME");
constexpr uint32_t kSource = Tag("SRCE");
constexpr uint32_t kView = Tag("VIEW");
constexpr uint32_t kMesh = Tag("MESH");
constexpr uint32_t kLayer = Tag("LAYR");
constexpr uint32_t kText = Tag("TEXT");
// A picture's width, height and outer colour, before its pixels.
constexpr size_t kPictureShapeBytes = 12;
constexpr uint32_t kEnd = Tag("END.");

[[noreturn]] void Broken(const std::string& why) { throw Exception("The recovery copy is damaged: " + why + "."); }

// ---- writing ----------------------------------------------------------------------------

class TWriter {
public:
  explicit TWriter(bool onAllCores) : OnAllCores_(onAllCores) {}
  TBytes Bytes;
  void Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    Bytes.insert(Bytes.end(), b, b + n);
  }
  template <class T>
  void Value(T v) {
    static_assert(std::is_trivially_copyable_v<T>);
    Raw(&v, sizeof v);  // little-endian: the only byte order the editor runs on
  }
  void String(const std::string& s) {
    Value<uint64_t>(s.size());
    Raw(s.data(), s.size());
  }
  void Rect(const TFloatRect& r) {
    Value(r.Left);
    Value(r.Top);
    Value(r.Right);
    Value(r.Bottom);
  }
  // Deflates size bytes at p, prefixed with the deflated length.
  // The fastest level: a copy is written often.
  void Deflated(const void* p, size_t size, int strategy = Z_DEFAULT_STRATEGY) {
    const TBytes packed =
        DeflateInPieces(TByteSpan(static_cast<const uint8_t*>(p), size), TDeflateSettings{1, strategy, OnAllCores_});
    Value<uint64_t>(packed.size());
    Raw(packed.data(), packed.size());
  }
  void PictureShape(const TBitmap32& b) {
    Value<int32_t>(b.Width());
    Value<int32_t>(b.Height());
    Value<uint32_t>(b.OuterColor);
  }
  void Picture(const TBitmap32& b) {
    PictureShape(b);
    Deflated(b.Bits(), size_t(b.Width()) * size_t(b.Height()) * sizeof(TColor32));
  }
  void Mesh(const TVectorMap& m) {
    Value<int32_t>(m.Width());
    Value<int32_t>(m.Height());
    // Mostly zeros, which runs of the one byte pack as well as any search and far faster.
    Deflated(m.Empty() ? nullptr : m.Row(0), size_t(m.Width()) * size_t(m.Height()) * sizeof(TFixedVector), Z_RLE);
  }
  void LayerText(const TLayerText& t) {
    String(t.Text);
    String(t.Family);
    Value<int32_t>(t.PointSize);
    Value<uint8_t>(uint8_t((t.Bold ? 1 : 0) | (t.Italic ? 2 : 0) | (t.Underline ? 4 : 0) | (t.StrikeOut ? 8 : 0)));
    Value<uint32_t>(t.Color);
  }
  // A section: its tag, its length, then what `body` writes.
  template <class F>
  void Section(uint32_t tag, F body) {
    Value(tag);
    const size_t lengthAt = Bytes.size();
    Value<uint64_t>(0);
    body();
    const uint64_t length = Bytes.size() - lengthAt - sizeof(uint64_t);
    std::memcpy(Bytes.data() + lengthAt, &length, sizeof length);
  }

private:
  bool OnAllCores_;
};

// ---- reading ----------------------------------------------------------------------------

class TReader {
public:
  TReader(TByteSpan bytes, uint64_t* budget) : Bytes_(bytes), Budget_(budget) {}
  size_t Left() const { return Bytes_.size() - At_; }
  TByteSpan Take(uint64_t n, const char* what) {
    if (n > Left()) Broken(std::string("it ends inside ") + what);
    const TByteSpan part = Bytes_.subspan(At_, size_t(n));
    At_ += size_t(n);
    return part;
  }
  template <class T>
  T Value(const char* what) {
    T v;
    std::memcpy(&v, Take(sizeof v, what).data(), sizeof v);
    return v;
  }
  std::string String(const char* what) {
    const uint64_t n = Value<uint64_t>(what);
    if (n > kMaxName) Broken(std::string(what) + " is too long");
    const TByteSpan s = Take(n, what);
    return std::string(s.begin(), s.end());
  }
  // A place or a scale: far beyond any picture, or not a number at all, would overflow where
  // the layer is drawn in whole pixels.
  double Coordinate(const char* what) {
    const double v = Value<double>(what);
    if (!std::isfinite(v) || std::fabs(v) > kMaxCoordinate) Broken(std::string(what) + " is out of any picture");
    return v;
  }
  TFloatRect Rect(const char* what) {
    TFloatRect r;
    r.Left = Coordinate(what);
    r.Top = Coordinate(what);
    r.Right = Coordinate(what);
    r.Bottom = Coordinate(what);
    return r;
  }
  // Inflates the next deflated block into exactly `size` bytes at p.
  void Inflated(void* p, uint64_t size, const char* what) {
    const TByteSpan packed = Take(Value<uint64_t>(what), what);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw Exception("There is not enough memory to read the recovery copy.");
    std::unique_ptr<z_stream, int (*)(z_stream*)> end(&z, inflateEnd);
    const uint8_t* in = packed.data();
    uint64_t inLeft = packed.size();
    auto* out = static_cast<uint8_t*>(p);
    uint64_t outLeft = size;
    uint8_t spill[16];  // where data past the expected size would go: a sign of a forged size
    int result = Z_OK;
    while (result == Z_OK) {
      const uInt takeIn = uInt(std::min<uint64_t>(inLeft, uint64_t(1) << 30));
      z.next_in = const_cast<uint8_t*>(in);
      z.avail_in = takeIn;
      const bool spilling = outLeft == 0;
      const uInt takeOut = spilling ? uInt(sizeof spill) : uInt(std::min<uint64_t>(outLeft, uint64_t(1) << 30));
      z.next_out = spilling ? spill : out;
      z.avail_out = takeOut;
      result = inflate(&z, Z_NO_FLUSH);
      const uInt produced = takeOut - z.avail_out;
      if (spilling && produced > 0) Broken(std::string(what) + " holds more than its size");
      in += takeIn - z.avail_in;
      inLeft -= takeIn - z.avail_in;
      if (!spilling) {
        out += produced;
        outLeft -= produced;
      }
      if (result == Z_BUF_ERROR && inLeft > 0 && outLeft > 0) result = Z_OK;  // only the chunking
    }
    if (result != Z_STREAM_END) Broken(std::string(what) + " does not inflate");
    if (outLeft != 0) Broken(std::string(what) + " is shorter than its size");
    if (inLeft != 0) Broken(std::string(what) + " has bytes after its end");
  }
  TBitmap32 Picture(const char* what) {
    const int32_t w = Value<int32_t>(what);
    const int32_t h = Value<int32_t>(what);
    const uint32_t outer = Value<uint32_t>(what);
    if (w < 0 || h < 0 || !PictureSizeAllowed(w, h)) Broken(std::string(what) + " has an impossible size");
    // The packed bytes must be there before the pixels are allocated: zlib packs at most about
    // 1032:1, so a tiny file cannot make us allocate gigabytes.
    CheckPacked(uint64_t(w) * uint64_t(h) * sizeof(TColor32), what);
    TBitmap32 b(w, h);
    b.OuterColor = outer;
    Inflated(b.Bits(), uint64_t(w) * uint64_t(h) * sizeof(TColor32), what);
    return b;
  }
  TVectorMap Mesh(const char* what) {
    const int32_t w = Value<int32_t>(what);
    const int32_t h = Value<int32_t>(what);
    if (w < 0 || h < 0 || !PictureSizeAllowed(w, h)) Broken(std::string(what) + " has an impossible size");
    CheckPacked(uint64_t(w) * uint64_t(h) * sizeof(TFixedVector), what);
    TVectorMap m;
    m.SetSize(w, h);
    if (!m.Empty()) Inflated(m.Row(0), uint64_t(w) * uint64_t(h) * sizeof(TFixedVector), what);
    else Inflated(nullptr, 0, what);
    return m;
  }
  TLayerText LayerText(const char* what) {
    TLayerText t;
    t.Text = String(what);
    t.Family = String(what);
    t.PointSize = Value<int32_t>(what);
    if (t.PointSize < -kMaxPointSize || t.PointSize > kMaxPointSize)
      Broken(std::string(what) + " has a size no font has");
    const uint8_t style = Value<uint8_t>(what);
    if (style > 15) Broken(std::string(what) + " has a style no font has");
    t.Bold = style & 1;
    t.Italic = style & 2;
    t.Underline = style & 4;
    t.StrikeOut = style & 8;
    t.Color = Value<uint32_t>(what);
    return t;
  }
  // The section `tag` must come next; returns a reader over its body.
  TReader Section(uint32_t tag, const char* what) {
    if (Value<uint32_t>(what) != tag) Broken(std::string(what) + " is missing");
    return TReader(Take(Value<uint64_t>(what), what), Budget_);
  }
  void Finish(const char* what) {
    if (Left() != 0) Broken(std::string(what) + " is longer than what it holds");
  }
  uint32_t PeekTag() {
    if (Left() < sizeof(uint32_t)) Broken("it ends before its last section");
    uint32_t tag;
    std::memcpy(&tag, Bytes_.data() + At_, sizeof tag);
    return tag;
  }

private:
  void CheckPacked(uint64_t raw, const char* what) {
    if (Left() < sizeof(uint64_t)) Broken(std::string("it ends inside ") + what);
    uint64_t packed;
    std::memcpy(&packed, Bytes_.data() + At_, sizeof packed);
    if (packed > Left() - sizeof(uint64_t)) Broken(std::string("it ends inside ") + what);
    if (raw / 1032 > packed + 64) Broken(std::string(what) + " is larger than its data can hold");
    if (raw > *Budget_) Broken("it holds more than a document can");
    *Budget_ -= raw;
  }

  TByteSpan Bytes_;
  uint64_t* Budget_;
  size_t At_ = 0;
};

void CopyMap(const TVectorMap& from, TVectorMap& to) {
  to = from;  // the same size reuses to's cells
}

// Whether a run of cells holds a displacement; no early exit, so that it vectorises.
bool Warped(const TFixedVector* cells, int count) {
  int32_t any = 0;
  for (int i = 0; i < count; ++i) any |= cells[i].X | cells[i].Y;
  return any != 0;
}

// The document's mesh is as large as the picture, 8 bytes a pixel, and mostly zero: reading it
// costs far less than copying it whole, so only the runs that hold a displacement are copied.
void CopyMesh(const TVectorMap& from, TVectorMap& to, std::vector<uint8_t>& chunks) {
  const int w = from.Width(), h = from.Height();
  const size_t perRow = size_t((w + kRecoveryMeshChunk - 1) / kRecoveryMeshChunk);
  if (to.Width() != w || to.Height() != h) {
    to.SetSize(w, h);
    chunks.assign(perRow * size_t(h), 0);
  } else if (chunks.size() != perRow * size_t(h)) {
    chunks.assign(perRow * size_t(h), 1);
  }
  uint8_t* chunk = chunks.data();
  for (int y = 0; y < h; ++y) {
    const TFixedVector* src = from.Row(y);
    TFixedVector* dst = to.Row(y);
    for (int x = 0; x < w; x += kRecoveryMeshChunk, ++chunk) {
      const int count = std::min(kRecoveryMeshChunk, w - x);
      const bool warped = Warped(src + x, count);
      if (warped) std::copy(src + x, src + x + count, dst + x);
      else if (*chunk) std::fill(dst + x, dst + x + count, TFixedVector{});
      *chunk = warped;
    }
  }
}

TRecoveryCopy ReadHeader(TReader& r, uint32_t* versionRead = nullptr) {
  const TByteSpan magic = r.Take(sizeof kMagic, "the header");
  if (std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) Broken("it is not a recovery copy");
  const uint32_t version = r.Value<uint32_t>("the header");
  if (version < 1 || version > kVersion)
    Broken("its version " + std::to_string(version) + " is not one this program reads");
  if (versionRead) *versionRead = version;
  TRecoveryCopy copy;
  TReader names = r.Section(kNames, "the names");
  copy.DocumentFileName = names.String("the names");
  copy.SourceFileName = names.String("the names");
  copy.OpenedFileName = names.String("the names");
  copy.TransparentColor = names.Value<uint32_t>("the names");
  copy.SavedAt = names.Value<int64_t>("the names");
  names.Finish("the names");
  return copy;
}

}  // namespace

void TakeRecoverySnapshot(const TDocument& doc, TRecoveryCopy& into) {
  into.DocumentFileName = doc.DocumentFileName();
  into.SourceFileName = doc.SourceFileName();
  into.OpenedFileName = doc.OpenedFileName();
  into.TransparentColor = doc.TransparentColor;
  into.SavedAt = int64_t(std::time(nullptr));
  // The mesh on a second thread while this one copies the pictures: the caller waits for the
  // longer of the two instead of both.
  std::exception_ptr meshFailed;
  std::thread mesh([&] {
    try {
      CopyMesh(doc.MeshTransformation.VectorMap(), into.Mesh, into.MeshChunks);
    } catch (...) {
      meshFailed = std::current_exception();
    }
  });
  try {
    into.Source = doc.SourceBitmap;
    into.View = doc.ViewBitmap;
  } catch (...) {
    mesh.join();
    throw;
  }
  mesh.join();
  if (meshFailed) std::rethrow_exception(meshFailed);
  into.Layers.resize(doc.Layers().size());
  for (size_t i = 0; i < doc.Layers().size(); ++i) {
    const TRotatableLayer& layer = *doc.Layers()[i];
    const TLayerBmp& record = doc.LayerRecords()[i];
    TRecoveryLayer& to = into.Layers[i];
    to.Picture = layer.Bitmap;
    to.Location = layer.Location;
    to.Unrotated = layer.Unrotated;
    to.Angle = layer.Angle;
    // A pixel tool hides the layers while it works on the picture beneath them; the copy keeps
    // them as the user will see them once the tool is put down.
    to.Visible = layer.Visible || IsPixelTool(doc.ToolMode);
    to.Source = record.Picture;
    CopyMap(record.Warp.VectorMap(), to.Mesh);
    to.SrcRect = record.Warp.SrcRect;
    to.MappingRect = record.Warp.MappingRect;
    to.ScaleX = record.Warp.ScaleX;
    to.ScaleY = record.Warp.ScaleY;
    to.Text = layer.Text;
  }
}

namespace {
template <class T>
TPoint SizeOf(const T& t) {
  return TPoint{t.Width(), t.Height()};
}
}  // namespace

TRecoveryShape RecoveryShapeOf(const TDocument& doc) {
  return {SizeOf(doc.SourceBitmap), SizeOf(doc.ViewBitmap), SizeOf(doc.MeshTransformation.VectorMap())};
}

TRecoveryShape RecoveryShapeOf(const TRecoveryCopy& copy) {
  return {SizeOf(copy.Source), SizeOf(copy.View), SizeOf(copy.Mesh)};
}

void ReserveRecoverySnapshot(TRecoveryCopy& into, const TRecoveryShape& shape) {
  // SetSize zero-fills, which is what makes the pages resident.
  if (SizeOf(into.Source) != shape.Source) into.Source.SetSize(shape.Source.X, shape.Source.Y);
  if (SizeOf(into.View) != shape.View) into.View.SetSize(shape.View.X, shape.View.Y);
  if (SizeOf(into.Mesh) != shape.Mesh) {
    into.Mesh.SetSize(shape.Mesh.X, shape.Mesh.Y);
    into.MeshChunks.assign(size_t((shape.Mesh.X + kRecoveryMeshChunk - 1) / kRecoveryMeshChunk) * size_t(shape.Mesh.Y), 0);
  }
}

namespace {

uint64_t CellBytes(const TBitmap32& b) { return uint64_t(b.Width()) * uint64_t(b.Height()) * sizeof(TColor32); }
uint64_t CellBytes(const TVectorMap& m) { return uint64_t(m.Width()) * uint64_t(m.Height()) * sizeof(TFixedVector); }

uint64_t TotalCellBytes(const TRecoveryCopy& copy) {
  uint64_t total = CellBytes(copy.Source) + CellBytes(copy.View) + CellBytes(copy.Mesh);
  for (const TRecoveryLayer& layer : copy.Layers)
    total += CellBytes(layer.Picture) + (layer.Unrotated ? CellBytes(*layer.Unrotated) : 0) + CellBytes(layer.Source) +
             CellBytes(layer.Mesh);
  return total;
}

}  // namespace

uint64_t MaxRecoveryFileBytes() {
  // zlib's own bound on growth is under 1/1000; the layers' fixed fields and the names come on top.
  constexpr uint64_t kPerLayer = 4 * (8 + 12 + 8) + 3 * 32 + 64 + 2 * (kMaxName + 8) + 32;
  return kMaxTotalCells + kMaxTotalCells / 512 + 3 * (kMaxName + 8) + uint64_t(kMaxLayers) * kPerLayer + (1 << 20);
}

TRecoveryCopy ReadRecoveryFile(const std::string& path) { return DecodeRecovery(ReadFileBytes(path, MaxRecoveryFileBytes())); }

bool RecoveryEndsWhole(TByteSpan tail) {
  if (tail.size() < kRecoveryEndBytes) return false;
  uint8_t end[kRecoveryEndBytes] = {};
  std::memcpy(end, &kEnd, sizeof kEnd);
  return std::memcmp(tail.data() + tail.size() - kRecoveryEndBytes, end, kRecoveryEndBytes) == 0;
}

TBytes EncodeRecovery(const TRecoveryCopy& copy, const TRecoveryEncoding& encoding) {
  if (TotalCellBytes(copy) > kMaxTotalCells || copy.Layers.size() > kMaxLayers)
    throw Exception("The picture and its layers are too large for a recovery copy.");
  TWriter w(encoding.OnAllCores);
  w.Raw(kMagic, sizeof kMagic);
  w.Value(kVersion);
  w.Section(kNames, [&] {
    w.String(copy.DocumentFileName);
    w.String(copy.SourceFileName);
    w.String(copy.OpenedFileName);
    w.Value<uint32_t>(copy.TransparentColor);
    w.Value<int64_t>(copy.SavedAt);
  });
  w.Section(kSource, [&] { w.Picture(copy.Source); });
  w.Section(kView, [&] {
    if (encoding.ViewElsewhere) w.PictureShape(copy.View);
    else w.Picture(copy.View);
  });
  w.Section(kMesh, [&] { w.Mesh(copy.Mesh); });
  for (const TRecoveryLayer& layer : copy.Layers) {
    w.Section(kLayer, [&] {
      w.Picture(layer.Picture);
      w.Rect(layer.Location);
      w.Value<uint8_t>(layer.Unrotated ? 1 : 0);
      if (layer.Unrotated) w.Picture(*layer.Unrotated);
      w.Value(double(layer.Angle));
      w.Value<uint8_t>(layer.Visible ? 1 : 0);
      w.Picture(layer.Source);
      w.Mesh(layer.Mesh);
      w.Rect(layer.SrcRect);
      w.Rect(layer.MappingRect);
      w.Value(layer.ScaleX);
      w.Value(layer.ScaleY);
    });
    if (layer.Text) w.Section(kText, [&] { w.LayerText(*layer.Text); });
  }
  w.Section(kEnd, [] {});
  return std::move(w.Bytes);
}

TRecoveryCopy DecodeRecoveryHeader(TByteSpan bytes) {
  uint64_t budget = 0;
  TReader r(bytes, &budget);
  return ReadHeader(r);
}

TRecoveryCopy DecodeRecovery(TByteSpan bytes, bool viewMayBeElsewhere) {
  uint64_t budget = kMaxTotalCells;
  TReader r(bytes, &budget);
  uint32_t version = 0;
  TRecoveryCopy copy = ReadHeader(r, &version);
  {
    TReader s = r.Section(kSource, "the picture");
    copy.Source = s.Picture("the picture");
    s.Finish("the picture");
  }
  bool viewElsewhere = false;
  {
    TReader s = r.Section(kView, "the view");
    if (viewMayBeElsewhere && s.Left() == kPictureShapeBytes) {
      viewElsewhere = true;
      const int32_t w = s.Value<int32_t>("the view");
      const int32_t h = s.Value<int32_t>("the view");
      copy.View.OuterColor = s.Value<uint32_t>("the view");
      if (w != copy.Source.Width() || h != copy.Source.Height()) Broken("the view is not the picture's size");
    } else {
      copy.View = s.Picture("the view");
    }
    s.Finish("the view");
  }
  {
    TReader s = r.Section(kMesh, "the mesh");
    copy.Mesh = s.Mesh("the mesh");
    s.Finish("the mesh");
  }
  if (copy.Source.Empty()) Broken("it holds no picture");
  if (!viewElsewhere && (copy.View.Width() != copy.Source.Width() || copy.View.Height() != copy.Source.Height()))
    Broken("the view is not the picture's size");
  if (copy.Mesh.Width() != copy.Source.Width() || copy.Mesh.Height() != copy.Source.Height())
    Broken("the mesh is not the picture's size");
  while (r.PeekTag() == kLayer) {
    if (copy.Layers.size() >= kMaxLayers) Broken("it holds too many layers");
    TReader s = r.Section(kLayer, "a layer");
    TRecoveryLayer& layer = copy.Layers.emplace_back();
    layer.Picture = s.Picture("a layer");
    layer.Location = s.Rect("a layer");
    const uint8_t rotated = s.Value<uint8_t>("a layer");
    if (rotated > 1) Broken("a layer is neither rotated nor not");
    if (rotated) layer.Unrotated = s.Picture("a layer");
    layer.Angle = float(s.Coordinate("a layer"));
    const uint8_t visible = s.Value<uint8_t>("a layer");
    if (visible > 1) Broken("a layer is neither visible nor hidden");
    layer.Visible = visible == 1;
    layer.Source = s.Picture("a layer");
    layer.Mesh = s.Mesh("a layer");
    layer.SrcRect = s.Rect("a layer");
    layer.MappingRect = s.Rect("a layer");
    layer.ScaleX = s.Coordinate("a layer");
    layer.ScaleY = s.Coordinate("a layer");
    s.Finish("a layer");
    if (layer.Mesh.Width() != layer.Source.Width() || layer.Mesh.Height() != layer.Source.Height())
      Broken("a layer's mesh is not its picture's size");
    if (version >= kFirstVersionWithTexts && r.PeekTag() == kText) {
      TReader t = r.Section(kText, "a layer's text");
      layer.Text = t.LayerText("a layer's text");
      t.Finish("a layer's text");
    }
  }
  r.Section(kEnd, "the end mark").Finish("the end mark");
  r.Finish("the file");
  return copy;
}

void OpenRecovery(TDocument& doc, TRecoveryCopy&& copy) {
  TLoadedPicture loaded;
  loaded.Picture = std::move(copy.Source);
  loaded.Undo = copy.View;
  loaded.TransparentColor = copy.TransparentColor;
  loaded.SourceFileName = std::move(copy.SourceFileName);
  loaded.FileName = std::move(copy.OpenedFileName);
  const TColor32 sourceOuter = loaded.Picture.OuterColor;
  doc.Open(std::move(loaded), TPictureEntry::Open);
  doc.SetDocumentFileName(copy.DocumentFileName);
  doc.SourceBitmap.OuterColor = sourceOuter;
  // The view keeps the document's drawing modes; only its pixels and outer colour come back.
  const TDrawMode drawMode = doc.ViewBitmap.DrawMode;
  const TCombineMode combineMode = doc.ViewBitmap.CombineMode;
  doc.ViewBitmap = std::move(copy.View);
  doc.ViewBitmap.DrawMode = drawMode;
  doc.ViewBitmap.CombineMode = combineMode;
  doc.MeshTransformation.VectorMap() = std::move(copy.Mesh);
  for (TRecoveryLayer& from : copy.Layers) {
    auto layer = std::make_unique<TRotatableLayer>(from.Picture);
    layer->Bitmap.OuterColor = from.Picture.OuterColor;
    layer->Location = from.Location;
    layer->Unrotated = std::move(from.Unrotated);
    if (layer->Unrotated) {
      layer->Unrotated->DrawMode = layer->Bitmap.DrawMode;
      layer->Unrotated->CombineMode = layer->Bitmap.CombineMode;
    }
    layer->Angle = from.Angle;
    layer->Visible = from.Visible;
    layer->Text = std::move(from.Text);
    TLayerBmp record(from.Source);
    record.Picture.OuterColor = from.Source.OuterColor;
    record.Warp.VectorMap() = std::move(from.Mesh);
    record.Warp.SrcRect = from.SrcRect;
    record.Warp.MappingRect = from.MappingRect;
    record.Warp.ScaleX = from.ScaleX;
    record.Warp.ScaleY = from.ScaleY;
    doc.AddLayer(std::move(layer), std::move(record));
  }
  doc.History.MarkUnsaved();
}

}  // namespace gs

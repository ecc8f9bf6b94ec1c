// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/MeshFile.h"

#include "common/Errors.h"
#include "common/Limits.h"
#include "document/Document.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace gs {

namespace {

constexpr char kMagic[8] = {'G', 'S', 'M', 'E', 'S', 'H', '\x1a', '1'};
constexpr size_t kHeaderBytes = sizeof kMagic + 4 + 4 + 8;

[[noreturn]] void Bad(const std::string& why) { throw Exception("The mesh file cannot be read: " + why + "."); }

template <class T>
T Read(TByteSpan bytes, size_t at) {
  T v;
  std::memcpy(&v, bytes.data() + at, sizeof v);
  return v;
}

int32_t Saturated(double v) {
  return int32_t(std::clamp(std::round(v), double(std::numeric_limits<int32_t>::min()),
                            double(std::numeric_limits<int32_t>::max())));
}

}  // namespace

TBytes EncodeMeshFile(const TVectorMap& mesh) {
  const uLong raw = uLong(size_t(mesh.Width()) * size_t(mesh.Height()) * sizeof(TFixedVector));
  uLongf packed = compressBound(raw);
  TBytes bytes(kHeaderBytes + packed);
  std::memcpy(bytes.data(), kMagic, sizeof kMagic);
  const int32_t w = mesh.Width(), h = mesh.Height();
  std::memcpy(bytes.data() + 8, &w, 4);
  std::memcpy(bytes.data() + 12, &h, 4);
  if (compress2(bytes.data() + kHeaderBytes, &packed, mesh.Empty() ? nullptr : reinterpret_cast<const Bytef*>(mesh.Row(0)),
                raw, 1) != Z_OK)
    throw Exception("There is not enough memory to write the mesh.");
  const uint64_t length = packed;
  std::memcpy(bytes.data() + 16, &length, 8);
  bytes.resize(kHeaderBytes + packed);
  return bytes;
}

TVectorMap DecodeMeshFile(TByteSpan bytes) {
  if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) Bad("it is not a mesh file");
  const int32_t w = Read<int32_t>(bytes, 8), h = Read<int32_t>(bytes, 12);
  const uint64_t packed = Read<uint64_t>(bytes, 16);
  if (w <= 0 || h <= 0 || !PictureSizeAllowed(w, h)) Bad("its size is not one a picture can have");
  if (packed != bytes.size() - kHeaderBytes) Bad("it is truncated or has bytes after its end");
  const uint64_t raw = uint64_t(w) * uint64_t(h) * sizeof(TFixedVector);
  // zlib packs at most about 1032:1: fewer bytes than that cannot hold the mesh they claim.
  if (raw / 1032 > packed + 64) Bad("it is larger than its data can hold");
  TVectorMap mesh;
  mesh.SetSize(w, h);
  uLongf produced = uLongf(raw);
  if (uncompress(reinterpret_cast<Bytef*>(mesh.Row(0)), &produced, bytes.data() + kHeaderBytes, uLong(packed)) != Z_OK ||
      produced != raw)
    Bad("its data is damaged");
  return mesh;
}

TVectorMap ScaledMesh(const TVectorMap& mesh, int width, int height) {
  TVectorMap scaled;
  scaled.SetSize(width, height);
  if (mesh.Empty() || width <= 0 || height <= 0) return scaled;
  const double sx = double(width) / mesh.Width(), sy = double(height) / mesh.Height();
  for (int y = 0; y < height; ++y) {
    const TFixedVector* from = mesh.Row(std::min(int(y / sy), mesh.Height() - 1));
    TFixedVector* to = scaled.Row(y);
    for (int x = 0; x < width; ++x) {
      const TFixedVector v = from[std::min(int(x / sx), mesh.Width() - 1)];
      to[x] = sx == 1 && sy == 1 ? v : TFixedVector{Saturated(v.X * sx), Saturated(v.Y * sy)};
    }
  }
  return scaled;
}

void LoadMesh(TDocument& doc, const TVectorMap& mesh) {
  TVectorMap scaled = ScaledMesh(mesh, doc.SourceBitmap.Width(), doc.SourceBitmap.Height());
  doc.GeometryChanged = false;
  doc.TakeUndoSnapshot();
  doc.MeshTransformation.VectorMap() = std::move(scaled);
  doc.BindMesh();
  doc.MeshTransformation.ClearAndRender(doc.ViewBitmap, doc.SourceBitmap, doc.ViewBitmap.BoundsRect());
}

}  // namespace gs

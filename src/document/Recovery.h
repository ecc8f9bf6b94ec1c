// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recovery copy: the document in its own lossless form, written now and then while it has
// unsaved changes, so that a crash, a power cut or a killed session loses little work.
//
// The container is ours and small: a magic, a version, then sections in a fixed order, each
// with a tag and a length; a text layer's section is followed by one with its text (copies of
// version 1 have none, and still read). Pictures and meshes are deflated raw cells, so a copy restores the
// very bits it was taken from. A broken, truncated or hostile file fails to read with an
// exception; nothing is allocated before its size has been checked against the picture limits.

#include "codecs/Picture.h"
#include "common/Bitmap32.h"
#include "common/Color.h"
#include "common/Geometry.h"
#include "common/VectorMap.h"
#include "layers/LayerText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gs {

class TDocument;

inline constexpr int kRecoveryMeshChunk = 64;

struct TRecoveryLayer {
  TBitmap32 Picture;                   // the layer as shown
  TFloatRect Location;
  std::optional<TBitmap32> Unrotated;
  float Angle = 0.0f;
  bool Visible = true;
  TBitmap32 Source;                    // its record: the unwarped picture and its mesh
  TVectorMap Mesh;
  TFloatRect SrcRect, MappingRect;
  double ScaleX = 1.0, ScaleY = 1.0;
  std::optional<TLayerText> Text;      // a text layer's line, font and ink
};

// Everything the copy rebuilds the document from.
struct TRecoveryCopy {
  std::string DocumentFileName;
  std::string SourceFileName;
  std::string OpenedFileName;
  TColor TransparentColor = kDefaultTransparentColor;
  int64_t SavedAt = 0;  // seconds since the epoch, when the snapshot was taken
  TBitmap32 Source;
  TBitmap32 View;
  // The document's mesh, the size of Source.
  TVectorMap Mesh;
  // For each run of kRecoveryMeshChunk cells of each row of Mesh, whether it may hold a
  // displacement: a snapshot then copies only the warped runs and clears only those that were
  // warped at the last one. Empty when unknown.
  std::vector<uint8_t> MeshChunks;
  std::vector<TRecoveryLayer> Layers;
};

// The document as it is now. Copies pictures and meshes into `into`, reusing its buffers where
// their sizes fit, so that a snapshot into buffers made beforehand costs no fresh memory.
void TakeRecoverySnapshot(const TDocument& doc, TRecoveryCopy& into);
// The sizes of the document's source, view and mesh.
struct TRecoveryShape {
  TPoint Source, View, Mesh;
  friend bool operator==(const TRecoveryShape&, const TRecoveryShape&) = default;
};
TRecoveryShape RecoveryShapeOf(const TDocument& doc);
TRecoveryShape RecoveryShapeOf(const TRecoveryCopy& copy);
// Sizes into's picture and mesh buffers to shape, touching every page: the part of a first
// snapshot that costs most, done off the interface thread so that snapshots only copy.
void ReserveRecoverySnapshot(TRecoveryCopy& into, const TRecoveryShape& shape);

struct TRecoveryEncoding {
  // On every core, or on the calling thread alone for a copy written in the background while
  // the user works.
  bool OnAllCores = false;
  // The view's pixels left out (its size and outer colour stay), for a file that keeps them
  // losslessly beside the copy.
  bool ViewElsewhere = false;
};
// Fails with an Exception when the pictures and meshes together are more than a copy may hold,
// so that no copy is written that could not be read back.
TBytes EncodeRecovery(const TRecoveryCopy& copy, const TRecoveryEncoding& encoding = {});
// Fails with an Exception saying what is wrong with the bytes. A view kept elsewhere, when that
// is allowed, comes back without pixels (its outer colour set) for the caller to fill.
TRecoveryCopy DecodeRecovery(TByteSpan bytes, bool viewMayBeElsewhere = false);

// Only the names and the time, for the question at start; fails as DecodeRecovery would on a
// broken header.
TRecoveryCopy DecodeRecoveryHeader(TByteSpan bytes);

// The largest file EncodeRecovery writes: every picture and mesh at its limit, deflated (which
// may grow incompressible data a little), with the names and the sections' marks.
uint64_t MaxRecoveryFileBytes();
// Reads and checks the copy at path; fails with an Exception saying why it cannot be used.
TRecoveryCopy ReadRecoveryFile(const std::string& path);
// Whether the last bytes of a file are those a complete copy ends with: a file whose writing
// was cut short ends anywhere else.
bool RecoveryEndsWhole(TByteSpan tail);
inline constexpr size_t kRecoveryEndBytes = 12;

// The copy becomes the document in one step: a new history, marked unsaved, named as it was.
// Check the copy first (DecodeRecovery does): nothing here fails on its contents.
void OpenRecovery(TDocument& doc, TRecoveryCopy&& copy);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Warp > Save Mesh... and Load Mesh...: the picture's warp mesh alone in a small file of its own
// (".gsmesh"), to bend another photo the same way. A mesh of another size is scaled to the
// picture it is loaded on.

#include "codecs/Picture.h"
#include "common/VectorMap.h"

namespace gs {

class TDocument;

inline constexpr const char* kMeshFileExtension = "gsmesh";
inline constexpr const char* kMeshFileFilter = "Grimacer Mesh (*.gsmesh)|*.gsmesh";

TBytes EncodeMeshFile(const TVectorMap& mesh);
// Fails with an Exception saying what is wrong; the size is checked before anything is made.
TVectorMap DecodeMeshFile(TByteSpan bytes);

// The mesh resampled to width x height, its displacements scaled with it.
TVectorMap ScaledMesh(const TVectorMap& mesh, int width, int height);

// The mesh, scaled to the picture, replaces the picture's; the view is rendered through it.
void LoadMesh(TDocument& doc, const TVectorMap& mesh);

}  // namespace gs

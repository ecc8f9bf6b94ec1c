// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small copy of an animation scene for a live preview: the picture, the mesh and the layers
// shrunk together, so that a preview frame takes a fraction of the time a full one does.

#include "document/Animation.h"

#include <vector>

namespace gs {

class TShrunkScene {
public:
  // Fits the scene's picture into maxSide x maxSide (never enlarging it); the displacements
  // shrink with it.
  TShrunkScene(const TAnimationScene& scene, int maxSide);
  TShrunkScene(const TShrunkScene&) = delete;
  TShrunkScene& operator=(const TShrunkScene&) = delete;

  const TAnimationScene& Scene() const { return Scene_; }

private:
  TBitmap32 Source_;
  TVectorMap Warp_;
  std::vector<TRotatableLayer> Layers_;
  TAnimationScene Scene_;
};

// Every frame of the scene in order 0 .. frames-1.
std::vector<TBitmap32> RenderAnimationFrames(const TAnimationScene& scene, int frames);

}  // namespace gs

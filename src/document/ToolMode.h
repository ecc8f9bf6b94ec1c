// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The active tool. The numbers are the ones the program has always used for its tools; ask the
// predicates below rather than comparing them.

#include "warp/Stamps.h"

namespace gs {

enum class TToolMode {
  None = -1,
  Putty = 0,          // the face brushes on the picture
  Warp = 1,
  Twirl = 2,
  Reconstruct = 3,    // pulls the picture back towards the unwarped source
  Eraser = 5,         // the pixel tools, on the mirror of the picture
  ColorPaint = 6,
  Picker = 7,
  Crop = 8,
  ChromaPick = 9,
  ArrangeLayers = 10, // turning picture layers
  LayerPutty = 11,    // the face brushes on the selected layer
  LayerWarp = 12,
  LayerTwirl = 13,
  LayerReconstruct = 14,
};

constexpr bool IsPictureBrush(TToolMode m) {
  return m == TToolMode::Putty || m == TToolMode::Warp || m == TToolMode::Twirl ||
         m == TToolMode::Reconstruct;
}

constexpr bool IsLayerBrush(TToolMode m) {
  return m == TToolMode::LayerPutty || m == TToolMode::LayerWarp || m == TToolMode::LayerTwirl ||
         m == TToolMode::LayerReconstruct;
}

constexpr bool IsBrush(TToolMode m) { return IsPictureBrush(m) || IsLayerBrush(m); }

// The tools that work on the mirror: eraser, paint, eyedropper, crop and the chroma-key pick.
constexpr bool IsPixelTool(TToolMode m) { return m >= TToolMode::Eraser && m <= TToolMode::ChromaPick; }

// The pixel tools that paint a dab under the pointer.
constexpr bool IsDabTool(TToolMode m) { return m == TToolMode::Eraser || m == TToolMode::ColorPaint; }

// The same brush on the selected layer; other modes are returned unchanged.
constexpr TToolMode OnLayer(TToolMode m) {
  switch (m) {
    case TToolMode::Putty: return TToolMode::LayerPutty;
    case TToolMode::Warp: return TToolMode::LayerWarp;
    case TToolMode::Twirl: return TToolMode::LayerTwirl;
    case TToolMode::Reconstruct: return TToolMode::LayerReconstruct;
    default: return m;
  }
}

constexpr TBrushShape BrushShapeOf(TToolMode m) {
  switch (m) {
    case TToolMode::Putty:
    case TToolMode::LayerPutty: return TBrushShape::Putty;
    case TToolMode::Warp:
    case TToolMode::LayerWarp: return TBrushShape::Warp;
    case TToolMode::Twirl:
    case TToolMode::LayerTwirl: return TBrushShape::Twirl;
    case TToolMode::Reconstruct:
    case TToolMode::LayerReconstruct: return TBrushShape::Reconstruct;
    default: return TBrushShape::None;
  }
}

// Warp, Twirl and Reconstruct keep acting while the button is held still; Putty acts only
// when moved.
constexpr bool RepeatsWhileHeld(TToolMode m) {
  const TBrushShape shape = BrushShapeOf(m);
  return shape == TBrushShape::Warp || shape == TBrushShape::Twirl ||
         shape == TBrushShape::Reconstruct;
}

}  // namespace gs

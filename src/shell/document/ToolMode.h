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
  Eraser = 5,         // the pixel tools, on the mirror of the picture
  ColorPaint = 6,
  Picker = 7,
  Crop = 8,
  ChromaPick = 9,
  ArrangeLayers = 10, // turning picture layers
  LayerPutty = 11,    // the face brushes on the selected layer
  LayerWarp = 12,
  LayerTwirl = 13,
};

constexpr bool IsPictureBrush(TToolMode m) {
  return m == TToolMode::Putty || m == TToolMode::Warp || m == TToolMode::Twirl;
}

constexpr bool IsLayerBrush(TToolMode m) {
  return m == TToolMode::LayerPutty || m == TToolMode::LayerWarp || m == TToolMode::LayerTwirl;
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
    default: return TBrushShape::None;
  }
}

// Warp and Twirl keep acting while the button is held still; Putty acts only when moved.
constexpr bool RepeatsWhileHeld(TToolMode m) {
  const TBrushShape shape = BrushShapeOf(m);
  return shape == TBrushShape::Warp || shape == TBrushShape::Twirl;
}

}  // namespace gs

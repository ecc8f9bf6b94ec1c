// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/InputRouter.h"

#include "document/Document.h"
#include "document/Layers.h"

namespace gs {

namespace {

constexpr float kRotateStep = 5.0f;

TRect Everything(const TDocument& doc) { return doc.ViewBitmap.BoundsRect(); }

// The rotate tool turns the layer towards the side of its centre that was clicked.
void TurnLayer(TDocument& doc, int index, TPointF at) {
  TRotatableLayer* layer = doc.Layers()[size_t(index)].get();
  SelectLayer(doc, nullptr);
  const double halfWidth = (layer->Location.Right - layer->Location.Left) / 2;
  const double offset = at.X - layer->Location.Left;
  layer->Rotate(halfWidth >= offset ? -kRotateStep : kRotateStep);
  SelectLayer(doc, layer);
  RenewLayerRecord(doc, index);
  doc.Frame.FollowChild();
}

// A press that lands on the frame's handles or on a layer moves, resizes or turns that layer;
// true when it did.
// A layer brush works on whichever layer the press lands on: that layer becomes the selected one.
bool PressLayerBrush(TDocument& doc, const TPointer& pointer) {
  const int index = LayerAt(doc, pointer.At.X, pointer.At.Y);
  if (index < 0) return false;
  TRotatableLayer* layer = doc.Layers()[size_t(index)].get();
  doc.Selection().Select(layer);
  return doc.Brushes.PressOnLayer(pointer);
}

bool PressOnLayers(TDocument& doc, const TPointer& pointer, TPointF handleReach) {
  const TToolMode mode = doc.ToolMode;
  if (IsLayerBrush(mode)) return PressLayerBrush(doc, pointer);
  if (mode != TToolMode::None && mode != TToolMode::Putty && mode != TToolMode::ArrangeLayers)
    return false;
  // The frame holds the selected layer, even where another layer lies over it. The rotate tool
  // turns the layer under the pointer instead.
  if (mode != TToolMode::ArrangeLayers) {
    const TFrameDrag handle = doc.Frame.HitTest(pointer.At, handleReach);
    if (handle != TFrameDrag::None) {
      doc.Frame.BeginDrag(handle, pointer.At);
      if (handle == TFrameDrag::Move) BeginLayerStroke(doc, doc.Selection().Index());
      return true;
    }
  }
  const int index = LayerAt(doc, pointer.At.X, pointer.At.Y);
  if (index < 0) return false;
  if (mode == TToolMode::ArrangeLayers) {
    TurnLayer(doc, index, pointer.At);
  } else {
    SelectLayer(doc, doc.Layers()[size_t(index)].get());
    doc.Frame.BeginDrag(TFrameDrag::Move, pointer.At);
  }
  BeginLayerStroke(doc, index);
  return true;
}

}  // namespace

TRect RoutePress(TDocument& doc, const TPointer& pointer, TPointF handleReach) {
  if (!doc.ImageLoaded()) return TRect{};
  if (PressOnLayers(doc, pointer, handleReach)) return Everything(doc);
  // A second button pressed during a layer stroke belongs to that stroke.
  if (doc.Brushes.LayerBrushDown) return TRect{};
  // A press beside every layer deselects them, except under a tool that keeps the layer it
  // works on (SelectLayer's rule): the frame stays, and so does what a filter then changes.
  ShowAllLayers(doc, true);
  doc.Brushes.Press(pointer);
  return Everything(doc);
}

TRect RouteMove(TDocument& doc, const TPointer& pointer) {
  if (!doc.ImageLoaded()) return TRect{};
  if (doc.Frame.Dragging()) {
    doc.Frame.DragTo(pointer.At, pointer.Ctrl);
    return Everything(doc);
  }
  return doc.Brushes.Move(pointer);
}

TRect RouteRelease(TDocument& doc) {
  TRect changed;
  if (doc.Frame.Dragging()) {
    doc.Frame.EndDrag();
    doc.Frame.FollowChild();
    changed = Everything(doc);
  }
  doc.Brushes.Release();
  return changed;
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The selection frame around the selected picture layer: a rectangle with eight handles that
// moves the layer or resizes it. Positions are in picture pixels; the view only draws it.

#include "common/Geometry.h"
#include "layers/PictureLayer.h"

namespace gs {

class TLayerSelection;

class TSelectionFrame {
public:
  TFloatRect Location;  // picture pixels

  // The layer it stands around; the layer selection alone chooses it.
  TRotatableLayer* Child() const { return Child_; }
  // Shown exactly while it has a layer.
  bool Visible() const { return Child_ != nullptr; }
  // Takes the child's location again after the child moved or turned.
  void FollowChild();
  // The part of the frame at p: a handle within `reach` picture pixels of its point, the
  // inside, or nothing.
  TFrameDrag HitTest(TPointF p, TPointF reach) const;
  void BeginDrag(TFrameDrag drag, TPointF p);
  bool Dragging() const { return Drag_ != TFrameDrag::None; }
  TFrameDrag Drag() const { return Drag_; }
  // Follows the pointer; with `symmetric` the layer keeps its centre (Ctrl held).
  void DragTo(TPointF p, bool symmetric);
  void EndDrag() { Drag_ = TFrameDrag::None; }

private:
  friend class TLayerSelection;
  // Attaches a layer (the frame takes its location) or detaches (nullptr).
  void SetChild(TRotatableLayer* child);

  TRotatableLayer* Child_ = nullptr;
  TFrameDrag Drag_ = TFrameDrag::None;
  TPointF DragStart_;
  TFloatRect StartLocation_;
};

}  // namespace gs

#pragma once
// How the view shows the document's picture layers and the selection frame around the
// selected one.

#include "layers/PictureLayer.h"
#include "shell/ImageView.h"

#include <memory>
#include <vector>

namespace gs {

// Paints every visible picture layer of the list, bottom first, scaled with the zoom.
class TPictureLayersView : public TViewLayer {
public:
  explicit TPictureLayersView(const std::vector<std::unique_ptr<TRotatableLayer>>& layers)
      : Layers_(layers) {}
  void Paint(QPainter& painter, const TImageView& view) override;

private:
  const std::vector<std::unique_ptr<TRotatableLayer>>& Layers_;
};

// TRubberbandLayer: the selection frame, a dashed rectangle with eight handles that moves and
// resizes its child layer.
class TRubberbandLayer : public TViewLayer {
public:
  explicit TRubberbandLayer(TImageView& view) : View_(view) { Visible = false; }

  TRotatableLayer* Child = nullptr;
  TFloatRect Location;  // document pixels

  // Attaches a layer (the frame takes its location) or detaches (nullptr).
  void SetChild(TRotatableLayer* child);
  // The part of the frame under a view position: a handle, the inside, or nothing.
  TFrameDrag HitTest(QPointF viewPos) const;
  void BeginDrag(TFrameDrag drag, QPointF viewPos);
  bool Dragging() const { return Drag_ != TFrameDrag::None; }
  // Follows the pointer; with `symmetric` the layer keeps its centre (Ctrl held).
  void DragTo(QPointF viewPos, bool symmetric);
  void EndDrag() { Drag_ = TFrameDrag::None; }

  void Paint(QPainter& painter, const TImageView& view) override;

private:
  QRectF ViewRect() const;

  TImageView& View_;
  TFrameDrag Drag_ = TFrameDrag::None;
  QPointF DragStart_;
  TFloatRect StartLocation_;
};

}  // namespace gs

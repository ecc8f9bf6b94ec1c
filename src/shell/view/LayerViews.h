// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the view shows the document's picture layers and the selection frame around the
// selected one.

#include "layers/PictureLayer.h"
#include "shell/view/ImageView.h"
#include "document/SelectionFrame.h"

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

// TRubberbandLayer: draws the document's selection frame, a dashed rectangle with eight handles.
class TRubberbandLayer : public TViewLayer {
public:
  explicit TRubberbandLayer(const TSelectionFrame& frame) : Frame_(frame) {}
  void Paint(QPainter& painter, const TImageView& view) override;

private:
  const TSelectionFrame& Frame_;
};

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/LayerSelection.h"

namespace gs {

void TLayerSelection::Select(TRotatableLayer* layer) {
  Layer_ = layer;
  if (Index() < 0) Layer_ = nullptr;
  Frame_.SetChild(Layer_);
}

int TLayerSelection::Index() const {
  if (!Layer_) return -1;
  for (size_t i = 0; i < Layers_.size(); ++i)
    if (Layers_[i].get() == Layer_) return int(i);
  return -1;
}

}  // namespace gs

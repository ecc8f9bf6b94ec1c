// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TLayerSelection: the one picture layer the user has selected, or none. The selection frame
// always stands around it, and its index is looked up in the layer list each time it is asked
// for, so that neither the frame nor the index can outlive a change of the layers.

#include "document/SelectionFrame.h"
#include "layers/PictureLayer.h"

#include <memory>
#include <vector>

namespace gs {

using TLayerList = std::vector<std::unique_ptr<TRotatableLayer>>;

class TLayerSelection {
public:
  TLayerSelection(const TLayerList& layers, TSelectionFrame& frame) : Layers_(layers), Frame_(frame) {}
  TLayerSelection(const TLayerSelection&) = delete;
  TLayerSelection& operator=(const TLayerSelection&) = delete;

  // Selects one of the document's layers and puts the frame around it; nullptr, or a layer that
  // is not the document's, selects none.
  void Select(TRotatableLayer* layer);
  void Clear() { Select(nullptr); }

  // The selected layer, or nullptr.
  TRotatableLayer* Selected() const { return Index() >= 0 ? Layer_ : nullptr; }
  // Its index in the layer list, or -1.
  int Index() const;

private:
  const TLayerList& Layers_;
  TSelectionFrame& Frame_;
  TRotatableLayer* Layer_ = nullptr;
};

}  // namespace gs

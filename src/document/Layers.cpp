// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Layers.h"

#include "common/Fixed.h"

#include <algorithm>

namespace gs {

int AddPictureLayer(TDocument& doc, const TBitmap32& picture, double cx, double cy) {
  auto layer = std::make_unique<TRotatableLayer>(picture);
  layer->Location = CenteredLocation(picture, cx, cy);
  doc.LayerSourceBitmap = picture;
  return doc.AddLayer(std::move(layer), TLayerBmp(picture));
}

int LayerAt(const TDocument& doc, double x, double y) {
  for (int i = int(doc.Layers().size()) - 1; i >= 0; --i) {
    const TRotatableLayer& l = *doc.Layers()[size_t(i)];
    if (l.Visible && x >= l.Location.Left && x < l.Location.Right && y >= l.Location.Top &&
        y < l.Location.Bottom)
      return i;
  }
  return -1;
}

int IndexOfLayer(const TDocument& doc, const TRotatableLayer* layer) {
  for (size_t i = 0; i < doc.Layers().size(); ++i)
    if (doc.Layers()[i].get() == layer) return int(i);
  return -1;
}

void DeleteLayer(TDocument& doc, int index) {
  // Whatever the tool: the tool's hold on the layer ends with the layer.
  doc.RemoveLayer(index);
}

void RenewLayerRecord(TDocument& doc, int index) {
  if (index < 0 || index >= int(doc.LayerRecords().size())) return;
  const TBitmap32& picture = doc.Layers()[size_t(index)]->Bitmap;
  doc.LayerSourceBitmap = picture;
  doc.LayerRecord(index) = TLayerBmp(picture);
}

void SelectLayer(TDocument& doc, TRotatableLayer* layer) {
  if (layer == doc.Selection().Selected()) return;
  const TToolMode mode = doc.ToolMode;
  if (mode != TToolMode::None && mode != TToolMode::Putty && mode != TToolMode::ArrangeLayers) return;
  doc.Selection().Select(layer);
}

void ShowAllLayers(TDocument& doc, bool visible) {
  for (auto& layer : doc.Layers()) layer->Visible = visible;
  SelectLayer(doc, nullptr);
}

bool FlattenLayers(TDocument& doc) {
  doc.Selection().Clear();
  if (doc.Layers().empty()) return false;
  for (const auto& layer : doc.Layers()) MergeLayer(doc.ViewBitmap, *layer);
  doc.ClearLayers();
  doc.ReplacePicture(doc.ViewBitmap);
  return true;
}

TPoint LayerPixelAt(const TDocument& doc, TPointF at) {
  const TRotatableLayer* layer = doc.Selection().Selected();
  if (!layer) return TPoint{};
  const TFloatRect& loc = layer->Location;
  const double w = std::max(loc.Width(), 1e-9);
  const double h = std::max(loc.Height(), 1e-9);
  return TPoint{TruncToInt((at.X - loc.Left) * doc.LayerSourceBitmap.Width() / w),
                TruncToInt((at.Y - loc.Top) * doc.LayerSourceBitmap.Height() / h)};
}

void BeginLayerStroke(TDocument& doc, int index) {
  if (index < 0 || index >= int(doc.Layers().size())) return;
  // The layer a stroke works on is the selected one, whatever the tool.
  doc.Selection().Select(doc.Layers()[size_t(index)].get());
  if (index < int(doc.LayerRecords().size())) {
    TLayerBmp& record = doc.LayerRecord(index);
    doc.LayerSourceBitmap = record.Picture;
    doc.LayerSourceBitmap.OuterColor = 0;
    doc.LayerSourceBitmap.DrawMode = TDrawMode::Blend;
    doc.LayerSourceBitmap.CombineMode = TCombineMode::Merge;
    record.Warp.VectorMap().SetSize(record.Picture.Width(), record.Picture.Height());
    record.Warp.SrcRect = FloatRect(record.Picture.BoundsRect());
    record.Warp.MappingRect = FloatRect(record.Picture.BoundsRect());
  }
  doc.LayerUndoBitmap = doc.Layers()[size_t(index)]->Bitmap;
}

TRect ApplyLayerBrush(TDocument& doc, TPoint p) {
  const int index = doc.Selection().Index();
  if (index < 0 || index >= int(doc.LayerRecords().size())) return TRect{};
  TBitmap32& picture = doc.Layers()[size_t(index)]->Bitmap;
  if (picture.Width() != doc.LayerSourceBitmap.Width() ||
      picture.Height() != doc.LayerSourceBitmap.Height())
    return TRect{};
  return doc.Brushes.StampInto(doc.LayerRecord(index).Warp, doc.LayerSourceBitmap, picture, p,
                               doc.Brushes.LayerStroke);
}

void UndoSelectedLayer(TDocument& doc) {
  const int index = doc.Selection().Index();
  if (index < 0) return;
  if (doc.LayerUndoBitmap.Empty()) return;
  TRotatableLayer& layer = *doc.Layers()[size_t(index)];
  layer.Bitmap = doc.LayerUndoBitmap;
  layer.Bitmap.DrawMode = TDrawMode::Blend;
  layer.Bitmap.CombineMode = TCombineMode::Merge;
  layer.Bitmap.OuterColor = 0;
  if (index < int(doc.LayerRecords().size())) doc.LayerRecord(index) = TLayerBmp(doc.LayerUndoBitmap);
}

}  // namespace gs

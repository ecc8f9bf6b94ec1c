// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document's picture layers: adding, finding, warping, restoring and merging them.

#include "document/Document.h"

namespace gs {

// Adds a layer showing `picture` at 1:1 centred on (cx, cy) in document pixels, with its
// record; returns its index.
int AddPictureLayer(TDocument& doc, const TBitmap32& picture, double cx, double cy);

// The topmost visible layer whose location holds the document point, or -1.
int LayerAt(const TDocument& doc, double x, double y);

int IndexOfLayer(const TDocument& doc, const TRotatableLayer* layer);

// Removes the layer and its record; a selected layer is deselected first.
void DeleteLayer(TDocument& doc, int index);

// Replaces the record of a layer by one made from its current picture (after a rotation).
void RenewLayerRecord(TDocument& doc, int index);

// Merges every layer into the working picture, bottom first, and removes them with their
// records. When anything was merged the working picture becomes the warp source, so that
// later strokes keep the merged layers.
bool FlattenLayers(TDocument& doc);

// Selects a layer (nullptr: none) and puts the selection frame around it. Only with no tool,
// Putty or the rotate tool: the other tools keep the layer they work on.
void SelectLayer(TDocument& doc, TRotatableLayer* layer);

// Shows or hides every layer and selects none, where the tool lets the selection change
// (SelectLayer).
void ShowAllLayers(TDocument& doc, bool visible);

// The start of a stroke or drag on a layer: it becomes the selected one, its source and mesh
// the ones the brush works on, and its picture the layer undo.
void BeginLayerStroke(TDocument& doc, int index);

// The pixel of the selected layer's own picture under a picture position.
TPoint LayerPixelAt(const TDocument& doc, TPointF at);

// Applies the active stamp to the selected layer's mesh at p (layer picture pixels), as the
// brush does on the picture, and re-renders that square of the layer's picture. Returns the
// layer picture's changed square.
TRect ApplyLayerBrush(TDocument& doc, TPoint p);

// Undo for the selected layer: its picture and a fresh record from the layer undo snapshot.
void UndoSelectedLayer(TDocument& doc);

}  // namespace gs

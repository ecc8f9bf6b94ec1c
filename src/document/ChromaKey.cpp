// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ChromaKey.h"

#include "adjust/ChromaKey.h"
#include "document/Document.h"
#include "document/Layers.h"
#include "document/Transparency.h"

namespace gs {

void KeyWorkingPicture(TDocument& doc, int threshold) {
  ChromaKeyOut(doc.SourceBitmap, doc.PaintColor, threshold, doc.TransparentColor);
}

TBitmap32 PutBackgroundBehind(TDocument& doc, const TBitmap32& background) {
  TBitmap32 foreground = doc.SourceBitmap;
  // The layer is blended, so the keyed pixels (alpha 0) show the background through.
  foreground.DrawMode = TDrawMode::Blend;
  foreground.CombineMode = TCombineMode::Merge;
  doc.ReplacePicture(ComposeBackground(background, foreground.Width(), foreground.Height()));
  doc.TakeSourceSize();
  doc.MirrorBitmap = doc.SourceBitmap;
  return foreground;
}

int PlaceOnBackground(TDocument& doc, const TBitmap32& background, double cx, double cy) {
  const int index = AddPictureLayer(doc, PutBackgroundBehind(doc, background), cx, cy);
  doc.Selection().Select(doc.Layers()[size_t(index)].get());
  doc.GeometryChanged = true;
  return index;
}

void ChangeBackground(TDocument& doc, const TBitmap32& picture) {
  doc.TakeUndoSnapshot();
  TBitmap32 base = picture;
  MakeOpaque(base);
  doc.ReplacePicture(base);
  doc.TakeSourceSize();
  doc.MirrorBitmap = doc.SourceBitmap;
}

}  // namespace gs

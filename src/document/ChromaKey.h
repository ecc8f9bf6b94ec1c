// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chroma key and the background change on the document, without any window: the main
// window asks the questions and then runs these steps.

#include "common/Bitmap32.h"

namespace gs {

class TDocument;

// Keys the warp source (the working picture while the pick tool is active) with PaintColor as
// the key; keyed pixels take the document's TransparentColor with alpha 0.
void KeyWorkingPicture(TDocument& doc, int threshold);

// `background` becomes the base picture (see ComposeBackground) with an empty mesh and the
// document takes its size; returns the keyed photo as it was, ready to become a layer.
TBitmap32 PutBackgroundBehind(TDocument& doc, const TBitmap32& background);

// PutBackgroundBehind, then the keyed photo as a new picture layer centred on (cx, cy), which
// becomes the selected one; the geometry is marked changed. Returns the index.
int PlaceOnBackground(TDocument& doc, const TBitmap32& background, double cx, double cy);

// The base picture becomes `picture` made opaque, with an empty mesh; the undo snapshot keeps
// the picture shown before. Layers stay as they are.
void ChangeBackground(TDocument& doc, const TBitmap32& picture);

}  // namespace gs

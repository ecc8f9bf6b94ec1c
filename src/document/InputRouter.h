// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a press, move or release on the picture view goes: the selection frame's handles
// first, then the picture layers from the top down, then the picture under them. The window
// and the batch mode both come through here. Each returns the part of the picture to repaint
// (empty: nothing).

#include "common/Geometry.h"
#include "document/Pointer.h"

namespace gs {

class TDocument;

// `handleReach`: how near, in picture pixels, a press must be to grab a handle of the frame.
TRect RoutePress(TDocument& doc, const TPointer& pointer, TPointF handleReach);
TRect RouteMove(TDocument& doc, const TPointer& pointer);
TRect RouteRelease(TDocument& doc);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A mouse event as the document sees it: where the pointer is in picture pixels and what is
// held. The window converts the view's position once and hands this down.

#include "common/Geometry.h"

namespace gs {

struct TButtons {
  bool Left = false;
  bool Right = false;
  bool Middle = false;
};

struct TPointer {
  TPointF At;       // picture pixels, between pixels as the view's zoom allows
  TButtons Held;    // the buttons down during the event
  bool Ctrl = false;
};

// A position in a view that shows the picture stretched to `view` pixels, in picture pixels.
// The product comes before the quotient, so whole results stay whole at every zoom.
TPointF ViewToPicture(TPointF at, TSize view, TSize picture);

// The picture pixel under a position.
TPoint PixelAt(TPointF p);

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/Pointer.h"

#include <cmath>

namespace gs {

TPointF ViewToPicture(TPointF at, TSize view, TSize picture) {
  const double x = view.Width > 0 ? at.X * picture.Width / view.Width : at.X;
  const double y = view.Height > 0 ? at.Y * picture.Height / view.Height : at.Y;
  return TPointF{x, y};
}

TPoint PixelAt(TPointF p) { return TPoint{FarClamped(std::floor(p.X)), FarClamped(std::floor(p.Y))}; }

}  // namespace gs

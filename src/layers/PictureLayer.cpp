// SPDX-License-Identifier: GPL-3.0-or-later
#include "layers/PictureLayer.h"

#include "common/Fixed.h"
#include "layers/Affine.h"

#include <algorithm>

namespace gs {

TRotatableLayer::TRotatableLayer(const TBitmap32& picture) : Bitmap(picture) {
  Bitmap.DrawMode = TDrawMode::Blend;
  Bitmap.CombineMode = TCombineMode::Merge;
  Bitmap.OuterColor = 0;
}

void TRotatableLayer::Rotate(float degrees) {
  if (!Unrotated) Unrotated = Bitmap;
  Angle += degrees;
  const TBitmap32& source = *Unrotated;
  if (source.Empty() || Bitmap.Empty()) return;
  const double sx = Location.Width() / Bitmap.Width();
  const double sy = Location.Height() / Bitmap.Height();
  TAffineTransformation t;
  t.Rotate(source.Width() / 2, source.Height() / 2, Angle);
  const TRect bounds = t.TransformedBounds(
      TFloatRect{0, 0, double(source.Width() - 1), double(source.Height() - 1)});
  t.Translate(-bounds.Left, -bounds.Top);
  const int w = std::max(bounds.Width(), 1);
  const int h = std::max(bounds.Height(), 1);
  Bitmap.SetSize(w, h);
  const double cx = (Location.Left + Location.Right) / 2;
  const double cy = (Location.Top + Location.Bottom) / 2;
  Location = TFloatRect{cx - w * sx / 2, cy - h * sy / 2, cx + w * sx / 2, cy + h * sy / 2};
  Transform(Bitmap, source, t);
}

void TRotatableLayer::ReplacePicture(const TBitmap32& picture) {
  const double sx = Bitmap.Width() > 0 ? Location.Width() / Bitmap.Width() : 1.0;
  const double sy = Bitmap.Height() > 0 ? Location.Height() / Bitmap.Height() : 1.0;
  const double cx = (Location.Left + Location.Right) / 2;
  const double cy = (Location.Top + Location.Bottom) / 2;
  const TDrawMode drawMode = Bitmap.DrawMode;
  const TCombineMode combineMode = Bitmap.CombineMode;
  const TColor32 outer = Bitmap.OuterColor;
  Bitmap = picture;
  Bitmap.DrawMode = drawMode;
  Bitmap.CombineMode = combineMode;
  Bitmap.OuterColor = outer;
  const double w = picture.Width() * sx / 2, h = picture.Height() * sy / 2;
  Location = TFloatRect{cx - w, cy - h, cx + w, cy + h};
  if (!Unrotated) return;
  // Turned again from the new picture, by the whole angle it had.
  Unrotated = Bitmap;
  const float angle = Angle;
  Angle = 0;
  Rotate(angle);
}

TLayerBmp::TLayerBmp(const TBitmap32& picture) : Picture(picture) {
  Warp.VectorMap().SetSize(Picture.Width(), Picture.Height());
  Warp.SrcRect = FloatRect(Picture.BoundsRect());
  Warp.MappingRect = FloatRect(Picture.BoundsRect());
}

TFloatRect CenteredLocation(const TBitmap32& picture, double cx, double cy) {
  const double w = picture.Width() / 2.0;
  const double h = picture.Height() / 2.0;
  return TFloatRect{cx - w, cy - h, cx + w, cy + h};
}

TFloatRect SymmetricResize(const TFloatRect& old, const TFloatRect& proposed, TFrameDrag drag) {
  if (drag == TFrameDrag::None || drag == TFrameDrag::Move) return proposed;
  const double cx = (old.Left + old.Right) / 2;
  const double cy = (old.Top + old.Bottom) / 2;
  double hw = (old.Right - old.Left) / 2;
  double hh = (old.Bottom - old.Top) / 2;
  const bool left = drag == TFrameDrag::Left || drag == TFrameDrag::TopLeft || drag == TFrameDrag::BottomLeft;
  const bool right = drag == TFrameDrag::Right || drag == TFrameDrag::TopRight || drag == TFrameDrag::BottomRight;
  const bool top = drag == TFrameDrag::Top || drag == TFrameDrag::TopLeft || drag == TFrameDrag::TopRight;
  const bool bottom = drag == TFrameDrag::Bottom || drag == TFrameDrag::BottomLeft || drag == TFrameDrag::BottomRight;
  if (left) hw = cx - proposed.Left;
  if (right) hw = proposed.Right - cx;
  if (top) hh = cy - proposed.Top;
  if (bottom) hh = proposed.Bottom - cy;
  hw = std::max(hw, 2.0);
  hh = std::max(hh, 2.0);
  return TFloatRect{cx - hw, cy - hh, cx + hw, cy + hh};
}

TFloatRect DragFrame(const TFloatRect& start, TFrameDrag drag, double dx, double dy) {
  TFloatRect r = start;
  switch (drag) {
    case TFrameDrag::None: return r;
    case TFrameDrag::Move: return TFloatRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
    default: break;
  }
  if (drag == TFrameDrag::Left || drag == TFrameDrag::TopLeft || drag == TFrameDrag::BottomLeft)
    r.Left = std::min(r.Left + dx, r.Right - 1);
  if (drag == TFrameDrag::Right || drag == TFrameDrag::TopRight || drag == TFrameDrag::BottomRight)
    r.Right = std::max(r.Right + dx, r.Left + 1);
  if (drag == TFrameDrag::Top || drag == TFrameDrag::TopLeft || drag == TFrameDrag::TopRight)
    r.Top = std::min(r.Top + dy, r.Bottom - 1);
  if (drag == TFrameDrag::Bottom || drag == TFrameDrag::BottomLeft || drag == TFrameDrag::BottomRight)
    r.Bottom = std::max(r.Bottom + dy, r.Top + 1);
  return r;
}

TRect TruncatedRect(const TFloatRect& r) {
  return TRect{TruncToInt(r.Left), TruncToInt(r.Top), TruncToInt(r.Right), TruncToInt(r.Bottom)};
}

void MergeLayer(TBitmap32& picture, const TRotatableLayer& layer) {
  picture.StretchDraw(TruncatedRect(layer.Location), layer.Bitmap);
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/SelectionFrame.h"

#include <cmath>

namespace gs {

void TSelectionFrame::SetChild(TRotatableLayer* child) {
  Child_ = child;
  if (child) Location = child->Location;
}

void TSelectionFrame::FollowChild() {
  if (Child_) Location = Child_->Location;
}

TFrameDrag TSelectionFrame::HitTest(TPointF p, TPointF reach) const {
  if (!Child_) return TFrameDrag::None;
  const TFloatRect& r = Location;
  const auto nearX = [&](double a, double b) { return std::fabs(a - b) <= reach.X; };
  const auto nearY = [&](double a, double b) { return std::fabs(a - b) <= reach.Y; };
  const double cx = (r.Left + r.Right) / 2;
  const double cy = (r.Top + r.Bottom) / 2;
  const bool left = nearX(p.X, r.Left), right = nearX(p.X, r.Right);
  const bool top = nearY(p.Y, r.Top), bottom = nearY(p.Y, r.Bottom);
  if (top && left) return TFrameDrag::TopLeft;
  if (top && right) return TFrameDrag::TopRight;
  if (bottom && left) return TFrameDrag::BottomLeft;
  if (bottom && right) return TFrameDrag::BottomRight;
  if (left && nearY(p.Y, cy)) return TFrameDrag::Left;
  if (right && nearY(p.Y, cy)) return TFrameDrag::Right;
  if (top && nearX(p.X, cx)) return TFrameDrag::Top;
  if (bottom && nearX(p.X, cx)) return TFrameDrag::Bottom;
  if (p.X >= r.Left && p.X <= r.Right && p.Y >= r.Top && p.Y <= r.Bottom) return TFrameDrag::Move;
  return TFrameDrag::None;
}

void TSelectionFrame::BeginDrag(TFrameDrag drag, TPointF p) {
  Drag_ = drag;
  DragStart_ = p;
  StartLocation_ = Location;
}

void TSelectionFrame::DragTo(TPointF p, bool symmetric) {
  if (!Dragging()) return;
  TFloatRect proposed = DragFrame(StartLocation_, Drag_, p.X - DragStart_.X, p.Y - DragStart_.Y);
  if (symmetric) proposed = SymmetricResize(StartLocation_, proposed, Drag_);
  Location = proposed;
  if (Child_) Child_->Location = Location;
}

}  // namespace gs

#include "shell/LayerViews.h"

#include <QPainter>

#include <cmath>

namespace gs {

namespace {
constexpr double kHandle = 6.0;  // handle size in view pixels

QRectF ToView(const TImageView& view, const TFloatRect& r) {
  return QRectF(r.Left * view.ScaleX(), r.Top * view.ScaleY(), r.Width() * view.ScaleX(),
                r.Height() * view.ScaleY());
}
}  // namespace

void TPictureLayersView::Paint(QPainter& painter, const TImageView& view) {
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  for (const auto& layer : Layers_) {
    if (!layer->Visible || layer->Bitmap.Empty()) continue;
    const TBitmap32& b = layer->Bitmap;
    const QImage image(reinterpret_cast<const uchar*>(b.Bits()), b.Width(), b.Height(),
                       qsizetype(b.Width()) * 4, QImage::Format_ARGB32);
    painter.drawImage(ToView(view, layer->Location), image);
  }
  painter.restore();
}

void TRubberbandLayer::SetChild(TRotatableLayer* child) {
  Child = child;
  if (child) Location = child->Location;
  View_.update();
}

QRectF TRubberbandLayer::ViewRect() const { return ToView(View_, Location); }

TFrameDrag TRubberbandLayer::HitTest(QPointF p) const {
  if (!Visible || !Child) return TFrameDrag::None;
  const QRectF r = ViewRect();
  const auto near = [](double a, double b) { return std::fabs(a - b) <= kHandle; };
  const double cx = r.center().x();
  const double cy = r.center().y();
  const bool left = near(p.x(), r.left()), right = near(p.x(), r.right());
  const bool top = near(p.y(), r.top()), bottom = near(p.y(), r.bottom());
  if (top && left) return TFrameDrag::TopLeft;
  if (top && right) return TFrameDrag::TopRight;
  if (bottom && left) return TFrameDrag::BottomLeft;
  if (bottom && right) return TFrameDrag::BottomRight;
  if (left && near(p.y(), cy)) return TFrameDrag::Left;
  if (right && near(p.y(), cy)) return TFrameDrag::Right;
  if (top && near(p.x(), cx)) return TFrameDrag::Top;
  if (bottom && near(p.x(), cx)) return TFrameDrag::Bottom;
  if (r.contains(p)) return TFrameDrag::Move;
  return TFrameDrag::None;
}

void TRubberbandLayer::BeginDrag(TFrameDrag drag, QPointF viewPos) {
  Drag_ = drag;
  DragStart_ = viewPos;
  StartLocation_ = Location;
}

void TRubberbandLayer::DragTo(QPointF viewPos, bool symmetric) {
  if (!Dragging()) return;
  const double dx = (viewPos.x() - DragStart_.x()) / View_.ScaleX();
  const double dy = (viewPos.y() - DragStart_.y()) / View_.ScaleY();
  TFloatRect proposed = DragFrame(StartLocation_, Drag_, dx, dy);
  if (symmetric) proposed = SymmetricResize(StartLocation_, proposed, Drag_);
  Location = proposed;
  if (Child) Child->Location = Location;
  View_.update();
}

void TRubberbandLayer::Paint(QPainter& painter, const TImageView&) {
  if (!Child) return;
  const QRectF r = ViewRect();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRect(r);
  painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
  painter.drawRect(r);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  const double h = kHandle / 2;
  for (const QPointF c : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight(),
                          QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()),
                          QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y())})
    painter.drawRect(QRectF(c.x() - h, c.y() - h, kHandle, kHandle));
  painter.restore();
}

}  // namespace gs

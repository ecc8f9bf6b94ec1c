// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/view/LayerViews.h"

#include <QPainter>


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

void TRubberbandLayer::Paint(QPainter& painter, const TImageView& view) {
  if (!Frame_.Visible()) return;
  const QRectF r = ToView(view, Frame_.Location);
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

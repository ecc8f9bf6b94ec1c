// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/view/ImageView.h"

#include "document/Pointer.h"
#include "platform/Guard.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <exception>

#include <algorithm>
#include <cmath>

namespace gs {

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setMouseTracking(true);
}

void TImageView::SetBitmap(const TBitmap32* bitmap) {
  Bitmap_ = bitmap;
  update();
}

void TImageView::ShowInstead(const TBitmap32* picture) {
  if (picture == Instead_) return;
  Instead_ = picture;
  update();
}

void TImageView::Freeze() {
  if (Frozen()) return;
  const QRect seen = visibleRegion().boundingRect();
  FrozenAt_ = seen.topLeft();
  // The part in sight only: a large picture at 100 % is many times the window's size.
  if (!seen.isEmpty()) {
    Frozen_ = grab(seen);
  } else {
    Frozen_ = QPixmap(1, 1);
    Frozen_.fill(Qt::transparent);
  }
}

void TImageView::Thaw() {
  if (!Frozen()) return;
  Frozen_ = QPixmap();
  update();
}

void TImageView::Changed() { update(); }

void TImageView::Changed(const TRect& pictureRect) {
  // One widget pixel of margin covers the smoothing of neighbouring pixels at small zooms.
  update(PictureToWidget(pictureRect).adjusted(-1, -1, 1, 1));
}

double TImageView::ScaleX() const {
  return Bitmap_ && Bitmap_->Width() > 0 ? double(width()) / Bitmap_->Width() : 1.0;
}

double TImageView::ScaleY() const {
  return Bitmap_ && Bitmap_->Height() > 0 ? double(height()) / Bitmap_->Height() : 1.0;
}

QPointF TImageView::PictureToWidget(QPointF p) const {
  return QPointF(p.x() * ScaleX(), p.y() * ScaleY());
}

QPointF TImageView::WidgetToPicture(QPointF p) const {
  if (!Bitmap_ || Bitmap_->Empty()) return p;
  const TPointF picture = ViewToPicture(TPointF{p.x(), p.y()}, TSize{width(), height()},
                                        TSize{Bitmap_->Width(), Bitmap_->Height()});
  return QPointF(picture.X, picture.Y);
}

QRect TImageView::PictureToWidget(const TRect& r) const {
  const int left = int(std::floor(r.Left * ScaleX()));
  const int top = int(std::floor(r.Top * ScaleY()));
  const int right = int(std::ceil(r.Right * ScaleX()));
  const int bottom = int(std::ceil(r.Bottom * ScaleY()));
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TImageView::paintEvent(QPaintEvent* event) {
  try {
    Paint(event->rect());
  } catch (...) {
    // No message box in the middle of a paint, and one for a run of failing paints: the message
    // waits until the event loop is back.
    if (ReportPending_) return;
    ReportPending_ = true;
    QTimer::singleShot(0, this, [this, error = std::current_exception()] {
      ReportPending_ = false;
      RunGuarded([error] { std::rethrow_exception(error); });
    });
  }
}

void TImageView::Paint(const QRect& exposed) {
  QPainter painter(this);
  if (Frozen()) {
    painter.fillRect(exposed, palette().window());
    painter.drawPixmap(FrozenAt_, Frozen_);
    return;
  }
  if (PaintStage) PaintStage(painter, exposed);
  const TBitmap32* shown = Shown();
  if (shown && !shown->Empty()) DrawPicture(painter, exposed, *shown);
  for (TViewLayer* layer : Layers)
    if (layer->Visible && (!Instead_ || layer->OverInstead)) layer->Paint(painter, *this);
}

void TImageView::DrawPicture(QPainter& painter, const QRect& exposed, const TBitmap32& picture) const {
  const int bw = picture.Width();
  const int bh = picture.Height();
  const double sx = double(width()) / bw;
  const double sy = double(height()) / bh;
  // The picture pixels behind the exposed area, with one pixel of margin for the smoothing.
  const int x0 = std::clamp(int(std::floor(exposed.left() / sx)) - 1, 0, bw);
  const int y0 = std::clamp(int(std::floor(exposed.top() / sy)) - 1, 0, bh);
  const int x1 = std::clamp(int(std::ceil((exposed.right() + 1) / sx)) + 1, 0, bw);
  const int y1 = std::clamp(int(std::ceil((exposed.bottom() + 1) / sy)) + 1, 0, bh);
  if (x1 <= x0 || y1 <= y0) return;
  // Wraps the pixels in place: Format_ARGB32 has exactly the bitmap's memory layout.
  const QImage part(reinterpret_cast<const uchar*>(picture.ScanLine(y0) + x0), x1 - x0, y1 - y0,
                    qsizetype(bw) * 4, QImage::Format_ARGB32);
  const QRectF target(x0 * sx, y0 * sy, (x1 - x0) * sx, (y1 - y0) * sy);
  painter.save();
  painter.setClipRect(exposed);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, sx < 1.0 || sy < 1.0);
  painter.drawImage(target, part);
  if (!Instead_ && Preview_.width() == bw && Preview_.height() == bh)
    painter.drawImage(target, Preview_, QRectF(x0, y0, x1 - x0, y1 - y0));
  painter.restore();
}

void TImageView::ShowPreview(const QImage& pixels, QPoint picturePosition) {
  if (!Bitmap_ || Bitmap_->Empty() || pixels.isNull()) return;
  const int bw = Bitmap_->Width();
  const int bh = Bitmap_->Height();
  if (Preview_.width() != bw || Preview_.height() != bh) {
    Preview_ = QImage(bw, bh, QImage::Format_ARGB32_Premultiplied);
    Preview_.fill(Qt::transparent);
  }
  // In 64 bits: a position near the end of the int range must not wrap round onto the picture.
  const int64_t x = picturePosition.x(), y = picturePosition.y();
  const int left = int(std::max<int64_t>(x, 0)), top = int(std::max<int64_t>(y, 0));
  const int right = int(std::min<int64_t>(x + pixels.width(), bw));
  const int bottom = int(std::min<int64_t>(y + pixels.height(), bh));
  if (right <= left || bottom <= top) return;
  {
    QPainter painter(&Preview_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(left, top), pixels, QRect(int(left - x), int(top - y), right - left, bottom - top));
  }
  repaint(PictureToWidget(TRect{left, top, right, bottom}).adjusted(-1, -1, 1, 1));
}

void TImageView::EndPreview() {
  if (Preview_.isNull()) return;
  Preview_ = QImage();
  update();
}

void TImageView::mousePressEvent(QMouseEvent* event) { emit MouseDown(event); }
void TImageView::mouseMoveEvent(QMouseEvent* event) { emit MouseMove(event); }
void TImageView::mouseReleaseEvent(QMouseEvent* event) { emit MouseUp(event); }

void TImageView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press is a press as before; what a double click means comes after it.
  emit MouseDown(event);
  emit DoubleClicked(event->position().toPoint());
}

void TImageView::contextMenuEvent(QContextMenuEvent* event) { emit ContextMenuAsked(event->pos()); }

void TImageView::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  emit PointerLeft();
}

}  // namespace gs

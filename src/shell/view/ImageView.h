// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TImageView: shows a TBitmap32 stretched to the widget's size (the zoom is carried by the
// size), over a custom first paint stage, with a filter's preview over the picture and a stack of
// overlay layers drawn on top in order. For a while it may show another picture in its place.

#include "common/Bitmap32.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <vector>

namespace gs {

class TImageView;

// Something drawn over the picture, positioned in picture pixels and scaled with the zoom.
class TViewLayer {
public:
  virtual ~TViewLayer() = default;
  virtual void Paint(QPainter& painter, const TImageView& view) = 0;
  bool Visible = true;
  // Drawn also while the view shows another picture in place of its own (see ShowInstead):
  // what stands for the pointer, not what belongs to the work.
  bool OverInstead = false;
};

class TImageView : public QWidget {
  Q_OBJECT

public:
  explicit TImageView(QWidget* parent = nullptr);

  // The picture shown; not owned. Call Changed() after altering its pixels.
  void SetBitmap(const TBitmap32* bitmap);
  const TBitmap32* Bitmap() const { return Bitmap_; }

  // Shows `picture` (not owned, the bitmap's size) in place of the bitmap, without the preview
  // and the overlay layers but those marked OverInstead, until called with nullptr. The bitmap
  // stays the view's: positions and Changed() keep referring to it.
  void ShowInstead(const TBitmap32* picture);
  // What the view draws: the picture shown instead, or the bitmap.
  const TBitmap32* Shown() const { return Instead_ ? Instead_ : Bitmap_; }

  // While a worker writes the bitmap the view must not read it: Freeze keeps what the view
  // shows where it can be seen and paints only that until Thaw, which paints the bitmap again.
  void Freeze();
  void Thaw();
  bool Frozen() const { return !Frozen_.isNull(); }

  // The first paint stage, drawn behind the picture in widget coordinates.
  std::function<void(QPainter&, const QRect&)> PaintStage;

  // Repaints all, or only the widget area covering a rectangle of picture pixels.
  void Changed();
  void Changed(const TRect& pictureRect);

  double ScaleX() const;
  double ScaleY() const;
  QPointF PictureToWidget(QPointF p) const;
  QPointF WidgetToPicture(QPointF p) const;
  QRect PictureToWidget(const TRect& r) const;

  // A filter plug-in's preview: pixels shown over the picture with their top-left corner at a
  // picture position, painted at once (the plug-in holds the event loop). Later pixels cover
  // earlier ones; all stay until EndPreview().
  void ShowPreview(const QImage& pixels, QPoint picturePosition);
  void EndPreview();

  // Overlay layers, bottom to top; not owned.
  std::vector<TViewLayer*> Layers;

signals:
  void MouseDown(QMouseEvent* event);
  void MouseMove(QMouseEvent* event);
  void MouseUp(QMouseEvent* event);
  void PointerLeft();
  void DoubleClicked(QPoint at);
  void ContextMenuAsked(QPoint at);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  void Paint(const QRect& exposed);
  void DrawPicture(QPainter& painter, const QRect& exposed, const TBitmap32& picture) const;

  const TBitmap32* Bitmap_ = nullptr;
  const TBitmap32* Instead_ = nullptr;
  QImage Preview_;  // the picture's size, transparent where nothing was shown
  QPixmap Frozen_;   // the visible part as it was painted at Freeze
  QPoint FrozenAt_;
  bool ReportPending_ = false;
};

}  // namespace gs

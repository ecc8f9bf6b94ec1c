// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/FacePicture.h"

#include "platform/Guard.h"
#include "shell/view/BitmapImage.h"
#include "shell/view/Checkerboard.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace gs {

namespace {

QRectF RectOf(const TFloatRect& r) { return QRectF(r.Left, r.Top, r.Width(), r.Height()); }

TFace Moved(const TFace& face, double dx, double dy) {
  TFace moved = face;
  moved.Box = TFloatRect{face.Box.Left + dx, face.Box.Top + dy, face.Box.Right + dx, face.Box.Bottom + dy};
  for (TPointF& p : moved.Points) p = TPointF{p.X + dx, p.Y + dy};
  return moved;
}

// The part of the picture a preview shows: the chosen faces with room around them for what the
// presets bend beyond the face (a bobble head, a pointy chin).
TRect AroundFaces(const std::vector<TFace>& faces, int faceIndex, double room, const TRect& bounds) {
  TFloatRect box{1e300, 1e300, -1e300, -1e300};
  for (int i = 0; i < int(faces.size()); ++i) {
    if (faceIndex >= 0 && i != faceIndex) continue;
    const TFloatRect& b = faces[size_t(i)].Box;
    box = TFloatRect{std::min(box.Left, b.Left), std::min(box.Top, b.Top), std::max(box.Right, b.Right),
                     std::max(box.Bottom, b.Bottom)};
  }
  const double half = std::max(box.Width(), box.Height()) * room / 2;
  const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  return Intersect(CoveringRect(TFloatRect{cx - half, cy - half, cx + half, cy + half}), bounds);
}

// Where a label shows its centred pixmap.
QPointF PixmapOrigin(const QLabel& label, const TBitmap32& shown) {
  return QPointF((label.width() - shown.Width()) / 2.0, (label.height() - shown.Height()) / 2.0);
}

}  // namespace

QLabel* NewPictureLabel(QLabel* label, int side) {
  label->setFixedSize(side, side);
  label->setAlignment(Qt::AlignCenter);
  label->setFrameShape(QFrame::StyledPanel);
  return label;
}

TFacePicture::TFacePicture(QWidget* parent, int side) : QLabel(parent) {
  NewPictureLabel(this, side);
  setToolTip(QStringLiteral("Click a face to choose it"));
}

void TFacePicture::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  RunGuarded([this, at] {
    if (!Overview_ || !Chosen) return;
    const QPointF origin = PixmapOrigin(*this, Overview_->Original());
    const TPointF p{at.x() - origin.x(), at.y() - origin.y()};
    // The nearest face whose frame, grown to twice its size, holds the click: faces are small
    // targets on a shrunk group photo.
    const std::vector<TFace>& faces = Overview_->Faces();
    int nearest = -1;
    double best = 0;
    for (int i = 0; i < int(faces.size()); ++i) {
      const TFloatRect& b = faces[size_t(i)].Box;
      const TPointF centre{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
      const double d = std::max(std::abs(p.X - centre.X) / b.Width(), std::abs(p.Y - centre.Y) / b.Height());
      if (d < 1.0 && (nearest < 0 || d < best)) nearest = i, best = d;
    }
    if (nearest >= 0) Chosen(nearest);
  });
}

void TFacePicture::Show(const TCaricaturePreview& overview, int chosen, bool all) {
  Overview_ = &overview;
  QImage image = OnCheckerboard(overview.Original());
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const std::vector<TFace>& faces = overview.Faces();
  for (int i = 0; i < int(faces.size()); ++i) {
    // A dark edge under each frame, so that it shows on light and dark photos alike.
    const QRectF frame = RectOf(faces[size_t(i)].Box);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 150), 3.0));
    painter.drawRect(frame);
    painter.setPen(QPen(all || i == chosen ? QColor(255, 214, 0) : QColor(255, 255, 255), 1.5));
    painter.drawRect(frame);
  }
  if (chosen >= 0 && chosen < int(faces.size())) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 230, 255));
    const double dot = std::clamp(faces[size_t(chosen)].Box.Width() / 60, 0.6, 1.6);
    for (const TPointF& p : faces[size_t(chosen)].Points) painter.drawEllipse(QPointF(p.X, p.Y), dot, dot);
  }
  painter.end();
  setPixmap(QPixmap::fromImage(image));
}

std::unique_ptr<TCaricaturePreview> PreviewAround(const TBitmap32& picture, const std::vector<TFace>& faces,
                                                  int faceIndex, double room, int side) {
  const TRect cut = AroundFaces(faces, faceIndex, room, picture.BoundsRect());
  TBitmap32 part(std::max(1, cut.Width()), std::max(1, cut.Height()));
  part.CopyRect(0, 0, picture, cut);
  std::vector<TFace> moved;
  for (const TFace& face : faces) moved.push_back(Moved(face, -cut.Left, -cut.Top));
  return std::make_unique<TCaricaturePreview>(part, moved, side);
}

QImage OnCheckerboard(const TBitmap32& picture) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  PaintCheckerboard(painter, image.rect());
  painter.drawImage(0, 0, WrappedImage(picture));
  return image;
}

void ShowPreviewIn(QLabel& label, const TBitmap32& result) {
  QPixmap shown = QPixmap::fromImage(OnCheckerboard(result));
  const QSize room = label.contentsRect().size();
  if (shown.width() < room.width() && shown.height() < room.height())
    shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  label.setPixmap(shown);
}

}  // namespace gs

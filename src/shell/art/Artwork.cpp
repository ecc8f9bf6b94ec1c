// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/art/Artwork.h"

#include "paintkit/PaintKit.h"
#include "platform/Dialogs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace gs {

namespace {

const QColor kInk(25, 20, 40);
const QColor kSkin(255, 204, 150);
const QColor kSkinShade(236, 160, 110);

// Comic backdrop: a sunburst of alternating rays, the usual cartoon "pow" background.
void PaintSunburst(QPainter& p, const QRectF& area, QPointF centre) {
  p.fillRect(area, QColor(255, 214, 64));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 170, 40));
  const double radius = std::hypot(area.width(), area.height());
  constexpr int kRays = 18;
  for (int i = 0; i < kRays; ++i) {
    const double a0 = (2 * M_PI * i) / kRays;
    const double a1 = a0 + M_PI / kRays;
    QPolygonF ray;
    ray << centre << centre + QPointF(std::cos(a0), std::sin(a0)) * radius
        << centre + QPointF(std::cos(a1), std::sin(a1)) * radius;
    p.drawPolygon(ray);
  }
}

// Outlined text with a drop shadow, as lettering in a comic title.
void PaintTitle(QPainter& p, const QString& text, const QRectF& box, int pointSize,
                const QColor& fill) {
  QFont font(QStringLiteral("Sans Serif"), pointSize, QFont::Black);
  font.setItalic(true);
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF bounds = path.boundingRect();
  const double scale = std::min(1.0, box.width() / bounds.width());
  p.save();
  p.translate(box.center());
  p.scale(scale, scale);
  p.translate(-bounds.center());
  p.translate(4, 4);
  p.fillPath(path, kInk);
  p.translate(-4, -4);
  paintkit::Shape(p, path, fill, paintkit::InkPen(kInk, 3));
  p.restore();
}

}  // namespace

void PaintComicFace(QPainter& p, const QRectF& box) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const double w = box.width();
  const double h = box.height();
  auto at = [&](double fx, double fy) { return QPointF(box.left() + fx * w, box.top() + fy * h); };
  const QPen outline = paintkit::InkPen(kInk, std::max(2.0, w / 60));

  // Head: a pear pulled wide at the jaw, the shape a Putty brush leaves on a chin.
  QPainterPath head;
  head.moveTo(at(0.5, 0.04));
  head.cubicTo(at(0.86, 0.02), at(0.9, 0.35), at(0.97, 0.62));
  head.cubicTo(at(1.02, 0.9), at(0.72, 1.0), at(0.5, 0.99));
  head.cubicTo(at(0.28, 1.0), at(-0.02, 0.9), at(0.03, 0.62));
  head.cubicTo(at(0.1, 0.35), at(0.14, 0.02), at(0.5, 0.04));
  const QPointF light = at(0.42, 0.35);
  p.setPen(outline);
  p.setBrush(paintkit::Radial(light, 0.7 * w, light, {{0, kSkin.lighter(110)}, {0.7, kSkin}, {1, kSkinShade}}));
  p.drawPath(head);

  // Ears.
  p.drawEllipse(QRectF(at(-0.04, 0.42), QSizeF(0.1 * w, 0.18 * h)));
  p.drawEllipse(QRectF(at(0.94, 0.42), QSizeF(0.1 * w, 0.18 * h)));

  // Hair tuft.
  p.setBrush(QColor(120, 60, 30));
  QPainterPath hair;
  hair.moveTo(at(0.3, 0.1));
  hair.quadTo(at(0.38, -0.08), at(0.46, 0.08));
  hair.quadTo(at(0.52, -0.1), at(0.6, 0.07));
  hair.quadTo(at(0.7, -0.06), at(0.72, 0.12));
  hair.quadTo(at(0.5, 0.16), at(0.3, 0.1));
  p.drawPath(hair);

  // Bulging eyes of different sizes, as after a Twirl.
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(at(0.22, 0.2), QSizeF(0.24 * w, 0.26 * h)));
  p.drawEllipse(QRectF(at(0.56, 0.24), QSizeF(0.18 * w, 0.2 * h)));
  p.setBrush(kInk);
  p.drawEllipse(at(0.36, 0.35), 0.045 * w, 0.05 * h);
  p.drawEllipse(at(0.63, 0.36), 0.035 * w, 0.04 * h);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(at(0.35, 0.33), 0.012 * w, 0.012 * h);
  p.drawEllipse(at(0.62, 0.345), 0.01 * w, 0.01 * h);

  // Eyebrows raised.
  p.setPen(QPen(kInk, std::max(3.0, w / 30), Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath brows;
  brows.moveTo(at(0.2, 0.17));
  brows.quadTo(at(0.33, 0.08), at(0.46, 0.16));
  brows.moveTo(at(0.56, 0.2));
  brows.quadTo(at(0.66, 0.13), at(0.76, 0.21));
  p.drawPath(brows);

  // A big nose, stretched long.
  p.setPen(outline);
  p.setBrush(kSkinShade);
  QPainterPath nose;
  nose.moveTo(at(0.5, 0.42));
  nose.cubicTo(at(0.42, 0.58), at(0.36, 0.66), at(0.46, 0.68));
  nose.cubicTo(at(0.52, 0.7), at(0.6, 0.66), at(0.54, 0.58));
  p.drawPath(nose);

  // The grin: a wide crescent with a row of teeth and a tongue.
  QPainterPath mouth;
  mouth.moveTo(at(0.14, 0.7));
  mouth.quadTo(at(0.5, 0.76), at(0.88, 0.68));
  mouth.quadTo(at(0.55, 1.04), at(0.14, 0.7));
  p.setBrush(QColor(120, 20, 30));
  p.drawPath(mouth);
  p.save();
  p.setClipPath(mouth);
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(Qt::white);
  for (int i = 0; i < 8; ++i) {
    const double x = 0.14 + i * 0.095;
    p.drawRect(QRectF(at(x, 0.66), QSizeF(0.095 * w, 0.085 * h)));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 90, 110));
  p.drawEllipse(at(0.52, 0.9), 0.14 * w, 0.06 * h);
  p.restore();
  p.setBrush(Qt::NoBrush);
  p.drawPath(mouth);

  // Rosy cheeks.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 110, 110, 90));
  p.drawEllipse(at(0.17, 0.62), 0.07 * w, 0.05 * h);
  p.drawEllipse(at(0.84, 0.6), 0.06 * w, 0.045 * h);
  p.restore();
}

QImage SplashArtwork() {
  QImage image(kSplashWidth, kSplashHeight, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF all(0, 0, kSplashWidth, kSplashHeight);
  PaintSunburst(p, all, QPointF(kSplashWidth / 2.0, 140));
  PaintComicFace(p, QRectF(135, 18, 200, 215));
  PaintTitle(p, QString::fromUtf8(kAppCaption), QRectF(15, 250, kSplashWidth - 30, 60), 34,
             QColor(235, 40, 60));
  p.setPen(kInk);
  p.setFont(QFont(QStringLiteral("Sans Serif"), 10, QFont::Bold));
  p.drawText(QRectF(0, 312, kSplashWidth, 26), Qt::AlignCenter,
             QStringLiteral("Turn portraits into comic faces"));
  p.setPen(QPen(kInk, 4));
  p.setBrush(Qt::NoBrush);
  p.drawRect(all.adjusted(2, 2, -2, -2));
  return image;
}

QImage AboutArtwork() {
  QImage image(kAboutWidth, kAboutHeight, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF all(0, 0, kAboutWidth, kAboutHeight);
  PaintSunburst(p, all, QPointF(130, 150));
  PaintComicFace(p, QRectF(30, 30, 200, 230));
  // Speech bubble holding the product name, pointing at the face's grin.
  QPainterPath tail;
  tail.moveTo(275, 170);
  tail.lineTo(215, 215);
  tail.lineTo(310, 185);
  paintkit::Shape(p, paintkit::RoundedRect(QRectF(250, 40, 330, 170), 40).united(tail), Qt::white,
                  paintkit::InkPen(kInk, 4));
  PaintTitle(p, QStringLiteral("Grimacer"), QRectF(265, 55, 300, 70), 40, QColor(235, 40, 60));
  PaintTitle(p, QStringLiteral("Studio 3.6"), QRectF(265, 125, 300, 60), 30, QColor(40, 120, 235));
  p.setPen(kInk);
  p.setFont(QFont(QStringLiteral("Sans Serif"), 9));
  p.drawText(QRectF(250, 220, 330, 40), Qt::AlignCenter | Qt::TextWordWrap,
             QStringLiteral("Bend, stretch and twirl faces, add bubbles and text, "
                            "then print or share the result."));
  p.setPen(QPen(kInk, 4));
  p.setBrush(Qt::NoBrush);
  p.drawRect(all.adjusted(2, 2, -2, -2));
  // The close corner: a small cross so that the click area can be found.
  const QRectF corner(kAboutWidth - 25, 0, 25, 25);
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(corner.topLeft() + QPointF(7, 7), corner.bottomRight() - QPointF(7, 7));
  p.drawLine(corner.topRight() + QPointF(-7, 7), corner.bottomLeft() + QPointF(7, -7));
  return image;
}

}  // namespace gs

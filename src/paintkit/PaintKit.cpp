// SPDX-License-Identifier: GPL-3.0-or-later
#include "paintkit/PaintKit.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace gs::paintkit {

QPen InkPen(const QColor& colour, double width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Shape(QPainter& painter, const QPainterPath& path, const QBrush& fill, const QPen& outline) {
  painter.setPen(outline);
  painter.setBrush(fill);
  painter.drawPath(path);
}

void Fill(QPainter& painter, const QPainterPath& path, const QBrush& fill) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawPath(path);
}

void Stroke(QPainter& painter, const QPainterPath& path, const QPen& pen) {
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

QPainterPath Ellipse(QPointF centre, double rx, double ry) {
  QPainterPath path;
  path.addEllipse(centre, rx, ry);
  return path;
}

QPainterPath RoundedRect(const QRectF& rect, double radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

QPainterPath Arc(const QRectF& box, double start, double sweep) {
  QPainterPath path;
  path.arcMoveTo(box, start);
  path.arcTo(box, start, sweep);
  return path;
}

QPainterPath Polygon(const QPolygonF& corners) {
  QPainterPath path;
  path.addPolygon(corners);
  path.closeSubpath();
  return path;
}

QPainterPath Star(QPointF centre, double outer, double inner, int points, double turn) {
  QPolygonF corners;
  for (int i = 0; i < 2 * points; ++i) {
    const double angle = -std::numbers::pi / 2 + turn + i * std::numbers::pi / points;
    const double r = i % 2 == 0 ? outer : inner;
    corners << centre + QPointF(r * std::cos(angle), r * std::sin(angle));
  }
  return Polygon(corners);
}

QPainterPath Band(const QPainterPath& centreLine, double width, Qt::PenCapStyle cap) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(cap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return stroker.createStroke(centreLine).simplified();
}

QPainterPath Curve(const std::function<QPointF(double)>& at, int steps) {
  QPainterPath path;
  path.moveTo(at(0));
  for (int i = 1; i <= steps; ++i)
    path.lineTo(at(double(i) / steps));
  return path;
}

QPainterPath MirroredX(const QPainterPath& path, double axis) {
  return QTransform(-1, 0, 0, 1, 2 * axis, 0).map(path);
}

QLinearGradient Linear(QPointF from, QPointF to, TStops stops) {
  QLinearGradient gradient(from, to);
  for (const auto& [at, colour] : stops)
    gradient.setColorAt(at, colour);
  return gradient;
}

QRadialGradient Radial(QPointF centre, double radius, QPointF focus, TStops stops) {
  QRadialGradient gradient(centre, radius, focus);
  for (const auto& [at, colour] : stops)
    gradient.setColorAt(at, colour);
  return gradient;
}

}  // namespace gs::paintkit

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Painting helpers shared by everything the program draws in code: the icons and cursors, the
// splash and about artwork, the shipped clipart and the sample portrait. They all draw flat
// cartoon shapes filled and outlined with round-ended ink, and these helpers are what keeps
// that one style.
// Painting onto a QImage needs no application object; gradients and text may need one.

#include <QBrush>
#include <QColor>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRectF>

#include <functional>
#include <initializer_list>
#include <utility>

class QPainter;

namespace gs::paintkit {

// Gradient colour stops: position from 0 to 1, and the colour there.
using TStops = std::initializer_list<std::pair<double, QColor>>;

// A solid pen with round ends and joins, the outline of every cartoon shape.
QPen InkPen(const QColor& colour, double width);

// Fills the path and draws its outline.
void Shape(QPainter& painter, const QPainterPath& path, const QBrush& fill, const QPen& outline);
// Fills the path without an outline, for inner details.
void Fill(QPainter& painter, const QPainterPath& path, const QBrush& fill);
// Draws only the path's outline, leaving the inside as it is.
void Stroke(QPainter& painter, const QPainterPath& path, const QPen& pen);

// An ellipse with radii rx and ry around centre.
QPainterPath Ellipse(QPointF centre, double rx, double ry);
// A rectangle with corners rounded by radius; radius 0 gives sharp corners.
QPainterPath RoundedRect(const QRectF& rect, double radius);
// The open arc of the ellipse inscribed in box, from `start` degrees through `sweep` degrees,
// counterclockwise as in QPainterPath::arcTo.
QPainterPath Arc(const QRectF& box, double start, double sweep);
// The closed polygon through the corners.
QPainterPath Polygon(const QPolygonF& corners);
// A star of `points` tips at outer radius and notches at inner radius; the first tip points
// straight up, then the star is turned clockwise by `turn` radians.
QPainterPath Star(QPointF centre, double outer, double inner, int points, double turn = 0);
// The centre line widened into a band of even width that can be filled and outlined like any
// shape; joins are round, ends as `cap` says.
QPainterPath Band(const QPainterPath& centreLine, double width, Qt::PenCapStyle cap = Qt::RoundCap);
// The polyline through at(t) for `steps` + 1 evenly spaced t from 0 to 1, for spirals and curls.
QPainterPath Curve(const std::function<QPointF(double)>& at, int steps);
// The path reflected across the vertical line x = axis.
QPainterPath MirroredX(const QPainterPath& path, double axis);

// A linear gradient from `from` to `to` with the given stops.
QLinearGradient Linear(QPointF from, QPointF to, TStops stops);
// A radial gradient around centre, lit from focus, with the given stops.
QRadialGradient Radial(QPointF centre, double radius, QPointF focus, TStops stops);

}  // namespace gs::paintkit

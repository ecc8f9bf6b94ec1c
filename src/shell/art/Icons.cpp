// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/art/Icons.h"

#include "paintkit/PaintKit.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace gs {
namespace {

using paintkit::Arc;
using paintkit::Band;
using paintkit::Curve;
using paintkit::Ellipse;
using paintkit::Linear;
using paintkit::MirroredX;
using paintkit::Polygon;
using paintkit::RoundedRect;
using paintkit::Star;

// Every icon is designed on a 48 x 48 grid and scaled to the requested size.
constexpr double kGrid = 48.0;
// Plain rectangles get slightly rounded corners, to go with the round-jointed outlines.
constexpr double kCorner = 1.5;

// One flat palette for the whole set, so the toolbar reads as a family.
const QColor kOutline(0x26, 0x32, 0x38);
const QColor kPaper(0xFA, 0xFA, 0xFA);
const QColor kYellow(0xFF, 0xCA, 0x28);
const QColor kYellowDark(0xF5, 0x9E, 0x0B);
const QColor kBlue(0x42, 0xA5, 0xF5);
const QColor kBlueDark(0x1E, 0x6F, 0xC8);
const QColor kSky(0xB3, 0xE5, 0xFC);
const QColor kGrey(0xB0, 0xBE, 0xC5);
const QColor kGreyDark(0x78, 0x90, 0x9C);
const QColor kGreen(0x66, 0xBB, 0x6A);
const QColor kOrange(0xFF, 0x98, 0x00);
const QColor kPurple(0x9C, 0x5C, 0xD4);
const QColor kPurpleDark(0x6A, 0x3D, 0x9A);
const QColor kPink(0xF0, 0x62, 0x92);
const QColor kSkin(0xFF, 0xCC, 0x99);
const QColor kBrown(0x8D, 0x5A, 0x3B);
const QColor kRed(0xE5, 0x39, 0x35);
const QColor kRedLight(0xFF, 0x6E, 0x5A);
const QColor kRedDark(0xB0, 0x1C, 0x1C);
const QColor kGreenDark(0x2E, 0x7D, 0x32);

class TIconPainter {
public:
  TIconPainter(QPixmap& target, int size) : P_(&target) {
    P_.setRenderHint(QPainter::Antialiasing);
    P_.scale(size / kGrid, size / kGrid);
    // Thin outlines vanish at 16 px, so they never drop below about one device pixel.
    OutlineWidth_ = std::max(2.0, 1.1 * kGrid / size);
  }

  // A filled shape with the dark outline.
  void Shape(const QPainterPath& path, const QBrush& fill) {
    paintkit::Shape(P_, path, fill, paintkit::InkPen(kOutline, OutlineWidth_));
  }
  void Shape(const QRectF& r, const QBrush& fill) { Shape(RoundedRect(r, kCorner), fill); }
  void Shape(const QPolygonF& polygon, const QBrush& fill) { Shape(Polygon(polygon), fill); }

  // A filled shape without outline, for inner details.
  void Fill(const QPainterPath& path, const QColor& fill) { paintkit::Fill(P_, path, fill); }
  void Fill(const QRectF& r, const QColor& fill) { Fill(RoundedRect(r, kCorner), fill); }

  // A plain line for inner details such as text lines on paper.
  void Line(QPointF a, QPointF b, const QColor& color, double width) {
    P_.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    P_.drawLine(a, b);
  }

  // The marching-ants frame of a selection.
  void Dashed(const QPainterPath& path, const QColor& color, double width) {
    QPen pen(color, width, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern({2, 1.5});
    paintkit::Stroke(P_, path, pen);
  }

private:
  QPainter P_;
  double OutlineWidth_;
};

QPolygonF ArrowHead(QPointF tip, QPointF direction, double length, double halfWidth) {
  const double norm = std::hypot(direction.x(), direction.y());
  const QPointF d = direction / norm;
  const QPointF n(-d.y(), d.x());
  const QPointF base = tip - d * length;
  return QPolygonF({tip, base + n * halfWidth, base - n * halfWidth});
}

// A curved arrow body with a head at its end, as one outline-able shape.
QPainterPath CurvedArrow(const QPainterPath& body, double width, double headLength, double headHalfWidth) {
  const QPointF tip = body.pointAtPercent(1.0);
  const double angle = body.angleAtPercent(1.0) * std::numbers::pi / 180.0;
  const QPointF direction(std::cos(angle), -std::sin(angle));
  // The body stops where the head begins so the tip stays sharp.
  QPainterPath shortened;
  const int steps = 48;
  const double stopAt = 1.0 - (headLength * 0.6) / body.length();
  shortened.moveTo(body.pointAtPercent(0.0));
  for (int i = 1; i <= steps; ++i)
    shortened.lineTo(body.pointAtPercent(stopAt * i / steps));
  const QPointF headTip = tip + direction * (headLength * 0.4);
  return Band(shortened, width, Qt::FlatCap)
      .united(Polygon(ArrowHead(headTip, direction, headLength, headHalfWidth)))
      .simplified();
}

void PaintOpen(TIconPainter& p) {
  QPainterPath back;
  back.moveTo(4, 40);
  back.lineTo(4, 11);
  back.lineTo(17, 11);
  back.lineTo(21, 15);
  back.lineTo(38, 15);
  back.lineTo(38, 40);
  back.closeSubpath();
  p.Shape(back, kYellowDark);
  p.Shape(QRectF(10, 19, 25, 17), kPaper);
  p.Shape(QPolygonF({QPointF(4, 40), QPointF(11, 23), QPointF(45, 23), QPointF(38, 40)}), kYellow);
}

void PaintSave(TIconPainter& p) {
  p.Shape(QPolygonF({QPointF(6, 6), QPointF(35, 6), QPointF(42, 13), QPointF(42, 42), QPointF(6, 42)}),
          kBlueDark);
  p.Shape(QRectF(13, 6, 21, 12), kGrey);
  p.Fill(QRectF(27, 8.5, 4, 7), kBlueDark);
  p.Shape(QRectF(11, 24, 26, 18), kPaper);
  p.Line(QPointF(15, 30), QPointF(33, 30), kGreyDark, 2);
  p.Line(QPointF(15, 36), QPointF(29, 36), kGreyDark, 2);
}

void PaintPrint(TIconPainter& p) {
  p.Shape(QRectF(13, 4, 22, 16), kPaper);
  p.Shape(RoundedRect(QRectF(4, 16, 40, 20), 4), kGrey);
  p.Fill(QRectF(8, 28, 32, 3), kGreyDark);
  p.Shape(Ellipse(QPointF(38, 22), 2.2, 2.2), kGreen);
  p.Shape(QRectF(12, 29, 24, 15), kPaper);
  p.Line(QPointF(16, 34.5), QPointF(32, 34.5), kGreyDark, 2);
  p.Line(QPointF(16, 39.5), QPointF(27, 39.5), kGreyDark, 2);
}

// A small landscape snapshot: sky, sun and a green hill in a white frame.
void PaintPhoto(TIconPainter& p, const QRectF& frame) {
  p.Shape(frame, kPaper);
  const QRectF picture = frame.adjusted(3, 3, -3, -3);
  p.Fill(picture, kSky);
  p.Fill(Ellipse(picture.topLeft() + QPointF(picture.width() * 0.72, picture.height() * 0.3),
                 picture.width() * 0.12, picture.width() * 0.12),
         kYellow);
  QPainterPath hill;
  hill.moveTo(picture.bottomLeft());
  hill.lineTo(picture.left(), picture.top() + picture.height() * 0.7);
  hill.quadTo(picture.left() + picture.width() * 0.35, picture.top() + picture.height() * 0.25,
              picture.left() + picture.width() * 0.7, picture.top() + picture.height() * 0.65);
  hill.quadTo(picture.left() + picture.width() * 0.85, picture.top() + picture.height() * 0.55,
              picture.right(), picture.top() + picture.height() * 0.62);
  hill.lineTo(picture.bottomRight());
  hill.closeSubpath();
  p.Fill(hill, kGreen);
}

void PaintRestore(TIconPainter& p) {
  PaintPhoto(p, QRectF(3, 4, 30, 24));
  const QPointF centre(32, 32);
  const double radius = 10;
  const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
  p.Shape(CurvedArrow(Arc(box, 120, 270), 5.5, 9, 7), kOrange);
}

void PaintUndo(TIconPainter& p) {
  QPainterPath body;
  body.moveTo(38, 42);
  body.cubicTo(44, 26, 36, 14, 20, 15);
  body.lineTo(8, 15);
  p.Shape(CurvedArrow(body, 8, 14, 11), kBlue);
}

void PaintTutorial(TIconPainter& p) {
  p.Shape(RoundedRect(QRectF(11, 7, 31, 38), 2), kPaper);
  p.Shape(RoundedRect(QRectF(6, 3, 31, 38), 2), kPurple);
  p.Fill(QRectF(7.5, 4.5, 4, 35), kPurpleDark);
  QPainterPath hook;
  hook.moveTo(17, 16);
  hook.cubicTo(17, 8, 31, 8, 31, 15);
  hook.cubicTo(31, 20, 24, 20, 24, 26);
  hook.lineTo(24, 27);
  p.Shape(Band(hook, 4.5), kYellow);
  p.Shape(Ellipse(QPointF(24, 33.5), 2.8, 2.8), kYellow);
}

// A magnifying glass; the sign inside is drawn by the caller in lens coordinates.
constexpr double kLensX = 20, kLensY = 20, kLensRadius = 14;

void PaintMagnifier(TIconPainter& p) {
  QPainterPath handle;
  handle.moveTo(30, 30);
  handle.lineTo(42, 42);
  p.Shape(Band(handle, 8), kBrown);
  const QPainterPath rim = Ellipse(QPointF(kLensX, kLensY), kLensRadius + 2.5, kLensRadius + 2.5);
  p.Shape(rim, kGreyDark);
  p.Shape(Ellipse(QPointF(kLensX, kLensY), kLensRadius - 1, kLensRadius - 1), kSky);
  p.Fill(Band(Arc(QRectF(kLensX - 9, kLensY - 9, 18, 18), 110, 50), 2.5), kPaper);
}

void PaintZoomSign(TIconPainter& p, bool plus) {
  p.Fill(QRectF(kLensX - 7.5, kLensY - 2, 15, 4), kOutline);
  if (plus)
    p.Fill(QRectF(kLensX - 2, kLensY - 7.5, 4, 15), kOutline);
}

void PaintOneToOne(TIconPainter& p) {
  const double top = kLensY - 7, bottom = kLensY + 7;
  for (double x : {kLensX - 7.0, kLensX + 4.5}) {
    p.Fill(QRectF(x, top, 3, bottom - top), kOutline);
    p.Fill(QRectF(x - 2.5, top, 3, 3), kOutline);
  }
  p.Fill(Ellipse(QPointF(kLensX, kLensY - 3.5), 1.7, 1.7), kOutline);
  p.Fill(Ellipse(QPointF(kLensX, kLensY + 3.5), 1.7, 1.7), kOutline);
}

void PaintFitToWindow(TIconPainter& p) {
  p.Shape(RoundedRect(QRectF(4, 6, 40, 36), 3), kPaper);
  p.Fill(QRectF(6, 8, 36, 5), kBlue);
  // Two arrows pushing out to opposite corners: few enough to stay legible at 16 px.
  const QPointF centre(24, 27.5);
  for (const QPointF& corner : {QPointF(9, 17), QPointF(39, 38)}) {
    const QPointF direction = corner - centre;
    QPainterPath shaft;
    shaft.moveTo(centre - direction * 0.15);
    shaft.lineTo(corner - direction * 0.3);
    p.Shape(Band(shaft, 4.5, Qt::FlatCap).united(Polygon(ArrowHead(corner, direction, 10, 7))).simplified(),
            kBlueDark);
  }
}

void PaintPutty(TIconPainter& p) {
  QPainterPath smear;
  smear.moveTo(4, 38);
  smear.cubicTo(3, 28, 12, 26, 18, 28);
  smear.cubicTo(24, 30, 27, 24, 30, 26);
  smear.cubicTo(33, 28, 30, 36, 24, 39);
  smear.cubicTo(18, 43, 6, 46, 4, 38);
  smear.closeSubpath();
  p.Shape(smear, kPink);
  p.Fill(Ellipse(QPointF(11, 34), 3, 1.6), QColor(0xF8, 0xBB, 0xD0));
  // The finger enters from beyond the top-right corner, as if pressing down on the putty.
  const QPointF tip(29, 21), knuckle(52, -4);
  QPainterPath finger;
  finger.moveTo(knuckle);
  finger.lineTo(tip);
  p.Shape(Band(finger, 14), kSkin);
  const QPointF along = (knuckle - tip) / std::hypot(knuckle.x() - tip.x(), knuckle.y() - tip.y());
  const QPointF across(-along.y(), along.x());
  const QPointF crease = tip + along * 15;
  p.Line(crease - across * 4, crease + across * 4, QColor(0xD9, 0x9A, 0x6C), 2);
  const QPainterPath nail = RoundedRect(QRectF(-4.5, -3.2, 9, 6.4), 3);
  QTransform place;
  place.translate(tip.x() + along.x() * 4, tip.y() + along.y() * 4);
  place.rotate(std::atan2(along.y(), along.x()) * 180 / std::numbers::pi);
  p.Shape(place.map(nail), QColor(0xFF, 0xE4, 0xD6));
}

QPointF WarpPoint(double u, double v) {
  // A sideways wave that bends straight grid lines into curves.
  const double pi = std::numbers::pi;
  return QPointF(7 + 34 * u + 4.5 * std::sin(pi * v * 1.4), 7 + 34 * v + 4.5 * std::sin(pi * u * 1.2));
}

QPainterPath WarpLine(bool vertical, double at) {
  return Curve([&](double t) { return vertical ? WarpPoint(at, t) : WarpPoint(t, at); }, 32);
}

void PaintWarp(TIconPainter& p) {
  QPainterPath outline = WarpLine(false, 0);
  outline.connectPath(WarpLine(true, 1));
  outline.connectPath(WarpLine(false, 1).toReversed());
  outline.connectPath(WarpLine(true, 0).toReversed());
  outline.closeSubpath();
  p.Shape(outline, QColor(0xE1, 0xD5, 0xF5));
  const int cells = 4;
  for (int i = 1; i < cells; ++i) {
    p.Fill(Band(WarpLine(true, double(i) / cells), 2.2), kPurple);
    p.Fill(Band(WarpLine(false, double(i) / cells), 2.2), kPurple);
  }
  p.Shape(outline, Qt::NoBrush);
}

void PaintTwirl(TIconPainter& p) {
  const QPointF centre(24, 24);
  const double turns = 1.7, innerRadius = 2, outerRadius = 19.5;
  const QPainterPath spiral = Curve([&](double t) {
    const double angle = t * turns * 2 * std::numbers::pi;
    const double r = innerRadius + (outerRadius - innerRadius) * t;
    return centre + QPointF(r * std::cos(angle), -r * std::sin(angle));
  }, 180);
  p.Shape(Band(spiral, 4.5), kBlue);
}

// A bent line pulled straight again by a curved arrow.
void PaintReconstruct(TIconPainter& p) {
  const QPainterPath bent = Curve([](double t) {
    return QPointF(5 + 38 * t, 11 - 5.5 * std::sin(t * 2 * std::numbers::pi));
  }, 32);
  p.Shape(Band(bent, 4.5), kPurple);
  QPainterPath straight;
  straight.moveTo(5, 42);
  straight.lineTo(43, 42);
  p.Shape(Band(straight, 5), kBlue);
  QPainterPath pull;
  pull.moveTo(30, 20);
  pull.cubicTo(42, 25, 34, 33, 18, 34);
  p.Shape(CurvedArrow(pull, 5.5, 11, 8), kGreen);
}

// A face split down the middle: the photo on the left, the caricature on the right.
void PaintBefore(TIconPainter& p) {
  const QRectF frame(3, 5, 42, 38);
  p.Shape(RoundedRect(frame, 3), kPaper);
  const QRectF left(frame.left() + 2.5, frame.top() + 2.5, frame.width() / 2 - 2.5, frame.height() - 5);
  const QRectF right(frame.center().x(), left.top(), left.width(), left.height());
  p.Fill(left, kSky);
  p.Fill(right, QColor(0xFF, 0xE0, 0x82));
  QPainterPath leftHalf, rightHalf;
  leftHalf.addRect(QRectF(0, 0, frame.center().x(), kGrid));
  rightHalf.addRect(QRectF(frame.center().x(), 0, kGrid, kGrid));
  const QPointF centre(frame.center().x(), 25);
  p.Shape(Ellipse(centre, 8, 11).intersected(leftHalf), kSkin);
  p.Shape(Ellipse(centre, 14, 9).intersected(rightHalf), kSkin);
  p.Fill(Ellipse(centre + QPointF(-4, -3), 1.4, 1.4), kOutline);
  p.Fill(Ellipse(centre + QPointF(6, -3), 3, 3), kOutline);
  p.Line(QPointF(centre.x(), 2), QPointF(centre.x(), 46), kOutline, 2.5);
}

// ---- The floating tool palette ------------------------------------------------------------

void PaintSelectionTool(TIconPainter& p) {
  // The dashed frame of a selected layer behind the pointer.
  const QRectF frame(4, 4, 28, 24);
  p.Fill(frame, kSky);
  p.Dashed(RoundedRect(frame, 0), kBlueDark, 2.5);
  p.Shape(QPolygonF({QPointF(19, 12), QPointF(19, 43), QPointF(26, 36), QPointF(31, 46), QPointF(37, 43),
                     QPointF(32, 33.5), QPointF(42, 33.5)}),
          kPaper);
}

void PaintDelete(TIconPainter& p) {
  QPainterPath down, up;
  down.moveTo(11, 11);
  down.lineTo(37, 37);
  up.moveTo(37, 11);
  up.lineTo(11, 37);
  p.Shape(Band(down, 10).united(Band(up, 10)).simplified(),
          Linear(QPointF(0, 8), QPointF(0, 40), {{0, kRedLight}, {1, kRedDark}}));
}

void PaintCrop(TIconPainter& p) {
  PaintPhoto(p, QRectF(14, 14, 20, 20));
  // The two corner brackets of the classic crop tool, overlapping where the picture is kept.
  QPainterPath lower, upper;
  lower.moveTo(12, 3);
  lower.lineTo(12, 36);
  lower.lineTo(45, 36);
  upper.moveTo(3, 12);
  upper.lineTo(36, 12);
  upper.lineTo(36, 45);
  p.Shape(Band(upper, 5.5, Qt::FlatCap), kGreyDark);
  p.Shape(Band(lower, 5.5, Qt::FlatCap), kGrey);
}

void PaintViewOriginalSize(TIconPainter& p) {
  PaintPhoto(p, QRectF(3, 4, 34, 28));
  const QPointF centre(33, 34);
  p.Shape(Ellipse(centre, 12.5, 12.5), kYellow);
  // "1:1" in the badge.
  for (double x : {centre.x() - 7.0, centre.x() + 4.0}) {
    p.Fill(QRectF(x, centre.y() - 6.5, 3, 13), kOutline);
    p.Fill(QRectF(x - 2, centre.y() - 6.5, 2.5, 2.5), kOutline);
  }
  p.Fill(Ellipse(QPointF(centre.x() - 0.5, centre.y() - 3), 1.6, 1.6), kOutline);
  p.Fill(Ellipse(QPointF(centre.x() - 0.5, centre.y() + 3), 1.6, 1.6), kOutline);
}

// Tools held at 45 degrees are designed along +x from their working end and placed with this.
QTransform Diagonal(QPointF workingEnd) {
  QTransform t;
  t.translate(workingEnd.x(), workingEnd.y());
  t.rotate(-45);
  return t;
}

void PaintEraser(TIconPainter& p) {
  p.Line(QPointF(5, 43), QPointF(26, 43), kGreyDark, 2.5);
  QTransform place;
  place.translate(24, 24);
  place.rotate(-40);
  p.Shape(place.map(RoundedRect(QRectF(-3, -9.5, 22, 19), 3)), kBlue);
  p.Shape(place.map(RoundedRect(QRectF(-20, -9.5, 17, 19), 3)), kPink);
  p.Fill(place.map(RoundedRect(QRectF(1, -6.5, 14, 3), 1)), kSky);
}

void PaintPaintbrush(TIconPainter& p) {
  QPainterPath stroke;
  stroke.moveTo(4, 44);
  stroke.quadTo(11, 38, 20, 44);
  p.Shape(Band(stroke, 5), kBlue);
  const QTransform place = Diagonal(QPointF(9, 38));
  QPainterPath handle;
  handle.moveTo(21, 0);
  handle.lineTo(41, 0);
  p.Shape(place.map(Band(handle, 7)), kOrange);
  p.Shape(place.map(RoundedRect(QRectF(13, -5.5, 9, 11), 1)), kGrey);
  QPainterPath bristles;
  bristles.moveTo(13, -5);
  bristles.cubicTo(6, -5, 2, -2, 0, 0);
  bristles.cubicTo(2, 2, 6, 5, 13, 5);
  bristles.closeSubpath();
  p.Shape(place.map(bristles), kBlueDark);
}

void PaintEyedropper(TIconPainter& p) {
  // The drop it has just picked up.
  QPainterPath drop;
  drop.moveTo(6, 37.5);
  drop.cubicTo(8, 40, 10, 41.5, 10, 43.5);
  drop.cubicTo(10, 46.5, 2, 46.5, 2, 43.5);
  drop.cubicTo(2, 41.5, 4, 40, 6, 37.5);
  p.Shape(drop, kGreen);
  // Chunky, because a thin diagonal tube all but vanishes at 16 px.
  const QTransform place = Diagonal(QPointF(10, 36));
  p.Shape(place.map(Polygon(QPolygonF({QPointF(0, -3), QPointF(19, -6), QPointF(19, 6), QPointF(0, 3)}))),
          kSky);
  p.Fill(place.map(Polygon(QPolygonF({QPointF(1.5, -2.2), QPointF(10, -4), QPointF(10, 4), QPointF(1.5, 2.2)}))),
         kGreen);
  p.Shape(place.map(RoundedRect(QRectF(18, -9, 6, 18), 1)), kGreyDark);
  p.Shape(place.map(RoundedRect(QRectF(24, -9, 14, 18), 7.5)), kRed);
}

void PaintTextTool(TIconPainter& p) {
  // A glyph built from polygons: fonts differ between desktops, the icon must not.
  QPainterPath letter;
  letter.addPolygon(QPolygonF({QPointF(6, 38), QPointF(19, 4), QPointF(29, 4), QPointF(42, 38), QPointF(33, 38),
                               QPointF(30.5, 31), QPointF(17.5, 31), QPointF(15, 38)}));
  letter.closeSubpath();
  letter.addPolygon(QPolygonF({QPointF(20, 24), QPointF(28, 24), QPointF(24, 13)}));
  letter.closeSubpath();
  p.Shape(letter, kPurple);
  p.Shape(RoundedRect(QRectF(5, 41, 38, 4.5), 1.5), kOrange);
}

void PaintInsertClipart(TIconPainter& p) {
  QPainterPath bar;
  bar.moveTo(4, 22);
  bar.quadTo(24, 19, 44, 22);
  p.Shape(Band(bar, 3.5), kGreyDark);
  QPainterPath lens;
  lens.moveTo(5, 21);
  lens.lineTo(22, 21);
  lens.cubicTo(23, 33, 19, 39, 13.5, 39);
  lens.cubicTo(7.5, 39, 4, 33, 5, 21);
  lens.closeSubpath();
  const QLinearGradient glass = Linear(QPointF(0, 21), QPointF(0, 39), {{0, kOutline}, {1, kBlueDark}});
  for (const QPainterPath& each : {lens, MirroredX(lens, kGrid / 2)}) {
    p.Shape(each, glass);
    const QPointF at = each.boundingRect().topLeft();
    p.Line(at + QPointF(6, 5), at + QPointF(10, 9), kSky, 2);
  }
  p.Shape(Star(QPointF(38, 10), 8.5, 3.8, 5), kYellow);
}

void PaintChromakey(TIconPainter& p) {
  p.Shape(RoundedRect(QRectF(3, 4, 42, 30), 2), kGreen);
  p.Fill(QRectF(5.5, 6.5, 37, 4), QColor(0x9C, 0xD8, 0x9F));
  // A key, for "colour key".
  QPainterPath key = Ellipse(QPointF(13, 35), 8, 8).subtracted(Ellipse(QPointF(13, 35), 3, 3));
  key = key.united(RoundedRect(QRectF(19, 32.5, 26, 5), 1));
  key = key.united(RoundedRect(QRectF(34, 34, 4, 9), 1));
  key = key.united(RoundedRect(QRectF(40, 34, 4, 7), 1));
  p.Shape(key.simplified(), kYellow);
}

void PaintChangeBackground(TIconPainter& p) {
  PaintPhoto(p, QRectF(4, 3, 40, 29));
  QPainterPath shoulders;
  shoulders.moveTo(12, 46);
  shoulders.cubicTo(12, 32, 36, 32, 36, 46);
  shoulders.closeSubpath();
  p.Shape(shoulders, kPurple);
  p.Shape(Ellipse(QPointF(24, 23), 7, 8), kSkin);
}

void PaintRotateLayer(TIconPainter& p) {
  QTransform tilt;
  tilt.translate(24, 24);
  tilt.rotate(18);
  p.Shape(tilt.map(RoundedRect(QRectF(-9, -9, 18, 18), 1.5)), kSky);
  p.Shape(CurvedArrow(Arc(QRectF(5, 5, 38, 38), 110, 290), 5, 10, 7.5), kGreen);
}

void PaintComicFilter(TIconPainter& p) {
  const QPointF centre(24, 24);
  p.Shape(Star(centre, 22, 13, 12), kYellow);
  p.Shape(Star(centre, 10, 6, 8, 0.2), kRed);
  p.Fill(Ellipse(centre + QPointF(-2, -2), 2.5, 2.5), kPaper);
}

// A strip of film whose two frames show a face before and after the warp.
void PaintAnimateCaricature(TIconPainter& p) {
  p.Shape(RoundedRect(QRectF(3, 8, 42, 32), 2), kGreyDark);
  for (int i = 0; i < 6; ++i) {
    p.Fill(QRectF(6 + i * 6.6, 10.5, 3.2, 2.6), kPaper);
    p.Fill(QRectF(6 + i * 6.6, 34.9, 3.2, 2.6), kPaper);
  }
  const QRectF frames[] = {QRectF(6.5, 15, 16, 18), QRectF(25.5, 15, 16, 18)};
  for (const QRectF& frame : frames) p.Fill(frame, kSky);
  p.Shape(Ellipse(frames[0].center(), 5, 6.5), kSkin);
  p.Shape(Ellipse(frames[1].center(), 7, 5), kSkin);
  for (const double dx : {-2.0, 2.0}) {
    p.Fill(Ellipse(frames[0].center() + QPointF(dx, -1.5), 0.9, 0.9), kOutline);
    p.Fill(Ellipse(frames[1].center() + QPointF(dx * 1.6, -1.2), 1.8, 1.8), kOutline);
  }
  p.Line(frames[1].center() + QPointF(-3.5, 2.2), frames[1].center() + QPointF(3.5, 2.2), kRedDark, 1.6);
}

// A face with the eyes blown up and the chin pulled down, and the spark of a one-click change.
void PaintAutoCaricature(TIconPainter& p) {
  QPainterPath head = Ellipse(QPointF(21, 24), 15, 16);
  head.addPath(Polygon(QPolygonF({QPointF(12, 33), QPointF(21, 46), QPointF(30, 33)})));
  p.Shape(head.simplified(), kSkin);
  for (const double x : {15.0, 27.0}) {
    p.Shape(Ellipse(QPointF(x, 21), 5.2, 5.6), kPaper);
    p.Fill(Ellipse(QPointF(x + 0.8, 21.8), 2.4, 2.4), kOutline);
  }
  p.Line(QPointF(18, 33), QPointF(24, 33), kRedDark, 1.8);
  p.Shape(Star(QPointF(39, 9), 8, 3.2, 4), kYellow);
}

void PaintBrushSizeSelector(TIconPainter& p) {
  p.Shape(RoundedRect(QRectF(3, 10, 42, 28), 4), kPaper);
  const double radii[] = {1.8, 3, 4.6, 7};
  const double xs[] = {8.5, 15.5, 25, 37};
  for (int i = 0; i < 4; ++i)
    p.Fill(Ellipse(QPointF(xs[i], 24), radii[i], radii[i]), kBlueDark);
}

void PaintKind(TIconPainter& p, TIcon kind) {
  switch (kind) {
    case TIcon::Open: return PaintOpen(p);
    case TIcon::Save: return PaintSave(p);
    case TIcon::Print: return PaintPrint(p);
    case TIcon::Restore: return PaintRestore(p);
    case TIcon::Undo: return PaintUndo(p);
    case TIcon::Tutorial: return PaintTutorial(p);
    case TIcon::Before: return PaintBefore(p);
    case TIcon::ZoomIn: PaintMagnifier(p); return PaintZoomSign(p, true);
    case TIcon::ZoomOut: PaintMagnifier(p); return PaintZoomSign(p, false);
    case TIcon::ZoomOriginal: PaintMagnifier(p); return PaintOneToOne(p);
    case TIcon::FitToWindow: return PaintFitToWindow(p);
    case TIcon::Putty: return PaintPutty(p);
    case TIcon::Warp: return PaintWarp(p);
    case TIcon::Twirl: return PaintTwirl(p);
    case TIcon::Reconstruct: return PaintReconstruct(p);
    case TIcon::SelectionTool: return PaintSelectionTool(p);
    case TIcon::Delete: return PaintDelete(p);
    case TIcon::Crop: return PaintCrop(p);
    case TIcon::ViewOriginalSize: return PaintViewOriginalSize(p);
    case TIcon::Eraser: return PaintEraser(p);
    case TIcon::Paintbrush: return PaintPaintbrush(p);
    case TIcon::Eyedropper: return PaintEyedropper(p);
    case TIcon::TextTool: return PaintTextTool(p);
    case TIcon::InsertClipart: return PaintInsertClipart(p);
    case TIcon::Chromakey: return PaintChromakey(p);
    case TIcon::ChangeBackground: return PaintChangeBackground(p);
    case TIcon::RotateLayer: return PaintRotateLayer(p);
    case TIcon::ComicFilter: return PaintComicFilter(p);
    case TIcon::AnimateCaricature: return PaintAnimateCaricature(p);
    case TIcon::AutoCaricature: return PaintAutoCaricature(p);
    case TIcon::BrushSizeSelector: return PaintBrushSizeSelector(p);
  }
}

// ---- Cursors and brush-size images --------------------------------------------------------

// Whether pixel (x, y), judged at its centre, lies within radius of centre. Drawn pixel by pixel
// rather than with an antialiased ellipse so that a circle of diameter d covers exactly d
// pixels across, which is the size the user picked.
bool InsideCircle(int x, int y, QPointF centre, double radius) {
  if (radius <= 0)
    return false;
  const double dx = x + 0.5 - centre.x(), dy = y + 0.5 - centre.y();
  return dx * dx + dy * dy <= radius * radius;
}

// The brush circle: a one-pixel black ring of the given diameter with a white pixel on either
// side of it, in a square one pixel wider than the circle on every side.
QPixmap BrushCircle(int diameter) {
  const int side = diameter + 2;
  QImage image(side, side, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  const QPointF centre(side / 2.0, side / 2.0);
  const double radius = diameter / 2.0;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      if (InsideCircle(x, y, centre, radius) && !InsideCircle(x, y, centre, radius - 1))
        image.setPixel(x, y, qRgb(0, 0, 0));
      else if (InsideCircle(x, y, centre, radius + 1) && !InsideCircle(x, y, centre, radius - 2))
        image.setPixel(x, y, qRgb(255, 255, 255));
    }
  }
  return QPixmap::fromImage(image);
}

// Cursors are black shapes with a white rim, so they show on dark and light pictures alike.
void CursorShape(QPainter& p, const QPainterPath& path) {
  paintkit::Stroke(p, path, paintkit::InkPen(Qt::white, 3.5));
  paintkit::Shape(p, path, Qt::white, paintkit::InkPen(Qt::black, 1.2));
}

constexpr int kCursorSide = 32;
// The eyedropper's tip: the very pixel that is picked.
constexpr int kPickTipX = 2, kPickTipY = 29;

QPixmap PickingCursor() {
  QPixmap pixmap(kCursorSide, kCursorSide);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QTransform place;
  place.translate(kPickTipX + 0.5, kPickTipY + 0.5);
  place.rotate(-45);
  CursorShape(p, place.map(Polygon(QPolygonF({QPointF(0, -1), QPointF(17, -3), QPointF(17, 3), QPointF(0, 1)}))));
  CursorShape(p, place.map(RoundedRect(QRectF(16, -5, 4, 10), 1)));
  const QPainterPath bulb = place.map(RoundedRect(QRectF(20, -4.5, 14, 9), 4.5));
  paintkit::Stroke(p, bulb, QPen(Qt::white, 3.5));
  paintkit::Shape(p, bulb, Qt::black, QPen(Qt::black, 1.2));
  p.end();
  // The tip must be visible where the hotspot is, antialiasing or not.
  QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  image.setPixel(kPickTipX, kPickTipY, qRgb(0, 0, 0));
  return QPixmap::fromImage(image);
}

QPixmap RotateCursor() {
  QPixmap pixmap(kCursorSide, kCursorSide);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const double c = kCursorSide / 2.0;
  CursorShape(p, CurvedArrow(Arc(QRectF(c - 11, c - 11, 22, 22), 120, 280), 4, 8, 5.5));
  // A cross in the middle marks the pivot, which is where the hotspot sits.
  p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(c - 3.5, c), QPointF(c + 3.5, c));
  p.drawLine(QPointF(c, c - 3.5), QPointF(c, c + 3.5));
  p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(c - 3, c), QPointF(c + 3, c));
  p.drawLine(QPointF(c, c - 3), QPointF(c, c + 3));
  return pixmap;
}

}  // namespace

QPixmap PaintIcon(TIcon kind, int size) {
  if (size < 1)
    return QPixmap();
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  TIconPainter painter(pixmap, size);
  PaintKind(painter, kind);
  return pixmap;
}

namespace {

// Paints an icon only when a size of it is first shown: drawing every icon of the menus and
// palettes at every size up front cost a third of the editor's start-up.
class TPaintedIconEngine : public QIconEngine {
public:
  explicit TPaintedIconEngine(TIcon kind) : Kind_(kind) {}

  QIconEngine* clone() const override { return new TPaintedIconEngine(*this); }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize side(int(std::min(rect.width(), rect.height()) * scale), int(std::min(rect.width(), rect.height()) * scale));
    QPixmap image = pixmap(side, mode, state);
    image.setDevicePixelRatio(scale);
    const QSize shown = image.size() / scale;
    painter->drawPixmap(QRect(rect.center() - QPoint(shown.width() / 2, shown.height() / 2), shown), image);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    const auto key = std::make_pair(side, int(mode));
    if (const auto found = Cache_.find(key); found != Cache_.end()) return found->second;
    QPixmap image = PaintIcon(Kind_, side);
    // Greyed, hovered and selected looks come from the style, as for any other icon.
    if (mode != QIcon::Normal && !image.isNull()) {
      QStyleOption option;
      option.palette = QApplication::palette();
      image = QApplication::style()->generatedIconPixmap(mode, image, &option);
    }
    return Cache_.emplace(key, image).first->second;
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return QSize(side, side);
  }

private:
  TIcon Kind_;
  std::map<std::pair<int, int>, QPixmap> Cache_;
};

}  // namespace

QIcon MakeIcon(TIcon kind) { return QIcon(new TPaintedIconEngine(kind)); }

QCursor MakeToolCursor(int slot) {
  if (slot >= 1 && slot <= int(kBrushCircleSizes.size()))
    return QCursor(BrushCircle(kBrushCircleSizes[size_t(slot - 1)]), 1, 1);
  if (slot == 8)
    return QCursor(PickingCursor(), kPickTipX, kPickTipY);
  if (slot == 9)
    return QCursor(RotateCursor(), kCursorSide / 2, kCursorSide / 2);
  return QCursor(Qt::ArrowCursor);
}

QPixmap PaintBrushSizeImage(int index) {
  const int count = int(kBrushCircleSizes.size());
  if (index < 0 || index >= count)
    return QPixmap();
  const int diameter = kBrushCircleSizes[size_t(count - 1 - index)];
  constexpr int side = 32;
  QImage image(side, side, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  // Odd diameters centre on a pixel, even ones between pixels, so every dot sits in the middle.
  const int offset = (side - diameter) / 2;
  const QPointF centre(offset + diameter / 2.0, offset + diameter / 2.0);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      if (InsideCircle(x, y, centre, diameter / 2.0))
        image.setPixel(x, y, qRgb(0, 0, 0));
  return QPixmap::fromImage(image);
}

}  // namespace gs

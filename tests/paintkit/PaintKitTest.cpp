// SPDX-License-Identifier: GPL-3.0-or-later
#include "paintkit/PaintKit.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace gs::paintkit {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectNear(QPointF actual, QPointF expected) {
  EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
  EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
}

TEST(PaintKitTest, BandsAreAsWideAsAskedWithTheEndsTheCapSays) {
  QPainterPath line;
  line.moveTo(10, 20);
  line.lineTo(30, 20);
  const QRectF round = Band(line, 6).boundingRect();
  EXPECT_NEAR(round.left(), 7, 0.01);
  EXPECT_NEAR(round.right(), 33, 0.01);
  EXPECT_NEAR(round.top(), 17, 0.01);
  EXPECT_NEAR(round.bottom(), 23, 0.01);
  const QRectF flat = Band(line, 6, Qt::FlatCap).boundingRect();
  EXPECT_NEAR(flat.left(), 10, 0.01);
  EXPECT_NEAR(flat.right(), 30, 0.01);
  EXPECT_NEAR(flat.height(), 6, 0.01);
}

TEST(PaintKitTest, StarsAlternateTipsAndNotchesFromTheTopClockwise) {
  const QPointF centre(50, 40);
  const QPolygonF corners = Star(centre, 20, 8, 5).toFillPolygon();
  // The closed polygon repeats its first corner at the end.
  ASSERT_EQ(corners.size(), 11);
  for (int i = 0; i < 10; ++i) {
    const QPointF d = corners[i] - centre;
    EXPECT_NEAR(std::hypot(d.x(), d.y()), i % 2 == 0 ? 20 : 8, 1e-9) << "corner " << i;
  }
  ExpectNear(corners[0], QPointF(50, 20));
  EXPECT_GT(corners[1].x(), 50);  // the next notch lies to the right, clockwise on screen
  // A quarter turn points the first tip to the right.
  ExpectNear(Star(centre, 20, 8, 4, kPi / 2).toFillPolygon()[0], QPointF(70, 40));
}

TEST(PaintKitTest, OpenPathsRunFromTheirStartToTheirEnd) {
  const QPainterPath curve = Curve([](double t) { return QPointF(100 * t, t * t); }, 10);
  ASSERT_EQ(curve.elementCount(), 11);
  ExpectNear(curve.elementAt(0), QPointF(0, 0));
  ExpectNear(curve.elementAt(5), QPointF(50, 0.25));
  ExpectNear(curve.elementAt(10), QPointF(100, 1));

  // Degrees count counterclockwise from three o'clock, y pointing down.
  const QPainterPath arc = Arc(QRectF(0, 0, 40, 20), 90, 90);
  ExpectNear(arc.pointAtPercent(0), QPointF(20, 0));
  ExpectNear(arc.pointAtPercent(1), QPointF(0, 10));

  const QPainterPath mirrored = MirroredX(arc, 30);
  ExpectNear(mirrored.pointAtPercent(0), QPointF(40, 0));
  ExpectNear(mirrored.pointAtPercent(1), QPointF(60, 10));
}

TEST(PaintKitTest, ShapeFillAndStrokeEachSetTheirOwnPenAndBrush) {
  QImage image(60, 20, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  // A square with rounded corners, an ellipse and a triangle, each 16 pixels across.
  Shape(p, RoundedRect(QRectF(2, 2, 16, 16), 3), Qt::green, InkPen(Qt::red, 2));
  Fill(p, Ellipse(QPointF(30, 10), 8, 8), Qt::blue);
  Stroke(p, Polygon({QPointF(42, 18), QPointF(58, 18), QPointF(50, 2)}), InkPen(Qt::black, 2));
  p.end();
  const auto at = [&](int x, int y) { return QColor(image.pixel(x, y)); };
  EXPECT_EQ(at(10, 2), QColor(Qt::red));     // outline
  EXPECT_EQ(at(10, 10), QColor(Qt::green));  // fill
  EXPECT_EQ(at(30, 2), QColor(Qt::blue));    // a fill has no outline of its own colour
  EXPECT_EQ(at(30, 10), QColor(Qt::blue));
  EXPECT_EQ(at(46, 10), QColor(Qt::black));  // the closing edge is outlined too
  EXPECT_EQ(at(50, 13), QColor(Qt::white));  // a stroke leaves the inside alone
}

TEST(PaintKitTest, GradientsKeepTheirGeometryAndStops) {
  const QLinearGradient linear = Linear(QPointF(0, 5), QPointF(0, 25), {{0, Qt::red}, {0.5, Qt::green}, {1, Qt::blue}});
  EXPECT_EQ(linear.start(), QPointF(0, 5));
  EXPECT_EQ(linear.finalStop(), QPointF(0, 25));
  ASSERT_EQ(linear.stops().size(), 3);
  EXPECT_EQ(linear.stops()[1], QGradientStop(0.5, QColor(Qt::green)));
  const QRadialGradient radial = Radial(QPointF(10, 10), 8, QPointF(7, 6), {{0, Qt::white}, {1, Qt::black}});
  EXPECT_EQ(radial.center(), QPointF(10, 10));
  EXPECT_EQ(radial.radius(), 8);
  EXPECT_EQ(radial.focalPoint(), QPointF(7, 6));
  EXPECT_EQ(radial.stops().size(), 2);
}

}  // namespace
}  // namespace gs::paintkit

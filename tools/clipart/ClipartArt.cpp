// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClipartArt.h"

#include "paintkit/PaintKit.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <numbers>

namespace gs::clipart {
namespace {

using paintkit::Arc;
using paintkit::Band;
using paintkit::Curve;
using paintkit::Ellipse;
using paintkit::Fill;
using paintkit::InkPen;
using paintkit::Linear;
using paintkit::MirroredX;
using paintkit::Polygon;
using paintkit::Radial;
using paintkit::RoundedRect;
using paintkit::Shape;
using paintkit::Star;
using paintkit::Stroke;

constexpr double kPi = std::numbers::pi;

// The warm near-black of every clipart outline, close to the sample portrait's ink so the
// pictures sit naturally on it.
const QColor kInk(0x2A, 0x1E, 0x1A);
constexpr double kLine = 5.0;
// Talk bubbles stay strictly black and white, like the comics they imitate.
const QColor kBubbleInk(0, 0, 0);
const QColor kBubblePaper(255, 255, 255);
constexpr double kBubbleLine = 5.0;

const QColor kGlint(0xFF, 0xFF, 0xFF);
const QColor kSkin(0xF6, 0xBE, 0x96);
const QColor kSkinShade(0xDB, 0x94, 0x6C);
const QColor kGoldLight(0xFF, 0xE8, 0x8A);
const QColor kGold(0xFB, 0xC0, 0x2D);
const QColor kGoldDark(0xC7, 0x84, 0x0A);
const QColor kSmoke(0xE6, 0xE8, 0xEC);

// The outline of every clipart shape: the warm ink, thinner where a small detail asks for it.
QPen Ink(double width = kLine) { return InkPen(kInk, width); }

// Pens cannot taper, but moustaches, horns and smoke wisps must: the band's width follows
// width(t) from the start (t = 0) to the end (t = 1) of the centre line.
QPainterPath Tapered(const QPainterPath& centreLine, const std::function<double(double)>& width,
                     int steps = 120) {
  QPolygonF left, right;
  for (int i = 0; i <= steps; ++i) {
    const double t = double(i) / steps;
    const QPointF at = centreLine.pointAtPercent(t);
    const double angle = centreLine.angleAtPercent(t) * kPi / 180.0;
    const QPointF normal(std::sin(angle), std::cos(angle));  // angles count counterclockwise, y up
    const double half = width(t) / 2;
    left.push_back(at + normal * half);
    right.push_back(at - normal * half);
  }
  QPolygonF outline(left);
  std::copy(right.rbegin(), right.rend(), std::back_inserter(outline));
  QPainterPath band = Polygon(outline);
  // Round ends, so the blunt start of a stroke does not show a hard corner.
  const double startHalf = width(0) / 2, endHalf = width(1) / 2;
  if (startHalf > 0.5)
    band = band.united(Ellipse(centreLine.pointAtPercent(0), startHalf, startHalf));
  if (endHalf > 0.5)
    band = band.united(Ellipse(centreLine.pointAtPercent(1), endHalf, endHalf));
  return band.simplified();
}

// A four-pointed sparkle for shiny things.
QPainterPath Sparkle(QPointF centre, double radius) { return Star(centre, radius, radius * 0.28, 4, kPi / 2); }

// Puffs of smoke growing as they rise from a glowing tip, drifting a little to the side.
void Smoke(QPainter& p, QPointF from, double drift) {
  struct TPuff { double Up, Side, Radius; };
  const TPuff puffs[] = {{16, 0, 8}, {40, 0.35, 12}, {72, 0.15, 16}, {108, 0.6, 21}};
  QPainterPath cloud;
  for (const TPuff& puff : puffs) {
    const QPointF centre = from + QPointF(drift * puff.Side, -puff.Up);
    cloud = cloud.united(Ellipse(centre, puff.Radius, puff.Radius * 0.85));
    cloud = cloud.united(Ellipse(centre + QPointF(puff.Radius * 0.6, -puff.Radius * 0.35),
                                 puff.Radius * 0.7, puff.Radius * 0.6));
  }
  Shape(p, cloud, kSmoke, Ink(4));
  p.save();
  p.setClipPath(cloud);
  for (const TPuff& puff : puffs) {
    const QPointF centre = from + QPointF(drift * puff.Side, -puff.Up);
    const QPainterPath swirl = Arc(QRectF(centre.x() - puff.Radius * 0.6, centre.y() - puff.Radius * 0.5,
                                          puff.Radius * 1.2, puff.Radius), 200, 110);
    Stroke(p, swirl, InkPen(QColor(0xB0, 0xB6, 0xBE), 2.5));
  }
  p.restore();
}

// ---- Clipart -------------------------------------------------------------------------------

void PaintGlasses(QPainter& p) {
  const QColor frame(0x7A, 0x3B, 0x1C);
  const QBrush frameBrush(Linear(QPointF(0, 18), QPointF(0, 110),
                                 {{0, QColor(0xA8, 0x5A, 0x2C)}, {0.5, frame}, {1, QColor(0x52, 0x24, 0x10)}}));
  // Hinges and temple stubs go behind the rims.
  for (const double side : {-1.0, 1.0}) {
    QPainterPath temple;
    temple.moveTo(150 + side * 126, 50);
    temple.lineTo(150 + side * 142, 44);
    Shape(p, Band(temple, 10), frameBrush, Ink());
  }
  QPainterPath bridge;
  bridge.moveTo(132, 54);
  bridge.quadTo(150, 38, 168, 54);
  Shape(p, Band(bridge, 9), frameBrush, Ink());
  for (const double cx : {88.0, 212.0}) {
    const QPointF centre(cx, 64);
    const QPainterPath rim = Ellipse(centre, 56, 46).subtracted(Ellipse(centre, 45, 35));
    Shape(p, rim, frameBrush, Ink());
    // Clear lenses keep the eyes visible; two strokes of light say "glass".
    Stroke(p, Arc(QRectF(cx - 34, 64 - 25, 68, 50), 105, 45), InkPen(kGlint, 5));
    Fill(p, Ellipse(QPointF(cx + 24, 88), 3.5, 3.5), kGlint);
  }
  // Little rivets at the corners, as on horn-rimmed frames.
  for (const double cx : {40.0, 260.0})
    Fill(p, Ellipse(QPointF(cx, 46), 3, 3), kGoldLight);
}

QPainterPath SunglassLens() {
  QPainterPath lens;
  lens.moveTo(24, 34);
  lens.cubicTo(56, 26, 112, 26, 136, 34);
  lens.cubicTo(140, 72, 122, 98, 88, 98);
  lens.cubicTo(50, 98, 22, 74, 24, 34);
  lens.closeSubpath();
  return lens;
}

void PaintSunglasses(QPainter& p) {
  const QColor frame(0x1C, 0x1C, 0x22);
  QPainterPath bar;
  bar.moveTo(14, 32);
  bar.quadTo(150, 18, 286, 32);
  Shape(p, Band(bar, 11), frame, Ink());
  for (const bool right : {false, true}) {
    const QPainterPath lens = right ? MirroredX(SunglassLens(), 150) : SunglassLens();
    Shape(p, lens,
          Linear(QPointF(0, 28), QPointF(0, 100),
                 {{0, QColor(0x14, 0x18, 0x24)}, {0.65, QColor(0x2C, 0x3A, 0x58)}, {1, QColor(0x4A, 0x60, 0x8A)}}),
          Ink(7));
    // Two slanted reflections, clipped to the glass.
    p.save();
    p.setClipPath(lens);
    const double x0 = right ? 176 : 52;
    Fill(p, Polygon({{x0, 100}, {x0 + 22, 100}, {x0 + 56, 20}, {x0 + 34, 20}}), QColor(0x8F, 0xA8, 0xD0));
    Fill(p, Polygon({{x0 + 34, 100}, {x0 + 42, 100}, {x0 + 76, 20}, {x0 + 68, 20}}), QColor(0x8F, 0xA8, 0xD0));
    p.restore();
    Stroke(p, lens, Ink(7));
  }
  QPainterPath bridge;
  bridge.moveTo(134, 38);
  bridge.quadTo(150, 30, 166, 38);
  Shape(p, Band(bridge, 8), frame, Ink());
}

// Half a moustache from the middle of the lip outwards to the right, ending in a spiral curl.
QPainterPath CurlyHalf() {
  QPainterPath line;
  line.moveTo(110, 38);
  line.cubicTo(128, 62, 166, 66, 184, 50);
  // The curl: a shrinking spiral turning up and back over itself.
  const QPointF centre(174, 36);
  const double startAngle = std::atan2(50 - 36, 184 - 174);
  for (int i = 1; i <= 80; ++i) {
    const double t = i / 80.0;
    const double angle = startAngle - t * 1.55 * 2 * kPi;
    const double radius = std::hypot(10, 14) * (1 - 0.6 * t) + 6 * t * (1 - t);
    line.lineTo(centre + QPointF(radius * std::cos(angle) * 1.25, radius * std::sin(angle)));
  }
  return Tapered(line, [](double t) { return 2.5 + 30 * std::pow(1 - t, 1.3); });
}

void PaintCurlyMoustache(QPainter& p) {
  const QPainterPath right = CurlyHalf();
  const QPainterPath whole = right.united(MirroredX(right, 110)).united(Ellipse(QPointF(110, 46), 22, 13));
  Shape(p, whole,
        Linear(QPointF(0, 26), QPointF(0, 70), {{0, QColor(0x6B, 0x40, 0x24)}, {1, QColor(0x3E, 0x22, 0x12)}}), Ink());
  // A few combed strands catch the light.
  p.save();
  p.setClipPath(whole);
  for (const double side : {-1.0, 1.0}) {
    for (int i = 0; i < 3; ++i) {
      QPainterPath strand;
      strand.moveTo(110 + side * (8 + i * 6), 38 + i * 4);
      strand.quadTo(110 + side * (34 + i * 8), 58 + i * 2, 110 + side * (58 + i * 6), 52 + i * 3);
      Stroke(p, strand, InkPen(QColor(0x96, 0x64, 0x3C), 2.2));
    }
  }
  p.restore();
  Stroke(p, whole, Ink());
}

QPainterPath HandlebarHalf() {
  QPainterPath line;
  line.moveTo(120, 34);
  line.cubicTo(150, 70, 196, 74, 214, 48);
  line.cubicTo(222, 36, 224, 24, 232, 14);
  return Tapered(line, [](double t) { return 1.5 + 40 * std::pow(1 - t, 0.9) * (1 - 0.15 * std::sin(kPi * t)); });
}

void PaintHandlebarMoustache(QPainter& p) {
  const QPainterPath right = HandlebarHalf();
  const QPainterPath whole = right.united(MirroredX(right, 120)).united(Ellipse(QPointF(120, 44), 30, 17));
  const QBrush hair(
      Linear(QPointF(0, 20), QPointF(0, 78), {{0, QColor(0xD4, 0x7A, 0x3A)}, {1, QColor(0x9A, 0x48, 0x1C)}}));
  Shape(p, whole, hair, Ink());
  p.save();
  p.setClipPath(whole);
  // Bristles fanning out from the middle give the bushy look.
  for (const double side : {-1.0, 1.0}) {
    for (int i = 0; i < 9; ++i) {
      const double x = 120 + side * (12 + i * 10);
      QPainterPath bristle;
      bristle.moveTo(x, 36 + i * 1.5);
      bristle.lineTo(x + side * 8, 58 + i * 0.5);
      Stroke(p, bristle, InkPen(QColor(0x7E, 0x38, 0x12), 2.4));
    }
  }
  p.restore();
  Stroke(p, whole, Ink());
}

void PaintTopHat(QPainter& p) {
  const QBrush felt(Linear(QPointF(68, 0), QPointF(212, 0),
                           {{0, QColor(0x1E, 0x1E, 0x26)},
                            {0.28, QColor(0x5A, 0x5A, 0x70)},
                            {0.5, QColor(0x30, 0x30, 0x3C)},
                            {1, QColor(0x18, 0x18, 0x1E)}}));
  // The brim's far half peeks out behind the crown.
  Shape(p, Ellipse(QPointF(140, 206), 128, 30),
        Linear(QPointF(0, 176), QPointF(0, 236), {{0, QColor(0x44, 0x44, 0x56)}, {1, QColor(0x16, 0x16, 0x1C)}}),
        Ink());
  QPainterPath crown;
  crown.moveTo(72, 206);
  crown.lineTo(80, 34);
  crown.lineTo(200, 34);
  crown.lineTo(208, 206);
  crown.arcTo(QRectF(72, 190, 136, 32), 0, -180);
  crown.closeSubpath();
  Shape(p, crown, felt, Ink());
  QPainterPath band;
  band.moveTo(74, 164);
  band.arcTo(QRectF(74, 150, 132, 28), 180, 180);
  band.lineTo(208, 202);
  band.arcTo(QRectF(72, 186, 136, 32), 0, -180);
  band.closeSubpath();
  Shape(p, band,
        Linear(QPointF(74, 0), QPointF(206, 0),
               {{0, QColor(0x9E, 0x12, 0x12)}, {0.3, QColor(0xE8, 0x3A, 0x3A)}, {1, QColor(0x8A, 0x10, 0x10)}}),
        Ink());
  Shape(p, Ellipse(QPointF(140, 34), 60, 14), QColor(0x4A, 0x4A, 0x5E), Ink());
  // A playing card tucked into the band says "mad hatter" without words.
  const QPainterPath placed = QTransform().translate(176, 150).rotate(12).map(RoundedRect(QRectF(-15, -22, 30, 44), 4));
  Shape(p, placed, QColor(0xFA, 0xF6, 0xEA), Ink(4));
  QPainterPath heart;
  heart.moveTo(0, 8);
  heart.cubicTo(-14, -2, -8, -14, 0, -6);
  heart.cubicTo(8, -14, 14, -2, 0, 8);
  Fill(p, QTransform().translate(176, 150).rotate(12).map(heart), QColor(0xD3, 0x2F, 0x2F));
}

void PaintPartyHat(QPainter& p) {
  QPainterPath cone;
  cone.moveTo(92, 34);
  cone.lineTo(164, 208);
  cone.quadTo(92, 236, 20, 208);
  cone.closeSubpath();
  Shape(p, cone, QColor(0x29, 0xB6, 0xF6), Ink());
  p.save();
  p.setClipPath(cone);
  // Stripes wrap around the cone, so they follow its curved bottom edge.
  for (int i = 0; i < 4; ++i) {
    const double y = 84 + i * 42;
    QPainterPath stripe;
    stripe.moveTo(0, y);
    stripe.quadTo(92, y + 22, 184, y);
    stripe.lineTo(184, y + 16);
    stripe.quadTo(92, y + 38, 0, y + 16);
    stripe.closeSubpath();
    Fill(p, stripe, i % 2 == 0 ? QColor(0xFF, 0xD5, 0x4F) : QColor(0xF0, 0x62, 0x92));
  }
  for (const QPointF& dot : {QPointF(84, 78), QPointF(112, 120), QPointF(66, 158), QPointF(124, 196), QPointF(48, 200)})
    Fill(p, Ellipse(dot, 5, 5), QColor(0xFF, 0xFF, 0xFF));
  // The shade on the cone's right gives it volume.
  Fill(p, Polygon({{92, 34}, {170, 230}, {200, 230}, {200, 0}}), QColor(0x00, 0x00, 0x30, 50));
  p.restore();
  Stroke(p, cone, Ink());
  const QPainterPath trim = Band([] {
    QPainterPath edge;
    edge.moveTo(22, 208);
    edge.quadTo(92, 234, 162, 208);
    return edge;
  }(), 10);
  Shape(p, trim, QColor(0xFF, 0xD5, 0x4F), Ink(4));
  QPainterPath pompom = Ellipse(QPointF(92, 30), 16, 16);
  for (int i = 0; i < 9; ++i) {
    const double angle = 2 * kPi * i / 9;
    pompom = pompom.united(Ellipse(QPointF(92 + 14 * std::cos(angle), 30 + 14 * std::sin(angle)), 9, 9));
  }
  Shape(p, pompom,
        Radial(QPointF(92, 30), 26, QPointF(84, 22), {{0, QColor(0xFF, 0xB8, 0xD0)}, {1, QColor(0xE0, 0x3C, 0x78)}}),
        Ink());
}

void PaintBaseballCap(QPainter& p) {
  QPainterPath visor;
  visor.moveTo(26, 146);
  visor.quadTo(160, 116, 294, 146);
  visor.cubicTo(300, 174, 234, 194, 160, 194);
  visor.cubicTo(86, 194, 20, 174, 26, 146);
  visor.closeSubpath();
  Shape(p, visor,
        Linear(QPointF(0, 130), QPointF(0, 194), {{0, QColor(0x8E, 0x14, 0x14)}, {1, QColor(0xC6, 0x28, 0x28)}}),
        Ink());
  QPainterPath dome;
  dome.moveTo(44, 148);
  dome.cubicTo(38, 30, 282, 30, 276, 148);
  dome.quadTo(160, 120, 44, 148);
  dome.closeSubpath();
  Shape(p, dome,
        Radial(QPointF(160, 100), 150, QPointF(130, 70),
               {{0, QColor(0xFF, 0x6E, 0x5A)}, {0.6, QColor(0xE5, 0x39, 0x35)}, {1, QColor(0xB0, 0x1C, 0x1C)}}),
        Ink());
  p.save();
  p.setClipPath(dome);
  for (const double bottom : {86.0, 234.0}) {
    QPainterPath seam;
    seam.moveTo(160, 50);
    seam.quadTo((160 + bottom) / 2 + (bottom < 160 ? -14 : 14), 80, bottom, 140);
    Stroke(p, seam, InkPen(QColor(0x8E, 0x14, 0x14), 3));
  }
  p.restore();
  Stroke(p, dome, Ink());
  Shape(p, Ellipse(QPointF(160, 50), 11, 6), QColor(0xC6, 0x28, 0x28), Ink(4));
  // A team-style badge so the cap reads as a cap even when scaled down.
  Shape(p, Star(QPointF(160, 100), 26, 11, 5), QColor(0xFF, 0xFF, 0xFF), Ink(4));
}

void PaintCrown(QPainter& p) {
  const double tipsX[] = {26, 78, 130, 182, 234};
  const double tipsY[] = {50, 34, 20, 34, 50};
  QPolygonF outline{{36, 176}, {20, 54}};
  for (int i = 0; i < 5; ++i) {
    outline.push_back(QPointF(tipsX[i], tipsY[i]));
    if (i < 4)
      outline.push_back(QPointF((tipsX[i] + tipsX[i + 1]) / 2, 112));
  }
  outline.push_back(QPointF(240, 54));
  outline.push_back(QPointF(224, 176));
  const QBrush gold(Linear(QPointF(0, 20), QPointF(0, 180), {{0, kGoldLight}, {0.55, kGold}, {1, kGoldDark}}));
  const QPainterPath body = Polygon(outline);
  Shape(p, body, gold, Ink());
  for (int i = 0; i < 5; ++i)
    Shape(p, Ellipse(QPointF(tipsX[i], tipsY[i] - 4), 9, 9),
          Radial(QPointF(tipsX[i], tipsY[i] - 4), 10, QPointF(tipsX[i] - 3, tipsY[i] - 7),
                 {{0, QColor(0xFF, 0xFF, 0xFF)}, {1, QColor(0xD8, 0xD4, 0xE8)}}),
          Ink(4));
  Shape(p, RoundedRect(QRectF(28, 134, 204, 44), 8),
        Linear(QPointF(0, 134), QPointF(0, 178), {{0, kGold}, {1, kGoldDark}}), Ink());
  const QColor jewels[] = {QColor(0x1E, 0x88, 0xE5), QColor(0xE5, 0x39, 0x35), QColor(0x43, 0xA0, 0x47)};
  for (int i = 0; i < 3; ++i) {
    const QPointF centre(70 + i * 60, 156);
    const double r = i == 1 ? 14 : 11;
    Shape(p, Ellipse(centre, r, r * 0.8), jewels[i], Ink(4));
    Fill(p, Ellipse(centre + QPointF(-r * 0.35, -r * 0.3), r * 0.28, r * 0.2), kGlint);
  }
  // The centre jewel sits below the tallest point, where the eye expects the crown's middle.
  Shape(p, Ellipse(QPointF(130, 84), 10, 13), QColor(0xE5, 0x39, 0x35), Ink(4));
  Fill(p, Sparkle(QPointF(214, 96), 12), kGlint);
  Fill(p, Sparkle(QPointF(52, 100), 8), kGlint);
}

QPainterPath BowWing() {
  QPainterPath wing;
  wing.moveTo(92, 46);
  wing.cubicTo(62, 20, 26, 8, 16, 26);
  wing.cubicTo(6, 46, 6, 72, 16, 92);
  wing.cubicTo(26, 110, 62, 98, 92, 72);
  wing.closeSubpath();
  return wing;
}

void PaintBowTie(QPainter& p) {
  const QColor red(0xD3, 0x2F, 0x2F), redDark(0x9A, 0x1B, 0x1B);
  for (const bool right : {false, true}) {
    const QPainterPath wing = right ? MirroredX(BowWing(), 105) : BowWing();
    Shape(p, wing, Linear(QPointF(0, 14), QPointF(0, 104), {{0, QColor(0xEF, 0x53, 0x50)}, {1, red}}), Ink());
    p.save();
    p.setClipPath(wing);
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 5; ++col)
        Fill(p, Ellipse(QPointF((right ? 110 : 6) + col * 22 + (row % 2) * 11, 14 + row * 22), 5, 5), kGlint);
    // Folds pinch towards the knot.
    for (const double dy : {-14.0, 14.0}) {
      QPainterPath fold;
      const double side = right ? 1 : -1;
      fold.moveTo(105 + side * 22, 59 + dy * 0.3);
      fold.quadTo(105 + side * 50, 59 + dy * 1.6, 105 + side * 76, 59 + dy * 2.2);
      Stroke(p, fold, InkPen(redDark, 3));
    }
    p.restore();
    Stroke(p, wing, Ink());
  }
  Shape(p, RoundedRect(QRectF(88, 38, 34, 42), 10), Linear(QPointF(0, 38), QPointF(0, 80), {{0, red}, {1, redDark}}),
        Ink());
  Fill(p, Ellipse(QPointF(98, 50), 4, 6), QColor(0xEF, 0x6A, 0x68));
}

void PaintCigar(QPainter& p) {
  p.save();
  p.translate(34, 226);
  p.rotate(-14);
  // Designed lying along +x from the mouth end, then tilted up towards the smoke.
  QPainterPath body;
  body.moveTo(200, -17);
  body.lineTo(14, -17);
  body.cubicTo(-6, -17, -6, 17, 14, 17);
  body.lineTo(200, 17);
  body.closeSubpath();
  Shape(p, body,
        Linear(QPointF(0, -17), QPointF(0, 17),
               {{0, QColor(0x8A, 0x52, 0x2A)},
                {0.3, QColor(0xC6, 0x86, 0x4A)},
                {0.7, QColor(0x8D, 0x55, 0x24)},
                {1, QColor(0x5E, 0x34, 0x16)}}),
        Ink());
  p.save();
  p.setClipPath(body);
  for (const double x : {70.0, 112.0, 150.0}) {
    QPainterPath leaf;
    leaf.moveTo(x, -17);
    leaf.quadTo(x + 12, 0, x + 4, 17);
    Stroke(p, leaf, InkPen(QColor(0x6A, 0x3C, 0x1A), 2));
  }
  p.restore();
  QPainterPath band;
  band.addRect(QRectF(34, -18, 26, 36));
  Shape(p, band,
        Linear(QPointF(0, -18), QPointF(0, 18), {{0, QColor(0xE5, 0x39, 0x35)}, {1, QColor(0x9A, 0x1B, 0x1B)}}),
        Ink(4));
  Fill(p, Ellipse(QPointF(47, 0), 7, 9), kGold);
  // Grey ash over a glowing ember.
  Shape(p, RoundedRect(QRectF(198, -16, 28, 32), 6),
        Linear(QPointF(198, 0), QPointF(226, 0),
               {{0, QColor(0xFF, 0x8F, 0x00)},
                {0.25, QColor(0xFF, 0xD5, 0x4F)},
                {0.32, QColor(0x9E, 0x9E, 0x9E)},
                {1, QColor(0xD6, 0xD6, 0xD6)}}),
        Ink(4));
  for (const QPointF& fleck : {QPointF(212, -7), QPointF(218, 5), QPointF(208, 8)})
    Fill(p, Ellipse(fleck, 2.2, 2.2), QColor(0x75, 0x75, 0x75));
  const QPointF tip = p.transform().map(QPointF(226, -10));
  p.restore();
  Smoke(p, tip + QPointF(-6, -8), -12);
}

void PaintPipe(QPainter& p) {
  // Room above the bowl for the smoke.
  p.translate(0, 56);
  const QBrush wood(
      Linear(QPointF(150, 0), QPointF(226, 0),
             {{0, QColor(0x6D, 0x3A, 0x18)}, {0.35, QColor(0xB0, 0x6A, 0x32)}, {1, QColor(0x5A, 0x2E, 0x12)}}));
  QPainterPath stem;
  stem.moveTo(26, 128);
  stem.cubicTo(70, 130, 110, 158, 168, 158);
  Shape(p, Band(stem, 15, Qt::FlatCap), wood, Ink());
  QPainterPath bit;
  bit.moveTo(14, 125);
  bit.lineTo(30, 128);
  Shape(p, Band(bit, 13), QColor(0x26, 0x26, 0x2C), Ink());
  QPainterPath bowl;
  bowl.moveTo(146, 96);
  bowl.lineTo(226, 96);
  bowl.cubicTo(228, 150, 214, 184, 186, 184);
  bowl.cubicTo(158, 184, 144, 150, 146, 96);
  bowl.closeSubpath();
  Shape(p, bowl, wood, Ink());
  p.save();
  p.setClipPath(bowl);
  for (int i = 0; i < 4; ++i) {
    QPainterPath grain;
    grain.moveTo(156 + i * 16, 104);
    grain.cubicTo(150 + i * 16, 130, 166 + i * 14, 150, 160 + i * 16, 184);
    Stroke(p, grain, InkPen(QColor(0x5A, 0x2E, 0x12), 2));
  }
  p.restore();
  Stroke(p, bowl, Ink());
  Shape(p, Ellipse(QPointF(186, 96), 40, 10), QColor(0x3A, 0x22, 0x14), Ink(4));
  Fill(p, Ellipse(QPointF(186, 97), 30, 6), Radial(QPointF(186, 97), 30, QPointF(186, 97),
       {{0, QColor(0xFF, 0xD5, 0x4F)}, {0.5, QColor(0xFF, 0x70, 0x20)}, {1, QColor(0x5A, 0x22, 0x10)}}));
  Smoke(p, QPointF(178, 86), -20);
}

void PaintClownNose(QPainter& p) {
  Shape(p, Ellipse(QPointF(55, 55), 45, 45),
        Radial(QPointF(55, 55), 48, QPointF(40, 38),
               {{0, QColor(0xFF, 0x8A, 0x80)}, {0.45, QColor(0xE5, 0x39, 0x35)}, {1, QColor(0x9A, 0x12, 0x12)}}),
        Ink());
  Fill(p, QTransform().translate(38, 34).rotate(-35).map(Ellipse(QPointF(0, 0), 13, 8)), kGlint);
  Fill(p, Ellipse(QPointF(56, 28), 3.5, 3.5), kGlint);
}

QPainterPath ElfEar() {
  QPainterPath ear;
  ear.moveTo(104, 156);
  ear.cubicTo(72, 168, 48, 148, 44, 124);
  ear.cubicTo(38, 96, 24, 56, 10, 14);
  ear.cubicTo(52, 38, 92, 62, 108, 92);
  ear.cubicTo(120, 114, 120, 140, 104, 156);
  ear.closeSubpath();
  return ear;
}

QPainterPath ElfEarInside() {
  QPainterPath inner;
  inner.moveTo(98, 140);
  inner.cubicTo(76, 148, 62, 132, 60, 116);
  inner.cubicTo(56, 94, 44, 66, 32, 38);
  inner.cubicTo(62, 60, 88, 78, 98, 100);
  inner.cubicTo(104, 114, 106, 130, 98, 140);
  inner.closeSubpath();
  return inner;
}

void PaintElfEars(QPainter& p) {
  // Both ears on one picture, as far apart as on the sample portrait; the gap between them
  // stays transparent.
  constexpr double axis = 250;
  for (const bool right : {false, true}) {
    const auto place = [&](const QPainterPath& path) { return right ? MirroredX(path, axis) : path; };
    const QPainterPath ear = place(ElfEar());
    Shape(p, ear, Linear(QPointF(0, 14), QPointF(0, 168), {{0, QColor(0xFF, 0xD2, 0xB0)}, {1, kSkin}}), Ink());
    Shape(p, place(ElfEarInside()), kSkinShade, Ink(3.5));
    QPainterPath fold;
    fold.moveTo(88, 132);
    fold.cubicTo(78, 120, 72, 100, 60, 76);
    Stroke(p, place(fold), InkPen(QColor(0xB8, 0x6E, 0x48), 3));
    Fill(p, place(Ellipse(QPointF(30, 40), 3, 7)), QColor(0xFF, 0xEE, 0xDD));
  }
}

QPainterPath Tufted(const QPainterPath& edge, int tufts, double depth) {
  return Curve([&](double t) {
    const double angle = edge.angleAtPercent(t) * kPi / 180.0;
    const QPointF outward(std::sin(angle), std::cos(angle));
    return edge.pointAtPercent(t) + outward * (depth * std::abs(std::sin(t * tufts * kPi)));
  }, 400);
}

void PaintBeard(QPainter& p) {
  QPainterPath edge;
  edge.moveTo(264, 14);
  edge.cubicTo(276, 130, 240, 246, 150, 270);
  edge.cubicTo(60, 246, 24, 130, 36, 14);
  QPainterPath outer = Tufted(edge, 11, -7);
  outer.closeSubpath();
  // The cheeks and the mouth stay free so the face shows through.
  const QPainterPath beard = outer.subtracted(Ellipse(QPointF(150, 36), 92, 122))
                                 .subtracted(Ellipse(QPointF(150, 190), 40, 17));
  const QBrush hair(
      Linear(QPointF(0, 10), QPointF(0, 270), {{0, QColor(0x6D, 0x4C, 0x41)}, {1, QColor(0x4E, 0x34, 0x2E)}}));
  Shape(p, beard, hair, Ink());
  p.save();
  p.setClipPath(beard);
  // Short curved strokes give the beard its texture; placed on a fixed lattice so every build
  // paints the same picture.
  for (int row = 0; row < 9; ++row) {
    for (int col = 0; col < 10; ++col) {
      const double x = 38 + col * 24 + (row % 2) * 12, y = 40 + row * 26;
      QPainterPath curl;
      curl.moveTo(x, y);
      curl.quadTo(x + (x < 150 ? -6 : 6), y + 8, x + (x < 150 ? -2 : 2), y + 16);
      Stroke(p, curl, InkPen(QColor(0x8D, 0x6E, 0x63), 2.4));
    }
  }
  p.restore();
  Stroke(p, beard, Ink());
  // The moustache overlaps the mouth's upper edge.
  QPainterPath half;
  half.moveTo(150, 166);
  half.cubicTo(172, 158, 208, 164, 226, 196);
  const QPainterPath rightHalf = Tapered(half, [](double t) { return 5 + 28 * std::pow(1 - t, 0.8); });
  const QPainterPath moustache = rightHalf.united(MirroredX(rightHalf, 150));
  Shape(p, moustache, hair, Ink(4.5));
}

void PaintHalo(QPainter& p) {
  const QPointF centre(130, 48);
  const QPainterPath ring = Ellipse(centre, 110, 30).subtracted(Ellipse(centre, 88, 17));
  Shape(p, ring, Linear(QPointF(0, 18), QPointF(0, 78), {{0, QColor(0xFF, 0xF6, 0xC4)}, {0.5, kGold}, {1, kGoldLight}}),
        Ink());
  Stroke(p, Arc(QRectF(centre.x() - 99, centre.y() - 24, 198, 48), 110, 50), InkPen(kGlint, 4));
  Shape(p, Sparkle(QPointF(232, 18), 14), kGoldLight, Ink(3));
  Shape(p, Sparkle(QPointF(24, 74), 10), kGoldLight, Ink(3));
}

QPainterPath Horn() {
  QPainterPath line;
  line.moveTo(96, 128);
  line.cubicTo(78, 96, 34, 86, 28, 50);
  line.cubicTo(26, 34, 34, 22, 46, 12);
  return Tapered(line, [](double t) { return 46 * std::pow(1 - t, 0.85) + 1; });
}

void PaintDevilHorns(QPainter& p) {
  for (const bool right : {false, true}) {
    const QPainterPath horn = right ? MirroredX(Horn(), 150) : Horn();
    Shape(p, horn,
          Linear(QPointF(right ? 280 : 20, 0), QPointF(right ? 190 : 110, 0),
                 {{0, QColor(0xFF, 0x5A, 0x4A)}, {0.5, QColor(0xD3, 0x1F, 0x1F)}, {1, QColor(0x80, 0x0E, 0x0E)}}),
          Ink());
    p.save();
    p.setClipPath(horn);
    for (int i = 1; i < 4; ++i) {
      const double y = 140 - i * 26;
      QPainterPath ridge;
      ridge.moveTo(right ? 300 : 0, y - 10);
      ridge.quadTo(150, y + 6, right ? 0 : 300, y + 24);
      Stroke(p, right ? MirroredX(ridge, 150).toReversed() : ridge, InkPen(QColor(0x80, 0x0E, 0x0E), 2.5));
    }
    p.restore();
    Stroke(p, horn, Ink());
  }
}

void PaintEyePatch(QPainter& p) {
  const QColor black(0x1E, 0x1E, 0x22);
  QPainterPath strap;
  strap.moveTo(12, 26);
  strap.cubicTo(110, 38, 200, 48, 286, 90);
  Shape(p, Band(strap, 10), black, Ink(4));
  QPainterPath patch;
  patch.moveTo(150, 66);
  patch.cubicTo(176, 52, 234, 54, 250, 74);
  patch.cubicTo(264, 94, 240, 138, 200, 140);
  patch.cubicTo(160, 140, 136, 90, 150, 66);
  patch.closeSubpath();
  Shape(p, patch, Radial(QPointF(200, 96), 60, QPointF(182, 80), {{0, QColor(0x4A, 0x4A, 0x54)}, {1, black}}), Ink());
  Stroke(p, QTransform().translate(200, 98).scale(0.8, 0.78).translate(-200, -98).map(patch),
         QPen(QColor(0x90, 0x90, 0x9C), 2.5, Qt::DashLine, Qt::FlatCap));
  // A tiny white skull for the pirate touch.
  Fill(p, Ellipse(QPointF(200, 94), 11, 10), kGlint);
  Fill(p, RoundedRect(QRectF(194, 100, 12, 9), 2), kGlint);
  Fill(p, Ellipse(QPointF(196, 94), 3, 3), black);
  Fill(p, Ellipse(QPointF(204, 94), 3, 3), black);
}

// ---- Talk bubbles --------------------------------------------------------------------------

// Bubbles are drawn for a tail on the left; the right-hand ones are their mirror images.
constexpr int kBubbleWidth = 340, kBubbleHeight = 244;

void BubbleShape(QPainter& p, const QPainterPath& bubble) {
  Shape(p, bubble, kBubblePaper, InkPen(kBubbleInk, kBubbleLine));
}

QPainterPath SpeechBubblePath() {
  QPainterPath tail;
  tail.moveTo(112, 150);
  tail.quadTo(96, 200, 24, 228);
  tail.quadTo(118, 218, 176, 178);
  tail.closeSubpath();
  return Ellipse(QPointF(182, 100), 148, 86).united(tail).simplified();
}

void PaintSpeechLeft(QPainter& p) { BubbleShape(p, SpeechBubblePath()); }

void PaintSpeechRight(QPainter& p) { BubbleShape(p, MirroredX(SpeechBubblePath(), kBubbleWidth / 2)); }

void PaintThought(QPainter& p, bool right) {
  const QPointF centre(180, 100);
  QPainterPath cloud = Ellipse(centre, 108, 56);
  const int lobes = 11;
  for (int i = 0; i < lobes; ++i) {
    const double angle = 2 * kPi * i / lobes + 0.2;
    const double r = 30 + 5 * std::sin(i * 2.3);
    cloud = cloud.united(Ellipse(centre + QPointF(108 * std::cos(angle), 56 * std::sin(angle)), r * 1.12, r));
  }
  cloud = cloud.simplified();
  const QPointF trail[] = {{84, 190}, {52, 214}, {28, 232}};
  const double radii[] = {15, 10, 6};
  const QTransform mirror = right ? QTransform(-1, 0, 0, 1, kBubbleWidth, 0) : QTransform();
  BubbleShape(p, mirror.map(cloud));
  for (int i = 0; i < 3; ++i)
    BubbleShape(p, mirror.map(Ellipse(trail[i], radii[i] * 1.2, radii[i])));
}

void PaintThoughtLeft(QPainter& p) { PaintThought(p, false); }
void PaintThoughtRight(QPainter& p) { PaintThought(p, true); }

void PaintShout(QPainter& p) {
  // Uneven spikes look like a shout; a fixed table keeps the outline the same on every build.
  const double spikes[] = {1.00, 0.86, 0.97, 0.90, 1.04, 0.84, 0.98, 0.92, 1.02,
                           0.88, 0.96, 0.85, 1.03, 0.93, 0.87, 1.00, 0.91, 0.95};
  const int count = int(std::size(spikes));
  const QPointF centre(176, 110);
  QPolygonF points;
  for (int i = 0; i < count; ++i) {
    const double outer = 2 * kPi * i / count;
    const double inner = outer + kPi / count;
    // The spike pointing down-left is the tail towards the speaker.
    const bool tail = i == 6;
    const double reach = tail ? 1.3 : spikes[i];
    points.push_back(centre + QPointF(150 * reach * std::cos(outer), 100 * reach * std::sin(outer) + (tail ? 6 : 0)));
    points.push_back(centre + QPointF(116 * std::cos(inner), 70 * std::sin(inner)));
  }
  // Mitred joins keep the spikes sharp.
  Shape(p, Polygon(points), kBubblePaper,
        QPen(kBubbleInk, kBubbleLine + 1, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
}

void PaintWhisper(QPainter& p) {
  QPainterPath tail;
  tail.moveTo(118, 152);
  tail.quadTo(90, 196, 30, 222);
  tail.quadTo(116, 208, 170, 176);
  tail.closeSubpath();
  const QPainterPath bubble = Ellipse(QPointF(184, 100), 144, 84).united(tail).simplified();
  Fill(p, bubble, kBubblePaper);
  // A dashed outline is the comic convention for a lowered voice.
  QPen dashed(kBubbleInk, 4, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
  dashed.setDashPattern({3.5, 2.5});
  Stroke(p, bubble, dashed);
}

void PaintRoundedBox(QPainter& p) {
  const QPainterPath box = RoundedRect(QRectF(12, 12, 316, 168), 34);
  QPainterPath tail;
  tail.moveTo(206, 170);
  tail.lineTo(262, 230);
  tail.lineTo(250, 170);
  tail.closeSubpath();
  BubbleShape(p, box.united(tail).simplified());
}

}  // namespace

const std::vector<TArtwork>& Catalogue() {
  using enum TFileType;
  static const std::vector<TArtwork> catalogue = {
      {"Glasses", false, Png, QSize(300, 120), kInk, PaintGlasses},
      {"Sunglasses", false, Gif, QSize(300, 112), kInk, PaintSunglasses},
      {"Curly Moustache", false, Png, QSize(220, 92), kInk, PaintCurlyMoustache},
      {"Handlebar Moustache", false, Gif, QSize(240, 96), kInk, PaintHandlebarMoustache},
      {"Top Hat", false, Png, QSize(280, 250), kInk, PaintTopHat},
      {"Party Hat", false, Gif, QSize(184, 240), kInk, PaintPartyHat},
      {"Baseball Cap", false, Png, QSize(320, 204), kInk, PaintBaseballCap},
      {"Crown", false, Gif, QSize(260, 190), kInk, PaintCrown},
      {"Bow Tie", false, Png, QSize(210, 118), kInk, PaintBowTie},
      {"Cigar", false, Gif, QSize(290, 270), kInk, PaintCigar},
      {"Pipe", false, Png, QSize(240, 250), kInk, PaintPipe},
      {"Clown Nose", false, Gif, QSize(110, 110), kInk, PaintClownNose},
      {"Elf Ears", false, Png, QSize(500, 176), kInk, PaintElfEars},
      {"Beard", false, Gif, QSize(300, 282), kInk, PaintBeard},
      {"Halo", false, Png, QSize(260, 92), kInk, PaintHalo},
      {"Devil Horns", false, Gif, QSize(300, 160), kInk, PaintDevilHorns},
      {"Eye Patch", false, Png, QSize(300, 150), kInk, PaintEyePatch},
      {"Speech Bubble Left", true, Png, QSize(kBubbleWidth, kBubbleHeight), kBubbleInk, PaintSpeechLeft},
      {"Speech Bubble Right", true, Gif, QSize(kBubbleWidth, kBubbleHeight), kBubbleInk, PaintSpeechRight},
      {"Thought Bubble Left", true, Png, QSize(kBubbleWidth, kBubbleHeight), kBubbleInk, PaintThoughtLeft},
      {"Thought Bubble Right", true, Gif, QSize(kBubbleWidth, kBubbleHeight), kBubbleInk, PaintThoughtRight},
      {"Shout Bubble", true, Png, QSize(kBubbleWidth, kBubbleHeight), kBubbleInk, PaintShout},
      {"Whisper Bubble", true, Gif, QSize(kBubbleWidth, kBubbleHeight), kBubbleInk, PaintWhisper},
      {"Rounded Box Bubble", true, Gif, QSize(kBubbleWidth, kBubbleHeight), kBubbleInk, PaintRoundedBox},
  };
  return catalogue;
}

std::string RelativePath(const TArtwork& art) {
  const std::string extension = art.FileType == TFileType::Png ? ".png" : ".gif";
  return (art.TalkBubble ? "Talk Bubbles/" : "") + art.Name + extension;
}

QImage PaintSoft(const TArtwork& art) {
  QImage image(art.Size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  art.Paint(p);
  p.end();
  return image;
}

TBitmap32 Harden(const QImage& soft, const QColor& matte) {
  const QImage image = soft.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  TBitmap32 bitmap;
  bitmap.SetSize(image.width(), image.height());
  const TColor32 key = Color32(uint8_t(kKeyColor), uint8_t(kKeyColor >> 8), uint8_t(kKeyColor >> 16), 0);
  for (int y = 0; y < image.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    TColor32* out = bitmap.ScanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      const int alpha = qAlpha(in[x]);
      if (alpha < kAlphaThreshold) {
        out[x] = key;
        continue;
      }
      // Premultiplied colour plus the uncovered share of the matte: "over" onto the matte.
      const auto over = [&](int premultiplied, int backdrop) {
        return uint8_t(std::min(255, premultiplied + (backdrop * (255 - alpha) + 127) / 255));
      };
      TColor32 colour = Color32(over(qRed(in[x]), matte.red()), over(qGreen(in[x]), matte.green()),
                                over(qBlue(in[x]), matte.blue()));
      if (RgbOf(colour) == RgbOf(key))
        colour ^= 1;  // one step of blue is invisible, and keeps the pixel from vanishing
      out[x] = colour;
    }
  }
  return bitmap;
}

TBitmap32 Render(const TArtwork& art) { return Harden(PaintSoft(art), art.Matte); }

}  // namespace gs::clipart

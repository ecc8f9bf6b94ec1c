// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the sample portrait the program ships with: a cheerful cartoon head and shoulders with
// big, clearly separated features so that every warping brush has something fun to bend.
// Everything is painted in code, deterministically, and written with the editor's own PNG
// encoder so the build needs no artwork files.

#include "codecs/FileIO.h"
#include "codecs/Png.h"
#include "common/Bitmap32.h"
#include "paintkit/PaintKit.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>

namespace {

using gs::paintkit::Ellipse;
using gs::paintkit::Fill;
using gs::paintkit::InkPen;
using gs::paintkit::Linear;
using gs::paintkit::Radial;
using gs::paintkit::Shape;
using gs::paintkit::Stroke;

constexpr int kWidth = 600;
constexpr int kHeight = 750;

const QColor kInk(0x4A, 0x2C, 0x22);  // the warm dark brown of every outline
const QColor kSkinLight(0xFF, 0xDE, 0xC2);
const QColor kSkin(0xF6, 0xBE, 0x96);
const QColor kSkinShade(0xDB, 0x94, 0x6C);
const QColor kHair(0x8A, 0x4B, 0x24);
const QColor kHairLight(0xB8, 0x6E, 0x38);
const QColor kHairDark(0x5E, 0x30, 0x16);
const QColor kShirt(0x2E, 0x9C, 0x8F);
const QColor kShirtDark(0x1F, 0x6E, 0x66);

void PaintBackground(QPainter& p) {
  p.fillRect(0, 0, kWidth, kHeight,
             Linear(QPointF(0, 0), QPointF(0, kHeight),
                    {{0, QColor(0xFF, 0xE8, 0xB0)}, {0.55, QColor(0xFF, 0xC6, 0xA8)}, {1, QColor(0xE8, 0xA0, 0xC0)}}));
  p.setPen(Qt::NoPen);
  p.setBrush(Radial(QPointF(300, 330), 330, QPointF(300, 330),
                    {{0, QColor(255, 255, 240, 200)}, {1, QColor(255, 255, 240, 0)}}));
  p.drawRect(0, 0, kWidth, kHeight);
  // Soft, fixed bubbles give the background some life without distracting from the face.
  struct TBubble { double X, Y, R; QColor C; };
  const TBubble bubbles[] = {
      {70, 90, 55, QColor(255, 255, 255, 70)},  {530, 140, 70, QColor(255, 240, 200, 80)},
      {90, 480, 40, QColor(255, 255, 255, 60)}, {520, 470, 48, QColor(255, 220, 235, 80)},
      {480, 40, 28, QColor(255, 255, 255, 70)}, {40, 300, 24, QColor(255, 250, 220, 70)}};
  for (const TBubble& b : bubbles) {
    p.setBrush(b.C);
    p.drawEllipse(QPointF(b.X, b.Y), b.R, b.R);
  }
}

QPainterPath HeadPath() {
  QPainterPath head;
  head.moveTo(300, 150);
  head.cubicTo(395, 150, 448, 230, 446, 330);
  head.cubicTo(444, 430, 385, 528, 300, 530);
  head.cubicTo(215, 528, 156, 430, 154, 330);
  head.cubicTo(152, 230, 205, 150, 300, 150);
  head.closeSubpath();
  return head;
}

void PaintBackHair(QPainter& p) {
  QPainterPath hair;
  hair.moveTo(150, 380);
  hair.cubicTo(110, 260, 150, 120, 300, 112);
  hair.cubicTo(450, 120, 490, 260, 450, 380);
  hair.cubicTo(440, 300, 420, 250, 300, 240);
  hair.cubicTo(180, 250, 160, 300, 150, 380);
  hair.closeSubpath();
  Shape(p, hair, kHairDark, InkPen(kInk, 5));
}

void PaintBody(QPainter& p) {
  // Neck first, so the shirt and the chin's shadow overlap it.
  QPainterPath neck;
  neck.moveTo(247, 470);
  neck.lineTo(242, 660);
  neck.lineTo(358, 660);
  neck.lineTo(353, 470);
  neck.closeSubpath();
  Shape(p, neck, Linear(QPointF(0, 500), QPointF(0, 620), {{0, kSkinShade}, {0.3, kSkinShade}, {1, kSkin}}),
        InkPen(kInk, 5));

  QPainterPath shirt;
  shirt.moveTo(20, kHeight + 10);
  shirt.cubicTo(30, 640, 90, 590, 236, 565);
  shirt.lineTo(300, 630);
  shirt.lineTo(364, 565);
  shirt.cubicTo(510, 590, 570, 640, 580, kHeight + 10);
  shirt.closeSubpath();
  Shape(p, shirt, Linear(QPointF(0, 565), QPointF(0, kHeight), {{0, kShirt}, {1, kShirtDark}}), InkPen(kInk, 5));

  // Folds at the shoulders.
  p.setPen(QPen(kShirtDark, 4, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(90, 635, 80, 140), 90 * 16, 60 * 16);
  p.drawArc(QRectF(430, 635, 80, 140), 30 * 16, 60 * 16);
  p.drawLine(QPointF(300, 630), QPointF(300, kHeight));
}

void PaintCollar(QPainter& p) {
  p.setPen(InkPen(kInk, 5));
  p.setBrush(QColor(0xFB, 0xFB, 0xF5));
  QPainterPath left;
  left.moveTo(236, 558);
  left.lineTo(300, 630);
  left.lineTo(255, 672);
  left.lineTo(196, 582);
  left.closeSubpath();
  QPainterPath right;
  right.moveTo(364, 558);
  right.lineTo(300, 630);
  right.lineTo(345, 672);
  right.lineTo(404, 582);
  right.closeSubpath();
  p.drawPath(left);
  p.drawPath(right);
  // A couple of buttons down the placket.
  p.setBrush(QColor(0xF5, 0xE6, 0xC8));
  p.drawEllipse(QPointF(300, 672), 7, 7);
  p.drawEllipse(QPointF(300, 718), 7, 7);
}

void PaintEar(QPainter& p, double cx, double mirror) {
  p.setPen(InkPen(kInk, 5));
  p.setBrush(Radial(QPointF(cx, 360), 40, QPointF(cx, 360), {{0, kSkin}, {1, kSkinShade}}));
  p.drawEllipse(QPointF(cx, 360), 30, 46);
  p.setPen(QPen(kSkinShade.darker(115), 5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  const QRectF inner(cx - 14 + mirror * 2, 330, 28, 56);
  p.drawArc(inner, mirror > 0 ? -70 * 16 : 110 * 16, 200 * 16);
}

void PaintHead(QPainter& p) {
  const QPainterPath head = HeadPath();
  Shape(p, head, Radial(QPointF(300, 330), 230, QPointF(265, 280), {{0, kSkinLight}, {0.55, kSkin}, {1, kSkinShade}}),
        InkPen(kInk, 6));
  p.save();
  p.setClipPath(head);
  p.setPen(Qt::NoPen);
  for (double cx : {210.0, 390.0}) {
    p.setBrush(Radial(QPointF(cx, 415), 55, QPointF(cx, 415),
                      {{0, QColor(0xFF, 0x7F, 0x8A, 150)}, {1, QColor(0xFF, 0x7F, 0x8A, 0)}}));
    p.drawEllipse(QPointF(cx, 415), 55, 55);
  }
  // Freckles at fixed spots across the nose and cheeks.
  p.setBrush(QColor(0xC0, 0x70, 0x4C, 150));
  const QPointF freckles[] = {{195, 395}, {212, 408}, {228, 394}, {206, 425}, {372, 394},
                              {388, 408}, {405, 395}, {394, 425}, {268, 372}, {332, 372}};
  for (const QPointF& f : freckles)
    p.drawEllipse(f, 3.2, 3.2);
  p.restore();
}

void PaintEye(QPainter& p, QPointF centre) {
  const QPainterPath white = Ellipse(centre, 40, 31);
  Shape(p, white, Radial(centre, 44, centre + QPointF(0, -8), {{0, Qt::white}, {1, QColor(0xE4, 0xE8, 0xF0)}}),
        InkPen(kInk, 5));

  p.save();
  p.setClipPath(white);
  const QPointF iris = centre + QPointF(0, 2);
  p.setPen(QPen(QColor(0x1E, 0x4E, 0x2E), 3));
  p.setBrush(Radial(iris, 26, iris, {{0, QColor(0x9B, 0xE0, 0x6A)}, {0.6, QColor(0x3F, 0xA8, 0x4A)},
                                     {1, QColor(0x1E, 0x6E, 0x34)}}));
  p.drawEllipse(iris, 25, 25);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x14, 0x10, 0x10));
  p.drawEllipse(iris, 11.5, 11.5);
  // The upper lid throws a little shadow onto the eyeball.
  p.setBrush(Linear(QPointF(0, centre.y() - 31), QPointF(0, centre.y() - 12),
                    {{0, QColor(0x80, 0x50, 0x40, 110)}, {1, QColor(0x80, 0x50, 0x40, 0)}}));
  p.drawRect(QRectF(centre.x() - 41, centre.y() - 32, 82, 22));
  p.restore();

  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(iris + QPointF(-8, -9), 6.5, 6.5);
  p.drawEllipse(iris + QPointF(9, 7), 3, 3);

  // A heavier upper lid line makes the eye read as relaxed rather than startled.
  p.setPen(InkPen(kInk, 8));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(centre.x() - 40, centre.y() - 31, 80, 62), 25 * 16, 130 * 16);

  // Three lashes at the outer half of the lid.
  p.setPen(InkPen(kInk, 4));
  const double side = centre.x() < 300 ? -1 : 1;
  for (int i = 0; i < 3; ++i) {
    const double x = centre.x() + side * (18 + i * 10);
    const double y = centre.y() - 28 + i * 6;
    p.drawLine(QPointF(x, y), QPointF(x + side * 8, y - 9 + i * 2));
  }
}

void PaintBrow(QPainter& p, QPointF inner, QPointF outer) {
  QPainterPath brow;
  const QPointF mid = (inner + outer) / 2 + QPointF(0, -22);
  brow.moveTo(inner);
  brow.quadTo(mid, outer);
  Stroke(p, brow, QPen(kInk, 13, Qt::SolidLine, Qt::RoundCap));
  Stroke(p, brow, QPen(kHair, 7, Qt::SolidLine, Qt::RoundCap));
}

void PaintNose(QPainter& p) {
  p.setPen(Qt::NoPen);
  // A soft shadow under the ball of the nose models it without hard lines.
  p.setBrush(Radial(QPointF(300, 412), 40, QPointF(300, 412),
                    {{0, QColor(0xC0, 0x70, 0x50, 120)}, {1, QColor(0xC0, 0x70, 0x50, 0)}}));
  p.drawEllipse(QPointF(300, 412), 44, 28);
  p.setBrush(Radial(QPointF(300, 392), 30, QPointF(292, 382),
                    {{0, kSkinLight}, {0.7, kSkin}, {1, kSkinShade}}));
  p.setPen(InkPen(kInk, 4.5));
  QPainterPath ball;
  ball.moveTo(276, 400);
  ball.cubicTo(262, 360, 338, 360, 324, 400);
  p.drawPath(ball);
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(262, 388, 26, 24), 80 * 16, 200 * 16);
  p.drawArc(QRectF(312, 388, 26, 24), -100 * 16, 200 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x6A, 0x32, 0x24));
  p.drawEllipse(QPointF(285, 405), 4.5, 3);
  p.drawEllipse(QPointF(315, 405), 4.5, 3);
  p.setBrush(QColor(255, 255, 255, 200));
  p.drawEllipse(QPointF(292, 380), 6, 4);
}

QPainterPath MouthPath() {
  QPainterPath mouth;
  mouth.moveTo(222, 446);
  mouth.cubicTo(260, 458, 340, 458, 378, 446);
  mouth.cubicTo(370, 500, 335, 512, 300, 512);
  mouth.cubicTo(265, 512, 230, 500, 222, 446);
  mouth.closeSubpath();
  return mouth;
}

void PaintMouth(QPainter& p) {
  const QPainterPath mouth = MouthPath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x7A, 0x1C, 0x28));
  p.drawPath(mouth);

  p.save();
  p.setClipPath(mouth);
  p.setBrush(Radial(QPointF(300, 520), 50, QPointF(300, 520),
                    {{0, QColor(0xFF, 0x86, 0x96)}, {1, QColor(0xE0, 0x52, 0x6A)}}));
  p.drawEllipse(QPointF(300, 520), 55, 30);
  QPainterPath teeth;
  teeth.moveTo(222, 440);
  teeth.cubicTo(260, 452, 340, 452, 378, 440);
  teeth.lineTo(372, 470);
  teeth.cubicTo(340, 478, 260, 478, 228, 470);
  teeth.closeSubpath();
  p.setBrush(QColor(0xFF, 0xFD, 0xF6));
  p.drawPath(teeth);
  p.setPen(QPen(QColor(0xD8, 0xD0, 0xC8), 2.5));
  for (double x : {254.0, 277.0, 300.0, 323.0, 346.0})
    p.drawLine(QPointF(x, 455), QPointF(x, 476));
  p.restore();

  Stroke(p, mouth, InkPen(kInk, 5.5));
  // Dimples at the corners deepen the grin.
  p.setPen(InkPen(kInk, 4));
  p.drawArc(QRectF(206, 432, 22, 26), 100 * 16, 120 * 16);
  p.drawArc(QRectF(372, 432, 22, 26), -40 * 16, 120 * 16);
}

QPainterPath FringePath() {
  QPainterPath fringe;
  fringe.moveTo(150, 350);
  fringe.cubicTo(130, 220, 190, 118, 305, 115);
  fringe.cubicTo(420, 118, 475, 220, 450, 350);
  // Chunky locks along the hairline, right to left.
  fringe.cubicTo(442, 290, 430, 250, 405, 222);
  fringe.quadTo(390, 246, 360, 246);
  fringe.quadTo(345, 214, 320, 204);
  fringe.quadTo(290, 246, 240, 246);
  fringe.quadTo(225, 222, 220, 214);
  fringe.quadTo(200, 246, 178, 254);
  fringe.cubicTo(165, 285, 158, 320, 150, 350);
  fringe.closeSubpath();
  return fringe;
}

// The fringe casts a soft shadow on the forehead, which lifts it off the face.
void PaintFringeShadow(QPainter& p) {
  p.save();
  p.setClipPath(HeadPath());
  Fill(p, FringePath().translated(4, 12), QColor(0xB0, 0x60, 0x40, 70));
  p.restore();
}

void PaintCowlick(QPainter& p) {
  QPainterPath tuft;
  tuft.moveTo(282, 120);
  tuft.cubicTo(270, 80, 300, 62, 330, 70);
  tuft.cubicTo(310, 78, 300, 95, 318, 118);
  tuft.closeSubpath();
  Shape(p, tuft, kHair, InkPen(kInk, 5));
}

void PaintFringe(QPainter& p) {
  const QPainterPath fringe = FringePath();
  Shape(p, fringe, Radial(QPointF(300, 170), 200, QPointF(270, 150), {{0, kHairLight}, {0.6, kHair}, {1, kHairDark}}),
        InkPen(kInk, 6));

  p.save();
  p.setClipPath(fringe);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xE0, 0x9A, 0x5C, 170), 7, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(200, 140, 200, 120), 100 * 16, 50 * 16);
  p.drawArc(QRectF(215, 150, 200, 120), 35 * 16, 40 * 16);
  p.setPen(QPen(kHairDark, 4, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(160, 150, 150, 200), 100 * 16, 70 * 16);
  p.drawArc(QRectF(290, 150, 150, 200), 10 * 16, 70 * 16);
  p.drawArc(QRectF(255, 140, 120, 150), 40 * 16, 70 * 16);
  p.restore();
}

QImage PaintPortrait() {
  QImage image(kWidth, kHeight, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  PaintBackground(p);
  PaintBackHair(p);
  PaintBody(p);
  PaintCollar(p);
  PaintEar(p, 160, -1);
  PaintEar(p, 440, 1);
  PaintHead(p);
  PaintBrow(p, QPointF(272, 272), QPointF(200, 268));
  PaintBrow(p, QPointF(328, 272), QPointF(400, 268));
  PaintEye(p, QPointF(242, 318));
  PaintEye(p, QPointF(358, 318));
  PaintNose(p);
  PaintMouth(p);
  PaintFringeShadow(p);
  PaintCowlick(p);
  PaintFringe(p);
  p.end();
  return image;
}

gs::TBitmap32 ToBitmap(const QImage& image) {
  gs::TBitmap32 bitmap;
  bitmap.SetSize(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(bitmap.ScanLine(y), image.constScanLine(y), size_t(image.width()) * 4);
  return bitmap;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_portrait OUTPUT.png\n");
    return 2;
  }
  try {
    gs::WriteFileBytes(argv[1], gs::EncodePng(ToBitmap(PaintPortrait()), std::nullopt));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_sample_portrait: %s\n", e.what());
    return 1;
  }
  return 0;
}

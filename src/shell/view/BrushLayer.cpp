// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/view/BrushLayer.h"

#include <QPainter>

#include <cmath>
#include <numbers>

namespace gs {

namespace {
// Where the pen goes, in 16.16 fixed point as the line drawing takes it.
double FixedRound(double v) { return std::nearbyint(v * 65536.0) / 65536.0; }
}  // namespace

std::vector<TOutlineChord> BrushOutlineChords(int cx, int cy, int radius) {
  int n = radius + 4;
  if (n % 2 != 0) ++n;
  std::vector<TOutlineChord> chords;
  chords.reserve(size_t(n));
  QPointF pen(cx + radius, cy);
  QRgb color = 0xA0FFFFFF;
  for (int k = 1; k <= n; ++k) {
    color = (color ^ 0x00FFFFFFu) | 0xA0000000u;
    const double angle = k * 2.0 * std::numbers::pi / n;
    const QPointF to(FixedRound(cx + radius * std::cos(angle)), FixedRound(cy + radius * std::sin(angle)));
    chords.push_back({pen, to, color});
    pen = to;
  }
  return chords;
}

QRect TBrushLayer::SquareAround(QPoint c, int r) const {
  // One pixel more on each side covers the anti-aliasing of the chords.
  return QRect(QPoint(c.x() - r - 1, c.y() - r - 1), QPoint(c.x() + r + 1, c.y() + r + 1));
}

void TBrushLayer::SetCenter(QPoint center) {
  if (center == Center_) return;
  if (Visible) View_.update(SquareAround(Center_, Radius_));
  Center_ = center;
  if (Visible) View_.update(SquareAround(Center_, Radius_));
}

void TBrushLayer::SetRadius(int radius) {
  Radius_ = radius;
  if (Visible) View_.update(SquareAround(Center_, Radius_));
}

void TBrushLayer::Paint(QPainter& painter, const TImageView&) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const TOutlineChord& chord : BrushOutlineChords(Center_.x(), Center_.y(), Radius_)) {
    painter.setPen(QPen(QColor::fromRgba(chord.Color), 1.0));
    painter.drawLine(chord.From, chord.To);
  }
  painter.restore();
}

}  // namespace gs

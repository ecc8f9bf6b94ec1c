// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The grey and white squares transparent parts of a picture are shown on.

#include <QColor>
#include <QPainter>
#include <QRect>

namespace gs {

inline constexpr int kCheckerSquare = 8;

// Squares counted from the painter's origin, the top-left one grey, wherever `area` lies.
inline void PaintCheckerboard(QPainter& painter, const QRect& area) {
  const QColor grey = QColor::fromRgba(0xFFB0B0B0), white = QColor::fromRgba(0xFFFFFFFF);
  const int c0 = area.left() / kCheckerSquare, r0 = area.top() / kCheckerSquare;
  const int c1 = area.right() / kCheckerSquare, r1 = area.bottom() / kCheckerSquare;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      painter.fillRect(c * kCheckerSquare, r * kCheckerSquare, kCheckerSquare, kCheckerSquare,
                       (c + r) % 2 == 0 ? grey : white);
}

}  // namespace gs

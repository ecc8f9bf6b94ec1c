// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TBrushLayer: the dashed circle that stands for the pointer while a warp brush is active.

#include "shell/view/ImageView.h"

#include <QPointF>
#include <QRgb>

#include <vector>

namespace gs {

struct TOutlineChord {
  QPointF From;
  QPointF To;
  QRgb Color;
};

// The circle as n chords (n = r + 4 rounded up to even) alternating black and white at alpha
// 0xA0, the first black, starting at the rightmost point; ends rounded to 1/65536 of a pixel.
std::vector<TOutlineChord> BrushOutlineChords(int cx, int cy, int radius);

class TBrushLayer : public TViewLayer {
public:
  explicit TBrushLayer(TImageView& view) : View_(view) {}

  QPoint Center() const { return Center_; }
  int Radius() const { return Radius_; }
  // Moves the circle, repainting only the squares around the old and the new centre.
  void SetCenter(QPoint center);
  void SetRadius(int radius);
  void Paint(QPainter& painter, const TImageView& view) override;

private:
  QRect SquareAround(QPoint center, int radius) const;

  TImageView& View_;
  QPoint Center_{0, 0};
  int Radius_ = 0;
};

}  // namespace gs

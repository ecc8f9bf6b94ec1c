// SPDX-License-Identifier: GPL-3.0-or-later
#include "layers/Affine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gs {

void TAffineTransformation::Rotate(double cx, double cy, double degrees) {
  Translate(-cx, -cy);
  const double a = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(a);
  const double s = std::sin(a);
  const TAffineTransformation old = *this;
  A = c * old.A - s * old.D;
  B = c * old.B - s * old.E;
  C = c * old.C - s * old.F;
  D = s * old.A + c * old.D;
  E = s * old.B + c * old.E;
  F = s * old.C + c * old.F;
  Translate(cx, cy);
}

void TAffineTransformation::Translate(double dx, double dy) {
  C += dx;
  F += dy;
}

void TAffineTransformation::Transform(double x, double y, double& tx, double& ty) const {
  tx = A * x + B * y + C;
  ty = D * x + E * y + F;
}

void TAffineTransformation::Inverse(double x, double y, double& sx, double& sy) const {
  const double det = A * E - B * D;
  if (std::fabs(det) < 1e-12) {
    sx = x;
    sy = y;
    return;
  }
  const double px = x - C;
  const double py = y - F;
  sx = (E * px - B * py) / det;
  sy = (A * py - D * px) / det;
}

TRect TAffineTransformation::TransformedBounds(const TFloatRect& r) const {
  const double xs[4] = {r.Left, r.Right, r.Left, r.Right};
  const double ys[4] = {r.Top, r.Top, r.Bottom, r.Bottom};
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (int i = 0; i < 4; ++i) {
    double tx, ty;
    Transform(xs[i], ys[i], tx, ty);
    minX = std::min(minX, tx);
    minY = std::min(minY, ty);
    maxX = std::max(maxX, tx);
    maxY = std::max(maxY, ty);
  }
  return TRect{int(std::floor(minX + 1e-9)), int(std::floor(minY + 1e-9)),
               int(std::ceil(maxX - 1e-9)), int(std::ceil(maxY - 1e-9))};
}

void Transform(TBitmap32& dst, const TBitmap32& src, const TAffineTransformation& t) {
  TBitmap32 source = src;
  source.OuterColor = 0;  // outside the picture is transparent
  for (int y = 0; y < dst.Height(); ++y) {
    TColor32* row = dst.ScanLine(y);
    for (int x = 0; x < dst.Width(); ++x) {
      double sx, sy;
      t.Inverse(x, y, sx, sy);
      const double limit = 1e6;  // keeps the fixed-point conversion in range
      if (std::fabs(sx) > limit || std::fabs(sy) > limit) {
        row[x] = 0;
        continue;
      }
      row[x] = source.PixelBilinear(TFixed(std::lround(sx * kFixedOne)),
                                    TFixed(std::lround(sy * kFixedOne)));
    }
  }
}

}  // namespace gs

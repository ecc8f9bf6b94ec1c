// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/shape/Exaggerate.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace gs {

TFaceShape ExaggeratedShape(const TFace& face, double amount, const TShapeModel& model) {
  const TMeanFace& mean = model.Mean;
  using TComplex = std::complex<double>;
  TFaceShape shape = ShapeOf(face);
  if (!(amount > 0)) return shape;
  const int n = TFace::kPointCount;
  TComplex faceMean, meanMean;
  for (int k = 0; k < n; ++k) {
    faceMean += TComplex(face.Points[size_t(k)].X, face.Points[size_t(k)].Y) / double(n);
    meanMean += TComplex(mean[size_t(k)].X, mean[size_t(k)].Y) / double(n);
  }
  // The similarity z -> a z + b nearest to the face in least squares: the face's pose and size.
  TComplex num;
  double den = 0;
  for (int k = 0; k < n; ++k) {
    const TComplex m = TComplex(mean[size_t(k)].X, mean[size_t(k)].Y) - meanMean;
    num += std::conj(m) * (TComplex(face.Points[size_t(k)].X, face.Points[size_t(k)].Y) - faceMean);
    den += std::norm(m);
  }
  if (den <= 0) return shape;
  const TComplex a = num / den;
  const double limit = FrameOf(face).Size / 8;
  std::array<TPointF, TFace::kPointCount> moves;
  for (int k = 0; k < n; ++k) {
    const TComplex fitted = a * (TComplex(mean[size_t(k)].X, mean[size_t(k)].Y) - meanMean) + faceMean;
    TPointF move = Scaled(Minus(face.Points[size_t(k)], TPointF{fitted.real(), fitted.imag()}), amount);
    const double length = std::hypot(move.X, move.Y);
    if (length > limit) move = Scaled(move, limit / length);
    moves[size_t(k)] = move;
    shape[k] = Plus(shape[k], move);
  }
  // The forehead goes with the brow below it.
  const int base = TFace::kPointCount;
  MovePoints(shape, base, base, moves[19]);
  MovePoints(shape, base + 1, base + 1, Scaled(Plus(moves[21], moves[22]), 0.5));
  MovePoints(shape, base + 2, base + 2, moves[24]);
  return shape;
}

}  // namespace gs

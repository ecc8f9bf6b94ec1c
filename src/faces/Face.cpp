// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/Face.h"

#include <cmath>

namespace gs {

TPointF MeanPoint(const TFace& face, int first, int last) {
  TPointF sum;
  for (int i = first; i <= last; ++i) {
    sum.X += face.Points[size_t(i)].X;
    sum.Y += face.Points[size_t(i)].Y;
  }
  const double n = last - first + 1;
  return TPointF{sum.X / n, sum.Y / n};
}

double Distance(TPointF a, TPointF b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

TPointF TFace::EyeCentre(bool right) const { return right ? MeanPoint(*this, 42, 47) : MeanPoint(*this, 36, 41); }

double TFace::EyeWidth(bool right) const {
  return right ? Distance(Points[42], Points[45]) : Distance(Points[36], Points[39]);
}

double TFace::NoseWidth() const { return Distance(Points[31], Points[35]); }

TPointF TFace::MouthCentre() const { return MeanPoint(*this, 48, 59); }

double TFace::MouthWidth() const { return Distance(Points[48], Points[54]); }

TPointF TFace::Chin() const {
  TPointF lowest = Points[0];
  for (int i = 1; i <= 16; ++i)
    if (Points[size_t(i)].Y > lowest.Y) lowest = Points[size_t(i)];
  return lowest;
}

double TFace::Roll() const {
  const TPointF l = EyeCentre(false), r = EyeCentre(true);
  return std::atan2(r.Y - l.Y, r.X - l.X);
}

}  // namespace gs

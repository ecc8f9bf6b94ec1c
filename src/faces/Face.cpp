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

TPointF TFace::EyeCentre(bool right) const { return MeanPoint(*this, EyeOf(right)); }

double TFace::EyeWidth(bool right) const {
  return right ? Distance(Points[kRightEyeInner], Points[kRightEyeOuter]) : Distance(Points[kLeftEyeOuter], Points[kLeftEyeInner]);
}

double TFace::NoseWidth() const { return Distance(Points[kLeftNostril], Points[kRightNostril]); }

TPointF TFace::MouthCentre() const { return MeanPoint(*this, kOuterLip); }

double TFace::MouthWidth() const { return Distance(Points[kMouthLeft], Points[kMouthRight]); }

TPointF TFace::Chin() const {
  TPointF lowest = Points[kJaw.First];
  for (int i = kJaw.First + 1; i <= kJaw.Last; ++i)
    if (Points[size_t(i)].Y > lowest.Y) lowest = Points[size_t(i)];
  return lowest;
}

double TFace::Roll() const {
  const TPointF l = EyeCentre(false), r = EyeCentre(true);
  return std::atan2(r.Y - l.Y, r.X - l.X);
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/warp/Spline.h"

#include <cmath>
#include <utility>

namespace gs {

namespace {

using TComplex = std::complex<double>;

double Kernel(double r2) { return r2 < 1e-20 ? 0 : 0.5 * r2 * std::log(r2); }

// Gaussian elimination with partial pivoting, two right-hand sides; a singular column (coinciding
// controls) contributes nothing rather than infinities.
void Solve(std::vector<double>& a, std::vector<double>& bx, std::vector<double>& by, size_t m) {
  for (size_t c = 0; c < m; ++c) {
    size_t pivot = c;
    for (size_t r = c + 1; r < m; ++r)
      if (std::abs(a[r * m + c]) > std::abs(a[pivot * m + c])) pivot = r;
    if (std::abs(a[pivot * m + c]) < 1e-15) continue;
    if (pivot != c) {
      for (size_t k = 0; k < m; ++k) std::swap(a[c * m + k], a[pivot * m + k]);
      std::swap(bx[c], bx[pivot]);
      std::swap(by[c], by[pivot]);
    }
    for (size_t r = c + 1; r < m; ++r) {
      const double f = a[r * m + c] / a[c * m + c];
      if (f == 0) continue;
      for (size_t k = c; k < m; ++k) a[r * m + k] -= f * a[c * m + k];
      bx[r] -= f * bx[c];
      by[r] -= f * by[c];
    }
  }
  for (size_t c = m; c-- > 0;) {
    const double d = a[c * m + c];
    if (std::abs(d) < 1e-15) {
      bx[c] = by[c] = 0;
      continue;
    }
    for (size_t k = c + 1; k < m; ++k) {
      bx[c] -= a[c * m + k] * bx[k];
      by[c] -= a[c * m + k] * by[k];
    }
    bx[c] /= d;
    by[c] /= d;
  }
}

}  // namespace

TBackwardSpline::TBackwardSpline(const std::vector<TPointF>& targets, const std::vector<TPointF>& sources,
                                 double unit, TWarpModel model)
    : Model_(model), Unit_(unit) {
  for (size_t i = 0; i < targets.size(); ++i) {
    Targets_.push_back(TComplex(targets[i].X, targets[i].Y) / unit);
    Sources_.push_back(TComplex(sources[i].X, sources[i].Y) / unit);
  }
  if (Model_ == TWarpModel::Tps) SolveTps(sources);
}

// A face has a few hundred controls at most: solved densely.
void TBackwardSpline::SolveTps(const std::vector<TPointF>& sources) {
  const size_t n = Targets_.size(), m = n + 3;
  std::vector<double> a(m * m, 0.0), bx(m, 0.0), by(m, 0.0);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) a[i * m + j] = Kernel(std::norm(Targets_[i] - Targets_[j]));
    a[i * m + i] += 1e-9;  // coinciding controls would make the system singular
    const double row[3] = {1, Targets_[i].real(), Targets_[i].imag()};
    for (size_t k = 0; k < 3; ++k) a[i * m + n + k] = a[(n + k) * m + i] = row[k];
    bx[i] = sources[i].X / Unit_ - Targets_[i].real();
    by[i] = sources[i].Y / Unit_ - Targets_[i].imag();
  }
  Solve(a, bx, by, m);
  WeightsX_ = std::move(bx);
  WeightsY_ = std::move(by);
}

TPointF TBackwardSpline::Source(TPointF v) const {
  const TComplex u = TComplex(v.X, v.Y) / Unit_;
  const TComplex s = (Model_ == TWarpModel::Tps ? TpsSource(u) : MlsSource(u)) * Unit_;
  return {s.real(), s.imag()};
}

TComplex TBackwardSpline::TpsSource(TComplex u) const {
  const size_t n = Targets_.size();
  if (n < 3) return u;
  double dx = WeightsX_[n] + WeightsX_[n + 1] * u.real() + WeightsX_[n + 2] * u.imag();
  double dy = WeightsY_[n] + WeightsY_[n + 1] * u.real() + WeightsY_[n + 2] * u.imag();
  for (size_t i = 0; i < n; ++i) {
    const double k = Kernel(std::norm(Targets_[i] - u));
    dx += WeightsX_[i] * k;
    dy += WeightsY_[i] * k;
  }
  return u + TComplex(dx, dy);
}

// Round each point the best similarity taking the weighted targets onto their sources, in
// complex numbers.
TComplex TBackwardSpline::MlsSource(TComplex v) const {
  const size_t n = Targets_.size();
  if (n == 0) return v;
  std::vector<double> weights(n);
  double total = 0;
  TComplex pStar, qStar;
  for (size_t i = 0; i < n; ++i) {
    const double d2 = std::norm(Targets_[i] - v);
    if (d2 < 1e-12) return Sources_[i];
    const double w = 1 / d2;
    weights[i] = w;
    total += w;
    pStar += w * Targets_[i];
    qStar += w * Sources_[i];
  }
  pStar /= total;
  qStar /= total;
  double mu = 0;
  TComplex c;
  for (size_t i = 0; i < n; ++i) {
    const TComplex p = Targets_[i] - pStar, q = Sources_[i] - qStar;
    mu += weights[i] * std::norm(p);
    c += weights[i] * std::conj(p) * q;
  }
  if (mu < 1e-12) return v - pStar + qStar;
  return qStar + c / mu * (v - pStar);
}

}  // namespace gs

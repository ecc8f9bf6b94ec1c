// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/shape/ShapeSpace.h"

#include "faces/shape/MeanFace3D.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace gs {

namespace {

// How far each landmark drops, as a share of the lower lip's drop, when the mouth opens: the lower
// lip and the chin go down with the jaw, the corners half as far, the upper lip stays.
double OpeningDrop(int k) {
  static constexpr std::array<double, 9> kJawDrop = {0, 0, 0, 0.05, 0.2, 0.4, 0.6, 0.8, 0.9};  // 0..8
  if (kJaw.Holds(k)) return kJawDrop[size_t(k <= kChinPoint ? k : kJaw.Last - k)];
  if (k == kMouthLeft || k == kMouthRight) return 0.4;
  if (k == 60 || k == 64) return 0.45;  // the inner lip's corners
  if (k == 55 || k == 59) return 0.8;
  if ((k >= 56 && k <= 58) || (k >= 65 && k <= 67)) return 1;
  return 0;
}

// Makes v orthogonal to every vector of `basis` and of unit length; false when nothing is left.
bool Orthonormalise(TShapeVector& v, const std::vector<TShapeVector>& basis) {
  for (int pass = 0; pass < 2; ++pass)
    for (const TShapeVector& b : basis) {
      const double d = Dot(v, b);
      for (int i = 0; i < kShapeValues; ++i) v[size_t(i)] -= d * b[size_t(i)];
    }
  const double length = std::sqrt(Dot(v, v));
  if (!(length > 1e-9)) return false;
  for (double& x : v) x /= length;
  return true;
}

// The eigenvalues (descending) and eigenvectors (columns of `vectors`) of the symmetric matrix a,
// by cyclic Jacobi rotations: slow for large matrices, exact and simple for 136 values.
void SymmetricEigen(std::vector<double>& a, int n, std::vector<double>& values, std::vector<double>& vectors) {
  vectors.assign(size_t(n) * size_t(n), 0);
  for (int i = 0; i < n; ++i) vectors[size_t(i * n + i)] = 1;
  auto at = [&](int r, int c) -> double& { return a[size_t(r * n + c)]; };
  double total = 0;
  for (double x : a) total += x * x;
  for (int sweep = 0; sweep < 60; ++sweep) {
    double off = 0;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) off += at(p, q) * at(p, q);
    if (!(off > 1e-14 * total)) break;
    for (int p = 0; p < n; ++p)
      for (int q = p + 1; q < n; ++q) {
        const double apq = at(p, q);
        if (std::abs(apq) < 1e-300) continue;
        const double theta = (at(q, q) - at(p, p)) / (2 * apq);
        const double t = (theta >= 0 ? 1 : -1) / (std::abs(theta) + std::sqrt(theta * theta + 1));
        const double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (int k = 0; k < n; ++k) {  // columns p and q
          const double kp = at(k, p), kq = at(k, q);
          at(k, p) = c * kp - s * kq;
          at(k, q) = s * kp + c * kq;
        }
        for (int k = 0; k < n; ++k) {  // rows p and q
          const double pk = at(p, k), qk = at(q, k);
          at(p, k) = c * pk - s * qk;
          at(q, k) = s * pk + c * qk;
        }
        for (int k = 0; k < n; ++k) {
          double& vp = vectors[size_t(k * n + p)];
          double& vq = vectors[size_t(k * n + q)];
          const double kp = vp, kq = vq;
          vp = c * kp - s * kq;
          vq = s * kp + c * kq;
        }
      }
  }
  values.resize(size_t(n));
  for (int i = 0; i < n; ++i) values[size_t(i)] = at(i, i);
}

}  // namespace

double Dot(const TShapeVector& a, const TShapeVector& b) {
  double sum = 0;
  for (int i = 0; i < kShapeValues; ++i) sum += a[size_t(i)] * b[size_t(i)];
  return sum;
}

std::vector<TShapeVector> HeldDirections(const TMeanFace& mean) {
  const TFace3D face = Face3DOf(mean);
  TPointF centre;
  for (const TPointF& p : mean) centre = TPointF{centre.X + p.X / mean.size(), centre.Y + p.Y / mean.size()};
  std::vector<TShapeVector> held;
  auto add = [&](auto move) {  // move(k) -> TPointF
    TShapeVector v{};
    for (int k = 0; k < TFace::kPointCount; ++k) {
      const TPointF m = move(k);
      v[size_t(2 * k)] = m.X;
      v[size_t(2 * k + 1)] = m.Y;
    }
    if (Orthonormalise(v, held)) held.push_back(v);
  };
  add([](int) { return TPointF{1, 0}; });
  add([](int) { return TPointF{0, 1}; });
  add([&](int k) { return TPointF{mean[size_t(k)].X - centre.X, mean[size_t(k)].Y - centre.Y}; });
  add([&](int k) { return TPointF{-(mean[size_t(k)].Y - centre.Y), mean[size_t(k)].X - centre.X}; });
  // A small turn and nod as they move the points: what the fit's drawn depths get wrong of them.
  add([&](int k) { return TPointF{face[size_t(k)].Z, 0}; });
  add([&](int k) { return TPointF{0, -face[size_t(k)].Z}; });
  add([](int k) { return TPointF{0, OpeningDrop(k)}; });
  return held;
}

TShapeSpace BuildShapeSpace(const TMeanFace& mean, const std::vector<float>& corrections, double share, int most) {
  TShapeSpace space;
  space.Held = HeldDirections(mean);
  const size_t count = corrections.size() / kShapeValues;
  if (count < 2) return space;
  // The covariance of the corrections with the held directions taken out.
  const int n = kShapeValues;
  std::vector<double> sum(size_t(n), 0), covariance(size_t(n) * size_t(n), 0);
  for (size_t s = 0; s < count; ++s) {
    TShapeVector v;
    for (int i = 0; i < n; ++i) v[size_t(i)] = corrections[s * size_t(n) + size_t(i)];
    for (const TShapeVector& h : space.Held) {
      const double d = Dot(v, h);
      for (int i = 0; i < n; ++i) v[size_t(i)] -= d * h[size_t(i)];
    }
    for (int i = 0; i < n; ++i) {
      sum[size_t(i)] += v[size_t(i)];
      double* row = &covariance[size_t(i * n)];
      const double vi = v[size_t(i)];
      for (int j = i; j < n; ++j) row[j] += vi * v[size_t(j)];
    }
  }
  for (int i = 0; i < n; ++i)
    for (int j = i; j < n; ++j) {
      const double c = (covariance[size_t(i * n + j)] - sum[size_t(i)] * sum[size_t(j)] / double(count)) / double(count - 1);
      covariance[size_t(i * n + j)] = covariance[size_t(j * n + i)] = c;
    }
  std::vector<double> values, vectors;
  SymmetricEigen(covariance, n, values, vectors);
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return values[size_t(a)] > values[size_t(b)]; });
  double total = 0;
  for (double v : values) total += std::max(0.0, v);
  double explained = 0;
  for (int c : order) {
    if (int(space.Components.size()) >= most || !(total > 0) || explained >= share * total) break;
    const double value = values[size_t(c)];
    if (!(value > 1e-12 * total)) break;
    TShapeVector v;
    for (int i = 0; i < n; ++i) v[size_t(i)] = vectors[size_t(i * n + c)];
    std::vector<TShapeVector> against = space.Held;
    against.insert(against.end(), space.Components.begin(), space.Components.end());
    if (!Orthonormalise(v, against)) continue;
    space.Components.push_back(v);
    space.Spreads.push_back(std::sqrt(value));
    explained += value;
  }
  return space;
}

}  // namespace gs

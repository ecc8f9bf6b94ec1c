// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/warp/WarpField.h"

#include "faces/Face.h"
#include "common/OnAllCores.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace gs {

namespace {

using TComplex = std::complex<double>;

TComplex C(TPointF p) { return {p.X, p.Y}; }
TPointF P(TComplex c) { return {c.real(), c.imag()}; }
TPointF Scaled(TPointF v, double k) { return {v.X * k, v.Y * k}; }

double SmoothStep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Moving least squares with similarity transforms, in complex numbers: round each point v the
// best similarity taking the weighted targets onto their sources. Interpolates every control.
class TMls {
public:
  TMls(const std::vector<TPointF>& targets, const std::vector<TPointF>& sources) {
    for (size_t i = 0; i < targets.size(); ++i) {
      Targets_.push_back(C(targets[i]));
      Sources_.push_back(C(sources[i]));
    }
  }

  TComplex Source(TComplex v) const {
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

private:
  std::vector<TComplex> Targets_, Sources_;
};

// A thin-plate spline through the displacements, solved densely: a face has a few hundred
// controls at most.
class TTps {
public:
  TTps(const std::vector<TPointF>& targets, const std::vector<TPointF>& sources, double unit)
      : Unit_(unit) {
    const size_t n = targets.size();
    for (const TPointF& t : targets) Targets_.push_back(C(t) / unit);
    const size_t m = n + 3;
    std::vector<double> a(m * m, 0.0), bx(m, 0.0), by(m, 0.0);
    for (size_t i = 0; i < n; ++i) {
      for (size_t j = 0; j < n; ++j) a[i * m + j] = Kernel(std::norm(Targets_[i] - Targets_[j]));
      a[i * m + i] += 1e-9;  // coinciding controls would make the system singular
      const double row[3] = {1, Targets_[i].real(), Targets_[i].imag()};
      for (size_t k = 0; k < 3; ++k) a[i * m + n + k] = a[(n + k) * m + i] = row[k];
      bx[i] = (sources[i].X - targets[i].X) / unit;
      by[i] = (sources[i].Y - targets[i].Y) / unit;
    }
    Solve(a, bx, by, m);
    WeightsX_ = bx;
    WeightsY_ = by;
  }

  TComplex Source(TComplex v) const {
    const size_t n = Targets_.size();
    if (n < 3) return v;
    const TComplex u = v / Unit_;
    double dx = WeightsX_[n] + WeightsX_[n + 1] * u.real() + WeightsX_[n + 2] * u.imag();
    double dy = WeightsY_[n] + WeightsY_[n + 1] * u.real() + WeightsY_[n + 2] * u.imag();
    for (size_t i = 0; i < n; ++i) {
      const double k = Kernel(std::norm(Targets_[i] - u));
      dx += WeightsX_[i] * k;
      dy += WeightsY_[i] * k;
    }
    return v + TComplex(dx, dy) * Unit_;
  }

private:
  static double Kernel(double r2) { return r2 < 1e-20 ? 0 : 0.5 * r2 * std::log(r2); }

  // Gaussian elimination with partial pivoting, two right-hand sides.
  static void Solve(std::vector<double>& a, std::vector<double>& bx, std::vector<double>& by, size_t m) {
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

  double Unit_;
  std::vector<TComplex> Targets_;
  std::vector<double> WeightsX_, WeightsY_;
};

// The disc's rim and the picture's border, held in place; the rim just inside where the field
// has faded to zero.
void AddAnchors(TWarpControls& controls, const TWarpDisc& disc, double rim, TSize picture) {
  constexpr int kRimPoints = 64;
  for (int k = 0; k < kRimPoints; ++k) {
    const double a = 2 * std::numbers::pi * k / kRimPoints;
    controls.Hold({disc.Centre.X + rim * std::cos(a), disc.Centre.Y + rim * std::sin(a)});
  }
  const double step = 2 * disc.Cell;
  const double w = picture.Width, h = picture.Height;
  auto edge = [&](TPointF from, TPointF to) {
    const double length = Distance(from, to);
    const int n = std::max(1, int(std::ceil(length / step)));
    for (int k = 0; k <= n; ++k) {
      const TPointF p{from.X + (to.X - from.X) * k / n, from.Y + (to.Y - from.Y) * k / n};
      if (Distance(p, disc.Centre) < disc.Radius + disc.Cell) controls.Hold(p);
    }
  };
  edge({0, 0}, {w, 0});
  edge({0, h}, {w, h});
  edge({0, 0}, {0, h});
  edge({w, 0}, {w, h});
}

// 0 on and near the border, so that the pixels of the outermost rows and columns, whose grid
// cells have both sides here, stay exactly in place; 1 a few cells in.
double BorderWeight(TPointF p, TSize picture, double cell) {
  const double d = std::min({p.X, picture.Width - p.X, p.Y, picture.Height - p.Y});
  return SmoothStep((d - 0.5 - cell) / (2 * cell));
}

// The Jacobian determinant of p -> p + s d(p) at the four corners of a bilinear cell, whose
// displacements are in cells.
double CellJacobian(TPointF d00, TPointF d10, TPointF d01, TPointF d11, double s) {
  auto det = [s](TPointF a, TPointF b) {  // a: along x, b: along y
    return (1 + s * a.X) * (1 + s * b.Y) - s * a.Y * s * b.X;
  };
  auto minus = [](TPointF a, TPointF b) { return TPointF{a.X - b.X, a.Y - b.Y}; };
  return std::min({det(minus(d10, d00), minus(d01, d00)), det(minus(d10, d00), minus(d11, d10)),
                   det(minus(d11, d01), minus(d01, d00)), det(minus(d11, d01), minus(d11, d10))});
}

}  // namespace

TPointF TWarpField::At(TPointF p) const {
  if (Nodes_.empty() || Distance(p, Disc_.Centre) >= Disc_.Radius) return {};
  const double gx = (p.X - Origin_.X) / Disc_.Cell, gy = (p.Y - Origin_.Y) / Disc_.Cell;
  const int i = std::clamp(int(std::floor(gx)), 0, Columns_ - 2);
  const int j = std::clamp(int(std::floor(gy)), 0, Rows_ - 2);
  const double fx = gx - i, fy = gy - j;
  const TPointF a = Node(i, j), b = Node(i + 1, j), c = Node(i, j + 1), d = Node(i + 1, j + 1);
  return {(a.X * (1 - fx) + b.X * fx) * (1 - fy) + (c.X * (1 - fx) + d.X * fx) * fy,
          (a.Y * (1 - fx) + b.Y * fx) * (1 - fy) + (c.Y * (1 - fx) + d.Y * fx) * fy};
}

void TWarpField::Settle(TSize picture) {
  // Moves too small to see are dropped, faded in over twice their size so that the field stays
  // continuous: the picture and its history then change only where something shows.
  constexpr double kUnseen = 1.0 / 32;
  for (TPointF& node : Nodes_) {
    const double length = std::hypot(node.X, node.Y);
    node = Scaled(node, SmoothStep(length / kUnseen - 1));
  }
  // The columns of each row of nodes that move, and the pixels they reach.
  Spans_.assign(size_t(Rows_), {Columns_, -1});
  TFloatRect reach{1e300, 1e300, -1e300, -1e300};
  for (int j = 0; j < Rows_; ++j)
    for (int i = 0; i < Columns_; ++i)
      if (Node(i, j) != TPointF{}) {
        auto& [first, last] = Spans_[size_t(j)];
        first = std::min(first, i), last = std::max(last, i);
        const double x = Origin_.X + i * Disc_.Cell, y = Origin_.Y + j * Disc_.Cell;
        reach = TFloatRect{std::min(reach.Left, x), std::min(reach.Top, y), std::max(reach.Right, x), std::max(reach.Bottom, y)};
      }
  if (reach.Left > reach.Right) {
    Bounds_ = TRect{};
    return;
  }
  const double c = Disc_.Cell;
  Bounds_ = Intersect(CoveringRect(TFloatRect{reach.Left - c, reach.Top - c, reach.Right + c, reach.Bottom + c}),
                      TRect{0, 0, picture.Width, picture.Height});
}

bool TWarpField::RowSpan(int y, int& x0, int& x1) const {
  if (Bounds_.IsEmpty() || y < Bounds_.Top || y >= Bounds_.Bottom) return false;
  const double gy = (y + 0.5 - Origin_.Y) / Disc_.Cell;
  const int j = std::clamp(int(std::floor(gy)), 0, Rows_ - 2);
  const int first = std::min(Spans_[size_t(j)].first, Spans_[size_t(j) + 1].first);
  const int last = std::max(Spans_[size_t(j)].second, Spans_[size_t(j) + 1].second);
  if (first > last) return false;
  // Pixels whose cells have a moving node: up to a cell either side of the nodes.
  x0 = std::max(Bounds_.Left, int(std::floor(Origin_.X + (first - 1) * Disc_.Cell - 0.5)));
  x1 = std::min(Bounds_.Right - 1, int(std::ceil(Origin_.X + (last + 1) * Disc_.Cell - 0.5)));
  return x0 <= x1;
}

void TWarpField::RowAt(int y, int x0, int x1, TFixedVector* out) const {
  if (Nodes_.empty()) {
    std::fill(out, out + (x1 - x0 + 1), TFixedVector{});
    return;
  }
  const double gy = (y + 0.5 - Origin_.Y) / Disc_.Cell;
  const int j = std::clamp(int(std::floor(gy)), 0, Rows_ - 2);
  const double fy = std::clamp(gy - j, 0.0, 1.0);
  std::vector<TPointF> row(static_cast<size_t>(Columns_));
  for (int i = 0; i < Columns_; ++i) {
    const TPointF a = Node(i, j), b = Node(i, j + 1);
    row[size_t(i)] = {a.X + (b.X - a.X) * fy, a.Y + (b.Y - a.Y) * fy};
  }
  // Along a cell the field is linear: each cell's pixels step by a constant in 32.32.
  constexpr double kWide = 4294967296.0;
  const double step = 1 / Disc_.Cell;
  const int last = Columns_ - 2;
  for (int x = x0; x <= x1;) {
    const double gx = (x + 0.5 - Origin_.X) * step;
    const int i = gx <= 0 ? 0 : std::min(int(gx), last);
    const int end = i == last ? x1 : std::clamp(int(std::ceil(Origin_.X + (i + 1) * Disc_.Cell - 0.5)) - 1, x, x1);
    const double fx = std::clamp(gx - i, 0.0, 1.0);
    const TPointF a = row[size_t(i)], b = row[size_t(i) + 1];
    int64_t vx = int64_t((a.X + (b.X - a.X) * fx) * kWide), vy = int64_t((a.Y + (b.Y - a.Y) * fx) * kWide);
    const int64_t dx = int64_t((b.X - a.X) * step * kWide), dy = int64_t((b.Y - a.Y) * step * kWide);
    for (; x <= end; ++x, vx += dx, vy += dy)
      out[x - x0] = TFixedVector{TFixed((vx + (int64_t(1) << 15)) >> 16), TFixed((vy + (int64_t(1) << 15)) >> 16)};
  }
}

double TWarpField::LeastJacobian() const {
  double least = 1;
  const double k = 1 / Disc_.Cell;
  auto cells = [&](int i, int j) { return TPointF{Node(i, j).X * k, Node(i, j).Y * k}; };
  for (int j = 0; j + 1 < Rows_; ++j)
    for (int i = 0; i + 1 < Columns_; ++i)
      least = std::min(least, CellJacobian(cells(i, j), cells(i + 1, j), cells(i, j + 1), cells(i + 1, j + 1), 1));
  return least;
}

TWarpField BuildWarpField(const TWarpControls& controls, const TWarpDisc& disc, TSize picture,
                          TWarpModel model) {
  TWarpField field;
  field.Disc_ = disc;
  const bool moves = std::any_of(controls.From.begin(), controls.From.end(), [&](const TPointF& p) {
    return p != controls.To[size_t(&p - controls.From.data())];
  });
  if (!moves || !(disc.Cell > 0) || !(disc.Radius > 2 * disc.Cell) || picture.Width <= 0 || picture.Height <= 0)
    return field;

  // The field fades to exactly zero a cell and a half inside the radius, so that every cell
  // holding a pixel beyond the radius has all four nodes at zero.
  const double zero = disc.Radius - 1.5 * disc.Cell;
  const double inner = std::min(disc.Inner, zero - disc.Cell);
  TWarpControls all = controls;
  AddAnchors(all, disc, zero, picture);
  // The controls beyond the disc cannot move anything and only pull on the fit.
  TWarpControls used;
  for (size_t k = 0; k < all.From.size(); ++k)
    if (Distance(all.To[k], disc.Centre) <= zero + 1e-9) used.Add(all.From[k], all.To[k]);

  const int half = int(std::ceil(disc.Radius / disc.Cell)) + 1;
  field.Columns_ = field.Rows_ = 2 * half + 1;
  field.Origin_ = {disc.Centre.X - half * disc.Cell, disc.Centre.Y - half * disc.Cell};
  field.Nodes_.assign(size_t(field.Columns_) * size_t(field.Rows_), TPointF{});
  const TMls mls(used.To, used.From);
  const TTps tps(model == TWarpModel::Tps ? used.To : std::vector<TPointF>{}, used.From, disc.Cell);
  auto rows = [&](int first, int last) {
    for (int j = first; j < last; ++j)
      for (int i = 0; i < field.Columns_; ++i) {
        const TPointF v{field.Origin_.X + i * disc.Cell, field.Origin_.Y + j * disc.Cell};
        const double r = Distance(v, disc.Centre);
        if (r >= zero) continue;
        const double w = SmoothStep((zero - r) / (zero - inner)) * BorderWeight(v, picture, disc.Cell);
        if (w <= 0) continue;
        const TComplex source = model == TWarpModel::Tps ? tps.Source(C(v)) : mls.Source(C(v));
        field.Nodes_[size_t(i) + size_t(j) * size_t(field.Columns_)] = P((source - C(v)) * w);
      }
  };
  // Every node is a sum over every control: the bulk of the work, shared out by rows.
  OnAllCores(size_t(field.Rows_), [&](size_t j) { rows(int(j), int(j) + 1); });

  // Scaled down as little as keeps every cell from folding.
  if (field.LeastJacobian() < kLeastJacobian) {
    std::vector<TPointF> full = field.Nodes_;
    auto scaledJacobian = [&](double s) {
      for (size_t k = 0; k < full.size(); ++k) field.Nodes_[k] = TPointF{full[k].X * s, full[k].Y * s};
      return field.LeastJacobian();
    };
    double ok = 0, bad = 1;
    for (int step = 0; step < 24; ++step) {
      const double s = (ok + bad) / 2;
      (scaledJacobian(s) >= kLeastJacobian ? ok : bad) = s;
    }
    scaledJacobian(ok);
    field.Limit_ = ok;
  }
  field.Settle(picture);
  return field;
}

TPointF CarryPoint(const TWarpField& field, TPointF p) {
  // Newton's method on q + At(q) = p; the field never folds, so the root is unique.
  TPointF q{p.X - field.At(p).X, p.Y - field.At(p).Y};
  const double h = 1e-3 * field.Disc().Cell;
  for (int step = 0; step < 40; ++step) {
    const TPointF d = field.At(q);
    const double rx = q.X + d.X - p.X, ry = q.Y + d.Y - p.Y;
    if (std::hypot(rx, ry) < 1e-6 * field.Disc().Cell) break;
    const TPointF ax = field.At({q.X + h, q.Y}), ay = field.At({q.X, q.Y + h});
    const double a = 1 + (ax.X - d.X) / h, b = (ay.X - d.X) / h;
    const double c = (ax.Y - d.Y) / h, e = 1 + (ay.Y - d.Y) / h;
    const double det = a * e - b * c;
    if (std::abs(det) < 1e-9) {
      q = {q.X - rx, q.Y - ry};
      continue;
    }
    q = {q.X - (e * rx - b * ry) / det, q.Y - (a * ry - c * rx) / det};
  }
  return q;
}

}  // namespace gs

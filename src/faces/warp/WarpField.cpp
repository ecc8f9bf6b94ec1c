// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/warp/WarpField.h"

#include "common/OnAllCores.h"
#include "faces/Face.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gs {

namespace {

TPointF Scaled(TPointF v, double k) { return {v.X * k, v.Y * k}; }

double SmoothStep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

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

// 0 over a kept box, so that another face stays exactly as it was, 1 a third of its size away.
// The spline holds the box's points already; this only takes away what it leaves between them.
double KeptWeight(TPointF p, const std::vector<TFloatRect>& kept) {
  double weight = 1;
  for (const TFloatRect& box : kept) {
    const double dx = std::max({box.Left - p.X, 0.0, p.X - box.Right});
    const double dy = std::max({box.Top - p.Y, 0.0, p.Y - box.Bottom});
    const double fade = std::max(1.0, std::max(box.Width(), box.Height()) / 3);
    weight *= SmoothStep(std::hypot(dx, dy) / fade);
  }
  return weight;
}

// The Jacobian determinant of p -> p + d(p) at the four corners of a bilinear cell, whose
// displacements are in cells.
double CornerJacobian(TPointF d00, TPointF d10, TPointF d01, TPointF d11) {
  auto det = [](TPointF a, TPointF b) {  // a: along x, b: along y
    return (1 + a.X) * (1 + b.Y) - a.Y * b.X;
  };
  auto minus = [](TPointF a, TPointF b) { return TPointF{a.X - b.X, a.Y - b.Y}; };
  return std::min({det(minus(d10, d00), minus(d01, d00)), det(minus(d10, d00), minus(d11, d10)),
                   det(minus(d11, d01), minus(d01, d00)), det(minus(d11, d01), minus(d11, d10))});
}

}  // namespace

bool TWarpControls::Moves() const {
  for (size_t k = 0; k < From.size(); ++k)
    if (From[k] != To[k]) return true;
  return false;
}

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

double TWarpField::CellJacobian(int i, int j) const {
  const double k = 1 / Disc_.Cell;
  auto cells = [&](int a, int b) { return Scaled(Node(a, b), k); };
  return CornerJacobian(cells(i, j), cells(i + 1, j), cells(i, j + 1), cells(i + 1, j + 1));
}

double TWarpField::LeastJacobian() const {
  double least = 1;
  for (int j = 0; j + 1 < Rows_; ++j)
    for (int i = 0; i + 1 < Columns_; ++i) least = std::min(least, CellJacobian(i, j));
  return least;
}

void TWarpField::LayOut(const TWarpDisc& disc) {
  Disc_ = disc;
  const int half = int(std::ceil(disc.Radius / disc.Cell)) + 1;
  Columns_ = Rows_ = 2 * half + 1;
  Origin_ = {disc.Centre.X - half * disc.Cell, disc.Centre.Y - half * disc.Cell};
  Nodes_.assign(size_t(Columns_) * size_t(Rows_), TPointF{});
}

TWarpField StepField(const TWarpStep& step, TSize picture, TWarpModel model) {
  TWarpField field;
  const TWarpDisc& disc = step.Disc;
  if (!step.Controls.Moves() || !(disc.Cell > 0) || !(disc.Radius > 2 * disc.Cell) || picture.Width <= 0 ||
      picture.Height <= 0)
    return field;
  field.LayOut(disc);

  // The field fades to exactly zero a cell and a half inside the radius, so that every cell
  // holding a pixel beyond the radius has all four nodes at zero.
  const double zero = disc.Radius - 1.5 * disc.Cell;
  const double inner = std::min(disc.Inner, zero - disc.Cell);
  TWarpControls all = step.Controls;
  AddAnchors(all, disc, zero, picture);
  // The controls beyond the disc cannot move anything and only pull on the fit.
  TWarpControls used;
  for (size_t k = 0; k < all.Size(); ++k)
    if (Distance(all.To[k], disc.Centre) <= zero + 1e-9) used.Add(all.From[k], all.To[k]);

  const TBackwardSpline spline(used.To, used.From, disc.Cell, model);
  // Every node is a sum over every control: the bulk of the work, shared out by rows.
  OnAllCores(size_t(field.Rows_), [&](size_t row) {
    const int j = int(row);
    for (int i = 0; i < field.Columns_; ++i) {
      const TPointF v = field.NodeAt(i, j);
      const double r = Distance(v, disc.Centre);
      if (r >= zero) continue;
      const double w = SmoothStep((zero - r) / (zero - inner)) * BorderWeight(v, picture, disc.Cell) *
                       KeptWeight(v, step.Kept);
      if (w <= 0) continue;
      const TPointF source = spline.Source(v);
      field.Node(i, j) = Scaled(TPointF{source.X - v.X, source.Y - v.Y}, w);
    }
  });
  return field;
}

TWarpField ThenField(const TWarpField& before, const TWarpField& step) {
  if (before.Nodes_.empty()) return step;
  if (step.Nodes_.empty()) return before;
  TWarpField field;
  field.LayOut(before.Disc_);
  OnAllCores(size_t(field.Rows_), [&](size_t row) {
    const int j = int(row);
    for (int i = 0; i < field.Columns_; ++i) {
      const TPointF v = field.NodeAt(i, j);
      const TPointF d = step.At(v);
      const TPointF q{v.X + d.X, v.Y + d.Y};
      const TPointF e = before.At(q);
      field.Node(i, j) = TPointF{q.X + e.X - v.X, q.Y + e.Y - v.Y};
    }
  });
  return field;
}

TWarpField ComposeFields(const std::vector<TWarpField>& steps, TSize picture) {
  TWarpField field;
  for (const TWarpField& step : steps) field = ThenField(field, step);
  field.Settle(picture);
  return field;
}

TPointF CarryPoint(const TWarpField& field, TPointF p) {
  // Newton's method on q + At(q) = p, each step cut back until it brings q nearer: the field
  // never folds, so the root is unique, but round a strong twist a full step can overshoot it.
  auto residual = [&](TPointF q) {
    const TPointF d = field.At(q);
    return TPointF{q.X + d.X - p.X, q.Y + d.Y - p.Y};
  };
  TPointF q{p.X - field.At(p).X, p.Y - field.At(p).Y};
  TPointF r = residual(q);
  const double h = 1e-3 * field.Disc().Cell, enough = 1e-6 * field.Disc().Cell;
  for (int step = 0; step < 60 && std::hypot(r.X, r.Y) >= enough; ++step) {
    const TPointF d = field.At(q);
    const TPointF ax = field.At({q.X + h, q.Y}), ay = field.At({q.X, q.Y + h});
    const double a = 1 + (ax.X - d.X) / h, b = (ay.X - d.X) / h;
    const double c = (ax.Y - d.Y) / h, e = 1 + (ay.Y - d.Y) / h;
    const double det = a * e - b * c;
    const TPointF move = std::abs(det) < 1e-9 ? TPointF{-r.X, -r.Y}
                                              : TPointF{-(e * r.X - b * r.Y) / det, -(a * r.Y - c * r.X) / det};
    double k = 1;
    for (int cut = 0; cut < 12; ++cut, k /= 2) {
      const TPointF next{q.X + k * move.X, q.Y + k * move.Y};
      const TPointF rn = residual(next);
      if (std::hypot(rn.X, rn.Y) < std::hypot(r.X, r.Y) || cut == 11) {
        q = next;
        r = rn;
        break;
      }
    }
  }
  return q;
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The smooth face warp: control points (where points of a face are and where they should go)
// become one displacement field over a disc around the face, which is composed into the
// picture's mesh in one go.
//
// The mesh samples backwards (a view pixel shows the picture at pixel + displacement), so the
// field is interpolated from the targets to the sources and never has to be inverted. It is
// solved on a coarse grid tied to the face's size, so a shrunk preview gets the same field
// shrunk, and read bilinearly in between. It is exactly zero beyond the disc and at the
// picture's border, and it never folds: where it would, the whole field is scaled down.
// All positions are in continuous picture coordinates: pixel (x, y) covers [x, x + 1).

#include "common/Bitmap32.h"
#include "common/Geometry.h"
#include "common/RemapTransformation.h"
#include "common/VectorMap.h"

#include <functional>
#include <utility>
#include <vector>

namespace gs {

// How the scattered moves are interpolated onto the grid. The thin-plate spline is the one
// used: it bends least, so the same moves come out with more than twice the least Jacobian of
// moving least squares and need holding back far less often, for about the same time.
enum class TWarpModel {
  Mls,  // moving least squares, similarity (Schaefer et al. 2006)
  Tps,  // thin-plate spline
};

struct TWarpControls {
  std::vector<TPointF> From;  // where the points are now
  std::vector<TPointF> To;    // where they should go; From[i] == To[i] holds a point in place

  void Add(TPointF from, TPointF to) {
    From.push_back(from);
    To.push_back(to);
  }
  void Hold(TPointF p) { Add(p, p); }
};

// Where the field may act: the full move inside Inner, fading to nothing at Radius, and
// exactly zero from Radius on. Cell is the grid's spacing.
struct TWarpDisc {
  TPointF Centre;
  double Inner = 0;
  double Radius = 0;
  double Cell = 1;
};

class TWarpField {
public:
  TWarpField() = default;

  // The displacement at a point: the picture at p + At(p) is what p shows after the warp.
  TPointF At(TPointF p) const;
  // At() for the pixel centres (x + 0.5, y + 0.5) of x = x0..x1 of row y, in 16.16 as the mesh
  // holds it, and much quicker.
  void RowAt(int y, int x0, int x1, TFixedVector* out) const;
  // The pixels the field may change, clipped to the picture; empty for no change.
  TRect Bounds() const { return Bounds_; }
  bool Empty() const { return Bounds_.IsEmpty(); }
  // 1, or how far the moves were scaled down so that the warp does not fold.
  double Limit() const { return Limit_; }
  const TWarpDisc& Disc() const { return Disc_; }
  // The least Jacobian determinant of p -> p + At(p) over the grid's cells.
  double LeastJacobian() const;
  // The columns x0..x1 of pixel row y where the field may move something; false for none.
  bool RowSpan(int y, int& x0, int& x1) const;

private:
  friend TWarpField BuildWarpField(const TWarpControls&, const TWarpDisc&, TSize, TWarpModel);
  TPointF Node(int i, int j) const { return Nodes_[size_t(i) + size_t(j) * size_t(Columns_)]; }
  void Settle(TSize picture);

  TWarpDisc Disc_;
  TPointF Origin_;  // node (0, 0)
  int Columns_ = 0, Rows_ = 0;
  std::vector<TPointF> Nodes_;
  std::vector<std::pair<int, int>> Spans_;  // per row of nodes, the first and last that move
  TRect Bounds_;
  double Limit_ = 1;
};

// The least Jacobian determinant the field may have: below it a face would look squashed flat.
inline constexpr double kLeastJacobian = 0.15;

// The field that takes every control point From to To (within the disc), holds the disc's rim
// and the picture's border in place, and is limited so that it does not fold.
TWarpField BuildWarpField(const TWarpControls& controls, const TWarpDisc& disc, TSize picture,
                          TWarpModel model = TWarpModel::Tps);

// Where a point of the picture shows after the warp: q with q + At(q) = p.
TPointF CarryPoint(const TWarpField& field, TPointF p);

}  // namespace gs

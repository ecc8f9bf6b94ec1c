// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The face warp's displacement field: control points (where points of a face are and where they
// should go) become a field over a disc around the face, which is composed into the picture's
// mesh in one go.
//
// The mesh samples backwards (a view pixel shows the picture at pixel + displacement), so the
// field is interpolated from the targets to the sources and never has to be inverted. It lives
// on a coarse grid tied to the face's size, so a shrunk preview gets the same field shrunk, and
// is read bilinearly in between. It is exactly zero beyond the disc and at the picture's border.
// A long way is travelled in steps (WarpSteps.h): each step's field is one spline, the field the
// picture gets is the steps composed.
// All positions are in continuous picture coordinates: pixel (x, y) covers [x, x + 1).

#include "common/Geometry.h"
#include "common/VectorMap.h"
#include "faces/warp/Spline.h"

#include <utility>
#include <vector>

namespace gs {

struct TWarpControls {
  std::vector<TPointF> From;  // where the points are now
  std::vector<TPointF> To;    // where they should go; From[i] == To[i] holds a point in place

  void Add(TPointF from, TPointF to) {
    From.push_back(from);
    To.push_back(to);
  }
  void Hold(TPointF p) { Add(p, p); }
  size_t Size() const { return From.size(); }
  bool Moves() const;
};

// Where the field may act: the full move inside Inner, fading to nothing at Radius, and
// exactly zero from Radius on. Cell is the grid's spacing.
struct TWarpDisc {
  TPointF Centre;
  double Inner = 0;
  double Radius = 0;
  double Cell = 1;
};

// One step of a warp, as data: the controls' moves, the disc, and boxes (other faces) that must
// stay as they are. The picture's border and the disc's rim are held by every step.
struct TWarpStep {
  TWarpControls Controls;
  TWarpDisc Disc;
  std::vector<TFloatRect> Kept;
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
  // The share of the requested moves the field delivers: 1, or less where moves that could not
  // be made without folding the picture were held back.
  double Limit() const { return Limit_; }
  void SetLimit(double limit) { Limit_ = limit; }
  const TWarpDisc& Disc() const { return Disc_; }
  // The least Jacobian determinant of p -> p + At(p) over the grid's cells: exact for the
  // bilinear field, whose determinant is bilinear in each cell.
  double LeastJacobian() const;
  // The columns x0..x1 of pixel row y where the field may move something; false for none.
  bool RowSpan(int y, int& x0, int& x1) const;

  // One step's field: the spline through the step's controls with the disc's rim and the
  // picture's border held, faded to zero at the rim, at the border and over the kept boxes.
  friend TWarpField StepField(const TWarpStep& step, TSize picture, TWarpModel model);
  // `before` and then `step` (both on the same disc): a point shows what `before` shows where
  // `step` points it. Not yet settled.
  friend TWarpField ThenField(const TWarpField& before, const TWarpField& step);
  // The steps' fields one after the other, settled for the picture.
  friend TWarpField ThenField(const TWarpField& before, const TWarpField& step);
TWarpField ComposeFields(const std::vector<TWarpField>& steps, TSize picture);
  // Drops moves too small to see and works out what the field reaches: the last thing done to
  // a field before it is applied.
  void Settle(TSize picture);

private:
  TPointF Node(int i, int j) const { return Nodes_[size_t(i) + size_t(j) * size_t(Columns_)]; }
  TPointF& Node(int i, int j) { return Nodes_[size_t(i) + size_t(j) * size_t(Columns_)]; }
  TPointF NodeAt(int i, int j) const { return {Origin_.X + i * Disc_.Cell, Origin_.Y + j * Disc_.Cell}; }
  void LayOut(const TWarpDisc& disc);
  double CellJacobian(int i, int j) const;

  TWarpDisc Disc_;
  TPointF Origin_;  // node (0, 0)
  int Columns_ = 0, Rows_ = 0;
  std::vector<TPointF> Nodes_;
  std::vector<std::pair<int, int>> Spans_;  // per row of nodes, the first and last that move
  TRect Bounds_;
  double Limit_ = 1;
};

TWarpField StepField(const TWarpStep& step, TSize picture, TWarpModel model = TWarpModel::Tps);
TWarpField ThenField(const TWarpField& before, const TWarpField& step);
TWarpField ComposeFields(const std::vector<TWarpField>& steps, TSize picture);

// Where a point of the picture shows after the warp: q with q + At(q) = p.
TPointF CarryPoint(const TWarpField& field, TPointF p);

}  // namespace gs

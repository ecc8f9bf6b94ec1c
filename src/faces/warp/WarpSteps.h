// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The way from where the points are to where they should go, in steps that each keep the
// picture unfolded. One spline through a large move folds the picture where the move is steep;
// the same move made in parts, each part's spline solved from where the last one left the
// points, does not, and a composition of maps that do not fold cannot fold. So the whole move
// arrives, and nothing is scaled down afterwards. Only moves that no path can make (two points
// asked to cross) are held back, and only those points' moves.

#include "common/Geometry.h"
#include "faces/warp/WarpField.h"

#include <vector>

namespace gs {

// The least Jacobian determinant a step may have. Each step squeezes no cell below it; the
// steps together may squeeze further, as far as the move asks, but never through zero.
inline constexpr double kStepJacobian = 0.35;
// The least the composed field may have: resampled on its grid it must still not fold.
inline constexpr double kComposedJacobian = 0.05;

struct TWarpPlan {
  std::vector<TWarpStep> Steps;
  std::vector<TWarpField> Fields;  // each step's field
  TWarpField Composed;             // the fields one after the other, not yet settled
  // Per control of the request, how much of its way the steps take it: 1, or less where it
  // was held back.
  std::vector<double> Reached;
};

// Plans the steps from request.Controls' From to their To within the request's disc, keeping
// its kept boxes.
TWarpPlan PlanWarpSteps(const TWarpStep& request, TSize picture, TWarpModel model = TWarpModel::Tps);

// The share of the moves that a field delivers: each control's move measured where the field
// carries its point, along the move asked for, weighted by the move's length. Controls outside
// the picture are left out: nobody sees where they go.
double DeliveredShare(const TWarpField& field, const TWarpControls& controls, TSize picture);

// Delivered shares this near to 1 are the grid's rounding, not moves held back.
inline constexpr double kWholeShare = 0.985;

// The field taking every control point From to To (within the disc), with the disc's rim, the
// picture's border and the kept boxes held, planned in fold-free steps and composed. Its Limit()
// is the share of the moves delivered.
TWarpField BuildWarpField(const TWarpStep& request, TSize picture, TWarpModel model = TWarpModel::Tps);
TWarpField BuildWarpField(const TWarpControls& controls, const TWarpDisc& disc, TSize picture,
                          TWarpModel model = TWarpModel::Tps);

}  // namespace gs

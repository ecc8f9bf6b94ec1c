// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/warp/WarpSteps.h"

#include "faces/Face.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gs {

namespace {

// A step is never shorter than this share of the way: a move that folds even so asks for
// the impossible.
constexpr double kShortestStep = 1.0 / 32;
// Planning evaluates at most this many fields: a bound on the time, which only moves far beyond
// any preset's reach come near.
constexpr int kMostFields = 32;
// A fold's culprits: the points whose strain is at least this share of the worst.
constexpr double kCulpritStrain = 0.5;
// What a step that squashes the composition flat counts as: a clear fold, so the next try is
// a good deal shorter.
constexpr double kComposedFailure = -1;
// How far short of its target, in cells, a point may land for the grid's rounding alone.
constexpr double kGridSlack = 0.25;

TPointF Along(TPointF from, TPointF to, double s) {
  return {from.X + (to.X - from.X) * s, from.Y + (to.Y - from.Y) * s};
}

// How much longer or shorter the next step may be than one whose least Jacobian was `least`:
// near a fold the determinant falls about in proportion to the step's length.
double StepFactor(double least) {
  if (least >= 1) return 2;
  return 0.9 * (1 - kStepJacobian) / (1 - least);
}

// The controls to hold back where a step folds however short it is. Such a fold comes of points
// asked to go through each other (or through a point held still): the pairs whose gap the step
// changes most for its width. Those pairs' moving points are held; nothing else is.
std::vector<size_t> Culprits(const TWarpControls& step) {
  const size_t n = step.Size();
  std::vector<double> strain(n, 0.0);
  double worst = 0;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j) {
      const TPointF moveI{step.To[i].X - step.From[i].X, step.To[i].Y - step.From[i].Y};
      const TPointF moveJ{step.To[j].X - step.From[j].X, step.To[j].Y - step.From[j].Y};
      const double gap = std::max(Distance(step.From[i], step.From[j]), 1e-6);
      const double k = std::hypot(moveI.X - moveJ.X, moveI.Y - moveJ.Y) / gap;
      strain[i] = std::max(strain[i], k);
      strain[j] = std::max(strain[j], k);
      worst = std::max(worst, k);
    }
  std::vector<size_t> culprits;
  for (size_t k = 0; k < n; ++k)
    if (step.From[k] != step.To[k] && strain[k] >= kCulpritStrain * worst) culprits.push_back(k);
  return culprits;
}

}  // namespace

TWarpPlan PlanWarpSteps(const TWarpStep& request, TSize picture, TWarpModel model) {
  const TWarpControls& want = request.Controls;
  const size_t n = want.Size();
  TWarpPlan plan;
  plan.Reached.assign(n, 1.0);
  std::vector<bool> held(n, false);
  std::vector<TPointF> now = want.From;
  double s = 0, length = 1;
  for (int evaluated = 0; s < 1 && evaluated < kMostFields; ++evaluated) {
    const double next = std::min(1.0, s + length);
    TWarpStep step{{}, request.Disc, request.Kept};
    for (size_t k = 0; k < n; ++k) step.Controls.Add(now[k], held[k] ? now[k] : Along(want.From[k], want.To[k], next));
    if (!step.Controls.Moves()) {
      s = 1;
      break;
    }
    TWarpField field = StepField(step, picture, model);
    double least = field.LeastJacobian();
    TWarpField composed;
    if (least >= kStepJacobian) {
      // The steps so far and this one must not squash a cell flat between them either; if they
      // would, the step is too long as surely as if it folded by itself.
      composed = ThenField(plan.Composed, field);
      if (composed.LeastJacobian() < kComposedJacobian) least = kComposedFailure;
    }
    if (least >= kStepJacobian) {
      now = step.Controls.To;
      s = next;
      plan.Steps.push_back(std::move(step));
      plan.Fields.push_back(std::move(field));
      plan.Composed = std::move(composed);
      length = std::min(1.0, length * std::clamp(StepFactor(least), 1.0, 2.0));
    } else if (length > kShortestStep) {
      length = std::max(kShortestStep, length * std::clamp(StepFactor(least), 0.1, 0.5));
    } else {
      // No step is short enough: these points are asked to go where others are.
      for (size_t k : Culprits(step.Controls)) {
        held[k] = true;
        plan.Reached[k] = s;
      }
    }
  }
  // Out of time for the rest of the way: what is left is held back too.
  for (size_t k = 0; k < n; ++k)
    if (!held[k]) plan.Reached[k] = s;
  return plan;
}

double DeliveredShare(const TWarpField& field, const TWarpControls& controls, TSize picture) {
  // The grid reads a curved field bilinearly: a point may land this far short without anything
  // having been held back.
  const double slack = kGridSlack * field.Disc().Cell;
  double asked = 0, missed = 0;
  for (size_t k = 0; k < controls.Size(); ++k) {
    const TPointF from = controls.From[k], to = controls.To[k];
    const TPointF move{to.X - from.X, to.Y - from.Y};
    const double length = std::hypot(move.X, move.Y);
    if (length < 1e-9 || from.X < 0 || from.Y < 0 || from.X > picture.Width || from.Y > picture.Height) continue;
    const TPointF at = field.Empty() ? from : CarryPoint(field, from);
    const double along = ((at.X - from.X) * move.X + (at.Y - from.Y) * move.Y) / length;
    asked += length;
    missed += std::max(0.0, length - std::max(along, 0.0) - slack);
  }
  return asked > 0 ? 1 - std::min(missed, asked) / asked : 1;
}

TWarpField BuildWarpField(const TWarpStep& request, TSize picture, TWarpModel model) {
  const TWarpPlan plan = PlanWarpSteps(request, picture, model);
  TWarpField field = plan.Composed;
  field.Settle(picture);
  const double share = DeliveredShare(field, request.Controls, picture);
  field.SetLimit(share >= kWholeShare ? 1 : share);
  return field;
}

TWarpField BuildWarpField(const TWarpControls& controls, const TWarpDisc& disc, TSize picture, TWarpModel model) {
  return BuildWarpField(TWarpStep{controls, disc, {}}, picture, model);
}

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/Face.h"
#include "faces/warp/WarpField.h"
#include "faces/warp/WarpSteps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace gs;

namespace {

constexpr TSize kPicture{400, 400};
const TWarpDisc kDisc{{200, 200}, 110, 170, 4};

// The Jacobian determinant of p -> p + At(p) by central differences, away from the code that
// checks it on the grid.
double NumericJacobian(const TWarpField& field, TPointF p, double h) {
  const TPointF xp = field.At({p.X + h, p.Y}), xm = field.At({p.X - h, p.Y});
  const TPointF yp = field.At({p.X, p.Y + h}), ym = field.At({p.X, p.Y - h});
  const double a = 1 + (xp.X - xm.X) / (2 * h), b = (yp.X - ym.X) / (2 * h);
  const double c = (xp.Y - xm.Y) / (2 * h), d = 1 + (yp.Y - ym.Y) / (2 * h);
  return a * d - b * c;
}

// A smooth one-to-one map of the plane, far from small: turned, scaled unevenly and swollen
// round a random spot. Points moved by it never cross.
struct TSmoothMap {
  double Turn, ScaleX, ScaleY, Swell, SwellRadius;
  TPointF SwellAt;
  TPointF operator()(TPointF p) const {
    const double x = p.X - 200, y = p.Y - 200;
    const double c = std::cos(Turn), s = std::sin(Turn);
    TPointF q{200 + ScaleX * (c * x - s * y), 200 + ScaleY * (s * x + c * y)};
    // A radial swell r -> r (1 + k e^(-r^2/R^2)), one-to-one for k > -0.5.
    const double dx = q.X - SwellAt.X, dy = q.Y - SwellAt.Y;
    const double k = 1 + Swell * std::exp(-(dx * dx + dy * dy) / (SwellRadius * SwellRadius));
    return {SwellAt.X + dx * k, SwellAt.Y + dy * k};
  }
};

// The points and their images, those whose image leaves the disc's full-strength part left out.
TWarpControls ControlsOf(const std::vector<TPointF>& points, const TSmoothMap& map) {
  TWarpControls controls;
  for (const TPointF& p : points)
    if (Distance(map(p), kDisc.Centre) < kDisc.Inner - 10) controls.Add(p, map(p));
  return controls;
}

// Every pixel-scale Jacobian over the disc positive, the grid's too, and every control where it
// was asked to go.
void ExpectUnfoldedAndDelivered(const TWarpField& field, const TWarpControls& controls, std::mt19937& random) {
  EXPECT_GT(field.LeastJacobian(), 0);
  std::uniform_real_distribution<double> spot(-160, 160);
  for (int k = 0; k < 300; ++k) {
    const TPointF p{200 + spot(random), 200 + spot(random)};
    ASSERT_GT(NumericJacobian(field, p, 0.05), 0) << p.X << ", " << p.Y;
  }
  for (size_t k = 0; k < controls.Size(); ++k) {
    const TPointF at = CarryPoint(field, controls.From[k]);
    EXPECT_NEAR(at.X, controls.To[k].X, 0.6) << k;
    EXPECT_NEAR(at.Y, controls.To[k].Y, 0.6) << k;
  }
}

std::vector<TPointF> RandomPoints(std::mt19937& random, int count, double half) {
  std::uniform_real_distribution<double> spot(-half, half);
  std::vector<TPointF> points;
  while (int(points.size()) < count) {
    const TPointF p{200 + spot(random), 200 + spot(random)};
    bool apart = true;
    for (const TPointF& q : points) apart = apart && Distance(p, q) > 12;
    if (apart) points.push_back(p);
  }
  return points;
}

}  // namespace

// Small moves need one step, and the steps' field is then the one spline through them.
TEST(WarpSteps, SmallMovesAreTheDirectSolve) {
  TWarpControls controls;
  controls.Add({180, 190}, {183, 188});
  controls.Add({220, 200}, {218, 204});
  controls.Add({200, 230}, {200, 233});
  const TWarpPlan plan = PlanWarpSteps(TWarpStep{controls, kDisc, {}}, kPicture);
  ASSERT_EQ(plan.Fields.size(), 1u);
  const TWarpField direct = StepField(TWarpStep{controls, kDisc, {}}, kPicture);
  const TWarpField built = BuildWarpField(controls, kDisc, kPicture);
  EXPECT_EQ(built.Limit(), 1);
  for (const TPointF p : {TPointF{180, 190}, TPointF{150, 240}, TPointF{230, 170}, TPointF{260, 260}}) {
    EXPECT_NEAR(built.At(p).X, direct.At(p).X, 1.0 / 32) << p.X << ", " << p.Y;
    EXPECT_NEAR(built.At(p).Y, direct.At(p).Y, 1.0 / 32) << p.X << ", " << p.Y;
  }
}

// Large moves that a smooth one-to-one map makes arrive whole and never fold the picture,
// although one spline through them would.
TEST(WarpSteps, LargeConsistentMovesArriveWholeWithoutFolding) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> turn(-0.8, 0.8), scale(0.6, 1.6), swell(-0.45, 1.6), at(-40, 40);
  int directFolds = 0, steep = 0;
  for (int round = 0; round < 100; ++round) {
    SCOPED_TRACE(round);
    const TSmoothMap map{turn(random), scale(random), scale(random), swell(random), 25 + at(random) / 4,
                         {200 + at(random), 200 + at(random)}};
    const TWarpControls controls = ControlsOf(RandomPoints(random, 10, 55), map);
    const double direct = StepField(TWarpStep{controls, kDisc, {}}, kPicture).LeastJacobian();
    directFolds += direct < 0;
    steep += direct < kStepJacobian;
    const TWarpField field = BuildWarpField(controls, kDisc, kPicture);
    EXPECT_EQ(field.Limit(), 1);
    ExpectUnfoldedAndDelivered(field, controls, random);
  }
  EXPECT_GT(steep, 20) << directFolds;  // the moves were large enough to need steps
}

// Two points asked to trade places cannot both arrive; they are held back, and every other point
// still goes the whole way.
TEST(WarpSteps, OnlyCrossingPointsAreHeld) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> shift(-15, 15);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE(round);
    // A consistent drift of points far from the pair, and the pair swapping across the middle.
    const TPointF drift{shift(random), shift(random)};
    TWarpControls controls;
    for (const TPointF p : {TPointF{130, 130}, TPointF{270, 130}, TPointF{130, 270}, TPointF{270, 270}, TPointF{200, 110}})
      controls.Add(p, {p.X + drift.X, p.Y + drift.Y});
    // Straight towards each other and on through: half way they would be one point.
    const TPointF a{200 + shift(random), 200 - 12 + shift(random) / 3}, b{a.X, a.Y + 24};
    controls.Add(a, {b.X, b.Y + 10});
    controls.Add(b, {a.X, a.Y - 10});
    const TWarpPlan plan = PlanWarpSteps(TWarpStep{controls, kDisc, {}}, kPicture);
    for (size_t k = 0; k < 5; ++k) EXPECT_EQ(plan.Reached[k], 1) << k;
    EXPECT_LT(std::min(plan.Reached[5], plan.Reached[6]), 1);
    const TWarpField field = BuildWarpField(controls, kDisc, kPicture);
    EXPECT_LT(field.Limit(), 1);
    EXPECT_GT(field.LeastJacobian(), 0);
    for (size_t k = 0; k < 5; ++k) {
      const TPointF carried = CarryPoint(field, controls.From[k]);
      EXPECT_NEAR(carried.X, controls.To[k].X, 1.0) << k;
      EXPECT_NEAR(carried.Y, controls.To[k].Y, 1.0) << k;
    }
  }
}

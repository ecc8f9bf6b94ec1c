// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/shape/Exaggerate.h"

#include "faces/shape/ShapeFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace gs {

namespace {

// Each feature's landmarks move together and at most so far, as a share of the feature's own
// size: an eye may grow by a third of its width but not over the brow. The two eyes are one
// feature, and so are the brows, so that they keep their level.
struct TFeature {
  TLandmarks Parts[2];
  int SizeFrom, SizeTo;  // the two landmarks whose distance is the feature's size
  double Reach;
  bool Holds(int k) const { return Parts[0].Holds(k) || Parts[1].Holds(k); }
};
constexpr TFeature kFeatures[] = {
    {{kJaw, kJaw}, kJawLeftEnd, kJawRightEnd, 0.14},
    {{kLeftBrow, kRightBrow}, kLeftBrow.First, kLeftBrow.Last, 0.35},
    {{kNose, kNose}, kNoseTop, kNoseBottom, 0.3},
    {{kLeftEye, kRightEye}, kLeftEyeOuter, kLeftEyeInner, 0.35},
    {{kMouth, kMouth}, kMouthLeft, kMouthRight, 0.3},
};
constexpr int kFeatureCount = int(std::size(kFeatures));
using TAmounts = std::array<double, kFeatureCount>;

int FeatureOf(int k) {
  for (int f = 0; f < kFeatureCount; ++f)
    if (kFeatures[f].Holds(k)) return f;
  return 0;
}

// Pairs that keep their order along one axis of the frontal face: a point crossing its partner
// would fold the picture. The first of a pair lies above (or left of) the second.
struct TOrdered {
  int Before, After;
  bool Across;  // along x; otherwise along y
};
constexpr TOrdered kOrders[] = {
    {37, 41, false}, {38, 40, false}, {43, 47, false}, {44, 46, false},  // eyelids
    {19, 37, false}, {20, 38, false}, {23, 43, false}, {24, 44, false},  // brows over the eyes
    {kNoseBottom, kUpperLipTop, false}, {61, 67, false}, {kUpperLipBottom, kLowerLipTop, false},
    {63, 65, false}, {kLowerLipBottom, kChinPoint, false},
    {kLeftEyeOuter, kLeftEyeInner, true}, {kLeftEyeInner, kRightEyeInner, true},
    {kRightEyeInner, kRightEyeOuter, true}, {kLeftNostril, kRightNostril, true},
    {kMouthLeft, kMouthRight, true}, {kLeftBrowInner, kRightBrowInner, true}, {4, kMouthLeft, true},
    {kMouthRight, 12, true},
};
// Lips pressed together may meet but not pass each other by more than this, in the mean face's
// units (a detection box is 1 across).
constexpr double kTouching = 0.002;

TPointF PointOf(const TShapeVector& v, int k) { return TPointF{v[size_t(2 * k)], v[size_t(2 * k + 1)]}; }

void Shift(TShapeVector& v, TLandmarks part, TPointF by) {
  for (int k = part.First; k <= part.Last; ++k) {
    v[size_t(2 * k)] += by.X;
    v[size_t(2 * k + 1)] += by.Y;
  }
}

// Keeps what a viewer reads as the head's pose: the eye line's level, and where the nose tip
// sits between the jaw's two ends (how far the head seems turned), both as the picture shows
// them. A crooked nose or a tilted eye is held as it is, not grown.
void HoldPoseCues(const TFace& face, const TShapeFit& fit, TShapeVector& direction) {
  const TFaceFrame frame = FrameOf(face);
  const std::array<double, 6> r = fit.Pose.Rows();
  // How a move in the frontal frame shows across the face's eye line and down it.
  const TPointF across{frame.Across.X * r[0] + frame.Across.Y * r[3], frame.Across.X * r[1] + frame.Across.Y * r[4]};
  const TPointF down{frame.Down.X * r[0] + frame.Down.Y * r[3], frame.Down.X * r[1] + frame.Down.Y * r[4]};
  if (!(std::abs(across.X) > 1e-9 && std::abs(down.Y) > 1e-9)) return;
  auto mean = [&](TLandmarks part) {
    TPointF sum;
    for (int k = part.First; k <= part.Last; ++k) sum = Plus(sum, PointOf(direction, k));
    return Scaled(sum, 1.0 / part.Count());
  };
  const double tilt = Dot(Minus(mean(kLeftEye), mean(kRightEye)), down) / down.Y;
  Shift(direction, kLeftEye, TPointF{0, -tilt / 2});
  Shift(direction, kRightEye, TPointF{0, tilt / 2});
  Shift(direction, kNose, TPointF{-Dot(PointOf(direction, kNoseTip), across) / across.X, 0});
  const double left = Dot(Minus(face.NoseTip(), face.Points[kJawLeftEnd]), frame.Across);
  const double right = Dot(Minus(face.Points[kJawRightEnd], face.NoseTip()), frame.Across);
  if (left + right > 0) {
    const double seen = Dot(PointOf(direction, kJawLeftEnd), across) * right + Dot(PointOf(direction, kJawRightEnd), across) * left;
    Shift(direction, kJaw, TPointF{-seen / ((left + right) * across.X), 0});
  }
}

// The slow bends of an outline: for an open one (the jaw) the polynomials up to a cubic along
// it, for a closed one (a lip) the waves up to two around it, orthonormal over its points.
std::vector<std::vector<double>> SlowBends(int n, bool closed) {
  std::vector<std::vector<double>> bends;
  auto add = [&](auto f) {
    std::vector<double> b(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) b[size_t(i)] = f(i);
    for (const std::vector<double>& e : bends) {
      double along = 0;
      for (int i = 0; i < n; ++i) along += b[size_t(i)] * e[size_t(i)];
      for (int i = 0; i < n; ++i) b[size_t(i)] -= along * e[size_t(i)];
    }
    double length = 0;
    for (double v : b) length += v * v;
    if (!(length > 1e-12)) return;
    for (double& v : b) v /= std::sqrt(length);
    bends.push_back(std::move(b));
  };
  if (closed) {
    add([](int) { return 1.0; });
    for (int wave = 1; wave <= 2; ++wave) {
      add([&](int i) { return std::cos(2 * std::numbers::pi * wave * i / n); });
      add([&](int i) { return std::sin(2 * std::numbers::pi * wave * i / n); });
    }
  } else {
    for (int power = 0; power <= 3; ++power)
      add([&](int i) { return std::pow(2.0 * i / (n - 1) - 1, power); });
  }
  return bends;
}

// The moves along the jaw and the lips kept to slow bends, so that exaggerating bends those
// outlines without rippling them: what is left of the landmarks' own noise in the components
// is not grown. Only what an affine map of the outline does not explain is filtered, so that a
// wider mouth or a longer jaw keeps all of its growth.
void SmoothAlongOutline(const TShapeFit& fit, TShapeVector& direction, TLandmarks part, bool closed) {
  const int n = part.Count();
  TPointF centre;
  for (int k = part.First; k <= part.Last; ++k) centre = Plus(centre, Scaled(PointOf(fit.Frontal, k), 1.0 / n));
  // Least squares of move = a (x, y, 1) for each axis of the move.
  double xx = 0, xy = 0, yy = 0;
  TPointF mx, my, m1;  // sums of move * x, move * y, move
  for (int k = part.First; k <= part.Last; ++k) {
    const TPointF p = Minus(PointOf(fit.Frontal, k), centre), d = PointOf(direction, k);
    xx += p.X * p.X, xy += p.X * p.Y, yy += p.Y * p.Y;
    mx = Plus(mx, Scaled(d, p.X)), my = Plus(my, Scaled(d, p.Y)), m1 = Plus(m1, d);
  }
  const double det = xx * yy - xy * xy;
  if (!(std::abs(det) > 1e-18)) return;
  // The columns of the linear part, then the shift.
  const TPointF ax = Scaled(Minus(Scaled(mx, yy), Scaled(my, xy)), 1 / det);
  const TPointF ay = Scaled(Minus(Scaled(my, xx), Scaled(mx, xy)), 1 / det);
  const TPointF shift = Scaled(m1, 1.0 / n);
  auto affine = [&](int k) {
    const TPointF p = Minus(PointOf(fit.Frontal, k), centre);
    return Plus(Plus(Scaled(ax, p.X), Scaled(ay, p.Y)), shift);
  };
  std::vector<TPointF> rest(static_cast<size_t>(n)), slow(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) rest[size_t(i)] = Minus(PointOf(direction, part.First + i), affine(part.First + i));
  for (const std::vector<double>& bend : SlowBends(n, closed)) {
    TPointF along;
    for (int i = 0; i < n; ++i) along = Plus(along, Scaled(rest[size_t(i)], bend[size_t(i)]));
    for (int i = 0; i < n; ++i) slow[size_t(i)] = Plus(slow[size_t(i)], Scaled(along, bend[size_t(i)]));
  }
  for (int i = 0; i < n; ++i) {
    const TPointF d = Plus(affine(part.First + i), slow[size_t(i)]);
    direction[size_t(2 * (part.First + i))] = d.X;
    direction[size_t(2 * (part.First + i) + 1)] = d.Y;
  }
}

// The way every landmark goes as the amount grows, in the frontal frame: each component by its
// own weight, the most unusual (in units of its spread) most, and the whole as long as the
// face's own difference from the mean on the components.
TShapeVector Direction(const TFace& face, const TShapeFit& fit, const TShapeModel& model) {
  TShapeVector direction{};
  if (!model.Space || fit.Coefficients.empty()) {
    for (int i = 0; i < kShapeValues; ++i) direction[size_t(i)] = fit.Deviation[size_t(i)] - fit.HeldPart[size_t(i)];
  } else {
    const TShapeSpace& space = *model.Space;
    const size_t n = fit.Coefficients.size();
    // The smallest components' spreads, read off corrections that late trees barely make, say
    // little of how faces vary: they count at least as a share of the largest.
    auto spread = [&](size_t c) { return std::max(space.Spreads[c], kLeastSpread * space.Spreads.front()); };
    double meanSquare = 0, plain = 0;
    for (size_t c = 0; c < n; ++c) {
      const double z = fit.Coefficients[c] / spread(c);
      meanSquare += z * z / double(n);
      plain += fit.Coefficients[c] * fit.Coefficients[c];
    }
    if (!(meanSquare > 0)) return direction;
    double weighted = 0;
    std::vector<double> weights(n);
    for (size_t c = 0; c < n; ++c) {
      const double z = std::abs(fit.Coefficients[c] / spread(c)) / std::sqrt(meanSquare);
      weights[c] = std::clamp(z, kLeastWeight, kMostWeight);
      weighted += weights[c] * weights[c] * fit.Coefficients[c] * fit.Coefficients[c];
    }
    const double norm = weighted > 0 ? std::sqrt(plain / weighted) : 0;
    for (size_t c = 0; c < n; ++c)
      for (int i = 0; i < kShapeValues; ++i)
        direction[size_t(i)] += norm * weights[c] * fit.Coefficients[c] * space.Components[c][size_t(i)];
  }
  SmoothAlongOutline(fit, direction, kJaw, false);
  SmoothAlongOutline(fit, direction, kOuterLip, true);
  SmoothAlongOutline(fit, direction, kInnerLip, true);
  HoldPoseCues(face, fit, direction);
  return direction;
}

// How far a landmark whose unbounded move is `length` moves under a reach: as far up to half the
// reach, then ever less more, never past the reach.
double Bounded(double length, double reach) {
  const double knee = reach / 2;
  if (length <= knee) return length;
  return knee + (reach - knee) * std::tanh((length - knee) / (reach - knee));
}

// The moves at each feature's amount, each feature bounded as a whole so that its outline keeps
// its shape.
TShapeVector MovesAt(const TShapeFit& fit, const TShapeVector& direction, const TAmounts& amounts) {
  TShapeVector moves{};
  for (int f = 0; f < kFeatureCount; ++f) {
    const TFeature& feature = kFeatures[f];
    const double size = Distance(PointOf(fit.Frontal, feature.SizeFrom), PointOf(fit.Frontal, feature.SizeTo));
    double longest = 0;
    for (const TLandmarks& part : feature.Parts)
      for (int k = part.First; k <= part.Last; ++k)
        longest = std::max(longest, std::hypot(direction[size_t(2 * k)], direction[size_t(2 * k + 1)]) * amounts[size_t(f)]);
    const double factor = longest > 0 ? Bounded(longest, feature.Reach * size) / longest : 0;
    for (const TLandmarks& part : feature.Parts)
      for (int i = 2 * part.First; i <= 2 * part.Last + 1; ++i)
        moves[size_t(i)] = direction[size_t(i)] * amounts[size_t(f)] * factor;
  }
  return moves;
}

TShapeVector MovesAt(const TShapeFit& fit, const TShapeVector& direction, double amount) {
  TAmounts amounts;
  amounts.fill(amount);
  return MovesAt(fit, direction, amounts);
}

bool KeepsOrder(const TShapeFit& fit, const TShapeVector& moves, const TOrdered& o) {
  const int axis = o.Across ? 0 : 1;
  const size_t a = size_t(2 * o.Before + axis), b = size_t(2 * o.After + axis);
  const double before = fit.Frontal[b] - fit.Frontal[a];
  const double after = before + moves[b] - moves[a];
  return after >= std::min(0.2 * before, before) - kTouching;
}

bool KeepsOrder(const TShapeFit& fit, const TShapeVector& moves) {
  return std::all_of(std::begin(kOrders), std::end(kOrders), [&](const TOrdered& o) { return KeepsOrder(fit, moves, o); });
}

// The largest amount up to `amount`, all features alike, at which the pair has not crossed on
// the way there.
double CrossingAmount(const TShapeFit& fit, const TShapeVector& direction, double amount, const TOrdered& pair) {
  constexpr int kSteps = 24;
  double good = 0;
  for (int s = 1; s <= kSteps; ++s) {
    const double a = amount * s / kSteps;
    if (!KeepsOrder(fit, MovesAt(fit, direction, a), pair)) {
      double bad = a;
      for (int i = 0; i < 20; ++i) {
        const double middle = (good + bad) / 2;
        (KeepsOrder(fit, MovesAt(fit, direction, middle), pair) ? good : bad) = middle;
      }
      return good;
    }
    good = a;
  }
  return amount;
}

// Each feature's amount: the request, held back for a feature where one of its points would
// cross a partner on the way. What holds back depends on the face alone, never on the request,
// so a higher setting never delivers less.
TAmounts FoldFreeAmounts(const TShapeFit& fit, const TShapeVector& direction, double amount) {
  TAmounts crossings;
  crossings.fill(kMostExaggeration);
  for (const TOrdered& pair : kOrders) {
    const double crossing = CrossingAmount(fit, direction, kMostExaggeration, pair);
    for (int f : {FeatureOf(pair.Before), FeatureOf(pair.After)}) crossings[size_t(f)] = std::min(crossings[size_t(f)], crossing);
  }
  // Features held back by different amounts may cross after all: then all of them stop at the
  // first crossing.
  if (!KeepsOrder(fit, MovesAt(fit, direction, crossings)))
    crossings.fill(*std::min_element(crossings.begin(), crossings.end()));
  TAmounts amounts;
  for (size_t f = 0; f < amounts.size(); ++f) amounts[f] = std::min(amount, crossings[f]);
  return amounts;
}

}  // namespace

TFaceShape ExaggeratedShape(const TFace& face, double amount, const TShapeModel& model) {
  TFaceShape shape = ShapeOf(face);
  if (!(amount > 0)) return shape;
  amount = std::min(amount, kMostExaggeration);
  const TShapeFit fit = FitShape(face, model);
  if (!fit.Valid) return shape;
  const TShapeVector direction = Direction(face, fit, model);
  const TShapeVector moves = MovesAt(fit, direction, FoldFreeAmounts(fit, direction, amount));
  std::array<TPointF, TFace::kPointCount> seen;
  for (int k = 0; k < TFace::kPointCount; ++k) {
    // Back into the picture as the head is held there: a turned face's moves foreshortened.
    seen[size_t(k)] = fit.Pose.ProjectMove(PointOf(moves, k));
    shape[k] = Plus(shape[k], seen[size_t(k)]);
  }
  // The forehead goes with the brow below it.
  const int base = TFace::kPointCount;
  MovePoints(shape, base, base, seen[kLeftBrowMiddle]);
  MovePoints(shape, base + 1, base + 1, Scaled(Plus(seen[kLeftBrowInner], seen[kRightBrowInner]), 0.5));
  MovePoints(shape, base + 2, base + 2, seen[kRightBrowMiddle]);
  return shape;
}

}  // namespace gs

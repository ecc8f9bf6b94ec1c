// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/shape/ShapeFit.h"

#include "faces/rules/FaceShape.h"

#include <cmath>

namespace gs {

namespace {

// Frontal, Deviation and the split of it for a given pose.
bool Measure(const TFace& face, const TShapeModel& model, const TFace3D& face3d, TShapeFit& fit) {
  for (int k = 0; k < TFace::kPointCount; ++k) {
    const TPointF seen = Minus(face.Points[size_t(k)], fit.Pose.Project(face3d[size_t(k)]));
    TPointF move;
    if (!fit.Pose.UnprojectMove(seen, move) || !std::isfinite(move.X) || !std::isfinite(move.Y)) return false;
    fit.Deviation[size_t(2 * k)] = move.X;
    fit.Deviation[size_t(2 * k + 1)] = move.Y;
    fit.Frontal[size_t(2 * k)] = model.Mean[size_t(k)].X + move.X;
    fit.Frontal[size_t(2 * k + 1)] = model.Mean[size_t(k)].Y + move.Y;
  }
  const std::vector<TShapeVector> heldOnly = model.Space ? std::vector<TShapeVector>{} : HeldDirections(model.Mean);
  const std::vector<TShapeVector>& held = model.Space ? model.Space->Held : heldOnly;
  fit.HeldPart = {};
  fit.Residual = fit.Deviation;
  for (const TShapeVector& h : held) {
    const double c = Dot(fit.Deviation, h);
    for (int i = 0; i < kShapeValues; ++i) {
      fit.HeldPart[size_t(i)] += c * h[size_t(i)];
      fit.Residual[size_t(i)] -= c * h[size_t(i)];
    }
  }
  fit.Coefficients.clear();
  if (model.Space)
    for (const TShapeVector& component : model.Space->Components) {
      const double c = Dot(fit.Deviation, component);
      fit.Coefficients.push_back(c);
      for (int i = 0; i < kShapeValues; ++i) fit.Residual[size_t(i)] -= c * component[size_t(i)];
    }
  return true;
}


}  // namespace

TShapeFit FitShape(const TFace& face, const TShapeModel& model) {
  TShapeFit fit;
  for (const TPointF& p : face.Points)
    if (!std::isfinite(p.X) || !std::isfinite(p.Y)) return fit;
  const TFace3D mean3d = Face3DOf(model.Mean);
  fit.Pose = FitHeadPose(face.Points, mean3d);
  if (!Measure(face, model, mean3d, fit)) return fit;
  // Once more with the face's own shape in 3-D: a wide jaw or a long nose then no longer pulls at
  // the turn and the nod.
  if (model.Space && !fit.Coefficients.empty()) {
    TFace3D own = mean3d;
    for (size_t c = 0; c < fit.Coefficients.size(); ++c)
      for (int k = 0; k < TFace::kPointCount; ++k) {
        own[size_t(k)].X += fit.Coefficients[c] * model.Space->Components[c][size_t(2 * k)];
        own[size_t(k)].Y += fit.Coefficients[c] * model.Space->Components[c][size_t(2 * k + 1)];
      }
    fit.Pose = FitHeadPose(face.Points, own);
    if (!Measure(face, model, mean3d, fit)) return fit;
  }
  fit.Valid = true;
  return fit;
}

double IdentityDistance(const TShapeFit& fit) {
  double sum = 0;
  for (int i = 0; i < kShapeValues; ++i) {
    const double v = fit.Deviation[size_t(i)] - fit.HeldPart[size_t(i)];
    sum += v * v;
  }
  return std::sqrt(sum);
}

}  // namespace gs

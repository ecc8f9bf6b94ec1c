// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces/shape/MeanFace3D.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace gs {

namespace {

// The picture's left half of a face, in millimetres about the nose tip, y down and z towards the
// viewer: an adult head with the eyes 63 mm apart, the jaw's ends near the ears 140 mm apart and
// 95 mm behind the nose tip, the eyes set 25-35 mm back and the lips 12-28 mm. The right half
// mirrors it.
struct TDrawnPoint {
  int Index;
  double X, Y, Z;
};
constexpr TDrawnPoint kLeftHalf[] = {
    // the jaw, from beside the ear to the chin
    {0, -70, -30, -95}, {1, -69, -12, -92}, {2, -66, 6, -86}, {3, -62, 24, -78}, {4, -56, 41, -66},
    {5, -47, 56, -52}, {6, -36, 68, -38}, {7, -20, 77, -28}, {8, 0, 80, -24},
    // the brow, outer end first
    {17, -58, -50, -36}, {18, -49, -57, -28}, {19, -38, -60, -22}, {20, -27, -59, -19}, {21, -15, -56, -18},
    // the nose: bridge down to the tip, then its lower edge to the middle
    {27, 0, -40, -22}, {28, 0, -27, -15}, {29, 0, -14, -8}, {30, 0, 0, 0},
    {31, -14, 8, -17}, {32, -7, 10, -13}, {33, 0, 11, -13},
    // the eye, outer corner, upper lid, inner corner, lower lid
    {36, -46, -37, -34}, {37, -38, -41, -27}, {38, -27, -41, -26}, {39, -17, -37.5, -26},
    {40, -27, -35, -27}, {41, -38, -35, -28},
    // the outer lip from the corner over the top, and its lower half
    {48, -25, 32, -28}, {49, -16, 26, -20}, {50, -7, 23, -15}, {51, 0, 24, -12},
    {57, 0, 43, -14}, {58, -7, 42, -16}, {59, -16, 39, -21},
    // the inner lip
    {60, -21, 32, -26}, {61, -7, 29, -17}, {62, 0, 29.5, -15}, {66, 0, 33.5, -16}, {67, -7, 33, -18},
};

// Which landmark mirrors which across the face's middle.
int MirrorOf(int k) {
  if (kJaw.Holds(k)) return kJaw.Last - (k - kJaw.First);
  if (kLeftBrow.Holds(k)) return kRightBrow.Last - (k - kLeftBrow.First);
  if (kRightBrow.Holds(k)) return kLeftBrow.Last - (k - kRightBrow.First);
  if (kNoseBridge.Holds(k)) return k;
  if (kNostrils.Holds(k)) return kNostrils.Last - (k - kNostrils.First);
  // eyes: outer corner, two upper, inner corner, two lower; the other eye runs inner corner first
  static constexpr int kEyeMirror[6] = {3, 2, 1, 0, 5, 4};
  if (kLeftEye.Holds(k)) return kRightEye.First + kEyeMirror[k - kLeftEye.First];
  if (kRightEye.Holds(k)) return kLeftEye.First + kEyeMirror[k - kRightEye.First];
  if (k >= 48 && k <= 54) return 54 - (k - 48);
  if (k >= 55 && k <= 59) return 59 - (k - 55) ;
  if (k >= 60 && k <= 64) return 64 - (k - 60);
  return 67 - (k - 65);  // 65..67
}

TFace3D BuildDrawnFace() {
  TFace3D face{};
  for (const TDrawnPoint& p : kLeftHalf) {
    face[size_t(p.Index)] = TPoint3{p.X, p.Y, p.Z};
    face[size_t(MirrorOf(p.Index))] = TPoint3{-p.X, p.Y, p.Z};
  }
  return face;
}

constexpr double kDrawnEyeDistance = 63;

double EyeDistance(const std::array<TPointF, TFace::kPointCount>& points) {
  TFace face;
  face.Points = points;
  return Distance(face.EyeCentre(false), face.EyeCentre(true));
}

constexpr double kMostTurn = 1.05;  // radians, about 60 degrees

// The nearest similarity, as the start of the fit: scale and tilt from the x-y plane alone.
THeadPose SimilarityFit(const std::array<TPointF, TFace::kPointCount>& points, const TFace3D& model) {
  using TComplex = std::complex<double>;
  const int n = TFace::kPointCount;
  TComplex pointMean, modelMean;
  for (int k = 0; k < n; ++k) {
    pointMean += TComplex(points[size_t(k)].X, points[size_t(k)].Y) / double(n);
    modelMean += TComplex(model[size_t(k)].X, model[size_t(k)].Y) / double(n);
  }
  TComplex num;
  double den = 0;
  for (int k = 0; k < n; ++k) {
    const TComplex m = TComplex(model[size_t(k)].X, model[size_t(k)].Y) - modelMean;
    num += std::conj(m) * (TComplex(points[size_t(k)].X, points[size_t(k)].Y) - pointMean);
    den += std::norm(m);
  }
  THeadPose pose;
  if (den <= 0 || std::abs(num) <= 0) return pose;
  const TComplex a = num / den;
  pose.Scale = std::abs(a);
  pose.Roll = std::arg(a);
  const TComplex shift = pointMean - a * modelMean;
  pose.Shift = TPointF{shift.real(), shift.imag()};
  return pose;
}

using TParams = std::array<double, 6>;  // scale, yaw, pitch, roll, shift x, shift y

THeadPose PoseOfParams(const TParams& q) {
  THeadPose pose;
  pose.Scale = q[0];
  pose.Yaw = q[1];
  pose.Pitch = q[2];
  pose.Roll = q[3];
  pose.Shift = TPointF{q[4], q[5]};
  return pose;
}

// Solves the 6 x 6 system a x = b in place by Gaussian elimination; false when it is singular.
bool Solve6(std::array<std::array<double, 6>, 6>& a, TParams& b) {
  for (int c = 0; c < 6; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 6; ++r)
      if (std::abs(a[size_t(r)][size_t(c)]) > std::abs(a[size_t(pivot)][size_t(c)])) pivot = r;
    if (!(std::abs(a[size_t(pivot)][size_t(c)]) > 1e-300)) return false;
    std::swap(a[size_t(pivot)], a[size_t(c)]);
    std::swap(b[size_t(pivot)], b[size_t(c)]);
    for (int r = c + 1; r < 6; ++r) {
      const double f = a[size_t(r)][size_t(c)] / a[size_t(c)][size_t(c)];
      for (int k = c; k < 6; ++k) a[size_t(r)][size_t(k)] -= f * a[size_t(c)][size_t(k)];
      b[size_t(r)] -= f * b[size_t(c)];
    }
  }
  for (int c = 5; c >= 0; --c) {
    for (int k = c + 1; k < 6; ++k) b[size_t(c)] -= a[size_t(c)][size_t(k)] * b[size_t(k)];
    b[size_t(c)] /= a[size_t(c)][size_t(c)];
  }
  return true;
}

// Where the model's points land under a pose, its turn worked out once for all of them.
std::array<TPointF, TFace::kPointCount> Projected(const TFace3D& model, const THeadPose& pose) {
  const std::array<double, 6> r = pose.Rows();
  std::array<TPointF, TFace::kPointCount> seen;
  for (size_t k = 0; k < model.size(); ++k) {
    const TPoint3 p = model[k];
    seen[k] = TPointF{r[0] * p.X + r[1] * p.Y + r[2] * p.Z + pose.Shift.X, r[3] * p.X + r[4] * p.Y + r[5] * p.Z + pose.Shift.Y};
  }
  return seen;
}

double SquaredError(const std::array<TPointF, TFace::kPointCount>& points, const TFace3D& model, const THeadPose& pose) {
  const std::array<TPointF, TFace::kPointCount> seen = Projected(model, pose);
  double sum = 0;
  for (size_t k = 0; k < points.size(); ++k) {
    const TPointF p = seen[k];
    sum += (p.X - points[k].X) * (p.X - points[k].X) + (p.Y - points[k].Y) * (p.Y - points[k].Y);
  }
  return sum;
}

}  // namespace

const TFace3D& DrawnFace3D() {
  static const TFace3D face = BuildDrawnFace();
  return face;
}

TFace3D Face3DOf(const TMeanFace& mean) {
  const TFace3D& drawn = DrawnFace3D();
  const double depthScale = EyeDistance(mean) / kDrawnEyeDistance;
  TFace3D face{};
  for (size_t k = 0; k < face.size(); ++k) face[k] = TPoint3{mean[k].X, mean[k].Y, drawn[k].Z * depthScale};
  return face;
}

std::array<double, 6> THeadPose::Rows() const {
  // scale * the top two rows of Rz(roll) Rx(pitch) Ry(yaw)
  const double cy = std::cos(Yaw), sy = std::sin(Yaw), cp = std::cos(Pitch), sp = std::sin(Pitch);
  const double cr = std::cos(Roll), sr = std::sin(Roll);
  // Rx(pitch) Ry(yaw): rows (cy, 0, sy), (sp sy, cp, -sp cy), ...
  const double r10 = sp * sy, r11 = cp, r12 = -sp * cy;
  return {Scale * (cr * cy - sr * r10), Scale * (-sr * r11), Scale * (cr * sy - sr * r12),
          Scale * (sr * cy + cr * r10), Scale * (cr * r11), Scale * (sr * sy + cr * r12)};
}

TPointF THeadPose::Project(TPoint3 p) const {
  const std::array<double, 6> r = Rows();
  return TPointF{r[0] * p.X + r[1] * p.Y + r[2] * p.Z + Shift.X, r[3] * p.X + r[4] * p.Y + r[5] * p.Z + Shift.Y};
}

TPointF THeadPose::ProjectMove(TPointF move) const {
  const std::array<double, 6> r = Rows();
  return TPointF{r[0] * move.X + r[1] * move.Y, r[3] * move.X + r[4] * move.Y};
}

bool THeadPose::UnprojectMove(TPointF seen, TPointF& move) const {
  const std::array<double, 6> r = Rows();
  const double det = r[0] * r[4] - r[1] * r[3];
  if (!(std::abs(det) > 1e-9 * Scale * Scale)) return false;
  move = TPointF{(r[4] * seen.X - r[1] * seen.Y) / det, (r[0] * seen.Y - r[3] * seen.X) / det};
  return true;
}

THeadPose FitHeadPose(const std::array<TPointF, TFace::kPointCount>& points, const TFace3D& face3d) {
  THeadPose start = SimilarityFit(points, face3d);
  TParams q{start.Scale, 0, 0, start.Roll, start.Shift.X, start.Shift.Y};
  double error = SquaredError(points, face3d, PoseOfParams(q));
  double damping = 1e-3;
  for (int iteration = 0; iteration < 30 && std::isfinite(error); ++iteration) {
    // The residual's derivatives by central differences: cheap for 136 values and 6 unknowns.
    std::array<std::array<double, 6>, 6> normal{};
    TParams gradient{};
    const std::array<TPointF, TFace::kPointCount> base = Projected(face3d, PoseOfParams(q));
    std::array<std::array<TPointF, TFace::kPointCount>, 6> jacobian;
    for (size_t j = 0; j < 6; ++j) {
      const double h = j == 0 ? 1e-5 * q[0] : j >= 4 ? 1e-3 * std::max(1.0, q[0]) : 1e-5;
      TParams up = q, down = q;
      up[j] += h;
      down[j] -= h;
      const std::array<TPointF, TFace::kPointCount> a = Projected(face3d, PoseOfParams(up)), b = Projected(face3d, PoseOfParams(down));
      for (size_t k = 0; k < points.size(); ++k) jacobian[j][k] = TPointF{(a[k].X - b[k].X) / (2 * h), (a[k].Y - b[k].Y) / (2 * h)};
    }
    for (size_t k = 0; k < points.size(); ++k) {
      const TPointF r{points[k].X - base[k].X, points[k].Y - base[k].Y};
      for (size_t i = 0; i < 6; ++i) {
        gradient[i] += jacobian[i][k].X * r.X + jacobian[i][k].Y * r.Y;
        for (size_t j = 0; j < 6; ++j)
          normal[i][j] += jacobian[i][k].X * jacobian[j][k].X + jacobian[i][k].Y * jacobian[j][k].Y;
      }
    }
    bool improved = false;
    for (int attempt = 0; attempt < 8 && !improved; ++attempt) {
      auto a = normal;
      TParams step = gradient;
      for (size_t i = 0; i < 6; ++i) a[i][i] *= 1 + damping;
      if (!Solve6(a, step)) break;
      TParams next = q;
      for (size_t i = 0; i < 6; ++i) next[i] += step[i];
      next[1] = std::clamp(next[1], -kMostTurn, kMostTurn);
      next[2] = std::clamp(next[2], -kMostTurn, kMostTurn);
      const double nextError = next[0] > 0 ? SquaredError(points, face3d, PoseOfParams(next)) : error * 2 + 1;
      if (nextError < error) {
        const bool settled = error - nextError < 1e-12 * (1 + error);
        q = next;
        error = nextError;
        damping = std::max(1e-6, damping / 4);
        improved = true;
        if (settled) return PoseOfParams(q);
      } else {
        damping *= 8;
      }
    }
    if (!improved) break;
  }
  return PoseOfParams(q);
}

}  // namespace gs

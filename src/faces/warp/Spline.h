// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The scattered-point interpolation under the face warp: from a few hundred points and where
// each should come from, where any other point comes from.

#include "common/Geometry.h"

#include <complex>
#include <vector>

namespace gs {

// How the scattered moves are interpolated. The thin-plate spline is the one used: it bends
// least, so the same moves come out with more than twice the least Jacobian of moving least
// squares and need smaller steps far less often, for about the same time.
enum class TWarpModel {
  Mls,  // moving least squares, similarity (Schaefer et al. 2006)
  Tps,  // thin-plate spline
};

// The map through every (target, source) pair: Source(targets[i]) == sources[i].
class TBackwardSpline {
public:
  // unit: a length of the picture's scale (the grid's cell), which keeps the spline's system
  // well conditioned at any picture size.
  TBackwardSpline(const std::vector<TPointF>& targets, const std::vector<TPointF>& sources, double unit,
                  TWarpModel model);
  TPointF Source(TPointF v) const;

private:
  using TComplex = std::complex<double>;
  TComplex MlsSource(TComplex v) const;
  TComplex TpsSource(TComplex v) const;
  void SolveTps(const std::vector<TPointF>& sources);

  TWarpModel Model_;
  double Unit_;
  std::vector<TComplex> Targets_, Sources_;  // in units
  // The thin-plate spline's weights per target, then its affine part (1, x, y).
  std::vector<double> WeightsX_, WeightsY_;
};

}  // namespace gs

// SPDX-License-Identifier: GPL-3.0-or-later
#include "warp/Brush.h"

#include <algorithm>
#include <cmath>

namespace gs {

namespace {
// A NaN would pass std::clamp untouched and poison every weight; it counts as 0 instead.
float ClampSetting(float value, float low, float high) {
  return std::isnan(value) ? 0.0f : std::clamp(value, low, high);
}
}  // namespace

void TGenericBrush::SetPressure(float value) { Pressure_ = ClampSetting(value, 0.0f, 1.0f); }
void TGenericBrush::SetPinch(float value) { Pinch_ = ClampSetting(value, -1.0f, 1.0f); }
void TGenericBrush::SetFeather(float value) { Feather_ = ClampSetting(value, 0.0f, 1.0f); }

namespace {

// 1 - r shaped by the pinch: a spike at -1, a cone at 0, a flat disc at 1.
float Profile(float pinch, float r) {
  if (r >= 1.0f || r <= -1.0f) return 0.0f;
  if (pinch == 1.0f) return 1.0f;
  if (pinch == -1.0f) return std::nearbyint(r * 65536.0f) == 0.0f ? 1.0f : 0.0f;
  const float e = pinch > 0.0f ? 1.0f / (1.0f - pinch) : pinch + 1.0f;
  return std::pow(std::fabs(1.0f - std::fabs(std::pow(r, e))), 1.0f / e);
}

// A linear ramp over the outer `feather` part of the radius.
float Ramp(float feather, float r) {
  if (feather <= 0.0f) return 1.0f;
  return std::clamp((1.0f - r) * (1.0f / feather), 0.0f, 1.0f);
}

}  // namespace

float TGenericBrush::Weight(float x, float y) const {
  const float r = std::sqrt(x * x + y * y);
  const float w = float(Ramp(Feather_, r) * Profile(Pinch_, r)) * Pressure_;
  // Written so that a NaN (from a NaN coordinate) weighs 0 as well.
  if (!(w > 0.0f)) return 0.0f;
  return std::min(w, 1.0f);
}

}  // namespace gs

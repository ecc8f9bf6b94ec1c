// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Fixed.h"

#include <cmath>
#include <limits>

namespace gs {

namespace {
int32_t Saturate(double v) {
  if (std::isnan(v)) return 0;
  if (v >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (v <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}
}  // namespace

int TruncToInt(double value) { return Saturate(std::trunc(value)); }

int32_t RoundHalfEven(double value) { return Saturate(std::nearbyint(value)); }

}  // namespace gs

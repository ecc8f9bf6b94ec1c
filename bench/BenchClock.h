// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wall time for benchmarks that time their parts one after another, and the 24-megapixel size
// of the photos they work on.

#include <chrono>

namespace gs::bench {

using TClock = std::chrono::steady_clock;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

inline double Milliseconds(TClock::time_point from) {
  return std::chrono::duration<double, std::milli>(TClock::now() - from).count();
}

}  // namespace gs::bench

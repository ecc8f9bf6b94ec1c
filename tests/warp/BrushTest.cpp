// SPDX-License-Identifier: GPL-3.0-or-later
#include "warp/Brush.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace gs;

namespace {

// Checks Weight along rays of the disc (and beyond its rim) against a closed form of r.
void ExpectProfile(const TGenericBrush& brush, const std::function<double(double)>& model) {
  for (double angle : {0.0, 0.7, 2.0, 3.9, 5.5}) {
    for (int k = 0; k <= 60; ++k) {
      const double r = k / 50.0;
      if (std::abs(r - 1.0) < 1e-3)
        continue;  // whether the rim itself is in depends on float rounding
      const float w = brush.Weight(float(r * std::cos(angle)), float(r * std::sin(angle)));
      const double expected = r >= 1.0 ? 0.0 : model(r);
      ASSERT_NEAR(w, expected, 2e-5) << "r = " << r << ", angle " << angle;
    }
  }
}

}  // namespace

TEST(Brush, ProfilesFollowThePinch) {
  TGenericBrush brush;
  brush.SetPinch(0.0f);
  ExpectProfile(brush, [](double r) { return 1.0 - r; });  // a cone
  EXPECT_EQ(brush.Weight(1.0f, 0.0f), 0.0f);
  EXPECT_EQ(brush.Weight(0.0f, -1.0f), 0.0f);
  brush.SetPinch(0.5f);
  ExpectProfile(brush, [](double r) { return std::sqrt(1.0 - r * r); });  // a dome
  brush.SetPinch(-0.5f);
  ExpectProfile(brush, [](double r) { return std::pow(1.0 - std::sqrt(r), 2.0); });  // a spike
  brush.SetPinch(1.0f);
  ExpectProfile(brush, [](double) { return 1.0; });  // a flat disc
  brush.SetPinch(-1.0f);
  // Only the centre, to the nearest 1/65536, weighs anything.
  EXPECT_EQ(brush.Weight(0.0f, 0.0f), 1.0f);
  EXPECT_EQ(brush.Weight(0.4f / 65536.0f, 0.0f), 1.0f);
  EXPECT_EQ(brush.Weight(0.0f, 0.6f / 65536.0f), 0.0f);
  EXPECT_EQ(brush.Weight(0.25f, 0.0f), 0.0f);
}

TEST(Brush, FeatherRampsTheRimAndPressureScales) {
  TGenericBrush brush;
  brush.SetPinch(1.0f);
  brush.SetFeather(0.25f);
  ExpectProfile(brush, [](double r) { return std::min(1.0, (1.0 - r) / 0.25); });
  brush.SetPinch(0.0f);
  brush.SetFeather(0.5f);
  brush.SetPressure(0.5f);
  ExpectProfile(brush, [](double r) { return 0.5 * (1.0 - r) * std::min(1.0, (1.0 - r) * 2.0); });
}

TEST(Brush, SettingsAreClampedAndNaNCountsAsZero) {
  TGenericBrush brush;
  brush.SetPressure(3.0f);
  brush.SetPinch(-7.0f);
  brush.SetFeather(-1.0f);
  EXPECT_EQ(brush.Pressure(), 1.0f);
  EXPECT_EQ(brush.Pinch(), -1.0f);
  EXPECT_EQ(brush.Feather(), 0.0f);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  brush.SetPressure(nan);
  brush.SetPinch(nan);
  brush.SetFeather(nan);
  EXPECT_EQ(brush.Pressure(), 0.0f);
  EXPECT_EQ(brush.Pinch(), 0.0f);
  EXPECT_EQ(brush.Feather(), 0.0f);
  brush.SetPressure(1.0f);
  EXPECT_EQ(brush.Weight(nan, 0.0f), 0.0f);
  EXPECT_EQ(brush.Weight(std::numeric_limits<float>::infinity(), 0.0f), 0.0f);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The reference power curve at the two shifts the rating criteria stand for, and its shape.
#include <gtest/gtest.h>

#include <cmath>

#include "velmora/analysis/exact_power.h"

namespace velmora::analysis {
namespace {

TEST(ReferencePower, ValuesAtThreeAndFourStandardDeviations) {
  EXPECT_NEAR(referencePower(3.0).value(), 0.5414, 5e-5);
  EXPECT_NEAR(referencePower(4.0).value(), 0.8148, 5e-5);
  // No shift: the limit's own false-positive rate.
  EXPECT_NEAR(referencePower(0.0).value(), 0.01, 1e-12);
  EXPECT_FALSE(referencePower(NAN).has_value());
  EXPECT_FALSE(referencePower(INFINITY).has_value());
}

TEST(ReferencePower, IncreasesWithTheShift) {
  double previous = referencePower(-1.0).value();
  for (double delta = -0.75; delta <= 8.0; delta += 0.25) {
    const double power = referencePower(delta).value();
    EXPECT_GT(power, previous) << "delta " << delta;
    previous = power;
  }
  EXPECT_LT(previous, 1.0);
}

}  // namespace
}  // namespace velmora::analysis

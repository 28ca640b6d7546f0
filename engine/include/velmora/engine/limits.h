// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sizes and limits of the calculation, kept in one place.

#include <cstdint>

namespace velmora {

// The calculation's integer fields are 16-bit signed integers.
inline constexpr int kInt16Min = INT16_MIN;
inline constexpr int kInt16Max = INT16_MAX;

// A run forms n + 4r, so that sum may not exceed the int16 range.
inline constexpr int kMaxBackgroundPlusFourComparisons = kInt16Max;

// Integration points of the power step.
inline constexpr int kGridSize = 1000;

// Number of test schemes, 1:1 to 1:4, and of power shifts (2, 3 and 4 sigma).
inline constexpr int kSchemeCount = 4;
inline constexpr int kPowerCount = 12;

// The power criteria of the rating, at 3 and 4 sigma (compared as float32).
inline constexpr double kPowerCriterion3Sigma = 0.539;
inline constexpr double kPowerCriterion4Sigma = 0.814;

}  // namespace velmora

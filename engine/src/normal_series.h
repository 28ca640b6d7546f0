// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The power step's standard normal distribution: its truncated series for one argument and
// for many at once, and its quantile search.

#include "calculation_state.h"

namespace velmora {

// The standard normal distribution function and quantile search of the power step
// (power_and_rating.cpp). `wholeArgument` marks an argument held as a whole number, for
// which the running sum of the series is rounded to float32 after every addition;
// `fromFloat32` marks a target read from a float32 field, whose mirror 1 - p is then rounded
// to float32 as well. Both leave their working values in the record `state`.
double normalCdf(double x, bool wholeArgument, CalculationState& state);
double normalQuantile(double p, bool fromFloat32, CalculationState& state);

// out[i] = normalCdf(x[i], false, state) for i < count, digit for digit, without touching a
// record's series terms. out may be x.
void normalCdfBatch(const double* x, int count, double* out);

// From this argument up to 6 the truncated series (normalCdf with a fractional argument)
// is at least 1, so the power step's clamp makes every such value 1: the step needs the
// series only below it.
//
// Why: the series adds to x the terms T(k) = fl32(fl64(q(k) T(k - 1))), T(0) = fl32(x),
// q(k) = fl64(fl64(-X (2k - 1)) / (2k (2k + 1))), X = fl64(x^2), in float64. With t(k) the
// exact terms (-1)^k x^(2k+1) / (2^k k! (2k + 1)), each step has relative errors at most
// 2^-52 (X, one unit in the last place), 2^-53 three times and 2^-24 (the float32 term, a
// normal number here: every term lies above 0.5), so |T(k) / t(k) - 1| <= g(k) =
// (1 + d)^(k+1) - 1, 1 + d = (1 + 2^-52)(1 + 2^-53)^3 (1 + 2^-24). The twenty float64
// additions lose at most 20 * 2^-53 times the largest partial sum, which is below
// x + sum |t(k)| (1 + g(k)). On an interval a <= x <= b (0 < a) the even terms are positive
// and rise with x, the odd ones negative and fall, so the computed sum S is at least
//   L(a, b) = a + sum_even t(k, a) (1 - g(k)) - sum_odd |t(k, b)| (1 + g(k))
//             - 20 * 2^-53 (b + sum |t(k, b)| (1 + g(k))).
// Where L(a, b) * c >= 1/2 (c the float64 1 / 6.2831854^0.5 of the step), fl64(S c) >= 1/2
// and fl64(fl64(S c) + 0.5) >= 1. Splitting [kSeriesClampFrom, 6] into 7,500 intervals
// makes every L(a, b) * c >= 1/2, in exact rational arithmetic
// (tests/engine/normal_series_test.cpp, SeriesClamp).
inline constexpr double kSeriesClampFrom = 4.25;

}  // namespace velmora

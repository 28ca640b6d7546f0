// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exact power of the schemes 1:t, and the reference power curve of the rating criteria.
//
// Background: n values from N(0, 1); the limit L is the k-th largest of them (k = 1 the
// maximum). A comparison whose values lie delta standard deviations above the background
// mean takes up to t samples and detects the shift when all t exceed L, so its power is
//
//   power_t(k, delta) = E[Phi(delta - L)^t] = E[Phi(Phi^-1(W) + delta)^t],
//   W = 1 - Phi(L) ~ Beta(k, n + 1 - k).
//
// The calculator's power step evaluates a normal-theory model of this same quantity in
// float32 on a 1000-point grid. ExactPower is the quantity itself, so the difference
// between the two is the model's error plus the calculator's arithmetic error; it is
// what the rating would be if the power were known exactly.

#include <array>

#include "velmora/engine/calculation.h"
#include "velmora/engine/problem.h"

namespace velmora::analysis {

// The sizes ExactPower accepts: 2 <= n <= 32767, 1 <= k <= n, 1 <= t <= 4, 0 <= delta <= 6.
[[nodiscard]] bool inExactPowerDomain(int n, int k, int t, double delta);

// power_t(k, delta) with at least 10 correct significant digits everywhere in the domain
// (relative error at most 2e-12 against 34-digit arithmetic, growing with n from the
// rounding of (n - k) log Phi); refused outside it.
[[nodiscard]] Expected<double> exactPower(int n, int k, int t, double delta);

// The exact powers at the calculator's three shifts, delta = 2, 3 and 4.
[[nodiscard]] Expected<std::array<double, 3>> exactPowers(int n, int k, int t);

// A power rounded to thousandths as the calculator rounds its powers (halves to even).
[[nodiscard]] int powerThousandths(double power);

// The rating the calculator gives to powers at 3 and 4 standard deviations: each rounded
// to thousandths and compared in float32 with .539 and .814; Good when both reach their
// criterion, Acceptable when one does, Low when neither does (the calculator's own rule,
// RateByCriteria).
// The rating and its captions are the engine's own (Rating, ratingCaption).
[[nodiscard]] Rating ratePowers(double power3, double power4);

// The rating of rank k of scheme 1:t of a background of n by its exact powers.
[[nodiscard]] Expected<Rating> exactRating(int n, int k, int t);

// The reference curve: the power of a 99% normal-theory prediction limit for one future
// value from a background of 10, mean + K s with K = t(0.99; 9) sqrt(1 + 1/10), against a
// shift of delta standard deviations (noncentral t with 9 degrees of freedom): the curve
// the schemes' powers are judged against. At 3 and 4 standard deviations it is about
// .5414 and .8148 (the rating's criteria are .539 and .814). Refused when delta is not
// finite.
[[nodiscard]] Expected<double> referencePower(double delta);

}  // namespace velmora::analysis

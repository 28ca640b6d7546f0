// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A strategy as polynomials in the chance W that one value exceeds the limit (p = 1 - W
// that it does not): the chance f(W) that a comparison fails, g(W) = 1 - f(W) that it
// passes, and the expected number of units N(W) it takes. All three come from
// Strategy::decide() by playing every sequence of unit outcomes (at most 2^8), so that the
// rules are written once.
//
// Each is held in the Bernstein form of degree D, the values of the longest comparison
// (units x values per unit):
//
//   f(W) = sum over j = 0 .. D of fail[j] W^j p^(D - j),
//
// with non-negative whole coefficients (a shorter sequence is padded by (p + W)^m = 1).
// Every term is positive, so f and g are each summed without cancellation however small the
// other is, and fail[j] + pass[j] = C(D, j). The coefficients are below 8 C(72, 36) < 2^72.

#include <boost/multiprecision/cpp_int.hpp>

#include <vector>

#include "velmora/analysis/strategy.h"

namespace velmora::analysis {

using PolynomialCoefficient = boost::multiprecision::uint128_t;

struct StrategyPolynomial {
  int degree = 0;         // D = units x values per unit
  int valuesPerUnit = 1;  // B
  std::vector<PolynomialCoefficient> fail;   // f, D + 1 coefficients
  std::vector<PolynomialCoefficient> pass;   // g = 1 - f
  std::vector<PolynomialCoefficient> units;  // N, the expected number of units
};

[[nodiscard]] StrategyPolynomial strategyPolynomial(const Strategy& strategy);

// Whether two strategies are the same test: the same fail polynomial, so the same CFP and
// power at every rank (1-of-1/median-3 and 2-of-3). Their expected samples may differ.
[[nodiscard]] bool sameTest(const Strategy& a, const Strategy& b);

}  // namespace velmora::analysis

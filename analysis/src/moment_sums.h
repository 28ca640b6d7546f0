// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CFP(k) and 1 - CFP(k) of a strategy as finite sums of Beta moments, where g^r is a
// polynomial of modest degree m = D r.
//
// In the Bernstein form of degree m (terms W^j p^(m - j), p = 1 - W),
//
//   1 - g^r = f (1 + g + ... + g^(r - 1))     and     g^r,
//
// both have non-negative coefficients: f, g and (W + p)^D = 1 do, and so do their products and
// sums. With W ~ Beta(k, n + 1 - k),
//
//   E[W^j p^(m - j)] = k^(j) (n + 1 - k)^(m - j) / (n + 1)^(m)     (rising products),
//
// so each side is a sum of positive terms, neither formed as 1 minus the other: no
// cancellation, whatever the size of either. Everything is in double; each moment is carried
// with an exponent of its own (they fall to 1e-2300 at m = 512), and the sum is taken relative
// to its largest term.
//
// Error. A coefficient of g^i or of the sum grows by at most D + 2 roundings a product and
// the binomial rows of (W + p)^(j D) take 2 j D, so those of either side are within
// (3 m + 2 r + D + 4) eps of exact; the moments take at most 4 m roundings (the first as m
// ratios, the rest one ratio each from the one before), the sum m more: the value is within
// (8 m + 4 r + 2 D + 16) eps, below 1e-12 at m = 512. Above m = 512 the
// coefficients could pass the double range (C(1024, 512) is 4e306), and the quadrature, whose
// cost does not grow with m, takes over.
#include <vector>

#include "velmora/analysis/strategy_polynomial.h"

namespace velmora::analysis::detail {

inline constexpr long kMomentDegreeLimit = 512;

struct MomentValue {
  double logValue = 0.0;       // log of the probability
  double relativeError = 0.0;  // bound on the relative error of exp(logValue)
};

class MomentSums {
 public:
  // Needs 1 <= r and D r <= kMomentDegreeLimit.
  MomentSums(const StrategyPolynomial& polynomial, int r);

  int degree() const { return m_degree; }
  // E[1 - g(W)^r] (failing = true: the CFP) or E[g(W)^r], for 1 <= k <= n.
  MomentValue expectation(int n, int k, bool failing) const;

 private:
  int m_degree = 0;
  double m_relativeError = 0.0;
  std::vector<double> m_fail;  // 1 - g^r, m + 1 coefficients
  std::vector<double> m_pass;  // g^r
};

}  // namespace velmora::analysis::detail

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CFP(k) and 1 - CFP(k) of a strategy as finite sums of Beta moments, where g^r is a
// polynomial of modest degree m = D r.
//
// In the Bernstein form of degree m (terms W^j p^(m - j), p = 1 - W), g^r and
//
//   1 - g^r,  by  1 - g^(i + 1) = f + g (1 - g^i)  (f raised to each degree by (W + p)^D = 1),
//
// have non-negative coefficients: f, g and (W + p)^D do, and so do their products and sums.
// With W ~ Beta(k, n + 1 - k),
//
//   E[W^j p^(m - j)] = k^(j) (n + 1 - k)^(m - j) / (n + 1)^(m)     (rising products),
//
// so each side is a sum of positive terms, neither formed as 1 minus the other: no
// cancellation, whatever the size of either. Each moment is carried with an exponent of its
// own (they fall to 1e-4500 at m = 1000), and the sum is taken relative to its largest term.
//
// Error. A coefficient grows by at most D + 2 roundings a product with g, and a binomial row of
// (W + p)^(i D) brings 2 i D, so those of either side are within
// (3 m + 2 r + D + 4) eps of exact; the moments take at most 4 m roundings (the first as m
// ratios, the rest one ratio each from the one before), the sum m more: the value is within
// (8 m + 4 r + 2 D + 16) eps, below 2e-12 at m = 1000. Above m = 1000 the coefficients could
// pass the double range (C(1000, 500) is 3e299, C(1030, 515) above 1e308), and the quadrature, whose
// cost does not grow with m, takes over.
#include <mutex>
#include <vector>

#include "velmora/analysis/strategy_polynomial.h"

namespace velmora::analysis::detail {

inline constexpr long kMomentDegreeLimit = 1000;

struct MomentValue {
  double logValue = 0.0;       // log of the probability
  double relativeError = 0.0;  // bound on the relative error of exp(logValue)
};

// The same in extended precision, as the value itself (0 only below long double's range).
// Only products, quotients, sums and scalings make it, never a math function, so its bound is
// in the type's own epsilon also where long double's exp and log carry a double's digits.
struct ExtendedMomentValue {
  long double value = 0.0L;
  long double relativeError = 0.0L;
};

class MomentSums {
 public:
  // Needs 1 <= r and D r <= kMomentDegreeLimit.
  MomentSums(const StrategyPolynomial& polynomial, int r);

  int degree() const { return m_degree; }
  // E[1 - g(W)^r] (failing = true: the CFP) or E[g(W)^r], for 1 <= k <= n.
  MomentValue expectation(int n, int k, bool failing) const;
  ExtendedMomentValue extendedExpectation(int n, int k, bool failing) const;

 private:
  // Each side's coefficients in each type, built when first asked (a table of strategies asks
  // one side in doubles of most): some m^2 / 2 products each.
  template <class Real>
  class Lazy {
   public:
    const std::vector<Real>& get(const MomentSums& sums, bool failing) const;

   private:
    struct Built {
      std::once_flag once;
      std::vector<Real> coefficients;  // m + 1
    };
    mutable Built m_fail;  // 1 - g^r
    mutable Built m_pass;  // g^r
  };

  StrategyPolynomial m_polynomial;
  int m_r = 0;
  int m_degree = 0;
  double m_roundings = 0.0;  // the bound on the roundings, in units of the type's epsilon
  Lazy<double> m_doubles;
  Lazy<long double> m_extended;
};

}  // namespace velmora::analysis::detail

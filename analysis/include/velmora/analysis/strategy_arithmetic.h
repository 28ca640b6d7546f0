// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact arithmetic of a retest strategy, for a background of n values, r comparisons and
// the k-th largest background value as the limit (W = 1 - F(L) ~ Beta(k, n + 1 - k)):
//
//   CFP(k)      = 1 - E[g(W)^r]  and its complement E[g(W)^r], each summed on its own;
//   samples     = r B E[N(W)], the values the r comparisons take under background conditions;
//   power(d, S) = 1 - E[g_d(L)^S], the chance that at least one of S comparisons whose values
//                 lie d standard deviations higher fails (normal background; S = 1: E[f]).
//
// Accuracy, proved in tests/analysis/strategy_arithmetic_test.cpp against exact fractions,
// against 50-digit arithmetic at the domain's corners, against ExactCfp and ExactPower for
// 1-of-T and against the closed form for r = 1:
//   - CFP and 1 - CFP: relative error at most relativeError of the value, which is below
//     kCfpRelativeErrorBound everywhere in the domain: where g^r has degree D r <= 1000 a finite
//     sum of positive Beta moments (below 2e-12; moment_sums.h), elsewhere the quadrature
//     (limit_integral.h gives its terms);
//   - samples: relative error below (2 D + 4) eps (a finite sum of positive Beta moments);
//   - power: the same integral, so the same bound (1e-10); 10 significant digits, and equal to
//     ExactPower for 1-of-T to 1e-10.
//
// Domain: 1 <= k <= n <= 32767 and r >= 1 with n + 4r <= 32767, the calculator's. The
// arithmetic needs no tighter one for any strategy; the power needs n >= 2 and 0 <= d <= 6,
// 1 <= S <= 32767. Note that the samples of a strategy reach r x 72 and so can exceed the
// calculator's int16 "# of Samps": they are a double here.

#include <memory>

#include "velmora/analysis/dcfp_fraction.h"
#include "velmora/analysis/strategy.h"
#include "velmora/analysis/strategy_polynomial.h"
#include "velmora/engine/problem.h"

namespace velmora::analysis {

inline constexpr double kCfpRelativeErrorBound = 1e-10;

// A probability that may lie below the double range (1 - CFP of 1e-400 is an input's due).
struct ExactProbability {
  double value = 0.0;          // 0 only when below the double range; logValue holds it then
  double logValue = 0.0;       // its natural logarithm
  double relativeError = 0.0;  // proven bound on the relative error of value (absolute of logValue)
};

// How an exact decision was reached.
enum class DecidedBy { doubles, fractions, multiprecision };

struct CfpDecision {
  bool meets = false;  // CFP(k) <= DCFP, exactly
  DecidedBy decidedBy = DecidedBy::doubles;
};

class StrategyArithmetic {
 public:
  explicit StrategyArithmetic(const Strategy& strategy);
  ~StrategyArithmetic();
  StrategyArithmetic(StrategyArithmetic&&) noexcept;
  StrategyArithmetic& operator=(StrategyArithmetic&&) noexcept;

  const Strategy& strategy() const { return m_strategy; }
  const StrategyPolynomial& polynomial() const { return m_polynomial; }

  [[nodiscard]] Expected<ExactProbability> cfp(int n, int r, int k) const;
  [[nodiscard]] Expected<ExactProbability> passProbability(int n, int r, int k) const;  // 1 - CFP
  [[nodiscard]] Expected<double> expectedSamples(int n, int r, int k) const;
  [[nodiscard]] Expected<double> power(int n, int k, double shift, int shifted = 1) const;

  // Whether CFP(k) meets the DCFP as typed, decided exactly: in doubles when the CFP lies
  // farther from the DCFP than its error bound; otherwise by exact fractions when the
  // polynomial g^r is small enough, else by binary128 quadrature, then 50-digit quadrature,
  // and by fractions whatever they cost when even that cannot tell.
  [[nodiscard]] Expected<CfpDecision> meets(const DcfpFraction& dcfp, int n, int r, int k) const;
  // The same with `cfp`, cfp(n, r, k)'s own result, at hand: a DCFP up to 1/2 is set against
  // it rather than against the same integral formed again (the rows of every rank ask both).
  [[nodiscard]] Expected<CfpDecision> meets(const DcfpFraction& dcfp, int n, int r, int k,
                                            const ExactProbability& cfp) const;

  // CFP(k) and DCFP - CFP(k) in extended precision (long double: a 64-bit significand here,
  // 113 bits in WebAssembly), the CFP from the smaller of CFP and 1 - CFP, each with a bound on
  // its absolute error: the step between the doubles and 50 digits, a few times the doubles'
  // cost (a sum of Beta moments where D r <= 1000, else the quadrature; without a DCFP the
  // margin is 0). Refused outside the domain.
  struct ExtendedCfp {
    long double cfp = 0.0L;
    long double cfpError = 0.0L;
    long double margin = 0.0L;  // DCFP - CFP(k)
    long double marginError = 0.0L;
  };
  [[nodiscard]] Expected<ExtendedCfp> extendedCfp(const DcfpFraction* dcfp, int n, int r, int k) const;

  // The same from binary128 quadrature (113-bit significand), rounded to long double: the
  // step between extended precision and 50 digits, which settles a DCFP typed to the CFP's
  // first 16 to 25 significant digits at a thirtieth of the 50-digit pass's cost (some 35 ms
  // at 8191 comparisons). Each error is a hundred times its proven bound (quad_limit.h).
  // Refused outside the domain.
  [[nodiscard]] Expected<ExtendedCfp> quadCfp(const DcfpFraction* dcfp, int n, int r, int k) const;

  // CFP(k) and DCFP - CFP(k) from the 50-digit quadrature (relative error of the CFP below
  // 1e-40, the margin to the same absolute error), rounded to long double: the digits that the
  // double quadrature's bound leaves in doubt, some milliseconds each. Refused outside the
  // domain, as cfp() is.
  struct PreciseCfp {
    long double cfp = 0.0L;
    long double margin = 0.0L;  // DCFP - CFP(k)
    // Whether the margin's sign and ten significant digits are known: false only when the DCFP
    // lies within some 1e-30 of the CFP.
    bool marginSettled = true;
  };
  [[nodiscard]] Expected<PreciseCfp> preciseCfp(const DcfpFraction& dcfp, int n, int r, int k) const;
  [[nodiscard]] Expected<long double> preciseCfp(int n, int r, int k) const;

  // The exact CFP(k) - DCFP sign by fractions alone (-1, 0, 1): for tests and near ties.
  // Refused outside the domain, as meets() is.
  [[nodiscard]] Expected<int> compareByFractions(const DcfpFraction& dcfp, int n, int r, int k) const;

 private:
  [[nodiscard]] Expected<CfpDecision> decide(const DcfpFraction& dcfp, int n, int r, int k,
                                             const ExactProbability* knownCfp) const;
  struct Terms;
  Strategy m_strategy;
  StrategyPolynomial m_polynomial;
  std::unique_ptr<Terms> m_terms;
};

// The sizes the CFP accepts: 1 <= k <= n, r >= 1, n + 4r <= 32767.
[[nodiscard]] bool inStrategyDomain(int n, int r, int k);

}  // namespace velmora::analysis

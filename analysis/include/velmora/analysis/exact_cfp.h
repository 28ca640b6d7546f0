// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact audit's arithmetic: the cumulative false-positive error of rank k of scheme
// 1:t, CFP_t(k) = 1 - E[(1 - W^t)^r] with W ~ Beta(k, n - k + 1), to far more digits
// than the searches' float32 values carry, and the DCFP as the user typed it, read as
// an exact fraction.
//
// The CFP is summed directly as the probabilities of the first false positive (the
// first comparison whose t samples all exceed the limit), never as 1 - P, so a tiny CFP
// keeps all its digits. See exact_cfp.cpp for the recurrence and its error bound.

#include <memory>
#include <string>
#include <string_view>

#include "velmora/engine/problem.h"

namespace velmora::analysis {

// The sizes the exact arithmetic accepts: 1 <= t <= 4, n >= 1, r >= 1, 1 <= k <= n and
// n + 4r <= 32767 (the calculator's own limit).
[[nodiscard]] bool inExactCfpDomain(int n, int r, int t, int k);

// CFP_t(k) in extended precision (64-bit significand or more). Its relative error is at
// most ExactCfpRelativeErrorBound(r, t), below 5e-15 everywhere in the domain, so at
// least 14 significant digits are right. Refused outside the domain.
[[nodiscard]] Expected<long double> exactCfp(int n, int r, int t, int k);

// The same sum carried in binary128 (113-bit significand) and rounded to long double at
// the end: a slower second opinion, used to check ExactCfp on sizes where exact
// fractions would be too large. Refused outside the domain.
[[nodiscard]] Expected<long double> exactCfpQuad(int n, int r, int t, int k);

// CFP_t(k) by the fastest exact path, for the audit, the curves and the planner: ExactCfp's sum
// where it is cheap (few comparisons, or scheme 1:1), otherwise the retest strategies'
// quadrature for 1-of-t (relative error below 1e-10), carried to extended precision, binary128
// and at last 50 digits while that bound leaves the 10 significant digits the tools print in
// doubt. So its 10 significant digits are
// ExactCfp's wherever ExactCfp's own are settled. Refused outside ExactCfp's domain.
[[nodiscard]] Expected<long double> fastExactCfp(int n, int r, int t, int k);

// fastExactCfp's value with a proven bound on its relative error (at most 1e-10).
struct BoundedCfp {
  long double value = 0.0L;
  long double relativeError = 0.0L;
};
[[nodiscard]] Expected<BoundedCfp> fastExactCfpWithBound(int n, int r, int t, int k);

// The proven bound on the relative error of ExactCfp for r comparisons of scheme 1:t.
[[nodiscard]] long double exactCfpRelativeErrorBound(int r, int t);

// `digits` significant digits, correctly rounded from the value given, in the shorter of
// plain decimal and exponent form (as printf's %g does): "0.06051955707", "2.082303572e-17".
[[nodiscard]] std::string formatSignificant(long double value, int digits = 10);
// The same digits of a double, by the double's own conversion (several times faster).
[[nodiscard]] std::string formatSignificant(double value, int digits = 10);

// The DCFP exactly as its text reads: the same characters are read as by the numeric
// value of the input boxes (blanks, tabs and line feeds skipped, a sign, digits with one
// full stop, an exponent; &H and &O integers; no leading number reads as 0), but into an
// exact fraction instead of the nearest float64.
class ExactDcfp {
 public:
  explicit ExactDcfp(std::string_view text);
  ~ExactDcfp();
  ExactDcfp(ExactDcfp&&) noexcept;
  ExactDcfp& operator=(ExactDcfp&&) noexcept;

  // The value, rounded to long double.
  [[nodiscard]] long double approx() const { return m_approx; }
  // The value as an exact fraction in lowest terms, "p/q" (or "p" when whole).
  [[nodiscard]] std::string fractionText() const;

  // CFP_t(k) set against this DCFP, the CFP by FastExactCfp. `meets` is decided exactly: when
  // the CFP lies within its error bound of the DCFP, by exact fractions where they are cheap,
  // otherwise by binary128 quadrature (a DCFP typed to 16 digits of the CFP is settled there),
  // then 50-digit quadrature, and by fractions only when even that cannot tell. The
  // margin have 10 correct significant digits; with `tenDigits` false only the decision is
  // exact and the CFP and margin are within 1e-10 of the CFP (a search that only asks
  // whether a rank meets the DCFP saves the 50-digit passes). Refused outside ExactCfp's
  // domain.
  struct Comparison {
    long double cfp = 0.0L;     // CFP_t(k), ExactCfp's value
    long double margin = 0.0L;  // DCFP - CFP (exact fraction rounded when the two are close)
    bool meets = false;         // CFP <= DCFP, exactly
    bool decidedByFractions = false;  // or by 50-digit quadrature
  };
  [[nodiscard]] Expected<Comparison> compare(int n, int r, int t, int k, bool tenDigits = true) const;

  // The exact decision, always by fractions (slow for large r; for tests and near ties): the
  // sign of CFP - DCFP (-1, 0, 1). Refused outside ExactCfp's domain.
  [[nodiscard]] Expected<int> compareByFractions(int n, int r, int t, int k, long double* margin = nullptr) const;

 private:
  [[nodiscard]] Expected<Comparison> compareByQuadrature(int n, int r, int t, int k, bool tenDigits) const;
  struct Fraction;
  std::unique_ptr<Fraction> m_value;
  long double m_approx = 0.0L;
};

}  // namespace velmora::analysis

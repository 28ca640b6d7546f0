// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one integral behind every retest strategy's CFP, 1 - CFP and power: an expectation
// over the limit L, the k-th largest of n standard normal background values, of a function
// h of the chance W = Phi(delta - L) that one value delta standard deviations higher exceeds
// the limit:
//
//   fail side:  E[1 - g(W)^S] = E[-expm1(S log1p(-f(W)))]
//   pass side:  E[g(W)^S]     = E[exp(S log g(W))]
//
// With delta = 0 and S = r these are CFP(k) and 1 - CFP(k) (W = Phi(-L) ~ Beta(k, n + 1 - k));
// with S shifted comparisons they are the power and its complement. Each side is integrated
// on its own, from positive integrands, so neither is ever formed as 1 minus the other.
//
// Why on the normal scale, over the value x of L: there the integrand
//
//   F(x) = h(x) * Beta(k, n + 1 - k) density of Phi(-x) * phi(x)
//
// is log-concave with curvature at most -1. The density part is, as for the exact power:
// (k - 1) log Phi(-x) + (n - k) log Phi(x) - x^2 / 2, every log Phi concave. The log of
// f(Phi(delta - x)) and of g(Phi(delta - x)) is concave in x for every strategy of the grammar
// (a test checks all 215 of them), and t -> 1 - (1 - e^t)^S and t -> S t keep concavity
// (the first is increasing and concave in log f). So F has one peak x*, found as the root of
// (log F)', and log F falls at least as fast as (x - x*)^2 / 2 on either side: beyond
// sqrt(2 drop) of the peak the integrand is below e^-drop of its peak, and the integral is cut
// there (or sooner, where log F has fallen by drop: by concavity the rest is smaller still).
// Between, pieces of doubling length from the peak go to adaptive Gauss-Kronrod.
//
// Rounding. The integrand is carried relative to its peak, term by term, so that the large
// multiples of log Phi cancel before they are added (n log Phi reaches 3e5 for n = 32767): the
// shape's rounding error is about eps ((k - 1) |log Phi(-x*)| + (n - k) |log Phi(x*)|), some
// 2e-12 for the median of 32767 values. f and g are sums of positive Bernstein terms, each a
// product of at most D = 72 factors W and p that erfc gives to a few units in the last
// place, so each has a relative error below (4 D + 16) eps. On the fail side h is
// -expm1(S log1p(-f)), whose condition in f is at most 1: h inherits f's relative error. On
// the pass side h = exp(S log g) multiplies the error of log g, which is g's relative error or,
// where f < 1/2, f's absolute error, by S: (4 D + 16) eps S min(1, 2 f). The shape's noise is
// taken at the peak, h's averaged over the integrand at 17 points half a width apart; the bound
// is four times their sum plus the quadrature's tolerance (which is never set below that
// noise). The tests hold it against 50-digit quadrature and exact fractions, where it is
// largest (most comparisons, the longest rules, the median of 32763 values): there it is at
// most 8e-11 while the error found is below 1e-13.

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/expm1.hpp>
#include <boost/math/special_functions/log1p.hpp>
#include <boost/math/tools/roots.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

#include "velmora/analysis/strategy_polynomial.h"
#include "math_digits.h"

namespace velmora::analysis::detail {

enum class Side { fail, pass };

template <class Real>
inline constexpr bool kBuiltin = std::is_floating_point_v<Real>;

template <class Real>
Real erfcOf(const Real& x) {
  if constexpr (kBuiltin<Real>) return std::erfc(x);
  else return boost::math::erfc(x);
}
template <class Real>
Real log1pOf(const Real& x) {
  if constexpr (kBuiltin<Real>) return std::log1p(x);
  else return boost::math::log1p(x);
}
template <class Real>
Real expm1Of(const Real& x) {
  if constexpr (kBuiltin<Real>) return std::expm1(x);
  else return boost::math::expm1(x);
}

// How far below its peak the integrand is followed, the relative tolerance of each piece, and
// the points of the Gauss-Kronrod rule: e^-40 = 4e-18 in double; e^-125 = 5e-55 in 50 digits.
template <class Real>
struct Accuracy {
  static constexpr double kDrop = kBuiltin<Real> ? 40.0 : 125.0;
  static constexpr unsigned kPoints = kBuiltin<Real> ? 21 : 61;
  static Real tolerance() { return kBuiltin<Real> ? Real(1e-13) : Real(1e-44); }
};

// In extended precision (64-bit significand, eps 1.1e-19): the step between double and 50
// digits, followed to e^-50 = 2e-22 and refined to 1e-18.
template <>
struct Accuracy<long double> {
  static constexpr double kDrop = 50.0;
  static constexpr unsigned kPoints = 31;
  static long double tolerance() { return 1e-18L; }
};

// The polynomial's coefficients in Real, with the lowest power of W in f and the highest in g,
// which the sums factor out so that neither underflows before its logarithm is taken.
template <class Real>
struct PolynomialTerms {
  int degree = 0;
  int failLow = 0;   // f = W^failLow * (sum of fail[j] W^(j - failLow) p^(D - j))
  int passHigh = 0;  // g = p^(D - passHigh) * (sum of pass[j] W^j p^(passHigh - j))
  std::vector<Real> fail;
  std::vector<Real> pass;

  explicit PolynomialTerms(const StrategyPolynomial& polynomial) : degree(polynomial.degree) {
    for (int j = 0; j <= degree; ++j) {
      fail.push_back(toReal(polynomial.fail[static_cast<std::size_t>(j)]));
      pass.push_back(toReal(polynomial.pass[static_cast<std::size_t>(j)]));
    }
    while (polynomial.fail[static_cast<std::size_t>(failLow)] == 0) ++failLow;  // f(1) = 1: fail[D] = 1
    passHigh = degree;
    while (polynomial.pass[static_cast<std::size_t>(passHigh)] == 0) --passHigh;  // g(0) = 1: pass[0] = 1
  }

 private:
  static Real toReal(const PolynomialCoefficient& c) {
    if constexpr (kBuiltin<Real>) return c.template convert_to<Real>();
    else return Real(c.str());
  }
};

template <class Real>
struct IntegralValue {
  Real logValue = 0;       // log of the expectation
  Real relativeError = 0;  // bound on the relative error of exp(logValue)
  int nodes = 0;           // integrand evaluations
};

template <class Real>
class LimitIntegrand {
 public:
  LimitIntegrand(const PolynomialTerms<Real>& terms, int n, int k, const Real& shift, long comparisons, Side side)
      : m_terms(terms), m_n(n), m_k(k), m_high(Real(n - k)), m_low(Real(k - 1)), m_shift(shift),
        m_comparisons(Real(comparisons)), m_side(side) {}

  struct Point {
    Real logBelow;  // log Phi(x)
    Real logAbove;  // log Phi(-x)
    Real logH;      // log h(x)
    Real slope;     // (log F)'(x), when asked for
    Real hNoise;    // estimated relative error of h(x), in units of eps
  };

  Point at(const Real& x, bool withSlope) const {
    using std::exp;
    using std::log;
    const Tails own = tails(x);
    // W = Phi(shift - x), p = Phi(x - shift). Unshifted (every CFP) they are own's tails
    // swapped, the same numbers (at x = 0 both are one half), at half the cost.
    const Tails shifted = m_shift == 0 ? Tails{own.upper, own.lower, own.logUpper, own.logLower} : tails(m_shift - x);
    const Real& w = shifted.lower;
    const Real& p = shifted.upper;
    const int d = m_terms.degree;
    std::array<Real, 8 * 9 + 1> wPow;
    std::array<Real, 8 * 9 + 1> pPow;
    wPow[0] = 1;
    pPow[0] = 1;
    for (int i = 1; i <= d; ++i) {
      wPow[static_cast<std::size_t>(i)] = wPow[static_cast<std::size_t>(i - 1)] * w;
      pPow[static_cast<std::size_t>(i)] = pPow[static_cast<std::size_t>(i - 1)] * p;
    }
    Real restF = 0;
    Real weightedF = 0;
    for (int j = m_terms.failLow; j <= d; ++j) {
      const Real term = m_terms.fail[static_cast<std::size_t>(j)] * wPow[static_cast<std::size_t>(j - m_terms.failLow)] *
                        pPow[static_cast<std::size_t>(d - j)];
      restF += term;
      weightedF += Real(j) * term;
    }
    Real restG = 0;
    Real weightedG = 0;
    for (int j = 0; j <= m_terms.passHigh; ++j) {
      const Real term = m_terms.pass[static_cast<std::size_t>(j)] * wPow[static_cast<std::size_t>(j)] *
                        pPow[static_cast<std::size_t>(m_terms.passHigh - j)];
      restG += term;
      weightedG += Real(j) * term;
    }
    const Real logF = Real(m_terms.failLow) * shifted.logLower + log(restF);
    const Real logG = Real(d - m_terms.passHigh) * shifted.logUpper + log(restG);
    const Real f = exp(logF);
    const Real half = Real(1) / 2;
    const Real logPass = f < half ? log1pOf(Real(-f)) : logG;  // log g, from the smaller of f and g
    const Real sf = m_comparisons * f;

    Point point;
    point.logBelow = own.logLower;
    point.logAbove = own.logUpper;
    const Real tiny = kBuiltin<Real> ? Real(1e-20) : Real(1e-60);
    const bool small = m_side == Side::fail && sf < tiny;
    if (m_side == Side::fail) {
      // 1 - (1 - f)^S = S f (1 - (S - 1) f / 2 + ...): below `tiny` the first term is the value.
      point.logH = small ? log(m_comparisons) + logF : log(Real(-expm1Of(Real(m_comparisons * logPass))));
    } else {
      point.logH = m_comparisons * logPass;
    }
    const Real polynomialNoise = Real(4 * d + 16);
    using std::fabs;
    using std::min;
    point.hNoise = fabs(point.logH) + polynomialNoise * (m_side == Side::pass ? min(Real(1), 2 * f) * m_comparisons + 1 : Real(1));

    point.slope = 0;
    if (withSlope) {
      const Real millsW = mills(m_shift - x, shifted.logLower);  // phi / Phi at shift - x
      const Real millsP = mills(x - m_shift, shifted.logUpper);
      const Real meanF = weightedF / restF;  // the mean power of W among f's terms
      const Real meanG = weightedG / restG;
      const Real slopeF = -meanF * millsW + (Real(d) - meanF) * millsP;
      const Real slopeG = -meanG * millsW + (Real(d) - meanG) * millsP;
      Real slopeH;
      if (m_side == Side::fail) {
        // d log h / d log f = S f g^(S - 1) / h, at most 1.
        const Real condition = small ? Real(1) : sf * exp((m_comparisons - 1) * logPass - point.logH);
        slopeH = condition * slopeF;
      } else {
        slopeH = m_comparisons * slopeG;
      }
      point.slope = -m_low * mills(-x, own.logUpper) + m_high * mills(x, own.logLower) - x + slopeH;
    }
    return point;
  }

  const PolynomialTerms<Real>& terms() const { return m_terms; }
  int n() const { return m_n; }
  int k() const { return m_k; }
  Real high() const { return m_high; }
  Real low() const { return m_low; }

 private:
  struct Tails {
    Real lower;     // Phi(z)
    Real upper;     // Phi(-z)
    Real logLower;  // log Phi(z)
    Real logUpper;  // log Phi(-z)
  };
  // Both tails from one erfc, the smaller directly, so that neither loses digits.
  static Tails tails(const Real& z) {
    using std::fabs;
    using std::log;
    using std::sqrt;
    const Real small = erfcOf(Real(fabs(z) / sqrt(Real(2)))) / 2;
    const Real large = 1 - small;
    const Real logSmall = log(small);
    const Real logLarge = log1pOf(Real(-small));
    if (z >= 0) return Tails{large, small, logLarge, logSmall};
    return Tails{small, large, logSmall, logLarge};
  }
  // phi(z) / Phi(z) from log Phi(z).
  static Real mills(const Real& z, const Real& logCdf) {
    using std::exp;
    using std::sqrt;
    const Real root2Pi = sqrt(2 * boost::math::constants::pi<Real>());
    return exp(-z * z / 2 - logCdf) / root2Pi;
  }

  const PolynomialTerms<Real>& m_terms;
  int m_n;
  int m_k;
  Real m_high;  // n - k
  Real m_low;   // k - 1
  Real m_shift;
  Real m_comparisons;
  Side m_side;
};

// log of the density of L at x: log Beta(k, n + 1 - k) density at Phi(-x), plus log phi(x),
// from the smaller of Phi(-x) and Phi(x) so that its complement is not rounded.
template <class Real>
Real logLimitDensity(int n, int k, const Real& x) {
  using std::exp;
  using std::fabs;
  using std::log;
  using std::sqrt;
  const Real small = erfcOf(Real(fabs(x) / sqrt(Real(2)))) / 2;
  const Real a = Real(k);
  const Real b = Real(n + 1 - k);
  const Real beta = x >= 0 ? boost::math::ibeta_derivative(a, b, small) : boost::math::ibeta_derivative(b, a, small);
  return log(beta) - x * x / 2 - log(sqrt(2 * boost::math::constants::pi<Real>()));
}

// E[h] for one side, sizes already checked: 1 <= k <= n, comparisons >= 1, |shift| <= 6.
template <class Real>
IntegralValue<Real> integrateLimit(const PolynomialTerms<Real>& terms, int n, int k, const Real& shift, long comparisons,
                                   Side side) {
  using std::exp;
  using std::fabs;
  using std::log;
  using std::max;
  using std::min;
  using std::sqrt;
  const LimitIntegrand<Real> integrand(terms, n, k, shift, comparisons, side);
  IntegralValue<Real> result;
  // Both tails of x and of shift - x stay above the smallest double: |x| and |shift - x| <= 37.
  const Real lowest = max(Real(-37), Real(shift - 37));
  const Real highest = min(Real(37), Real(shift + 37));
  const auto slopeAt = [&](const Real& x) {
    ++result.nodes;
    return integrand.at(x, true).slope;
  };

  // The peak. From the density's own centre x0, about Phi^-1(1 - k / (n + 1)); since the
  // curvature is at most -1 the root of (log F)' lies between x0 and x0 + (log F)'(x0).
  const Real x0 = sqrt(Real(2)) * boost::math::erfc_inv(Real(2 * Real(k) / Real(n + 1)));
  const Real slope0 = slopeAt(x0);
  Real peak = x0;
  if (slope0 != 0) {
    Real a = slope0 > 0 ? x0 : max(lowest, Real(x0 + slope0));
    Real b = slope0 > 0 ? min(highest, Real(x0 + slope0)) : x0;
    const Real fa = slope0 > 0 ? slope0 : slopeAt(a);
    const Real fb = slope0 > 0 ? slopeAt(b) : slope0;
    if (fa <= 0) {
      peak = a;  // only where the range was cut
    } else if (fb >= 0) {
      peak = b;
    } else {
      std::uintmax_t iterations = 100;
      const Real closeEnough = kBuiltin<Real> ? Real(1e-10) : Real(1e-20);
      const auto bracket = boost::math::tools::toms748_solve(
          slopeAt, a, b, fa, fb, [&](const Real& u, const Real& v) { return fabs(u - v) <= closeEnough; }, iterations);
      peak = (bracket.first + bracket.second) / 2;
    }
  }
  const typename LimitIntegrand<Real>::Point top = integrand.at(peak, false);
  // The width from the curvature at the peak (at most 1, as the curvature is at most -1).
  const Real step = kBuiltin<Real> ? Real(1e-5) : Real(1e-12);
  const Real curvature = (slopeAt(peak + step) - slopeAt(peak - step)) / (2 * step);
  const Real width = curvature < -1 ? Real(1 / sqrt(-curvature)) : Real(1);

  const Real high = integrand.high();
  const Real low = integrand.low();
  const auto logShape = [&](const Real& x) {
    ++result.nodes;
    const typename LimitIntegrand<Real>::Point point = integrand.at(x, false);
    return low * (point.logAbove - top.logAbove) + high * (point.logBelow - top.logBelow) - (x - peak) * (x + peak) / 2 +
           (point.logH - top.logH);
  };
  const auto shape = [&](const Real& x) { return exp(logShape(x)); };

  // The rounding noise of the integrand relative to its value, in units of eps: the shape's
  // terms at the peak and at the density's centre (the normalising point), and h's noise
  // averaged over the integrand (17 points half a width apart: the errors are weighted by the
  // integrand where they are made, and h's grows away from the peak where the integrand falls).
  const Real lowest2 = lowest;
  const auto clampX = [&](const Real& x) { return min(max(x, lowest2), highest); };
  const typename LimitIntegrand<Real>::Point centre = integrand.at(x0, false);
  const Real shapeNoise = low * fabs(top.logAbove) + high * fabs(top.logBelow) + peak * peak / 2 +
                          low * fabs(centre.logAbove) + high * fabs(centre.logBelow) + x0 * x0 / 2 + 8;
  Real weight = 0;
  Real weightedNoise = 0;
  for (int i = -8; i <= 8; ++i) {
    const Real x = clampX(peak + Real(i) * width / 2);
    const typename LimitIntegrand<Real>::Point point = integrand.at(x, false);
    const Real s = exp(low * (point.logAbove - top.logAbove) + high * (point.logBelow - top.logBelow) -
                       (x - peak) * (x + peak) / 2 + (point.logH - top.logH));
    weight += s;
    weightedNoise += s * point.hNoise;
  }
  const Real noise = shapeNoise + max(top.hNoise, Real(weightedNoise / weight));
  const Real eps = mathEpsilon<Real>();
  // Each piece is refined until the Gauss and Kronrod sums agree to this, but not below the
  // integrand's own noise, which no refinement removes. The Kronrod sum returned is far more
  // accurate than their difference.
  const Real tolerance = max(Accuracy<Real>::tolerance(), Real(2 * eps * noise));

  using Quadrature = boost::math::quadrature::gauss_kronrod<Real, Accuracy<Real>::kPoints>;
  const Real drop = Real(Accuracy<Real>::kDrop);
  const Real reach = sqrt(2 * drop);
  // Each piece is integrated over u = (x - peak) / width, on pieces at least 2 long: Boost's
  // adaptive rule sets its error estimate, taken on [-1, 1], against the tolerance times the
  // piece's integral, so on a piece far shorter than 1 it would refine down to the noise in vain.
  Real sum = 0;
  for (const int direction : {-1, 1}) {
    Real inner = 0;
    while (inner < reach) {
      const Real outer = min(max(Real(2 * inner), Real(2 * width)), reach);
      const Real a = clampX(peak + Real(direction) * inner);
      const Real b = clampX(peak + Real(direction) * outer);
      if (a == b) break;
      const auto scaled = [&](const Real& u) { return shape(peak + u * width); };
      sum += width * Quadrature::integrate(scaled, Real(min(a, b) - peak) / width, Real(max(a, b) - peak) / width, 8,
                                           tolerance);
      if (b == lowest || b == highest || logShape(b) < -drop) break;
      inner = outer;
    }
  }

  const Real logDensity = logLimitDensity(n, k, x0);
  const Real logPeak = logDensity + low * (top.logAbove - centre.logAbove) + high * (top.logBelow - centre.logBelow) -
                       (peak - x0) * (peak + x0) / 2 + top.logH;
  result.logValue = logPeak + log(sum);
  result.relativeError = 4 * eps * noise + tolerance;
  return result;
}

}  // namespace velmora::analysis::detail

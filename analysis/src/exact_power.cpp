// SPDX-License-Identifier: GPL-3.0-or-later
// Exact power of scheme 1:t: the expectation of Phi(delta - L)^t over the limit L, the k-th
// largest of n standard normal values.
//
// The integral is taken on the normal scale, over the value x of L. There the integrand
//
//   g(x) = Phi(delta - x)^t f(x),   f(x) = Beta(k, n + 1 - k) density at Phi(-x) times phi(x),
//
// is log-concave: log g(x) = t log Phi(delta - x) + (k - 1) log Phi(-x) + (n - k) log Phi(x)
// - x^2/2 + constant, every log Phi is concave and -x^2/2 has second derivative -1. So g has
// one mode x*, found by Newton's method on (log g)', and log g falls at least as fast as
// (x - x*)^2 / 2 on either side of it. For large n the mass is very narrow (a standard
// deviation of about 0.007 for the median of 32767 values), so the integral is cut at the
// mode and at 2s, 4s, 8s, ... from it, s the width the curvature at the mode gives, and each
// piece goes to adaptive Gauss-Kronrod; the pieces stop where log g has fallen 40 below its
// peak, and what lies beyond is below 1e-15 of the integral.
//
// The integrand is carried relative to its value at the mode, g(x*), which Boost's beta
// density gives without forming the huge and tiny factors of the normalising constant
// (their logs, near 3e5 for n = 32767, would lose 1e-10 to rounding). Only the shape
// g(x)/g(x*) comes from the logs; its rounding error is about (n - k) eps |log Phi(x)|, some
// 2e-12 at worst.

#include "velmora/analysis/exact_power.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/tools/roots.hpp>

#include "velmora/engine/detail/contract.h"
#include "velmora/engine/numbers.h"

namespace velmora::analysis {
namespace {

constexpr double kInvSqrt2 = 0.70710678118654752440;
constexpr double kInvSqrt2Pi = 0.39894228040143267794;
// How far below its peak log g is followed; e^-40 is 4e-18.
constexpr double kLogDrop = 40.0;

// Phi(-|z|) and Phi(|z|) from one erfc: the smaller tail directly, so that neither loses
// digits. The integrals stay within |z| < 37, where the smaller tail does not underflow.
struct Tails {
  double lower;  // Phi(z)
  double upper;  // Phi(-z)
};
Tails normalTails(double z) {
  const double small = 0.5 * std::erfc(std::fabs(z) * kInvSqrt2);
  const double large = 1.0 - small;
  return z >= 0.0 ? Tails{large, small} : Tails{small, large};
}

// log Phi(z) and log Phi(-z), the larger tail as log1p of minus the smaller.
Tails logTails(double z) {
  const double small = 0.5 * std::erfc(std::fabs(z) * kInvSqrt2);
  const double logSmall = std::log(small);
  const double logLarge = std::log1p(-small);
  return z >= 0.0 ? Tails{logLarge, logSmall} : Tails{logSmall, logLarge};
}

double logNormalCdf(double z) {
  const double small = 0.5 * std::erfc(std::fabs(z) * kInvSqrt2);
  return z >= 0.0 ? std::log1p(-small) : std::log(small);
}

// phi(z) / Phi(z), the derivative of log Phi(z), with its own derivative -m (z + m).
struct Mills {
  double m;
  double dm;
};
Mills millsOf(double z, double cdf) {
  const double m = kInvSqrt2Pi * std::exp(-0.5 * z * z) / cdf;
  return {m, -m * (z + m)};
}

class LogIntegrand {
 public:
  LogIntegrand(int n, int k, int t, double delta)
      : m_high(static_cast<double>(n - k)), m_low(static_cast<double>(k - 1)), m_t(static_cast<double>(t)), m_delta(delta) {}

  // (log g)' and (log g)'' at x.
  std::pair<double, double> slope(double x) const {
    const Tails tails = normalTails(x);
    const Mills below = millsOf(x, tails.lower);
    const Mills above = millsOf(-x, tails.upper);
    const Mills shifted = millsOf(m_delta - x, normalTails(m_delta - x).lower);
    const double slope = -m_t * shifted.m - m_low * above.m + m_high * below.m - x;
    const double curvature = m_t * shifted.dm + m_low * above.dm + m_high * below.dm - 1.0;
    return {slope, curvature};
  }

  // Fixes the point the shape is measured from.
  void setPeak(double peak) {
    m_peak = peak;
    m_peakLogShifted = logNormalCdf(m_delta - peak);
    m_peakLog = logTails(peak);
  }
  double peakLogShifted() const { return m_peakLogShifted; }

  // The rounding error of LogShape relative to 1, about eps times the size of the terms it
  // cancels: some 2e-12 for the median of 32767 values.
  double shapeNoise() const {
    const double size = m_t * std::fabs(m_peakLogShifted) + m_low * std::fabs(m_peakLog.upper) +
                        m_high * std::fabs(m_peakLog.lower) + 0.5 * m_peak * m_peak + 1.0;
    return std::numeric_limits<double>::epsilon() * size;
  }

  // log g(x) - log g(peak), term by term so that the large multiples of log Phi cancel
  // before they are added.
  double logShape(double x) const {
    const Tails logs = logTails(x);
    return m_t * (logNormalCdf(m_delta - x) - m_peakLogShifted) + m_low * (logs.upper - m_peakLog.upper) +
           m_high * (logs.lower - m_peakLog.lower) - 0.5 * (x - m_peak) * (x + m_peak);
  }

 private:
  double m_high;  // n - k, the background values below the limit
  double m_low;   // k - 1, those above it
  double m_t;
  double m_delta;
  double m_peak = 0.0;
  double m_peakLogShifted = 0.0;
  Tails m_peakLog{0.0, 0.0};
};

// The density of L at x: the Beta(k, n + 1 - k) density of Phi(-x), taken from the smaller of
// Phi(-x) and Phi(x) so that its complement is not rounded, times phi(x).
double limitDensity(int n, int k, double x) {
  const Tails tails = normalTails(x);
  const double a = static_cast<double>(k);
  const double b = static_cast<double>(n + 1 - k);
  const double beta = x >= 0.0 ? boost::math::ibeta_derivative(a, b, tails.upper)
                               : boost::math::ibeta_derivative(b, a, tails.lower);
  return beta * kInvSqrt2Pi * std::exp(-0.5 * x * x);
}

}  // namespace

bool inExactPowerDomain(int n, int k, int t, double delta) {
  return n >= 2 && n <= 32767 && k >= 1 && k <= n && t >= 1 && t <= 4 && delta >= 0.0 && delta <= 6.0;
}

Expected<double> exactPower(int n, int k, int t, double delta) {
  if (!inExactPowerDomain(n, k, t, delta)) {
    return fail(ProblemKind::refusedRequest,
                "the exact power needs n from 2 to 32767, a rank from 1 to n, a test from 1:1 to 1:4 and a shift "
                "from 0 to 6 standard deviations");
  }
  LogIntegrand integrand(n, k, t, delta);

  // The mode. Start from the limit's median, about Phi^-1(1 - k/(n + 1)); since (log g)'' <= -1
  // the root of (log g)' lies between x0 and x0 + (log g)'(x0).
  const double x0 = std::sqrt(2.0) * boost::math::erfc_inv(2.0 * static_cast<double>(k) / static_cast<double>(n + 1));
  const double slope0 = integrand.slope(x0).first;
  const double lo = std::min(x0, x0 + slope0);
  const double hi = std::max(x0, x0 + slope0);
  std::uintmax_t iterations = 60;
  const double peak = boost::math::tools::newton_raphson_iterate(
      [&](double x) { return integrand.slope(x); }, x0, lo, hi, 32, iterations);
  integrand.setPeak(peak);
  const double width = 1.0 / std::sqrt(-integrand.slope(peak).second);

  // Beyond this distance from the mode log g has surely fallen by kLogDrop.
  const double reach = std::sqrt(2.0 * kLogDrop);
  const auto shape = [&](double x) { return std::exp(integrand.logShape(x)); };
  using Quadrature = boost::math::quadrature::gauss_kronrod<double, 21>;
  // The Kronrod-Gauss difference cannot fall below the integrand's rounding noise, so the
  // tolerance stays above it: otherwise the pieces of a narrow integrand are split to the
  // depth limit for nothing. That difference is the error of the 10-point Gauss rule; the
  // 21-point Kronrod value returned is far more accurate than it.
  const double tolerance = std::max(1e-13, 32.0 * integrand.shapeNoise());
  double sum = 0.0;
  for (const double side : {-1.0, 1.0}) {
    double inner = 0.0;
    while (inner < reach) {
      const double outer = std::min(std::max(2.0 * inner, 2.0 * width), reach);
      const double a = peak + side * inner;
      const double b = peak + side * outer;
      sum += Quadrature::integrate(shape, std::min(a, b), std::max(a, b), 10, tolerance);
      if (integrand.logShape(b) < -kLogDrop) break;
      inner = outer;
    }
  }

  const double atPeak = limitDensity(n, k, peak) * std::exp(static_cast<double>(t) * integrand.peakLogShifted());
  return std::clamp(atPeak * sum, 0.0, 1.0);
}

Expected<std::array<double, 3>> exactPowers(int n, int k, int t) {
  std::array<double, 3> powers{};
  for (std::size_t i = 0; i < powers.size(); ++i) {
    const Expected<double> power = exactPower(n, k, t, static_cast<double>(i + 2));
    if (!power) return fail(power.error());
    powers[i] = *power;
  }
  return powers;
}

int powerThousandths(double power) { return VELMORA_IN_RANGE(toInt16(power * 1000.0)); }

Rating ratePowers(double power3, double power4) {
  // The calculator keeps the rounded powers in float32.
  const float p3 = static_cast<float>(static_cast<double>(powerThousandths(power3)) / 1000.0);
  const float p4 = static_cast<float>(static_cast<double>(powerThousandths(power4)) / 1000.0);
  return rateByCriteria(p3, p4);
}

Expected<Rating> exactRating(int n, int k, int t) {
  const Expected<std::array<double, 3>> powers = exactPowers(n, k, t);
  if (!powers) return fail(powers.error());
  return ratePowers((*powers)[1], (*powers)[2]);
}

}  // namespace velmora::analysis

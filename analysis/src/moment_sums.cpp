// SPDX-License-Identifier: GPL-3.0-or-later
#include "moment_sums.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <mutex>
#include <utility>

#include "velmora/engine/detail/contract.h"

namespace velmora::analysis::detail {
namespace {

template <class Real>
using Coefficients = std::vector<Real>;

// The product of two polynomials in the Bernstein form (degrees add).
template <class Real>
Coefficients<Real> times(const Coefficients<Real>& a, const Coefficients<Real>& b) {
  Coefficients<Real> out(a.size() + b.size() - 1, Real(0));
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == 0) continue;
    for (std::size_t j = 0; j < b.size(); ++j) out[i + j] += a[i] * b[j];
  }
  return out;
}

// (W + p)^degree = 1 in the Bernstein form of that degree: the binomial coefficients.
template <class Real>
Coefficients<Real> one(int degree) {
  Coefficients<Real> out(static_cast<std::size_t>(degree) + 1);
  out[0] = 1;
  for (int s = 0; s < degree; ++s) {
    out[static_cast<std::size_t>(s) + 1] =
        out[static_cast<std::size_t>(s)] * static_cast<Real>(degree - s) / static_cast<Real>(s + 1);
  }
  return out;
}

// f and g in Real.
template <class Real>
std::pair<Coefficients<Real>, Coefficients<Real>> failAndPass(const StrategyPolynomial& polynomial) {
  Coefficients<Real> fail;
  Coefficients<Real> pass;
  for (int j = 0; j <= polynomial.degree; ++j) {
    fail.push_back(polynomial.fail[static_cast<std::size_t>(j)].convert_to<Real>());
    pass.push_back(polynomial.pass[static_cast<std::size_t>(j)].convert_to<Real>());
  }
  return {fail, pass};
}

// 1 - g^r (failing) or g^r in the Bernstein form of degree D r. 1 - g^r by the recurrence
// 1 - g^(i + 1) = f + g (1 - g^i), f raised to degree (i + 1) D by (W + p)^(i D) = 1.
template <class Real>
Coefficients<Real> side(const StrategyPolynomial& polynomial, int r, bool failing) {
  const auto [fail, pass] = failAndPass<Real>(polynomial);
  Coefficients<Real> out = failing ? fail : pass;
  for (int i = 1; i < r; ++i) {
    out = times(pass, out);
    if (failing) {
      const Coefficients<Real> raised = times(fail, one<Real>(i * polynomial.degree));
      for (std::size_t s = 0; s < out.size(); ++s) out[s] += raised[s];
    }
  }
  return out;
}

// A positive number carried with an exponent of its own: value * 2^exponent.
template <class Real>
struct Scaled {
  Real value = 1;
  int exponent = 0;
  void keepInRange() {
    if (value < Real(0x1p-500) || value > Real(0x1p500)) {
      int shift = 0;
      value = std::frexp(value, &shift);
      exponent += shift;
    }
  }
};

// sum over j of c_j E[W^j p^(m - j)], as a mantissa and an exponent: products, quotients,
// sums and scalings alone, so in Real's own rounding on every platform.
template <class Real>
Scaled<Real> momentSum(const Coefficients<Real>& coefficients, int n, int k) {
  const int m = static_cast<int>(coefficients.size()) - 1;
  // E[p^m] = (n + 1 - k)^(m) / (n + 1)^(m), then E[W^(j + 1) p^(m - j - 1)] from E[W^j p^(m - j)]
  // by the ratio (k + j) / (n - k + m - j).
  Scaled<Real> moment;
  for (int i = 0; i < m; ++i) {
    moment.value *= static_cast<Real>(n + 1 - k + i) / static_cast<Real>(n + 1 + i);
    moment.keepInRange();
  }
  std::vector<Real> mantissas(static_cast<std::size_t>(m) + 1, Real(0));
  std::vector<int> exponents(static_cast<std::size_t>(m) + 1, 0);
  int highest = std::numeric_limits<int>::min();
  for (int j = 0; j <= m; ++j) {
    const Real c = coefficients[static_cast<std::size_t>(j)];
    if (c > 0) {
      // Each factor scaled on its own: a coefficient reaches 1e300, a moment 2^500.
      int ofCoefficient = 0;
      int ofMoment = 0;
      mantissas[static_cast<std::size_t>(j)] = std::frexp(c, &ofCoefficient) * std::frexp(moment.value, &ofMoment);
      exponents[static_cast<std::size_t>(j)] = moment.exponent + ofCoefficient + ofMoment;
      highest = std::max(highest, exponents[static_cast<std::size_t>(j)]);
    }
    if (j < m) {
      moment.value *= static_cast<Real>(k + j) / static_cast<Real>(n - k + m - j);
      moment.keepInRange();
    }
  }
  Scaled<Real> sum{0, highest};
  for (int j = 0; j <= m; ++j) {
    const Real mantissa = mantissas[static_cast<std::size_t>(j)];
    if (mantissa > 0) sum.value += std::ldexp(mantissa, exponents[static_cast<std::size_t>(j)] - highest);
  }
  return sum;
}

}  // namespace

MomentSums::MomentSums(const StrategyPolynomial& polynomial, int r)
    : m_polynomial(polynomial), m_r(r), m_degree(polynomial.degree * r),
      m_roundings(8.0 * m_degree + 4.0 * r + 2.0 * polynomial.degree + 16.0) {
  VELMORA_ASSERT(r >= 1 && static_cast<long>(m_degree) <= kMomentDegreeLimit);
}

template <class Real>
const std::vector<Real>& MomentSums::Lazy<Real>::get(const MomentSums& sums, bool failing) const {
  Built& built = failing ? m_fail : m_pass;
  std::call_once(built.once, [&] { built.coefficients = side<Real>(sums.m_polynomial, sums.m_r, failing); });
  return built.coefficients;
}

MomentValue MomentSums::expectation(int n, int k, bool failing) const {
  VELMORA_ASSERT(k >= 1 && k <= n);
  const Scaled<double> sum = momentSum(m_doubles.get(*this, failing), n, k);
  // Within the double range the logarithm of the value itself, below it of its parts. Either
  // way exp(logValue) adds some eps |logValue|, which the bound takes in.
  const double value = std::ldexp(sum.value, sum.exponent);
  const double logValue = value >= std::numeric_limits<double>::min()
                              ? std::log(value)
                              : std::log(sum.value) + static_cast<double>(sum.exponent) * std::numbers::ln2;
  constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
  return {logValue, m_roundings * kEpsilon + 2.0 * std::fabs(logValue) * kEpsilon};
}

ExtendedMomentValue MomentSums::extendedExpectation(int n, int k, bool failing) const {
  VELMORA_ASSERT(k >= 1 && k <= n);
  const Scaled<long double> sum = momentSum(m_extended.get(*this, failing), n, k);
  return {std::ldexp(sum.value, sum.exponent),
          static_cast<long double>(m_roundings) * std::numeric_limits<long double>::epsilon()};
}

}  // namespace velmora::analysis::detail

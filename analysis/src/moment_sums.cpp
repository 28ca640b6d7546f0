// SPDX-License-Identifier: GPL-3.0-or-later
#include "moment_sums.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

#include "velmora/engine/detail/contract.h"

namespace velmora::analysis::detail {
namespace {

using Coefficients = std::vector<double>;

// The product of two polynomials in the Bernstein form (degrees add).
Coefficients times(const Coefficients& a, const Coefficients& b) {
  Coefficients out(a.size() + b.size() - 1, 0.0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == 0.0) continue;
    for (std::size_t j = 0; j < b.size(); ++j) out[i + j] += a[i] * b[j];
  }
  return out;
}

// (W + p)^degree = 1 in the Bernstein form of that degree: the binomial coefficients.
Coefficients one(int degree) {
  Coefficients out(static_cast<std::size_t>(degree) + 1);
  out[0] = 1.0;
  for (int s = 0; s < degree; ++s) {
    out[static_cast<std::size_t>(s) + 1] = out[static_cast<std::size_t>(s)] * static_cast<double>(degree - s) /
                                            static_cast<double>(s + 1);
  }
  return out;
}

// A positive double carried with an exponent of its own: value * 2^exponent.
struct Scaled {
  double value = 1.0;
  int exponent = 0;
  void keepInRange() {
    if (value < 0x1p-500 || value > 0x1p500) {
      int shift = 0;
      value = std::frexp(value, &shift);
      exponent += shift;
    }
  }
};

}  // namespace

MomentSums::MomentSums(const StrategyPolynomial& polynomial, int r) : m_degree(polynomial.degree * r) {
  VELMORA_ASSERT(r >= 1 && static_cast<long>(m_degree) <= kMomentDegreeLimit);
  const int d = polynomial.degree;
  Coefficients pass;
  Coefficients fail;
  for (int j = 0; j <= d; ++j) {
    pass.push_back(polynomial.pass[static_cast<std::size_t>(j)].convert_to<double>());
    fail.push_back(polynomial.fail[static_cast<std::size_t>(j)].convert_to<double>());
  }
  // g^r, and 1 + g + ... + g^(r - 1) by Horner's rule, each power of g raised to the sum's
  // degree by (W + p)^D: S_1 = 1, S_(i + 1) = g S_i + (W + p)^(i D).
  Coefficients power{1.0};
  Coefficients sum{1.0};
  for (int i = 1; i <= r; ++i) {
    power = times(power, pass);
    if (i < r) {
      sum = times(pass, sum);
      const Coefficients raised = one(i * d);
      for (std::size_t s = 0; s < sum.size(); ++s) sum[s] += raised[s];
    }
  }
  m_pass = std::move(power);
  m_fail = times(fail, sum);
  VELMORA_ASSERT(m_pass.size() == static_cast<std::size_t>(m_degree) + 1 && m_fail.size() == m_pass.size());
  m_relativeError = static_cast<double>(8L * m_degree + 4L * r + 2L * d + 16) * std::numeric_limits<double>::epsilon();
}

MomentValue MomentSums::expectation(int n, int k, bool failing) const {
  VELMORA_ASSERT(k >= 1 && k <= n);
  const int m = m_degree;
  const Coefficients& coefficients = failing ? m_fail : m_pass;
  // E[p^m] = (n + 1 - k)^(m) / (n + 1)^(m), then E[W^(j + 1) p^(m - j - 1)] from E[W^j p^(m - j)]
  // by the ratio (k + j) / (n - k + m - j).
  Scaled moment;
  for (int i = 0; i < m; ++i) {
    moment.value *= static_cast<double>(n + 1 - k + i) / static_cast<double>(n + 1 + i);
    moment.keepInRange();
  }
  std::array<double, kMomentDegreeLimit + 1> mantissas{};
  std::array<int, kMomentDegreeLimit + 1> exponents{};
  int highest = std::numeric_limits<int>::min();
  for (int j = 0; j <= m; ++j) {
    const double c = coefficients[static_cast<std::size_t>(j)];
    int shift = 0;
    mantissas[static_cast<std::size_t>(j)] = c > 0.0 ? std::frexp(c * moment.value, &shift) : 0.0;
    exponents[static_cast<std::size_t>(j)] = moment.exponent + shift;
    if (c > 0.0) highest = std::max(highest, exponents[static_cast<std::size_t>(j)]);
    if (j < m) {
      moment.value *= static_cast<double>(k + j) / static_cast<double>(n - k + m - j);
      moment.keepInRange();
    }
  }
  double sum = 0.0;
  for (int j = 0; j <= m; ++j) {
    const double mantissa = mantissas[static_cast<std::size_t>(j)];
    if (mantissa > 0.0) sum += std::ldexp(mantissa, exponents[static_cast<std::size_t>(j)] - highest);
  }
  // Within the double range the logarithm of the value itself, below it of its parts. Either
  // way exp(logValue) adds some eps |logValue|, which the bound takes in.
  const double value = std::ldexp(sum, highest);
  const double logValue = value >= std::numeric_limits<double>::min()
                              ? std::log(value)
                              : std::log(sum) + static_cast<double>(highest) * std::numbers::ln2;
  return {logValue, m_relativeError + 2.0 * std::fabs(logValue) * std::numeric_limits<double>::epsilon()};
}

}  // namespace velmora::analysis::detail

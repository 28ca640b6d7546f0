// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tests' exact reference of the CFP, in GMP fractions, plainly written from the
// definition and independent of every sum of the engine and of the exact tools:
//   CFP_t(k) = 1 - E[(1 - W^t)^r],  W ~ Beta(k, n - k + 1),
// expanded binomially, E[(1 - W^t)^r] = sum over i of C(r, i) (-1)^i E[W^(t i)], with the
// moments E[W^a] = prod over h < a of (k + h) / (n + 1 + h). None of the searches'
// recurrences is used, so a wrong weight, position or bound in any of them shows up as a
// difference far above float32 rounding.
#include <gmpxx.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace velmora::testsupport {

// E[(1 - W^t)^r]: the probability that none of the t r samples exceeds the rank-k
// background value, i.e. that the program raises no false positive.
inline mpq_class exactNoFalsePositive(int n, int r, int t, int k) {
  // moment[a] = E[W^a] for a = 0 .. t r.
  std::vector<mpq_class> moment(static_cast<std::size_t>(t * r) + 1);
  moment[0] = 1;
  for (int a = 1; a <= t * r; ++a) {
    moment[static_cast<std::size_t>(a)] = moment[static_cast<std::size_t>(a - 1)] * mpq_class(k + a - 1, n + a);
    moment[static_cast<std::size_t>(a)].canonicalize();
  }
  mpq_class sum = 0;
  mpz_class binomial = 1;  // C(r, i)
  for (int i = 0; i <= r; ++i) {
    const mpq_class term = mpq_class(binomial) * moment[static_cast<std::size_t>(t * i)];
    if (i % 2 == 0) {
      sum += term;
    } else {
      sum -= term;
    }
    binomial = binomial * (r - i) / (i + 1);
  }
  return sum;
}

// CFP_t(k) itself.
inline mpq_class exactCfpFraction(int n, int r, int t, int k) { return 1 - exactNoFalsePositive(n, r, t, k); }

// |approx - exact| / exact, evaluated in long double after the exact difference.
inline long double relativeError(long double approx, const mpq_class& exact) {
  // approx is a binary fraction: its exact value is (mantissa) * 2^exponent.
  int exponent = 0;
  const long double mantissa = std::frexp(approx, &exponent);
  const unsigned long long bits = static_cast<unsigned long long>(std::ldexp(mantissa, 64));
  mpq_class value(mpz_class(std::to_string(bits)), 1);
  if (exponent - 64 >= 0) {
    value *= mpq_class(mpz_class(1) << (exponent - 64));
  } else {
    value /= mpq_class(mpz_class(1) << (64 - exponent));
  }
  value.canonicalize();
  const mpq_class relative = abs(value - exact) / exact;
  return static_cast<long double>(relative.get_d());
}

}  // namespace velmora::testsupport

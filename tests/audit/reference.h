// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Exact references for the audit tests: CFP_t(k) = 1 - E[(1 - W^t)^r], W ~ Beta(k, n - k + 1),
// expanded binomially, with E[W^m] = prod over h < m of (k + h) / (n + 1 + h), in exact
// fractions. Plainly written from the definition, independent of the engine's sums.
#include <gmpxx.h>

#include <cmath>
#include <string>

namespace velmora::testing {

inline mpq_class ExactCfpFraction(int n, int r, int t, int k) {
  mpq_class pass = 0;
  mpq_class moment = 1;    // E[W^(t i)]
  mpz_class binomial = 1;  // C(r, i)
  for (int i = 0; i <= r; ++i) {
    if (i > 0) {
      for (int h = t * (i - 1); h < t * i; ++h) moment *= mpq_class(k + h, n + 1 + h);
      moment.canonicalize();
      binomial = binomial * (r - i + 1) / i;
    }
    const mpq_class term = binomial * moment;
    if (i % 2 == 0) {
      pass += term;
    } else {
      pass -= term;
    }
  }
  return 1 - pass;
}

// |approx - exact| / exact, evaluated in long double after the exact difference.
inline long double RelativeError(long double approx, const mpq_class& exact) {
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

}  // namespace velmora::testing

#include "velmora/exact_cfp.h"

#include "velmora/numbers.h"

#include <gmpxx.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "velmora/limits.h"

// The recurrence. Given W, the r comparisons are independent and one of them is a false
// positive when all t of its samples exceed the limit. Mixed over W ~ Beta(k, n - k + 1),
// the samples form a Polya urn: after s samples of which e exceeded, the next sample
// exceeds with probability (k + e) / (n + 1 + s). So the probability that the next
// comparison (t samples) brings exactly i exceedances is
//
//   p_i(e, s) = C(t, i) * (k + e)^(i) * (n - k + 1 + s - e)^(t - i) / (n + 1 + s)^(t)
//
// with x^(m) the rising product x (x + 1) ... (x + m - 1). The forward sum keeps q_v(e),
// the probability that the first v comparisons brought no false positive and e
// exceedances in all (e <= (t - 1) v), and adds up
//
//   CFP = sum over v = 0 .. r - 1 of sum over e of q_v(e) * p_t(e, t v),
//
// the probability that comparison v + 1 is the first false positive. Every term is a
// positive probability, so there is no cancellation and no term can overflow; a term too
// small for the number format is at most 1e-4900 and its loss is invisible against the
// smallest CFP of the domain (24 / (32764 * 32765 * 32766 * 32767), about 2.1e-17).
//
// Error bound, u the unit roundoff of the number format (2^-64 for the x87 extended
// format). All integers below stay under 6 * 32771^4 < 2^63, so the rising products,
// the binomial weights and their products are exact. Per comparison: the reciprocal of
// (n + 1 + s)^(t) costs one rounding, its product with a weighted numerator one more, the
// product with q_v(e) one more, and the sum of at most t contributions t - 1 more; as all
// terms are positive the relative errors add up without growth: q_v carries at most
// v (t + 2) u. A false-positive term adds 3u, the inner sum over at most (t - 1) v + 1
// states (t - 1) v u, and the outer sum over r comparisons (r - 1) u. In all
//
//   relative error of CFP <= ((2t + 2)(r - 1) + 3) u   (to first order),
//
// below 4.5e-15 for t = 4 and r = 8191. States at the edges of the exceedance range whose
// probability falls below 1e-60 are dropped; the mass lost over a whole run is below
// 8191 * 24574 * 1e-60 < 1e-51, a relative 1e-34 of the smallest CFP.

namespace velmora {
namespace {

constexpr int kBinomial[5][5] = {{1}, {1, 1}, {1, 2, 1}, {1, 3, 3, 1}, {1, 4, 6, 4, 1}};

template <class Real>
Real FirstFalsePositiveSum(int n, int r, int t, int k) {
  const int size = (t - 1) * r + t + 1;
  std::vector<Real> q(static_cast<std::size_t>(size), Real(0));
  std::vector<Real> next(static_cast<std::size_t>(size), Real(0));
  q[0] = Real(1);
  int low = 0;
  int high = 0;
  Real total = Real(0);
  const Real dropBelow = Real(1e-60);

  for (int v = 0; v < r && low <= high; ++v) {
    const long s = static_cast<long>(t) * v;
    Real poolRise = Real(1);
    for (int h = 0; h < t; ++h) poolRise *= Real(n + 1 + s + h);
    const Real reciprocal = Real(1) / poolRise;

    for (int e = low; e <= high + t - 1; ++e) next[static_cast<std::size_t>(e)] = Real(0);
    Real firstFalsePositive = Real(0);
    for (int e = low; e <= high; ++e) {
      const Real qe = q[static_cast<std::size_t>(e)];
      const long above = k + e;                  // exceedance weight
      const long below = n - k + 1 + s - e;      // non-exceedance weight
      Real aboveRise[5];
      Real belowRise[5];
      aboveRise[0] = Real(1);
      belowRise[0] = Real(1);
      for (int h = 1; h <= t; ++h) {
        aboveRise[h] = aboveRise[h - 1] * Real(above + h - 1);
        belowRise[h] = belowRise[h - 1] * Real(below + h - 1);
      }
      for (int i = 0; i < t; ++i) {
        const Real weighted = Real(kBinomial[t][i]) * aboveRise[i] * belowRise[t - i];
        next[static_cast<std::size_t>(e + i)] += qe * (weighted * reciprocal);
      }
      firstFalsePositive += qe * (aboveRise[t] * reciprocal);
    }
    total += firstFalsePositive;

    q.swap(next);
    high += t - 1;
    while (low <= high && q[static_cast<std::size_t>(low)] < dropBelow) ++low;
    while (high >= low && q[static_cast<std::size_t>(high)] < dropBelow) --high;
  }
  return total;
}

// X / Y for Y > 0, rounded toward zero to 64 significant bits.
long double QuotientToLongDouble(const mpz_class& x, const mpz_class& y) {
  static_assert(sizeof(unsigned long) == 8, "the 64 leading bits are read as one unsigned long");
  if (sgn(x) == 0) return 0.0L;
  const bool negative = sgn(x) < 0;
  const mpz_class magnitude = abs(x);
  const long shift = 66 - (static_cast<long>(mpz_sizeinbase(magnitude.get_mpz_t(), 2)) -
                           static_cast<long>(mpz_sizeinbase(y.get_mpz_t(), 2)));
  mpz_class quotient;
  if (shift >= 0) {
    quotient = (magnitude << static_cast<mp_bitcnt_t>(shift)) / y;
  } else {
    quotient = magnitude / (y << static_cast<mp_bitcnt_t>(-shift));
  }
  const long extra = static_cast<long>(mpz_sizeinbase(quotient.get_mpz_t(), 2)) - 64;
  if (extra > 0) quotient >>= static_cast<mp_bitcnt_t>(extra);
  const long double leading = static_cast<long double>(mpz_get_ui(quotient.get_mpz_t()));
  const long double value = std::ldexp(leading, static_cast<int>((extra > 0 ? extra : 0) - shift));
  return negative ? -value : value;
}

// Decimal exponents beyond this are clamped: such a DCFP is more than 10^30000 away from
// every CFP (all lie between 1e-17 and 1), so no comparison changes.
constexpr long kExponentClamp = 30000;

// The DCFP as typed, as an exact fraction: the same number the box's numeric value reads.
mpq_class ReadExactly(std::string_view text) {
  const NumericParts parts = ScanNumericValue(text);
  if (parts.digits.empty()) return mpq_class(0);
  if (parts.radix != 10) return mpq_class(mpz_class(parts.digits, parts.radix == 0 ? 10 : parts.radix));

  const mpz_class mantissa(parts.digits, 10);
  long long scale = parts.exponent - parts.fractionDigits;
  if (scale > kExponentClamp) scale = kExponentClamp;
  if (scale < -kExponentClamp) scale = -kExponentClamp;
  mpz_class power;
  mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(scale < 0 ? -scale : scale));
  mpq_class value = scale >= 0 ? mpq_class(mantissa * power) : mpq_class(mantissa, power);
  value.canonicalize();
  return parts.negative ? mpq_class(-value) : value;
}

// 1 - CFP_t(k) as an exact fraction num / den, from the alternating sum
// P = sum over i of (-1)^i C(r, i) E[W^(t i)], E[W^m] = prod over h < m of (k + h) / (n + 1 + h),
// in Horner form from the last term down. The fraction is not reduced.
void PassFraction(int n, int r, int t, int k, mpz_class& num, mpz_class& den) {
  num = 1;
  den = 1;
  for (long i = r; i >= 1; --i) {
    mpz_class stepNum = r - i + 1;
    mpz_class stepDen = i;
    for (long h = t * (i - 1); h <= t * i - 1; ++h) {
      stepNum *= static_cast<unsigned long>(k + h);
      stepDen *= static_cast<unsigned long>(n + 1 + h);
    }
    // acc <- 1 - step * acc
    const mpz_class newNum = stepDen * den - stepNum * num;
    den = stepDen * den;
    num = newNum;
  }
}

}  // namespace

struct ExactDcfp::Fraction {
  mpq_class value;
};

bool InExactCfpDomain(int n, int r, int t, int k) {
  return t >= 1 && t <= kSchemeCount && n >= 1 && r >= 1 && k >= 1 && k <= n &&
         static_cast<long>(n) + 4L * r <= kMaxBackgroundPlusFourComparisons;
}

long double ExactCfp(int n, int r, int t, int k) {
  static_assert(LDBL_MANT_DIG >= 64, "the exact audit needs a long double of at least 64 significant bits");
  if (!InExactCfpDomain(n, r, t, k)) return std::numeric_limits<long double>::quiet_NaN();
  return FirstFalsePositiveSum<long double>(n, r, t, k);
}

long double ExactCfpQuad(int n, int r, int t, int k) {
  if (!InExactCfpDomain(n, r, t, k)) return std::numeric_limits<long double>::quiet_NaN();
  return static_cast<long double>(FirstFalsePositiveSum<__float128>(n, r, t, k));
}

long double ExactCfpRelativeErrorBound(int r, int t) {
  const long double u = std::ldexp(1.0L, -(LDBL_MANT_DIG));
  // The first-order bound of the header comment, with 1% for the higher-order terms and
  // a floor for the dropped edge states.
  return (static_cast<long double>((2 * t + 2) * static_cast<long>(r - 1) + 3) * u) * 1.01L + 1e-33L;
}

std::string FormatSignificant(long double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Lg", digits, value);
  return buffer;
}

ExactDcfp::ExactDcfp(std::string_view text) : value_(std::make_unique<Fraction>()) {
  value_->value = ReadExactly(text);
  approx_ = QuotientToLongDouble(value_->value.get_num(), value_->value.get_den());
}
ExactDcfp::~ExactDcfp() = default;
ExactDcfp::ExactDcfp(ExactDcfp&&) noexcept = default;
ExactDcfp& ExactDcfp::operator=(ExactDcfp&&) noexcept = default;

std::string ExactDcfp::fractionText() const { return value_->value.get_str(); }

int ExactDcfp::CompareByFractions(int n, int r, int t, int k, long double* margin) const {
  mpz_class num;
  mpz_class den;
  PassFraction(n, r, t, k, num, den);
  // CFP = (den - num) / den, DCFP = p / q; DCFP - CFP = (p den - (den - num) q) / (q den).
  const mpz_class& p = value_->value.get_num();
  const mpz_class& q = value_->value.get_den();
  const mpz_class difference = p * den - (den - num) * q;
  if (margin != nullptr) *margin = QuotientToLongDouble(difference, q * den);
  return -sgn(difference);  // the sign of CFP - DCFP
}

ExactDcfp::Comparison ExactDcfp::Compare(int n, int r, int t, int k) const {
  Comparison comparison;
  comparison.cfp = ExactCfp(n, r, t, k);
  const long double u = std::ldexp(1.0L, -(LDBL_MANT_DIG - 1));
  const long double doubt = 4.0L * (ExactCfpRelativeErrorBound(r, t) * comparison.cfp + u * std::fabs(approx_));
  comparison.margin = approx_ - comparison.cfp;
  if (std::fabs(comparison.margin) > doubt) {
    comparison.meets = comparison.margin > 0.0L;
    return comparison;
  }
  comparison.decidedByFractions = true;
  comparison.meets = CompareByFractions(n, r, t, k, &comparison.margin) <= 0;
  return comparison;
}

}  // namespace velmora

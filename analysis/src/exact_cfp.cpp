// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/exact_cfp.h"

#include "velmora/engine/detail/first_false_positive.h"
#include "velmora/engine/numbers.h"

#include <gmpxx.h>

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "velmora/engine/limits.h"

namespace velmora::analysis {
namespace {

// X / Y for Y > 0, rounded toward zero to 64 significant bits.
long double quotientToLongDouble(const mpz_class& x, const mpz_class& y) {
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

tl::unexpected<Problem> outsideDomain() {
  return fail(ProblemKind::refusedRequest,
              "the exact CFP needs a test from 1:1 to 1:4, r at least 1, a rank from 1 to n and n + 4r at most 32767");
}

// The DCFP as typed, as an exact fraction: the same number the box's numeric value reads.
mpq_class readExactly(std::string_view text) {
  const NumericParts parts = scanNumericValue(text);
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
void passFraction(int n, int r, int t, int k, mpz_class& num, mpz_class& den) {
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

bool inExactCfpDomain(int n, int r, int t, int k) {
  return t >= 1 && t <= kSchemeCount && n >= 1 && r >= 1 && k >= 1 && k <= n &&
         static_cast<long>(n) + 4L * r <= kMaxBackgroundPlusFourComparisons;
}

Expected<long double> exactCfp(int n, int r, int t, int k) {
  static_assert(LDBL_MANT_DIG >= 64, "the exact audit needs a long double of at least 64 significant bits");
  if (!inExactCfpDomain(n, r, t, k)) return outsideDomain();
  return firstFalsePositiveSum<long double>(n, r, t, k);
}

Expected<long double> exactCfpQuad(int n, int r, int t, int k) {
  if (!inExactCfpDomain(n, r, t, k)) return outsideDomain();
  return static_cast<long double>(firstFalsePositiveSum<__float128>(n, r, t, k));
}

long double exactCfpRelativeErrorBound(int r, int t) {
  const long double u = std::ldexp(1.0L, -(LDBL_MANT_DIG));
  // The first-order bound of the header comment, with 1% for the higher-order terms and
  // a floor for the dropped edge states.
  return (static_cast<long double>((2 * t + 2) * static_cast<long>(r - 1) + 3) * u) * 1.01L + 1e-33L;
}

std::string formatSignificant(long double value, int digits) {
  // std::to_chars is printf's %g in the "C" locale: the window's toolkit sets the C
  // library's locale, where printf would write a decimal comma.
  std::array<char, 128> buffer{};
  const auto [end, error] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, digits);
  return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

ExactDcfp::ExactDcfp(std::string_view text) : m_value(std::make_unique<Fraction>()) {
  m_value->value = readExactly(text);
  m_approx = quotientToLongDouble(m_value->value.get_num(), m_value->value.get_den());
}
ExactDcfp::~ExactDcfp() = default;
ExactDcfp::ExactDcfp(ExactDcfp&&) noexcept = default;
ExactDcfp& ExactDcfp::operator=(ExactDcfp&&) noexcept = default;

std::string ExactDcfp::fractionText() const { return m_value->value.get_str(); }

Expected<int> ExactDcfp::compareByFractions(int n, int r, int t, int k, long double* margin) const {
  if (!inExactCfpDomain(n, r, t, k)) return outsideDomain();
  mpz_class num;
  mpz_class den;
  passFraction(n, r, t, k, num, den);
  // CFP = (den - num) / den, DCFP = p / q; DCFP - CFP = (p den - (den - num) q) / (q den).
  const mpz_class& p = m_value->value.get_num();
  const mpz_class& q = m_value->value.get_den();
  const mpz_class difference = p * den - (den - num) * q;
  if (margin != nullptr) *margin = quotientToLongDouble(difference, q * den);
  return -sgn(difference);  // the sign of CFP - DCFP
}

Expected<ExactDcfp::Comparison> ExactDcfp::compare(int n, int r, int t, int k) const {
  const Expected<long double> cfp = exactCfp(n, r, t, k);
  if (!cfp) return fail(cfp.error());
  Comparison comparison;
  comparison.cfp = *cfp;
  const long double u = std::ldexp(1.0L, -(LDBL_MANT_DIG - 1));
  const long double doubt = 4.0L * (exactCfpRelativeErrorBound(r, t) * comparison.cfp + u * std::fabs(m_approx));
  comparison.margin = m_approx - comparison.cfp;
  if (std::fabs(comparison.margin) > doubt) {
    comparison.meets = comparison.margin > 0.0L;
    return comparison;
  }
  comparison.decidedByFractions = true;
  comparison.meets = *compareByFractions(n, r, t, k, &comparison.margin) <= 0;  // in the domain, as above
  return comparison;
}

}  // namespace velmora::analysis

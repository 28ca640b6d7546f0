// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/exact_cfp.h"

#include "velmora/engine/detail/first_false_positive.h"
#include "velmora/engine/numbers.h"

// Boost's fractions rather than GMP's: the exact tools stay header-only in what they need
// beyond the engine, and the sums below multiply a large number by a small one at each step,
// which costs the same in either.
#include <boost/multiprecision/cpp_int.hpp>

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "velmora/analysis/dcfp_fraction.h"
#include "velmora/analysis/strategy_arithmetic.h"
#include "velmora/engine/limits.h"
#include "math_digits.h"

namespace velmora::analysis {
namespace {

namespace mp = boost::multiprecision;
using mp::cpp_int;
using mp::cpp_rational;

// The number of bits of x > 0.
long bitLength(const cpp_int& x) { return static_cast<long>(mp::msb(x)) + 1; }

// X / Y for Y > 0, rounded toward zero to 64 significant bits.
long double quotientToLongDouble(const cpp_int& x, const cpp_int& y) {
  if (x.is_zero()) return 0.0L;
  const bool negative = x.sign() < 0;
  const cpp_int magnitude = abs(x);
  const long shift = 66 - (bitLength(magnitude) - bitLength(y));
  cpp_int quotient;
  if (shift >= 0) {
    quotient = (magnitude << static_cast<unsigned>(shift)) / y;
  } else {
    quotient = magnitude / (y << static_cast<unsigned>(-shift));
  }
  const long extra = bitLength(quotient) - 64;
  if (extra > 0) quotient >>= static_cast<unsigned>(extra);
  const long double leading = static_cast<long double>(quotient.convert_to<std::uint64_t>());
  const long double value = std::ldexp(leading, static_cast<int>((extra > 0 ? extra : 0) - shift));
  return negative ? -value : value;
}

// The whole number the digits spell in `radix` (10, 16 or 8), digit by digit: Boost's own
// reader takes a leading 0 for an octal number.
cpp_int digitsValue(const std::string& digits, int radix) {
  cpp_int value = 0;
  for (const char c : digits) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c - 'A' + 10;
    value = value * radix + digit;
  }
  return value;
}

// Decimal exponents beyond this are clamped: such a DCFP is more than 10^30000 away from
// every CFP (all lie between 1e-17 and 1), so no comparison changes.
constexpr long kExponentClamp = 30000;

tl::unexpected<Problem> outsideDomain() {
  return fail(ProblemKind::refusedRequest,
              "the exact CFP needs a test from 1:1 to 1:4, r at least 1, a rank from 1 to n and n + 4r at most 32767");
}

// The DCFP as typed, as an exact fraction: the same number the box's numeric value reads.
cpp_rational readExactly(std::string_view text) {
  const NumericParts parts = scanNumericValue(text);
  if (parts.digits.empty()) return cpp_rational(0);
  if (parts.radix != 10) return cpp_rational(digitsValue(parts.digits, parts.radix == 0 ? 10 : parts.radix));

  const cpp_int mantissa = digitsValue(parts.digits, 10);
  long long scale = parts.exponent - parts.fractionDigits;
  if (scale > kExponentClamp) scale = kExponentClamp;
  if (scale < -kExponentClamp) scale = -kExponentClamp;
  const cpp_int power = mp::pow(cpp_int(10), static_cast<unsigned>(scale < 0 ? -scale : scale));
  // A fraction made of a numerator and a denominator is kept in lowest terms.
  const cpp_rational value = scale >= 0 ? cpp_rational(mantissa * power) : cpp_rational(mantissa, power);
  return parts.negative ? cpp_rational(-value) : value;
}

// 1 - CFP_t(k) as an exact fraction num / den, from the alternating sum
// P = sum over i of (-1)^i C(r, i) E[W^(t i)], E[W^m] = prod over h < m of (k + h) / (n + 1 + h),
// in Horner form from the last term down. The fraction is not reduced.
void passFraction(int n, int r, int t, int k, cpp_int& num, cpp_int& den) {
  num = 1;
  den = 1;
  for (long i = r; i >= 1; --i) {
    cpp_int stepNum = r - i + 1;
    cpp_int stepDen = i;
    for (long h = t * (i - 1); h <= t * i - 1; ++h) {
      stepNum *= k + h;
      stepDen *= n + 1 + h;
    }
    // acc <- 1 - step * acc
    const cpp_int newNum = stepDen * den - stepNum * num;
    den = stepDen * den;
    num = newNum;
  }
}

// ExactCfp's sum costs about ((t^2 - 1) r^2 / 2 + r) extended-precision operations of some
// 1e-8 s each; the quadrature some 1e-4 s whatever r is (bench/strategy_bench.cpp). Where the
// sum is as cheap it is kept, so that small designs print what they always printed.
constexpr double kQuadratureSeconds = 1e-4;
bool sumIsCheap(int r, int t) {
  const double rr = static_cast<double>(r) * static_cast<double>(r);
  const double operations = 0.5 * static_cast<double>(t * t - 1) * rr + static_cast<double>(r);
  return 1e-8 * operations <= kQuadratureSeconds;
}

// The retest strategies' arithmetic of scheme 1:t, built once: its polynomials are the same for
// every size, and it is only read afterwards (the curves read it from several threads).
const StrategyArithmetic& schemeArithmetic(int t) {
  static const std::array<StrategyArithmetic, kSchemeCount> arithmetic = [] {
    const auto scheme = [](int units) {
      Strategy strategy;
      strategy.units = units;
      return StrategyArithmetic(strategy);
    };
    return std::array<StrategyArithmetic, kSchemeCount>{scheme(1), scheme(2), scheme(3), scheme(4)};
  }();
  return arithmetic[static_cast<std::size_t>(t - 1)];
}

// Whether every value within `relativeError` of `value` shows the same 10 significant digits.
bool digitsSettled(long double value, long double relativeError) {
  const long double spread = std::fabs(value) * relativeError;
  return std::isfinite(value) && formatSignificant(value - spread) == formatSignificant(value + spread);
}

// A quadrature's CFP and its relative error bound (the 50-digit one's taken as nil).
BoundedCfp quadratureCfp(int n, int r, int t, int k) {
  const StrategyArithmetic& arithmetic = schemeArithmetic(t);
  const Expected<ExactProbability> cfp = arithmetic.cfp(n, r, k);
  if (cfp && cfp->value > 0.0 &&
      digitsSettled(static_cast<long double>(cfp->value), static_cast<long double>(cfp->relativeError))) {
    return {static_cast<long double>(cfp->value), static_cast<long double>(cfp->relativeError)};
  }
  // Near 1 the digits of the CFP are those of 1 - CFP, which the pass side gives to its own
  // relative error: the CFP's absolute error is then that error times 1 - CFP, and the
  // subtraction's rounding.
  if (cfp && cfp->value > 0.5) {
    const Expected<ExactProbability> pass = arithmetic.passProbability(n, r, k);
    if (pass && pass->value > 0.0) {
      const long double passValue = static_cast<long double>(pass->value);
      const long double value = 1.0L - passValue;
      const long double u = std::ldexp(1.0L, -(kLongDoubleMathDigits - 1));
      const long double relativeError =
          (passValue * static_cast<long double>(pass->relativeError) * 1.01L) / value + u;
      if (digitsSettled(value, relativeError)) return {value, relativeError};
    }
  }
  // The caller checked the sizes.
  const StrategyArithmetic::ExtendedCfp extended = arithmetic.extendedCfp(nullptr, n, r, k).value();
  if (extended.cfp > 0.0L && digitsSettled(extended.cfp, extended.cfpError / extended.cfp)) {
    return {extended.cfp, extended.cfpError / extended.cfp};
  }
  const StrategyArithmetic::ExtendedCfp quad = arithmetic.quadCfp(nullptr, n, r, k).value();
  if (quad.cfp > 0.0L && digitsSettled(quad.cfp, quad.cfpError / quad.cfp)) return {quad.cfp, quad.cfpError / quad.cfp};
  // Fifty digits, correctly rounded to long double.
  return {arithmetic.preciseCfp(n, r, k).value(), std::ldexp(1.0L, -(kLongDoubleMathDigits - 1))};
}

// Whether the quadrature serves this size (StrategyArithmetic takes n >= 2).
bool byQuadrature(int n, int r, int t) { return n >= 2 && !sumIsCheap(r, t); }

}  // namespace

struct ExactDcfp::Fraction {
  cpp_rational value;
  // The same value as the retest strategies read it, when the calculator's rule admits it (the
  // exact decisions by quadrature need it); without it every comparison takes the sum.
  std::optional<DcfpFraction> strategies;
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

Expected<long double> fastExactCfp(int n, int r, int t, int k) {
  const Expected<BoundedCfp> cfp = fastExactCfpWithBound(n, r, t, k);
  if (!cfp) return fail(cfp.error());
  return cfp->value;
}

Expected<BoundedCfp> fastExactCfpWithBound(int n, int r, int t, int k) {
  if (!inExactCfpDomain(n, r, t, k)) return outsideDomain();
  if (!byQuadrature(n, r, t)) return BoundedCfp{firstFalsePositiveSum<long double>(n, r, t, k), exactCfpRelativeErrorBound(r, t)};
  return quadratureCfp(n, r, t, k);
}

Expected<long double> exactCfpQuad(int n, int r, int t, int k) {
  if (!inExactCfpDomain(n, r, t, k)) return outsideDomain();
  return static_cast<long double>(firstFalsePositiveSum<__float128>(n, r, t, k));
}

long double exactCfpRelativeErrorBound(int r, int t) {
  const long double u = std::ldexp(1.0L, -kLongDoubleMathDigits);
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

std::string formatSignificant(double value, int digits) {
  std::array<char, 128> buffer{};
  const auto [end, error] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, digits);
  return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

ExactDcfp::ExactDcfp(std::string_view text) : m_value(std::make_unique<Fraction>()) {
  m_value->value = readExactly(text);
  m_approx = quotientToLongDouble(mp::numerator(m_value->value), mp::denominator(m_value->value));
  if (Expected<DcfpFraction> read = DcfpFraction::read(text); read && read->value() == m_value->value) {
    m_value->strategies = std::move(*read);
  }
}
ExactDcfp::~ExactDcfp() = default;
ExactDcfp::ExactDcfp(ExactDcfp&&) noexcept = default;
ExactDcfp& ExactDcfp::operator=(ExactDcfp&&) noexcept = default;

std::string ExactDcfp::fractionText() const { return m_value->value.str(); }

Expected<int> ExactDcfp::compareByFractions(int n, int r, int t, int k, long double* margin) const {
  if (!inExactCfpDomain(n, r, t, k)) return outsideDomain();
  cpp_int num;
  cpp_int den;
  passFraction(n, r, t, k, num, den);
  // CFP = (den - num) / den, DCFP = p / q; DCFP - CFP = (p den - (den - num) q) / (q den).
  const cpp_int p = mp::numerator(m_value->value);
  const cpp_int q = mp::denominator(m_value->value);
  const cpp_int difference = p * den - (den - num) * q;
  if (margin != nullptr) *margin = quotientToLongDouble(difference, q * den);
  return -difference.sign();  // the sign of CFP - DCFP
}

Expected<ExactDcfp::Comparison> ExactDcfp::compare(int n, int r, int t, int k, bool tenDigits) const {
  if (!inExactCfpDomain(n, r, t, k)) return outsideDomain();
  if (m_value->strategies && byQuadrature(n, r, t)) return compareByQuadrature(n, r, t, k, tenDigits);
  const Expected<long double> cfp = exactCfp(n, r, t, k);
  if (!cfp) return fail(cfp.error());
  Comparison comparison;
  comparison.cfp = *cfp;
  const long double u = std::ldexp(1.0L, -(kLongDoubleMathDigits - 1));
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

// The quadrature's path. Without the digits, the decision as the retest strategies make it
// (doubles, then binary128, 50 digits, fractions). With them, the doubles serve when they
// settle the margin's 10 digits (and so its sign); otherwise extended precision, binary128 and
// at last one 50-digit pass each give the CFP, the margin and the decision together, the first
// that settles them serving, and fractions only the ties that even 50 digits cannot tell.
Expected<ExactDcfp::Comparison> ExactDcfp::compareByQuadrature(int n, int r, int t, int k, bool tenDigits) const {
  const StrategyArithmetic& arithmetic = schemeArithmetic(t);
  const DcfpFraction& dcfp = *m_value->strategies;
  Comparison comparison;
  if (!tenDigits) {
    const Expected<CfpDecision> decision = arithmetic.meets(dcfp, n, r, k);
    if (!decision) return fail(decision.error());
    comparison.meets = decision->meets;
    comparison.decidedByFractions = decision->decidedBy != DecidedBy::doubles;
    comparison.cfp = static_cast<long double>(arithmetic.cfp(n, r, k)->value);  // sizes checked by meets()
    comparison.margin = m_approx - comparison.cfp;
    return comparison;
  }
  const Expected<ExactProbability> fast = arithmetic.cfp(n, r, k);
  if (!fast) return fail(fast.error());
  const long double cfp = static_cast<long double>(fast->value);
  const long double cfpError = static_cast<long double>(fast->relativeError);
  const long double margin = m_approx - cfp;
  const long double u = std::ldexp(1.0L, -(kLongDoubleMathDigits - 1));
  const long double marginError = cfpError * cfp + 2.0L * u * std::fabs(m_approx);
  if (cfp > 0.0L && digitsSettled(cfp, cfpError) && margin != 0.0L &&
      digitsSettled(margin, marginError / std::fabs(margin))) {
    const Expected<CfpDecision> decision = arithmetic.meets(dcfp, n, r, k);
    if (!decision) return fail(decision.error());
    comparison.meets = decision->meets;
    comparison.decidedByFractions = decision->decidedBy != DecidedBy::doubles;
    comparison.cfp = cfp;
    comparison.margin = margin;
    return comparison;
  }
  // Extended precision settles all but the nearest ties (sizes checked by cfp()).
  const StrategyArithmetic::ExtendedCfp extended = arithmetic.extendedCfp(&dcfp, n, r, k).value();
  comparison.decidedByFractions = true;
  if (extended.cfp > 0.0L && digitsSettled(extended.cfp, extended.cfpError / extended.cfp) &&
      extended.margin != 0.0L && digitsSettled(extended.margin, extended.marginError / std::fabs(extended.margin))) {
    comparison.cfp = extended.cfp;
    comparison.margin = extended.margin;
    comparison.meets = extended.margin > 0.0L;  // its 10 digits settled: |margin| > its error
    return comparison;
  }
  // Binary128 settles a DCFP typed to the CFP's first 16 to 25 digits (sizes checked as above).
  const StrategyArithmetic::ExtendedCfp quad = arithmetic.quadCfp(&dcfp, n, r, k).value();
  if (quad.cfp > 0.0L && digitsSettled(quad.cfp, quad.cfpError / quad.cfp) && quad.margin != 0.0L &&
      digitsSettled(quad.margin, quad.marginError / std::fabs(quad.margin))) {
    comparison.cfp = quad.cfp;
    comparison.margin = quad.margin;
    comparison.meets = quad.margin > 0.0L;  // its 10 digits settled: |margin| > its error
    return comparison;
  }
  const StrategyArithmetic::PreciseCfp precise = arithmetic.preciseCfp(dcfp, n, r, k).value();
  comparison.cfp = precise.cfp;
  comparison.margin = precise.margin;
  if (precise.marginSettled) {
    comparison.meets = precise.margin >= 0.0L;
  } else {
    comparison.meets = *compareByFractions(n, r, t, k, &comparison.margin) <= 0;  // in the domain, as above
  }
  return comparison;
}

}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/strategy_arithmetic.h"

#include <boost/multiprecision/cpp_bin_float.hpp>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <ios>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "limit_integral.h"
#include "moment_sums.h"
#include "quad_limit.h"
#include "request_values.h"
#include "velmora/engine/limits.h"
#include "math_digits.h"

namespace velmora::analysis {
namespace {

namespace mp = boost::multiprecision;
using Wide = mp::cpp_bin_float_50;
using detail::Side;

// Exact fractions up to this degree of g^r (D r): a few tens of milliseconds at most. Beyond
// it a near tie goes to 50-digit quadrature first.
constexpr long kFractionDegreeLimit = 600;
// The 50-digit quadrature's error is below 1e-40 (tests); it decides outside this band.
constexpr double kWideRelativeError = 1e-30;
// The binary128 pass's errors are given as its proven bounds (some 1e-28 of the CFP at most)
// times this, so that even a bound that fell short of the truth by two orders could tip
// neither a decision nor a digit; it still settles every margin above some 1e-26 of the CFP.
constexpr long double kQuadSafety = 100.0L;
// A double is within this relative distance of the exact value it was rounded from.
constexpr double kRounding = 4.0 * std::numeric_limits<double>::epsilon();

using detail::refused;

Expected<void> checkSizes(int n, int r, int k) {
  if (!inStrategyDomain(n, r, k)) {
    return fail(refused("the sizes must satisfy n >= 2, r >= 1, 1 <= rank <= n and n + 4r <= 32767 (n " +
                        std::to_string(n) + ", r " + std::to_string(r) + ", rank " + std::to_string(k) + ")"));
  }
  return {};
}

ExactProbability probabilityOf(const detail::IntegralValue<double>& integral) {
  return ExactProbability{std::exp(integral.logValue), integral.logValue, integral.relativeError};
}

// The DCFP and 1 - DCFP as 45-digit texts, from 50 digits: what the binary128 pass reads.
std::string wideText(const Wide& value) { return value.str(45, std::ios_base::scientific); }
std::string dcfpText(const mp::cpp_rational& exact) {
  return wideText(Wide(mp::numerator(exact).str()) / Wide(mp::denominator(exact).str()));
}
std::string complementText(const mp::cpp_rational& exact) {
  return wideText(Wide(mp::cpp_int(mp::denominator(exact) - mp::numerator(exact)).str()) /
                  Wide(mp::denominator(exact).str()));
}

// E[W^j p^(D - j)] = k^(j) (n + 1 - k)^(D - j) / (n + 1)^(D) (rising products), as a product of
// D ratios below 1: no overflow, 2 D + 1 roundings.
double betaMoment(int n, int k, int j, int degree) {
  double moment = 1.0;
  for (int i = 0; i < j; ++i) moment *= static_cast<double>(k + i) / static_cast<double>(n + 1 + i);
  for (int i = 0; i < degree - j; ++i) moment *= static_cast<double>(n + 1 - k + i) / static_cast<double>(n + 1 + j + i);
  return moment;
}

}  // namespace

struct StrategyArithmetic::Terms {
  explicit Terms(const StrategyPolynomial& source) : polynomial(source), fast(source), extended(source), wide(source) {}

  // One side of the CFP in doubles: by its sum of Beta moments where D r allows (a few
  // microseconds, error below 2e-12), otherwise by the quadrature (some 1e-4 s, 1e-10).
  detail::IntegralValue<double> side(int n, int r, int k, Side which) {
    if (const std::shared_ptr<const detail::MomentSums> sums = momentsFor(r)) {
      const detail::MomentValue value = sums->expectation(n, k, which == Side::fail);
      return {value.logValue, value.relativeError, 0};
    }
    return detail::integrateLimit<double>(fast, n, k, 0.0, r, which);
  }

  StrategyPolynomial polynomial;  // a copy: the arithmetic that owns these terms may move
  detail::PolynomialTerms<double> fast;
  detail::PolynomialTerms<long double> extended;
  detail::PolynomialTerms<Wide> wide;

  // The coefficients of g^r and 1 - g^r by r, where D r allows, built once and shared by the
  // threads that ask the rows of every rank; a few dozen r at most are kept.
  std::shared_ptr<const detail::MomentSums> momentsFor(int r) {
    if (static_cast<long>(polynomial.degree) * r > detail::kMomentDegreeLimit) return nullptr;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (const auto known = m_moments.find(r); known != m_moments.end()) return known->second;
    if (m_moments.size() >= 64) m_moments.clear();
    return m_moments.emplace(r, std::make_shared<const detail::MomentSums>(polynomial, r)).first->second;
  }

 private:
  std::mutex m_mutex;
  std::map<int, std::shared_ptr<const detail::MomentSums>> m_moments;
};

bool inStrategyDomain(int n, int r, int k) {
  return n >= 2 && r >= 1 && k >= 1 && k <= n && static_cast<long>(n) + 4L * r <= kMaxBackgroundPlusFourComparisons;
}

StrategyArithmetic::StrategyArithmetic(const Strategy& strategy)
    : m_strategy(strategy), m_polynomial(strategyPolynomial(strategy)), m_terms(std::make_unique<Terms>(m_polynomial)) {}
StrategyArithmetic::~StrategyArithmetic() = default;
StrategyArithmetic::StrategyArithmetic(StrategyArithmetic&&) noexcept = default;
StrategyArithmetic& StrategyArithmetic::operator=(StrategyArithmetic&&) noexcept = default;

Expected<ExactProbability> StrategyArithmetic::cfp(int n, int r, int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  return probabilityOf(m_terms->side(n, r, k, Side::fail));
}

Expected<ExactProbability> StrategyArithmetic::passProbability(int n, int r, int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  return probabilityOf(m_terms->side(n, r, k, Side::pass));
}

Expected<double> StrategyArithmetic::expectedSamples(int n, int r, int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  double units = 0.0;
  for (int j = 0; j <= m_polynomial.degree; ++j) {
    const double coefficient = m_polynomial.units[static_cast<std::size_t>(j)].convert_to<double>();
    if (coefficient > 0.0) units += coefficient * betaMoment(n, k, j, m_polynomial.degree);
  }
  return static_cast<double>(r) * static_cast<double>(m_polynomial.valuesPerUnit) * units;
}

Expected<double> StrategyArithmetic::power(int n, int k, double shift, int shifted) const {
  if (n < 2 || n > kInt16Max || k < 1 || k > n) {
    return fail(refused("the power needs 2 <= n <= 32767 and 1 <= rank <= n"));
  }
  if (!(shift >= 0.0 && shift <= 6.0)) return fail(refused("the shift must lie between 0 and 6 standard deviations"));
  if (shifted < 1 || shifted > kInt16Max) return fail(refused("the shifted comparisons must number 1 to 32767"));
  const detail::IntegralValue<double> integral =
      detail::integrateLimit<double>(m_terms->fast, n, k, shift, shifted, Side::fail);
  return std::exp(integral.logValue);
}

Expected<StrategyArithmetic::ExtendedCfp> StrategyArithmetic::extendedCfp(const DcfpFraction* dcfp, int n, int r,
                                                                           int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  // The side of the smaller probability: the estimate from the doubles picks it.
  const detail::IntegralValue<double> estimate = m_terms->side(n, r, k, Side::fail);
  const bool byFail = estimate.logValue <= std::log(0.5);
  long double value = 0.0L;
  long double valueError = 0.0L;
  if (const std::shared_ptr<const detail::MomentSums> sums = m_terms->momentsFor(r)) {
    const detail::ExtendedMomentValue side = sums->extendedExpectation(n, k, byFail);
    value = side.value;
    valueError = value * side.relativeError * 1.01L;
  } else {
    const detail::IntegralValue<long double> side = detail::integrateLimit<long double>(
        m_terms->extended, n, k, 0.0L, r, byFail ? Side::fail : Side::pass);
    value = std::exp(side.logValue);
    valueError = value * side.relativeError * 1.01L;
  }
  const long double u = std::ldexp(1.0L, -(kLongDoubleMathDigits - 1));
  ExtendedCfp extended;
  const mp::cpp_rational exact = dcfp != nullptr ? dcfp->value() : mp::cpp_rational(0);
  if (byFail) {
    // The DCFP to a unit in the last place of a long double, from 50 digits.
    const long double dcfpValue =
        (Wide(mp::numerator(exact).str()) / Wide(mp::denominator(exact).str())).convert_to<long double>();
    extended.cfp = value;
    extended.cfpError = valueError;
    extended.margin = dcfpValue - value;
    extended.marginError = valueError + u * (dcfpValue + std::fabs(extended.margin));
  } else {
    // CFP = 1 - P and DCFP - CFP = P - (1 - DCFP): the complement of the DCFP to a unit in its
    // last place, however close to 1 the DCFP is.
    const long double complement =
        (Wide(mp::cpp_int(mp::denominator(exact) - mp::numerator(exact)).str()) / Wide(mp::denominator(exact).str()))
            .convert_to<long double>();
    extended.cfp = 1.0L - value;
    extended.cfpError = valueError + u;
    extended.margin = value - complement;
    extended.marginError = valueError + u * (complement + std::fabs(extended.margin));
  }
  if (dcfp == nullptr) {
    extended.margin = 0.0L;
    extended.marginError = 0.0L;
  }
  return extended;
}

Expected<StrategyArithmetic::ExtendedCfp> StrategyArithmetic::quadCfp(const DcfpFraction* dcfp, int n, int r,
                                                                       int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  const detail::IntegralValue<double> estimate = m_terms->side(n, r, k, Side::fail);
  const bool byFail = estimate.logValue <= std::log(0.5);
  const mp::cpp_rational exact = dcfp != nullptr ? dcfp->value() : mp::cpp_rational(0);
  const detail::QuadCfp quad =
      detail::quadCfp(m_polynomial, n, r, k, byFail, dcfpText(exact), complementText(exact));
  ExtendedCfp result{quad.cfp, kQuadSafety * quad.cfpError, quad.margin, kQuadSafety * quad.marginError};
  if (dcfp == nullptr) {
    result.margin = 0.0L;
    result.marginError = 0.0L;
  }
  return result;
}

Expected<long double> StrategyArithmetic::preciseCfp(int n, int r, int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  const detail::IntegralValue<Wide> wide = detail::integrateLimit<Wide>(m_terms->wide, n, k, Wide(0), r, Side::fail);
  return mp::exp(wide.logValue).convert_to<long double>();
}

Expected<StrategyArithmetic::PreciseCfp> StrategyArithmetic::preciseCfp(const DcfpFraction& dcfp, int n, int r,
                                                                         int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  const detail::IntegralValue<Wide> wide = detail::integrateLimit<Wide>(m_terms->wide, n, k, Wide(0), r, Side::fail);
  const Wide cfp = mp::exp(wide.logValue);
  const Wide exactDcfp = Wide(mp::numerator(dcfp.value()).str()) / Wide(mp::denominator(dcfp.value()).str());
  const Wide margin = exactDcfp - cfp;
  PreciseCfp precise;
  precise.cfp = cfp.convert_to<long double>();
  precise.margin = margin.convert_to<long double>();
  // Ten significant digits of the margin need its absolute error below 1e-12 of it.
  precise.marginSettled = mp::fabs(margin) * Wide(1e-12) > wide.relativeError * cfp;
  return precise;
}

Expected<int> StrategyArithmetic::compareByFractions(const DcfpFraction& dcfp, int n, int r, int k) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  using mp::cpp_int;
  const int degree = m_polynomial.degree;
  const long m = static_cast<long>(degree) * r;
  // g^r in the Bernstein form of degree m, exactly.
  std::vector<cpp_int> pass(static_cast<std::size_t>(degree) + 1);
  // Widened through its two 64-bit halves: GCC 12 under the address sanitizer warns of an
  // uninitialised limb inside Boost's direct 128-bit conversion (a false alarm that -Werror
  // would make a failed build).
  for (int j = 0; j <= degree; ++j) {
    const PolynomialCoefficient& c = m_polynomial.pass[static_cast<std::size_t>(j)];
    cpp_int wide = static_cast<std::uint64_t>(c >> 64);
    wide <<= 64;
    wide += static_cast<std::uint64_t>(c & PolynomialCoefficient(~std::uint64_t{0}));
    pass[static_cast<std::size_t>(j)] = std::move(wide);
  }
  std::vector<cpp_int> power{1};
  for (int i = 0; i < r; ++i) {
    std::vector<cpp_int> product(power.size() + pass.size() - 1);
    for (std::size_t a = 0; a < power.size(); ++a) {
      if (power[a] == 0) continue;
      for (std::size_t b = 0; b < pass.size(); ++b) product[a + b] += power[a] * pass[b];
    }
    power.swap(product);
  }
  // CFP = sum over j of (C(m, j) - G_j) k^(j) (n + 1 - k)^(m - j) / (n + 1)^(m): positive terms.
  std::vector<cpp_int> above(static_cast<std::size_t>(m) + 1);  // k^(j)
  std::vector<cpp_int> below(static_cast<std::size_t>(m) + 1);  // (n + 1 - k)^(i)
  above[0] = 1;
  below[0] = 1;
  cpp_int denominator = 1;
  for (long i = 1; i <= m; ++i) {
    above[static_cast<std::size_t>(i)] = above[static_cast<std::size_t>(i - 1)] * (k + i - 1);
    below[static_cast<std::size_t>(i)] = below[static_cast<std::size_t>(i - 1)] * (n + 1 - k + i - 1);
    denominator *= n + i;
  }
  cpp_int numerator = 0;
  cpp_int binomial = 1;
  for (long j = 0; j <= m; ++j) {
    const cpp_int failing = binomial - power[static_cast<std::size_t>(j)];
    if (failing != 0) numerator += failing * above[static_cast<std::size_t>(j)] * below[static_cast<std::size_t>(m - j)];
    binomial = binomial * (m - j) / (j + 1);
  }
  const cpp_int difference = numerator * mp::denominator(dcfp.value()) - mp::numerator(dcfp.value()) * denominator;
  return difference.sign();
}

Expected<CfpDecision> StrategyArithmetic::meets(const DcfpFraction& dcfp, int n, int r, int k) const {
  return decide(dcfp, n, r, k, nullptr);
}

Expected<CfpDecision> StrategyArithmetic::meets(const DcfpFraction& dcfp, int n, int r, int k,
                                                const ExactProbability& cfp) const {
  return decide(dcfp, n, r, k, &cfp);
}

Expected<CfpDecision> StrategyArithmetic::decide(const DcfpFraction& dcfp, int n, int r, int k,
                                                 const ExactProbability* knownCfp) const {
  if (auto sizes = checkSizes(n, r, k); !sizes) return fail(std::move(sizes.error()));
  if (dcfp.value() >= 1) return CfpDecision{true, DecidedBy::doubles};
  // The smaller of CFP and 1 - CFP against the smaller of DCFP and 1 - DCFP: each known to its
  // relative error, however small.
  const bool byFail = dcfp.approx() <= 0.5;
  const Side side = byFail ? Side::fail : Side::pass;
  // cfp()'s value is this very integral on the fail side.
  const detail::IntegralValue<double> fast =
      byFail && knownCfp != nullptr ? detail::IntegralValue<double>{knownCfp->logValue, knownCfp->relativeError, 0}
                                    : m_terms->side(n, r, k, side);
  const double target = byFail ? std::log(dcfp.approx()) : dcfp.logComplement();
  // |log value - log exact| <= about the relative error; the DCFP's own rounding adds kRounding.
  const double doubt = 1.01 * fast.relativeError + kRounding;
  if (std::fabs(fast.logValue - target) > doubt) {
    const bool below = fast.logValue < target;  // the side's probability below the DCFP's
    return CfpDecision{byFail ? below : !below, DecidedBy::doubles};
  }
  if (static_cast<long>(m_polynomial.degree) * r > kFractionDegreeLimit) {
    // Binary128 first: a typed DCFP that matches the CFP to 16 digits or so is told apart
    // there at a thirtieth of the 50-digit pass's cost.
    const ExtendedCfp quad = *quadCfp(&dcfp, n, r, k);  // sizes checked above
    if (std::fabs(quad.margin) > quad.marginError) {
      return CfpDecision{quad.margin > 0.0L, DecidedBy::multiprecision};
    }
    const detail::IntegralValue<Wide> wide = detail::integrateLimit<Wide>(m_terms->wide, n, k, Wide(0), r, side);
    const mp::cpp_int& numerator = mp::numerator(dcfp.value());
    const mp::cpp_int& denominator = mp::denominator(dcfp.value());
    const Wide exactSide = Wide((byFail ? numerator : mp::cpp_int(denominator - numerator)).str()) / Wide(denominator.str());
    const Wide logTarget = mp::log(exactSide);
    if (mp::fabs(wide.logValue - logTarget) > Wide(kWideRelativeError)) {
      const bool below = wide.logValue < logTarget;
      return CfpDecision{byFail ? below : !below, DecidedBy::multiprecision};
    }
  }
  return CfpDecision{*compareByFractions(dcfp, n, r, k) <= 0, DecidedBy::fractions};  // sizes checked above
}

}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
// The exact arithmetic of the retest strategies: each polynomial against the rule's closed
// form, the CFP and its complement against exact fractions (GMP: the expectation of a
// polynomial of a Beta variable is a finite sum of Beta moments), against the calculator's
// exact CFP and exact power for 1-of-T, against the closed form for r = 1, against 50-digit
// quadrature where the error bound is largest, and the exact decision at real ties.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <boost/multiprecision/cpp_bin_float.hpp>

#include <cmath>
#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "limit_integral.h"
#include "rank_powers.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/exact_power.h"
#include "velmora/analysis/strategy_arithmetic.h"

namespace velmora::analysis {
namespace {

using Wide = boost::multiprecision::cpp_bin_float_50;

std::vector<Strategy> everyStrategy() {
  std::vector<std::string> names;
  for (const int b : {1, 3, 5, 7, 9}) {
    const std::string suffix = b == 1 ? "" : "/median-" + std::to_string(b);
    for (int m = 1; m <= 8; ++m) {
      for (int k = 1; k <= m; ++k) names.push_back(std::to_string(k) + "-of-" + std::to_string(m) + suffix);
    }
    for (int m = 3; m <= 8; ++m) names.push_back("california-" + std::to_string(m) + suffix);
    names.push_back("modified-california" + suffix);
  }
  std::vector<Strategy> strategies;
  for (const std::string& name : names) strategies.push_back(*parseStrategy(name));
  return strategies;
}

mpz_class toMpz(const PolynomialCoefficient& c) { return mpz_class(c.str()); }

mpz_class binomial(long n, long k) {
  mpz_class c;
  mpz_bin_uiui(c.get_mpz_t(), static_cast<unsigned long>(n), static_cast<unsigned long>(k));
  return c;
}

// A Bernstein polynomial of the strategy at an exact W.
mpq_class atW(const std::vector<PolynomialCoefficient>& coefficients, int degree, const mpq_class& w) {
  mpq_class sum = 0;
  const mpq_class p = 1 - w;
  for (int j = 0; j <= degree; ++j) {
    mpq_class term = toMpz(coefficients[static_cast<std::size_t>(j)]);
    for (int i = 0; i < j; ++i) term *= w;
    for (int i = 0; i < degree - j; ++i) term *= p;
    sum += term;
  }
  return sum;
}

mpq_class powerOf(const mpq_class& x, int e) {
  mpq_class result = 1;
  for (int i = 0; i < e; ++i) result *= x;
  return result;
}

TEST(StrategyPolynomial, IsEachRulesClosedForm) {
  for (const Strategy& strategy : everyStrategy()) {
    const StrategyPolynomial polynomial = strategyPolynomial(strategy);
    const int b = strategy.median;
    const int m = strategy.units;
    for (int j = 0; j <= polynomial.degree; ++j) {
      ASSERT_EQ(toMpz(polynomial.fail[static_cast<std::size_t>(j)] + polynomial.pass[static_cast<std::size_t>(j)]),
                binomial(polynomial.degree, j));
    }
    for (const mpq_class& w : {mpq_class(1, 7), mpq_class(3, 11), mpq_class(1, 2), mpq_class(9, 10)}) {
      const mpq_class p = 1 - w;
      mpq_class u = 0;  // a unit passes: a majority of its B values pass
      for (int i = (b + 1) / 2; i <= b; ++i) u += binomial(b, i) * powerOf(p, i) * powerOf(w, b - i);
      const mpq_class v = 1 - u;
      mpq_class fail = 0;
      mpq_class units = 0;
      switch (strategy.kind) {
        case Strategy::Kind::kOfM:
          for (int i = 0; i < strategy.passesNeeded; ++i) fail += binomial(m, i) * powerOf(u, i) * powerOf(v, m - i);
          break;
        case Strategy::Kind::california:
          fail = v * (1 - powerOf(u, m - 1));
          units = 1;  // and after a failing first unit, resamples up to the first failing one
          for (int i = 0; i < m - 1; ++i) units += v * powerOf(u, i);
          break;
        case Strategy::Kind::modifiedCalifornia:
          fail = v * (powerOf(v, 3) + 3 * u * v * v);
          units = 1 + v * (2 * (u * u + v * v) + 3 * 2 * u * v);
          break;
      }
      const std::string name = strategy.canonicalName();
      EXPECT_EQ(atW(polynomial.fail, polynomial.degree, w), fail) << name;
      if (units != 0) {
        EXPECT_EQ(atW(polynomial.units, polynomial.degree, w), units) << name;
      }
    }
  }
  EXPECT_TRUE(sameTest(*parseStrategy("1-of-1/median-3"), *parseStrategy("2-of-3")));
  EXPECT_TRUE(sameTest(*parseStrategy("1-of-1"), *parseStrategy("1:1")));
  EXPECT_FALSE(sameTest(*parseStrategy("1-of-2/median-3"), *parseStrategy("2-of-3")));
  EXPECT_FALSE(sameTest(*parseStrategy("1-of-2"), *parseStrategy("california-3")));
}

// The integration rests on log f and log g being concave on the normal scale, for W = Phi(-x);
// a rule added to the grammar that broke it would be integrated wrongly.
TEST(StrategyPolynomial, FailAndPassAreLogConcaveOnTheNormalScale) {
  for (const Strategy& strategy : everyStrategy()) {
    const StrategyPolynomial polynomial = strategyPolynomial(strategy);
    const auto logOf = [&](const std::vector<PolynomialCoefficient>& c, double x) {
      const double w = 0.5 * std::erfc(x / std::sqrt(2.0));
      const double p = 0.5 * std::erfc(-x / std::sqrt(2.0));
      // The sum of the terms from their logarithms, so that none underflows.
      std::vector<double> logs;
      for (int j = 0; j <= polynomial.degree; ++j) {
        const double coefficient = c[static_cast<std::size_t>(j)].convert_to<double>();
        if (coefficient > 0.0) logs.push_back(std::log(coefficient) + j * std::log(w) + (polynomial.degree - j) * std::log(p));
      }
      const double top = *std::max_element(logs.begin(), logs.end());
      double sum = 0.0;
      for (const double term : logs) sum += std::exp(term - top);
      return top + std::log(sum);
    };
    // Second differences over |x| <= 6 (|log f| < 800, so their rounding stays below 1e-9).
    const double h = 1.0 / 16;
    for (int i = -96; i <= 96; ++i) {
      const double x = i * h;
      for (const auto* c : {&polynomial.fail, &polynomial.pass}) {
        const double second = (logOf(*c, x + h) - 2 * logOf(*c, x) + logOf(*c, x - h)) / (h * h);
        ASSERT_LT(second, 1e-6) << strategy.canonicalName() << " at " << x;
      }
    }
  }
}

// E[q(W)] for W ~ Beta(k, n + 1 - k), q in monomials of W: sum of c_i E[W^i].
mpq_class expectation(const std::vector<mpz_class>& monomial, int n, int k) {
  mpq_class sum = 0;
  mpq_class moment = 1;
  for (std::size_t i = 0; i < monomial.size(); ++i) {
    sum += monomial[i] * moment;
    moment *= mpq_class(k + static_cast<long>(i), n + 1 + static_cast<long>(i));
  }
  return sum;
}

std::vector<mpz_class> multiply(const std::vector<mpz_class>& a, const std::vector<mpz_class>& b) {
  std::vector<mpz_class> c(a.size() + b.size() - 1, 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (std::size_t j = 0; j < b.size(); ++j) c[i + j] += a[i] * b[j];
  }
  return c;
}

// The Bernstein coefficients expanded into powers of W (signed).
std::vector<mpz_class> monomials(const std::vector<PolynomialCoefficient>& bernstein, int degree) {
  std::vector<mpz_class> out(static_cast<std::size_t>(degree) + 1, 0);
  for (int j = 0; j <= degree; ++j) {
    for (int i = 0; i <= degree - j; ++i) {
      const mpz_class term = toMpz(bernstein[static_cast<std::size_t>(j)]) * binomial(degree - j, i);
      out[static_cast<std::size_t>(j + i)] += i % 2 == 0 ? term : mpz_class(-term);
    }
  }
  return out;
}

double relative(double value, const mpq_class& exact) {
  return std::fabs(mpq_class(mpq_class(value) - exact).get_d() / exact.get_d());
}

TEST(StrategyArithmetic, IsExactFractionsOnSmallCases) {
  struct Case {
    const char* rule;
    int n, r, k;
  };
  for (const Case c : {Case{"1-of-2", 5, 1, 1}, Case{"2-of-3", 20, 10, 3}, Case{"3-of-4", 60, 7, 60},
                       Case{"california-4", 12, 25, 2}, Case{"modified-california", 20, 10, 1},
                       Case{"1-of-2/median-3", 40, 30, 1}, Case{"2-of-4/median-5", 9, 12, 9},
                       Case{"1-of-8/median-9", 30, 3, 2}, Case{"8-of-8/median-9", 100, 4, 50},
                       // The sums of Beta moments near their largest degree (D r = 936) and the
                       // quadrature just past it (1008); a large background with two comparisons,
                       // where the quadrature's last digit was off.
                       Case{"1-of-8/median-9", 40, 13, 3}, Case{"1-of-8/median-9", 40, 14, 3},
                       Case{"1-of-3", 19226, 2, 7289}}) {
    const StrategyArithmetic arithmetic(*parseStrategy(c.rule));
    const StrategyPolynomial& polynomial = arithmetic.polynomial();
    const std::vector<mpz_class> g = monomials(polynomial.pass, polynomial.degree);
    std::vector<mpz_class> gr{1};
    for (int i = 0; i < c.r; ++i) gr = multiply(gr, g);
    const mpq_class pass = expectation(gr, c.n, c.k);
    const mpq_class samples =
        c.r * polynomial.valuesPerUnit * expectation(monomials(polynomial.units, polynomial.degree), c.n, c.k);

    const ExactProbability cfp = *arithmetic.cfp(c.n, c.r, c.k);
    const ExactProbability complement = *arithmetic.passProbability(c.n, c.r, c.k);
    const std::string where = std::string(c.rule) + " n " + std::to_string(c.n) + " k " + std::to_string(c.k);
    EXPECT_LE(relative(cfp.value, 1 - pass), cfp.relativeError) << where;
    EXPECT_LE(relative(complement.value, pass), complement.relativeError) << where;
    EXPECT_LE(cfp.relativeError, kCfpRelativeErrorBound);
    if (static_cast<long>(polynomial.degree) * c.r <= 1000) {
      EXPECT_LE(relative(cfp.value, 1 - pass), 2e-12) << where;
      EXPECT_LE(relative(complement.value, pass), 2e-12) << where;
    }
    // The extended step within its own bound (from either side), which decides the near ties.
    const StrategyArithmetic::ExtendedCfp extended = *arithmetic.extendedCfp(nullptr, c.n, c.r, c.k);
    const mpq_class error = mpq_class(static_cast<double>(extended.cfp)) +
                            mpq_class(static_cast<double>(extended.cfp - static_cast<double>(extended.cfp))) - (1 - pass);
    EXPECT_LE(std::fabs(error.get_d()), static_cast<double>(extended.cfpError)) << where;
    EXPECT_LE(relative(*arithmetic.expectedSamples(c.n, c.r, c.k), samples), 1e-13) << where;
  }
}

TEST(StrategyArithmetic, OneOfTIsTheCalculatorsExactCfpAndPower) {
  struct Case {
    int n, r, k;
  };
  for (int t = 1; t <= 4; ++t) {
    const StrategyArithmetic arithmetic(*parseStrategy("1-of-" + std::to_string(t)));
    for (const Case c : {Case{20, 10, 3}, Case{297, 8077, 100}, Case{600, 2000, 1}, Case{32763, 1, 16382},
                         Case{32763, 1, 1}}) {
      const long double exact = exactCfp(c.n, c.r, t, c.k).value();
      const long double tolerance = 1e-10L + exactCfpRelativeErrorBound(c.r, t);
      const ExactProbability cfp = *arithmetic.cfp(c.n, c.r, c.k);
      EXPECT_LE(std::fabs(static_cast<long double>(cfp.value) - exact) / exact, tolerance) << t << " " << c.n << " " << c.r << " " << c.k;
      if (exact < 0.5L) {
        const ExactProbability pass = *arithmetic.passProbability(c.n, c.r, c.k);
        EXPECT_LE(std::fabs(static_cast<long double>(pass.value) - (1 - exact)) / (1 - exact), tolerance);
      }
    }
    for (const int n : {2, 20, 297, 32767}) {
      for (const int k : {1, (n + 1) / 2, n}) {
        for (const double shift : {0.5, 2.0, 3.0, 4.0}) {
          const double exact = exactPower(n, k, t, shift).value();
          EXPECT_LE(std::fabs(*arithmetic.power(n, k, shift) - exact) / exact, 1e-10)
              << t << " " << n << " " << k << " " << shift;
        }
      }
    }
  }
}

// r = 1: the chance that fewer than K of M future values fall at or below the k-th largest of
// n is a finite sum of ratios of binomial coefficients, sum over i < K of C(M, i)
// B(k + M - i, n + 1 - k + i) / B(k, n + 1 - k).
TEST(StrategyArithmetic, OneComparisonIsTheClosedForm) {
  for (const char* rule : {"1-of-1", "1-of-3", "2-of-3", "2-of-5", "4-of-8", "8-of-8"}) {
    const Strategy strategy = *parseStrategy(rule);
    const StrategyArithmetic arithmetic(strategy);
    const int m = strategy.units;
    for (const int n : {2, 37, 32763}) {
      for (const int k : {1, (n + 1) / 2, n}) {
        long double cfp = 0.0L;
        for (int i = 0; i < strategy.passesNeeded; ++i) {
          long double term = std::exp(std::lgamma(m + 1.0L) - std::lgamma(i + 1.0L) - std::lgamma(m - i + 1.0L));
          for (int h = 0; h < m - i; ++h) term *= static_cast<long double>(k + h) / (n + 1 + h);
          for (int h = 0; h < i; ++h) term *= static_cast<long double>(n + 1 - k + h) / (n + 1 + m - i + h);
          cfp += term;
        }
        const ExactProbability value = *arithmetic.cfp(n, 1, k);
        EXPECT_LE(std::fabs(static_cast<long double>(value.value) - cfp) / cfp,
                  1e-12L + static_cast<long double>(value.relativeError)) << rule << " " << n << " " << k;
      }
    }
  }
}

// Where the bound is largest (the widest shapes, the most comparisons, the longest rules), the
// double quadrature against the same integral in 50 digits.
TEST(StrategyArithmetic, HoldsItsErrorBoundAtTheDomainsCorners) {
  struct Case {
    const char* rule;
    int n, r, k;
  };
  for (const Case c : {Case{"8-of-8/median-9", 1000, 7000, 500}, Case{"1-of-8/median-9", 3, 8191, 1},
                       Case{"2-of-3", 32763, 1, 16382}, Case{"8-of-8/median-9", 32763, 1, 1}}) {
    const StrategyArithmetic arithmetic(*parseStrategy(c.rule));
    const detail::PolynomialTerms<Wide> wide(arithmetic.polynomial());
    for (const detail::Side side : {detail::Side::fail, detail::Side::pass}) {
      const ExactProbability fast = side == detail::Side::fail ? *arithmetic.cfp(c.n, c.r, c.k)
                                                               : *arithmetic.passProbability(c.n, c.r, c.k);
      const detail::IntegralValue<Wide> reference = detail::integrateLimit<Wide>(wide, c.n, c.k, Wide(0), c.r, side);
      const double error = std::fabs(static_cast<double>(fast.logValue - reference.logValue));
      EXPECT_LE(error, fast.relativeError) << c.rule << " n " << c.n;
      EXPECT_LE(fast.relativeError, kCfpRelativeErrorBound) << c.rule << " n " << c.n;
      EXPECT_LT(reference.relativeError, 1e-40);
    }
  }
}

// The powers of every rank from one grid (the rows of every rank) against the same integral
// in extended precision (its own error some 1e-15 at n = 32767), for the shortest and the longest rules, at both ends of the ranks and between,
// up to the largest background: 1e-11 of the power (the adaptive quadrature's bound is 1e-10).
TEST(RankPowers, AreTheExtendedIntegralAtEveryKindOfRank) {
  for (const char* rule : {"1-of-1", "1-of-4", "modified-california", "1-of-8/median-9"}) {
    const StrategyArithmetic arithmetic(*parseStrategy(rule));
    const detail::PolynomialTerms<long double> extended(arithmetic.polynomial());
    for (const int n : {256, 4000, 32767}) {
      const detail::RankPowers grid(arithmetic.polynomial(), n, {2.0, 4.0});
      for (const int k : {1, 2, 5, n / 50, n / 2, n - 1, n}) {
        const std::optional<std::vector<double>> powers = grid.at(k);
        // The few largest values may be left to their own quadrature (f is not smooth at
        // theta = 0, where their density is); every other rank is answered.
        if (!powers && k < 5) continue;
        ASSERT_TRUE(powers.has_value()) << rule << " n " << n << " k " << k;
        for (std::size_t s = 0; s < 2; ++s) {
          const long double shift = s == 0 ? 2.0L : 4.0L;
          const detail::IntegralValue<long double> reference =
              detail::integrateLimit<long double>(extended, n, k, shift, 1, detail::Side::fail);
          const double exact = static_cast<double>(std::exp(reference.logValue));
          EXPECT_LE(std::fabs((*powers)[s] - exact), 1e-11 * exact) << rule << " n " << n << " k " << k << " shift " << shift;
        }
      }
    }
  }
}

// The binary128 pass where the audit's near ties are costliest (1-of-4 at 8191 comparisons, from
// the pass side) and on the fail side: a DCFP typed as the CFP's first 16 significant digits,
// rounded down and up, is settled there, with the 50-digit pass's CFP, margin and decision,
// and its proven bound (a hundredth of the error it reports) holds against them.
TEST(StrategyArithmetic, Binary128SettlesSixteenDigitTies) {
  struct Case {
    int n, r, k;
  };
  const StrategyArithmetic oneOfFour(*parseStrategy("1-of-4"));
  for (const Case c : {Case{3, 8191, 1}, Case{297, 3000, 10}}) {
    const long double cfp = oneOfFour.quadCfp(nullptr, c.n, c.r, c.k)->cfp;
    for (const long double typed : {cfp * (1.0L - 1e-15L), cfp * (1.0L + 1e-15L)}) {
      const DcfpFraction dcfp = *DcfpFraction::read(formatSignificant(typed, 16));
      const StrategyArithmetic::ExtendedCfp quad = *oneOfFour.quadCfp(&dcfp, c.n, c.r, c.k);
      const StrategyArithmetic::PreciseCfp precise = *oneOfFour.preciseCfp(dcfp, c.n, c.r, c.k);
      const long double rounding = 0x1p-62L;  // the 50-digit values' own rounding to long double
      EXPECT_LE(std::fabs(quad.cfp - precise.cfp), quad.cfpError / 100 + rounding * precise.cfp) << c.n;
      EXPECT_LE(std::fabs(quad.margin - precise.margin), quad.marginError / 100 + rounding * std::fabs(precise.margin));
      EXPECT_GT(std::fabs(quad.margin), quad.marginError) << dcfp.text();
      const CfpDecision decision = *oneOfFour.meets(dcfp, c.n, c.r, c.k);
      EXPECT_EQ(decision.meets, precise.margin >= 0.0L) << dcfp.text();
      EXPECT_EQ(decision.decidedBy, DecidedBy::multiprecision);
    }
  }
}

// One field of a conformance line: `"name": value`.
std::string field(const std::string& line, const std::string& name) {
  const std::size_t at = line.find("\"" + name + "\":");
  if (at == std::string::npos) return {};
  std::size_t start = at + name.size() + 3;
  while (line[start] == ' ') ++start;
  const std::size_t end = line[start] == '[' ? line.find(']', start) + 1 : line.find_first_of(",}", start);
  return line.substr(start, end - start);
}

TEST(StrategyArithmetic, ReproducesEveryConformanceCase) {
  std::ifstream file(VELMORA_STRATEGIES_DATA);
  ASSERT_TRUE(file.is_open());
  int lines = 0;
  for (std::string line; std::getline(file, line);) {
    if (line.empty()) continue;
    ++lines;
    std::string rule = field(line, "rule");
    rule = rule.substr(1, rule.size() - 2);
    const int n = std::stoi(field(line, "n"));
    const int r = std::stoi(field(line, "r"));
    const int k = std::stoi(field(line, "rank"));
    const StrategyArithmetic arithmetic(*parseStrategy(rule));
    if (const std::string cfp = field(line, "cfp"); !cfp.empty()) {
      const double exact = std::stod(cfp);
      EXPECT_LE(std::fabs(arithmetic.cfp(n, r, k)->value - exact), 1e-9 * exact) << line;
      continue;
    }
    std::string powers = field(line, "power");
    std::replace(powers.begin(), powers.end(), ',', ' ');
    std::istringstream values(powers.substr(1, powers.size() - 2));
    for (const double shift : {2.0, 3.0, 4.0}) {
      double exact = 0.0;
      values >> exact;
      EXPECT_LE(std::fabs(*arithmetic.power(n, k, shift) - exact), 1e-9 * exact) << line << " at " << shift;
    }
  }
  EXPECT_EQ(lines, 117);
}

TEST(StrategyArithmetic, DecidesTheDcfpAsTypedExactly) {
  const auto decide = [](const char* rule, const char* dcfp, int n, int r, int k) {
    return *StrategyArithmetic(*parseStrategy(rule)).meets(*DcfpFraction::read(dcfp), n, r, k);
  };
  // A real tie at r = 1: CFP = k / (n + 1) = 1/5 for 1-of-1, n 4, the maximum.
  EXPECT_TRUE(decide("1-of-1", "0.2", 4, 1, 1).meets);
  EXPECT_EQ(decide("1-of-1", "0.2", 4, 1, 1).decidedBy, DecidedBy::fractions);
  EXPECT_FALSE(decide("1-of-1", "0.19999999999999999999", 4, 1, 1).meets);
  EXPECT_TRUE(decide("1-of-1", "2e-1", 4, 1, 1).meets);
  // So is 2-of-3 with n 3 and the second largest: CFP = 1/2.
  EXPECT_TRUE(decide("2-of-3", "0.5", 3, 1, 2).meets);
  EXPECT_FALSE(decide("1-of-1/median-3", "0.49999999999999", 3, 1, 2).meets);
  EXPECT_TRUE(decide("1-of-1", "1", 2, 8000, 2).meets);

  // Near ties beyond the fractions' size go to 50 digits: 1-of-4, g^r of degree 800.
  const StrategyArithmetic oneOfFour(*parseStrategy("1-of-4"));
  const mpq_class exact = 1 - expectation([&] {
    std::vector<mpz_class> g = monomials(oneOfFour.polynomial().pass, 4);
    std::vector<mpz_class> gr{1};
    for (int i = 0; i < 200; ++i) gr = multiply(gr, g);
    return gr;
  }(), 50, 5);
  // The DCFP typed as the CFP's first 14 significant digits, rounded down and up.
  const mpf_class scaled(exact * mpq_class(mpz_class("100000000000000000")), 200);
  const mpz_class digits(floor(scaled));
  for (const mpz_class& typed : {digits, mpz_class(digits + 1)}) {
    const std::string text = "0." + std::string(17 - typed.get_str().size(), '0') + typed.get_str();
    const CfpDecision decision = *oneOfFour.meets(*DcfpFraction::read(text), 50, 200, 5);
    EXPECT_EQ(decision.decidedBy, DecidedBy::multiprecision) << text;
    EXPECT_EQ(decision.meets, exact <= mpq_class(typed, mpz_class("100000000000000000"))) << text;
  }
  // 1 - CFP of 1-of-1, n 3, maximum, r 8191 is 3/8194: a DCFP near 1 read from its side.
  EXPECT_TRUE(decide("1-of-1", "0.99963387844765", 3, 8191, 1).meets);
  EXPECT_FALSE(decide("1-of-1", "0.99963387844764", 3, 8191, 1).meets);
  EXPECT_EQ(oneOfFour.compareByFractions(*DcfpFraction::read("0.2"), 50, 200, 5), -1);
  EXPECT_FALSE(oneOfFour.compareByFractions(*DcfpFraction::read("0.2"), 50, 200, 51).has_value());  // k > n
}

TEST(DcfpFraction, ReadsWhatTheBoxAcceptsExactly) {
  EXPECT_EQ(DcfpFraction::read("0.0208516")->value(), boost::multiprecision::cpp_rational(208516, 10000000));
  EXPECT_EQ(DcfpFraction::read(" 5E-1 ")->value(), boost::multiprecision::cpp_rational(1, 2));
  EXPECT_EQ(DcfpFraction::read("007.5e-2")->value(), boost::multiprecision::cpp_rational(3, 40));
  EXPECT_DOUBLE_EQ(DcfpFraction::read("0.999999")->complementApprox(), 1e-6);
  for (const char* refused : {"", "0", "-0.1", "1.0000001", "0.5x", "&H1", "1e-400", "abc"}) {
    const Expected<DcfpFraction> dcfp = DcfpFraction::read(refused);
    ASSERT_FALSE(dcfp.has_value()) << refused;
    EXPECT_EQ(dcfp.error().kind, ProblemKind::refusedRequest);
  }
}

}  // namespace
}  // namespace velmora::analysis

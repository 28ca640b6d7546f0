// SPDX-License-Identifier: GPL-3.0-or-later
// The exact CFP against exact fractions: the published values, a grid of small sizes,
// the tiniest CFPs of the domain and the extreme sizes.
#include <gtest/gtest.h>

#include <cmath>

#include "exact_reference.h"
#include "velmora/analysis/exact_cfp.h"

namespace velmora::analysis {
namespace {

using testsupport::exactCfpFraction;
using testsupport::relativeError;

// Ten significant digits need a relative error below 5e-11; the sums do far better.
constexpr long double kTenDigits = 5e-11L;

TEST(ExactCfp, PublishedValuesForTwentyBackgroundFiveComparisons) {
  const struct {
    int t, k;
    mpq_class cfp;
  } published[] = {{1, 1, mpq_class(1, 5)},
                   {2, 2, mpq_class(7187, 118755)},
                   {3, 5, mpq_class(9352011, 103488385)},
                   {4, 7, mpq_class(6810920, 75739851)}};
  for (const auto& p : published) {
    EXPECT_EQ(exactCfpFraction(20, 5, p.t, p.k), p.cfp) << "reference, 1:" << p.t;
    const long double cfp = exactCfp(20, 5, p.t, p.k).value();
    EXPECT_LT(relativeError(cfp, p.cfp), 1e-17L) << "1:" << p.t;
  }
  EXPECT_EQ(formatSignificant(exactCfp(20, 5, 2, 2).value()), "0.06051955707");
  EXPECT_EQ(formatSignificant(exactCfp(20, 5, 3, 5).value()), "0.09036773547");
  EXPECT_EQ(formatSignificant(exactCfp(20, 5, 4, 7).value()), "0.08992518351");
  EXPECT_EQ(formatSignificant(exactCfp(20, 5, 1, 1).value()), "0.2");
}

TEST(ExactCfp, WorkedTablesOfTheSearches) {
  // The coefficient tables the searches are checked with, as probabilities.
  EXPECT_LT(relativeError(exactCfp(10, 3, 2, 2).value(), mpq_class(89, 728)), 1e-17L);
  EXPECT_LT(relativeError(exactCfp(10, 2, 3, 2).value(), mpq_class(31, 1144)), 1e-17L);
  EXPECT_LT(relativeError(exactCfp(10, 2, 4, 2).value(), mpq_class(333, 34034)), 1e-17L);
  EXPECT_LT(relativeError(exactCfp(10, 1, 2, 1).value(), mpq_class(1, 66)), 1e-17L);
  EXPECT_LT(relativeError(exactCfp(10, 1, 3, 1).value(), mpq_class(1, 286)), 1e-17L);
  EXPECT_LT(relativeError(exactCfp(10, 1, 4, 1).value(), mpq_class(1, 1001)), 1e-17L);
}

TEST(ExactCfp, GridOfSmallSizesAgainstFractionsWithinTheBound) {
  long double worst = 0.0L;
  int cases = 0;
  for (int n : {2, 3, 5, 10, 20, 37}) {
    for (int r : {1, 2, 3, 5, 8, 13, 30}) {
      for (int t = 1; t <= 4; ++t) {
        long double previous = 0.0L;
        for (int k = 1; k <= n; ++k) {
          const long double cfp = exactCfp(n, r, t, k).value();
          const long double error = relativeError(cfp, exactCfpFraction(n, r, t, k));
          ASSERT_LE(error, exactCfpRelativeErrorBound(r, t)) << n << " " << r << " 1:" << t << " k " << k;
          worst = std::max(worst, error);
          EXPECT_GT(cfp, previous) << "the CFP rises with the rank";
          previous = cfp;
          ++cases;
        }
      }
    }
  }
  EXPECT_GT(cases, 2000);
  EXPECT_LT(worst, 1e-16L);
}

TEST(ExactCfp, TiniestCfpsKeepTheirDigits) {
  // 1 - P would lose every digit here: the CFP is about 2e-17.
  const int n = 32763;
  for (int t = 1; t <= 4; ++t) {
    for (int k : {1, 2, 100, 8191, 20000, 32763}) {
      const mpq_class exact = exactCfpFraction(n, 1, t, k);
      EXPECT_LT(relativeError(exactCfp(n, 1, t, k).value(), exact), 1e-17L) << "1:" << t << " k " << k;
    }
  }
  EXPECT_EQ(formatSignificant(exactCfp(n, 1, 4, 1).value()), "2.082303572e-17");
  // A few comparisons against a large background: still tiny, still exact.
  for (int t = 2; t <= 4; ++t) {
    EXPECT_LT(relativeError(exactCfp(5000, 7, t, 1).value(), exactCfpFraction(5000, 7, t, 1)), 1e-17L);
    EXPECT_LT(relativeError(exactCfp(30000, 3, t, 2).value(), exactCfpFraction(30000, 3, t, 2)), 1e-17L);
  }
}

TEST(ExactCfp, ExtremeComparisonsAgainstClosedForms) {
  // n = 2, r = 8191 (n + 4r = 32766). With W ~ Beta(1, 2):
  //   1:1  CFP = 1 - 2 / 8193
  //   1:2  P = 2 I_r - 1 / (r + 1), I_r = integral of (1 - w^2)^r = 4^r (r!)^2 / (2r + 1)!
  const int r = 8191;
  EXPECT_LT(relativeError(exactCfp(2, r, 1, 1).value(), mpq_class(8191, 8193)), 1e-17L);
  mpz_class factorial;
  mpz_class doubleFactorial;
  mpz_fac_ui(factorial.get_mpz_t(), r);
  mpz_fac_ui(doubleFactorial.get_mpz_t(), 2 * r + 1);
  const mpq_class integral(mpz_class(factorial * factorial) << (2 * r), doubleFactorial);
  const mpq_class cfp = 1 - (2 * integral - mpq_class(1, r + 1));
  const long double value = exactCfp(2, r, 2, 1).value();
  EXPECT_LT(relativeError(value, cfp), exactCfpRelativeErrorBound(r, 2));
  EXPECT_LT(relativeError(value, cfp), 1e-15L);
}

TEST(ExactCfp, ExtendedAndQuadruplePrecisionAgreeOnLargeSizes) {
  // Sizes where fractions would run to hundreds of thousands of digits: the binary128 sum
  // is a second, independent rounding of the same recurrence.
  const struct {
    int n, r, t, k;
  } sizes[] = {{2, 1000, 4, 1}, {2, 1000, 4, 2}, {767, 400, 4, 1}, {32767 - 4, 1, 4, 32763},
               {300, 700, 3, 150}, {5000, 200, 2, 40}};
  for (const auto& s : sizes) {
    const long double extended = exactCfp(s.n, s.r, s.t, s.k).value();
    const long double quad = exactCfpQuad(s.n, s.r, s.t, s.k).value();
    EXPECT_LE(std::fabs(extended - quad) / quad, exactCfpRelativeErrorBound(s.r, s.t))
        << s.n << " " << s.r << " 1:" << s.t << " k " << s.k;
  }
}

TEST(ExactCfp, WholeDomainExtremesStayFiniteAndOrdered) {
  // The largest number of comparisons: every state of the sum is live for thousands of
  // updates, far below the smallest normal numbers at the edges.
  const long double first = exactCfp(2, 8191, 4, 1).value();
  const long double second = exactCfp(2, 8191, 4, 2).value();
  EXPECT_TRUE(std::isfinite(first));
  EXPECT_GT(first, 0.8L);
  EXPECT_GT(second, first);
  EXPECT_LE(second, 1.0L);
  EXPECT_LT(exactCfpRelativeErrorBound(8191, 4), 5e-15L);
  EXPECT_LT(exactCfpRelativeErrorBound(8191, 4), kTenDigits);
}

TEST(ExactCfp, OutsideTheDomainIsRefused) {
  const auto refused = [](const Expected<long double>& cfp) {
    return !cfp.has_value() && cfp.error().kind == ProblemKind::refusedRequest;
  };
  EXPECT_TRUE(refused(exactCfp(20, 5, 5, 1)));
  EXPECT_TRUE(refused(exactCfp(20, 5, 1, 21)));
  EXPECT_TRUE(refused(exactCfp(20, 5, 1, 0)));
  EXPECT_TRUE(refused(exactCfp(32767 - 19, 5, 1, 1)));
  EXPECT_TRUE(refused(exactCfp(20, 0, 1, 1)));
  EXPECT_TRUE(refused(exactCfpQuad(20, 5, 1, 21)));
  EXPECT_FALSE(ExactDcfp("0.1").compare(20, 5, 1, 21).has_value());
}

TEST(FormatSignificant, TenDigitsInTheShorterForm) {
  EXPECT_EQ(formatSignificant(0.1L), "0.1");
  EXPECT_EQ(formatSignificant(1.0L), "1");
  EXPECT_EQ(formatSignificant(-0.000123456789012L), "-0.000123456789");
  EXPECT_EQ(formatSignificant(0.0000123456789012L), "1.23456789e-05");
  // Rounded from the long double value, not from a double: 0.1 + 2^-60 rounds up only at 19 digits.
  EXPECT_EQ(formatSignificant(0.1L + std::ldexp(1.0L, -60), 19), "0.1000000000000000009");
}

}  // namespace
}  // namespace velmora::analysis

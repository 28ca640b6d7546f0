// SPDX-License-Identifier: GPL-3.0-or-later
// The DCFP as typed, read exactly, and exact decisions at ties.
#include <gtest/gtest.h>

#include "exact_reference.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/engine/numbers.h"

namespace velmora::analysis {
namespace {

TEST(ExactDcfp, ReadsTheCharactersTheBoxesRead) {
  EXPECT_EQ(ExactDcfp("0.1").fractionText(), "1/10");
  EXPECT_EQ(ExactDcfp(" 0 . 0\t5\n").fractionText(), "1/20");  // blanks skipped wherever they stand
  EXPECT_EQ(ExactDcfp("5e-2").fractionText(), "1/20");
  EXPECT_EQ(ExactDcfp("+.5E+0").fractionText(), "1/2");
  EXPECT_EQ(ExactDcfp("1.5abc").fractionText(), "3/2");  // the leading number only
  EXPECT_EQ(ExactDcfp("2e").fractionText(), "2");        // an exponent without digits is not read
  EXPECT_EQ(ExactDcfp("abc").fractionText(), "0");
  EXPECT_EQ(ExactDcfp("").fractionText(), "0");
  EXPECT_EQ(ExactDcfp("&H1F").fractionText(), "31");
  EXPECT_EQ(ExactDcfp("&o17").fractionText(), "15");
  EXPECT_EQ(ExactDcfp("&x1").fractionText(), "0");
  EXPECT_EQ(ExactDcfp("-0.25").fractionText(), "-1/4");
  EXPECT_EQ(ExactDcfp("0.100000000000000000000001").fractionText(), "100000000000000000000001/1000000000000000000000000");
}

TEST(ExactDcfp, RoundsToTheValueTheBoxesRead) {
  for (const char* text : {"0.1", "0.05", "1", "0.333333333333333333", "1e-10", "7.5E-3", " 0.2 ", "&H1", "0.99999"}) {
    EXPECT_EQ(static_cast<double>(ExactDcfp(text).approx()), numericValue(text)) << text;
  }
}

TEST(ExactDcfp, AnExactTieMeetsTheDcfp) {
  // CFP of rank 1 of 1:1 with n 20, r 5 is 1 - 20/25 = 1/5 exactly.
  const ExactDcfp tie("0.2");
  const ExactDcfp::Comparison comparison = *tie.compare(20, 5, 1, 1);
  EXPECT_TRUE(comparison.meets);
  EXPECT_TRUE(comparison.decidedByFractions);
  EXPECT_EQ(comparison.margin, 0.0L);

  const ExactDcfp::Comparison below = *ExactDcfp("0.19999999999999999999999").compare(20, 5, 1, 1);
  EXPECT_FALSE(below.meets);
  EXPECT_TRUE(below.decidedByFractions);
  EXPECT_EQ(formatSignificant(below.margin), "-1e-23");

  const ExactDcfp::Comparison above = *ExactDcfp("0.20000000000000000000001").compare(20, 5, 1, 1);
  EXPECT_TRUE(above.meets);
  EXPECT_EQ(formatSignificant(above.margin), "1e-23");
}

TEST(ExactDcfp, TiesOfTheRetestSchemes) {
  // 7187/118755 is not a finite decimal, so a typed DCFP can only come close: the digits
  // typed decide, down to the last one.
  const ExactDcfp::Comparison under = *ExactDcfp("0.060519557071281209212").compare(20, 5, 2, 2);
  const ExactDcfp::Comparison over = *ExactDcfp("0.060519557071281209213").compare(20, 5, 2, 2);
  EXPECT_FALSE(under.meets);
  EXPECT_TRUE(over.meets);
  // 31/1144 = 0.027097902097902...: 1:3, n 10, r 2, k 2.
  EXPECT_FALSE(ExactDcfp("0.0270979020979020979").compare(10, 2, 3, 2)->meets);
  EXPECT_TRUE(ExactDcfp("0.0270979020979020980").compare(10, 2, 3, 2)->meets);
}

// Where ExactCfp's sum would be slow the audit, the curves and the planner take the
// strategies' quadrature: its 10 significant digits must be ExactCfp's, and near a tie the
// margin's 10 digits those of the exact fraction.
TEST(ExactDcfp, TheQuadraturePathPrintsExactCfpsDigits) {
  for (const int n : {20, 297, 5000}) {
    for (const int r : {40, 300}) {
      for (int t = 2; t <= 4; ++t) {
        for (const int k : {1, 2, 7, 19}) {
          EXPECT_EQ(formatSignificant(fastExactCfp(n, r, t, k).value()), formatSignificant(exactCfp(n, r, t, k).value()))
              << n << " " << r << " 1:" << t << " k " << k;
        }
      }
    }
  }
  // The DCFP typed as the CFP's first 16 significant digits, rounded down and up: the margin
  // (some 1e-17) is ten digits of the exact one, and the decision is exact.
  const long double cfp = exactCfp(297, 300, 4, 7).value();
  for (const long double typed : {cfp * (1.0L - 1e-15L), cfp * (1.0L + 1e-15L)}) {
    const ExactDcfp dcfp(formatSignificant(typed, 16));
    long double margin = 0.0L;
    const int sign = dcfp.compareByFractions(297, 300, 4, 7, &margin).value();
    const ExactDcfp::Comparison comparison = dcfp.compare(297, 300, 4, 7).value();
    EXPECT_EQ(comparison.meets, sign <= 0);
    EXPECT_EQ(formatSignificant(comparison.margin), formatSignificant(margin));
  }
  // A DCFP near 1 and a tiny one, margins far below the CFP's double error: extended precision
  // from the smaller side gives the exact margin's digits.
  for (const char* text : {"0.999995203", "0.9999999", "1.024e-5", "0.6598"}) {
    const ExactDcfp dcfp(text);
    for (int t = 2; t <= 4; ++t) {
      for (const int k : {1, 2, 3, 30}) {
        long double margin = 0.0L;
        const int sign = dcfp.compareByFractions(41, 300, t, k, &margin).value();
        const ExactDcfp::Comparison comparison = dcfp.compare(41, 300, t, k).value();
        EXPECT_EQ(comparison.meets, sign <= 0) << text << " 1:" << t << " k " << k;
        EXPECT_EQ(formatSignificant(comparison.margin), formatSignificant(margin)) << text << " 1:" << t << " k " << k;
        EXPECT_EQ(formatSignificant(comparison.cfp), formatSignificant(exactCfp(41, 300, t, k).value()));
      }
    }
  }
}

TEST(ExactDcfp, FractionDecisionsAgreeWithTheFastOnesOnAGrid) {
  const ExactDcfp dcfp("0.05");
  for (int n : {2, 7, 20, 50}) {
    for (int r : {1, 4, 10}) {
      for (int t = 1; t <= 4; ++t) {
        for (int k = 1; k <= n; k += 3) {
          long double margin = 0.0L;
          const int sign = dcfp.compareByFractions(n, r, t, k, &margin).value();
          const ExactDcfp::Comparison fast = dcfp.compare(n, r, t, k).value();
          EXPECT_EQ(fast.meets, sign <= 0) << n << " " << r << " 1:" << t << " k " << k;
          EXPECT_NEAR(static_cast<double>(fast.margin), static_cast<double>(margin), 1e-17);
          const mpq_class exact = mpq_class(1, 20) - testsupport::exactCfpFraction(n, r, t, k);
          EXPECT_EQ(sgn(exact) < 0, sign > 0);
        }
      }
    }
  }
}

}  // namespace
}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
// Candidates whose float32 coefficient sum leaves the float32 range while their CFP is
// still well below 1. At such a rank the probability that none of the t r samples exceeds
// the limit is tiny and the coefficient row grows as its reciprocal; the search then
// evaluates the candidate again with wider running probability and sum. With a CFP near
// 0.98 every digit of that wider evaluation shows, unlike at rank n with DCFP 1, where
// the CFP is 1 whatever the sum.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "exact_reference.h"
#include "named_rows.h"
#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/design_arithmetic.h"
#include "velmora/analysis/exact_cfp.h"

namespace velmora {
namespace {

using testsupport::exactNoFalsePositive;

// The float32 running probability of the searches, prod_{i<k} (n - i) / (n + t r - i),
// rounded after every factor.
float searchRunProb(int n, int r, int t, int k) {
  const int pool = n + t * r;
  float p = static_cast<float>(static_cast<double>(n) / pool);
  for (int m = 2; m <= k; ++m) {
    p = static_cast<float>((static_cast<double>(n - m + 1) * static_cast<double>(p)) / (pool - m + 1));
  }
  return p;
}

struct MidRankCase : testsupport::NamedRow {
  const char* dcfp;
  int n;
  int r;
  int ranks[5];  // the chosen rank of 1:1 .. 1:4
};

class WideFallback : public ::testing::TestWithParam<MidRankCase> {};

TEST_P(WideFallback, MidRanksBeyondTheFloat32SumKeepTheirCfpAndRank) {
  const MidRankCase& c = GetParam();
  const int chosen = c.ranks[4];
  // The premise: at the chosen 1:4 rank and the failing rank after it, the coefficient
  // sum P / runProb lies beyond the largest float32, while the CFP is far from 1.
  for (int k : {chosen, chosen + 1}) {
    const mpq_class sum = exactNoFalsePositive(c.n, c.r, 4, k) / mpq_class(static_cast<double>(searchRunProb(c.n, c.r, 4, k)));
    ASSERT_GT(sum, mpq_class(static_cast<double>(FLT_MAX))) << "rank " << k;
  }

  Calculation calc;
  const Expected<CalculationResult> outcome = calc.calculate({c.dcfp, std::to_string(c.n), std::to_string(c.r), std::to_string(c.n)});
  ASSERT_TRUE(outcome.has_value());
  for (const std::string& text : outcome->captions.lblQ) EXPECT_EQ(text.find_first_not_of("0123456789."), std::string::npos) << text;
  for (const std::string& text : outcome->captions.lblPW) EXPECT_EQ(text.find_first_not_of("0123456789."), std::string::npos) << text;

  // The searches' own values, before the power step rounds them for display.
  CalculationSeam::FindRank1of1(calc);
  CalculationSeam::FindRank1of2(calc);
  CalculationSeam::FindRank1of3(calc);
  CalculationSeam::FindRank1of4(calc);
  const CalculationState& s = CalculationSeam::state(calc);
  const mpq_class dcfp(static_cast<double>(s.dcfp));
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(s.optRank[t], c.ranks[t]) << "1:" << t;
    const mpq_class cfp = 1 - exactNoFalsePositive(c.n, c.r, t, c.ranks[t]);
    EXPECT_NEAR(s.cfp[t][2], cfp.get_d(), 4e-7) << "1:" << t;
    // The rank is the exactly optimal one: it passes and the next one fails.
    EXPECT_LE(cfp, dcfp) << "1:" << t;
    EXPECT_GT(1 - exactNoFalsePositive(c.n, c.r, t, c.ranks[t] + 1), dcfp) << "1:" << t;
  }
  // The last 1:4 candidate is the failing rank after the chosen one, evaluated wide too.
  EXPECT_EQ(s.rankIdx, chosen + 1);
  EXPECT_NEAR(s.cfpCur[4], mpq_class(1 - exactNoFalsePositive(c.n, c.r, 4, chosen + 1)).get_d(), 4e-7);
}

INSTANTIATE_TEST_SUITE_P(Designs, WideFallback,
                         ::testing::Values(MidRankCase{"Dcfp0_98N200R50", "0.98", 200, 50, {0, 16, 57, 87, 108}},
                                           MidRankCase{"Dcfp0_9995N200R30", "0.9995", 200, 30, {0, 48, 99, 126, 142}}),
                         testsupport::RowName());

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// At the high ranks of large designs the 1:4 running probability falls below the float32
// range (about 1e-38) and then below the float64 range (about 1e-308) long before the CFP
// nears the DCFP. These are the chosen 1:4 ranks of such designs (exactly optimal: the
// rank passes its float32 DCFP and the next fails); the search must give each its exact
// CFP to float32 accuracy, and decide both exactly as exact arithmetic does.
struct HighRankCase : testsupport::NamedRow {
  float dcfp;
  int n;
  int r;
  int rank;
};

class BeyondFloatRange : public ::testing::TestWithParam<HighRankCase> {};

TEST_P(BeyondFloatRange, HighOneOfFourRanksOfLargeDesignsKeepTheirExactCfp) {
  const HighRankCase& c = GetParam();
  ASSERT_LT(searchRunProb(c.n, c.r, 4, c.rank), FLT_MIN);
  for (const int k : {c.rank, c.rank + 1}) {
    const long double exact = analysis::exactCfp(c.n, c.r, 4, k).value();
    const float design = designCfp(c.n, c.r, 4, k).value();
    EXPECT_NEAR(design, static_cast<double>(exact), 6e-8 * static_cast<double>(exact)) << "rank " << k;
    EXPECT_EQ(design <= c.dcfp, exact <= static_cast<long double>(c.dcfp)) << "rank " << k;
  }
  EXPECT_LE(designCfp(c.n, c.r, 4, c.rank).value(), c.dcfp);
  EXPECT_GT(designCfp(c.n, c.r, 4, c.rank + 1).value(), c.dcfp);
}

INSTANTIATE_TEST_SUITE_P(LargeDesigns, BeyondFloatRange,
                         ::testing::Values(HighRankCase{"N16000R4000", 0.3f, 16000, 4000, 1554},  // shown as rank 1047 with CFP -0.00378
                                           HighRankCase{"N10000R5000", 0.2f, 10000, 5000, 816},   // shown as rank 664 with CFP -0.06606
                                           HighRankCase{"N20000R3000", 0.9f, 20000, 3000, 3331},  // shown as rank 8000 with CFP 0.00000
                                           HighRankCase{"N24000R2000", 0.45f, 24000, 2000, 3155}),  // shown as rank 16000 with CFP 0.00000
                         testsupport::RowName());

// A whole run in the same regime, small enough for every test run: its 1:3 walk ends with
// a running probability near 1e-174 and its 1:4 walk near 1e-350.
TEST(BeyondFloatRange, WholeRunChoosesTheExactlyOptimalRanks) {
  Calculation calc;
  const Expected<CalculationResult> outcome = calc.calculate({"0.99", "4000", "1000", "4000"});
  ASSERT_TRUE(outcome.has_value());
  const int ranks[] = {0, 20, 274, 670, 1047};
  for (int t = 1; t <= 4; ++t) {
    SCOPED_TRACE("1:" + std::to_string(t));
    const std::size_t cell = static_cast<std::size_t>(t - 1);
    EXPECT_EQ(outcome->captions.lblCU[cell].substr(outcome->captions.lblCU[cell].rfind(' ') + 1), std::to_string(ranks[t]));
    const long double exact = analysis::exactCfp(4000, 1000, t, ranks[t]).value();
    EXPECT_NEAR(std::stod(outcome->captions.lblQ[cell]), static_cast<double>(exact), 5e-6 + 1e-7);
    EXPECT_LE(exact, 0.99L);
    EXPECT_GT(analysis::exactCfp(4000, 1000, t, ranks[t] + 1).value(), static_cast<long double>(0.99f));
  }
}

}  // namespace
}  // namespace velmora

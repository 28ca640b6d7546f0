// SPDX-License-Identifier: GPL-3.0-or-later
// The four rank searches: chosen ranks, status texts and the float32 CFPs of the worked
// examples, the bound j, the coefficient tables of the retest searches, and repeatability.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "named_rows.h"
#include "record_compare.h"
#include "run_support.h"

namespace velmora {
namespace {

using enginetest::repeatSearches;
using enginetest::EngineRun;
using enginetest::runOf;
using enginetest::texts;

// A run whose searches are repeated afterwards, so that cfp[t][2] and limitPercentile[t]
// hold the searches' own values, not the display-rounded ones.
EngineRun searchRun(const InputTexts& texts) {
  EngineRun run = runOf(texts);
  repeatSearches(*run.calc);
  return run;
}

TEST(RankSearch, WorkedExampleRanksStatusesAndCfps) {
  const EngineRun run = searchRun(texts("0.1", "20", "5", "20"));
  const CalculationState& s = run.state();
  EXPECT_EQ(s.dcfp, 0.1f);
  const int ranks[5] = {0, 1, 2, 5, 7};
  const float cfps[5] = {0, 0.199999988079071f, 0.0605195165f, 0.0903676748f, 0.0899252295f};
  const float percentiles[5] = {0, 0.975f, 0.925f, 0.775f, 0.675f};
  for (int t = 1; t <= 4; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(s.optRank[t], ranks[t]);
    EXPECT_EQ(s.cfp[t][2], cfps[t]);
    EXPECT_EQ(s.limitPercentile[t], percentiles[t]);
  }
  EXPECT_EQ(s.dcfpStatus[1], "DCFP exceeded at max =");
  EXPECT_EQ(s.dcfpStatus[2], "DCFP OK at maximum =");
  EXPECT_EQ(s.dcfpStatus[3], "DCFP OK at maximum =");
  EXPECT_EQ(s.dcfpStatus[4], "DCFP OK at maximum =");
  // The 1:4 walk leaves the failing rank 8 as its last candidate.
  EXPECT_EQ(s.rankIdx, 8);
  EXPECT_NEAR(s.cfpCur[4], 0.1366457, 5e-8);
}

struct BoundCase : testsupport::NamedRow {
  const char* dcfp;
  const char* n;
  const char* r;
  const char* j;
  int rank;
  float cfp;
  float percentile;
};

class OneOfOneBoundByJ : public ::testing::TestWithParam<BoundCase> {};

TEST_P(OneOfOneBoundByJ, RankStatusCfpAndPercentile) {
  const BoundCase& c = GetParam();
  const EngineRun run = searchRun(texts(c.dcfp, c.n, c.r, c.j));
  EXPECT_EQ(run.state().optRank[1], c.rank);
  EXPECT_EQ(run.state().dcfpStatus[1], "DCFP OK at maximum = ");
  EXPECT_EQ(run.state().cfp[1][2], c.cfp);
  EXPECT_EQ(run.state().limitPercentile[1], c.percentile);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, OneOfOneBoundByJ,
    ::testing::Values(
        // Rank 3 fails (3/21 > 0.1) before the bound j = 3 can act.
        BoundCase{"FailureBeforeTheBound", "0.1", "20", "1", "3", 2, 0.0952380895614624f, 0.925f},
        // Every rank passes; k = 5 is both j + 1 and n, and the bound is tested first.
        BoundCase{"BoundTestedBeforeTheMaximum", "1", "5", "1", "4", 4, 0.666666686534882f, 0.3f},
        // j above n never acts.
        BoundCase{"BoundAboveTheBackground", "1", "5", "1", "10", 5, 0.833333373069763f, 0.1f},
        // j = 1: rank 2 passes, rank 1 is kept with the OK text.
        BoundCase{"BoundOneNextRankPasses", "0.1", "20", "1", "1", 1,
                  static_cast<float>(1.0 - static_cast<double>(20.0f / 21.0f)), 0.975f},
        // j = 1 and rank 2 fails: the same rank and text.
        BoundCase{"BoundOneNextRankFails", "0.06", "20", "1", "1", 1,
                  static_cast<float>(1.0 - static_cast<double>(20.0f / 21.0f)), 0.975f}),
    testsupport::RowName());

TEST(RankSearch, RetestSearchesBoundByJ) {
  // j = 1: every retest scheme passes rank 1, which is j.
  const EngineRun one = searchRun(texts("0.1", "20", "5", "1"));
  EXPECT_EQ(one.state().optRank[1], 1);
  EXPECT_EQ(one.state().dcfpStatus[1], "DCFP exceeded at max =");
  for (int t = 2; t <= 4; ++t) {
    EXPECT_EQ(one.state().optRank[t], 1);
    EXPECT_EQ(one.state().dcfpStatus[t], "DCFP OK at maximum =");
  }
  EXPECT_EQ(one.state().cfp[2][2], 0.0207458138f);

  // j = 3: 1:2 fails at 3 (the failure test comes before the bound); 1:3 and 1:4 stop at j.
  const EngineRun three = searchRun(texts("0.1", "20", "5", "3"));
  EXPECT_EQ(three.state().optRank[2], 2);
  EXPECT_EQ(three.state().cfp[2][2], 0.0605195165f);
  EXPECT_EQ(three.state().optRank[3], 3);
  EXPECT_EQ(three.state().cfp[3][2], 0.0270693898f);
  EXPECT_EQ(three.state().optRank[4], 3);
  EXPECT_EQ(three.state().cfp[4][2], 0.00691735744f);
  // The bound stops the retest walks at j without evaluating rank j + 1.
  EXPECT_EQ(three.state().rankIdx, 3);
}

TEST(RankSearch, DcfpOneReachesMinOfJAndN) {
  const EngineRun toN = searchRun(texts("1", "12", "3", "12"));
  const EngineRun belowN = searchRun(texts("1", "12", "3", "7"));
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(toN.state().optRank[t], 12);
    EXPECT_EQ(belowN.state().optRank[t], 7);
    EXPECT_LE(toN.state().cfp[t][2], 1.0f);
  }
  EXPECT_EQ(toN.state().dcfpStatus[1], "DCFP OK at maximum = ");
  EXPECT_EQ(toN.state().dcfpStatus[4], "DCFP OK at maximum =");
}

TEST(RankSearch, DcfpEqualToACandidatesCfpPasses) {
  // The CFP of rank 2 for n = 20, r = 1 is the float32 0.0952380895614624.
  const EngineRun equal = searchRun(texts("0.0952380895614624", "20", "1", "20"));
  EXPECT_EQ(equal.state().dcfp, 0.0952380895614624f);
  EXPECT_EQ(equal.state().optRank[1], 2);
  EXPECT_EQ(equal.state().cfp[1][2], equal.state().dcfp);

  // One float32 step lower, rank 2 fails.
  const float below = std::nextafter(0.0952380895614624f, 0.0f);
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", static_cast<double>(below));
  const EngineRun lower = searchRun(texts(text, "20", "1", "20"));
  EXPECT_EQ(lower.state().dcfp, below);
  EXPECT_EQ(lower.state().optRank[1], 1);
}

TEST(RankSearch, RetestSearchesPassACfpEqualToTheDcfp) {
  // 1:2 at n 20, r 5: rank 2 has the float32 CFP 0.0605195165.
  const EngineRun two = searchRun(texts("0.0605195165", "20", "5", "20"));
  ASSERT_EQ(two.state().dcfp, 0.0605195165f);
  EXPECT_EQ(two.state().optRank[2], 2);
  EXPECT_EQ(two.state().cfp[2][2], two.state().dcfp);
  // 1:4 at n 20, r 5: rank 7 has the float32 CFP 0.0899252295.
  const EngineRun four = searchRun(texts("0.0899252295", "20", "5", "20"));
  ASSERT_EQ(four.state().dcfp, 0.0899252295f);
  EXPECT_EQ(four.state().optRank[3], 4);
  EXPECT_EQ(four.state().optRank[4], 7);
  EXPECT_EQ(four.state().cfp[4][2], four.state().dcfp);
  // One float32 step lower, those ranks fail.
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", static_cast<double>(std::nextafter(0.0899252295f, 0.0f)));
  EXPECT_EQ(searchRun(texts(text, "20", "5", "20")).state().optRank[4], 6);
  std::snprintf(text, sizeof text, "%.17g", static_cast<double>(std::nextafter(0.0605195165f, 0.0f)));
  EXPECT_EQ(searchRun(texts(text, "20", "5", "20")).state().optRank[2], 1);
}

TEST(RankSearch, ExceededAtTheMaximumInEveryScheme) {
  // r = 200 against n = 10: even the background maximum fails for every scheme.
  const EngineRun run = searchRun(texts("0.01", "10", "200", "10"));
  for (int t = 1; t <= 4; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(run.state().optRank[t], 1);
    EXPECT_EQ(run.state().dcfpStatus[t], "DCFP exceeded at max =");
    EXPECT_GT(run.state().cfp[t][2], 0.01f);
    EXPECT_EQ(run.state().limitPercentile[t], 0.95f);
  }
}

// ---------------------------------------------------------------------------------
// Coefficient tables. A run with DCFP 1 and j = 2 makes every walk end at rank 2; the
// searches up to scheme t are then repeated so that the table holds scheme t's row.

struct TableCase : testsupport::NamedRow {
  int t;
  const char* r;
  float countSum;
  float cfpCur;
  std::vector<double> row;  // c(1) ... c(countLimit(t)) as fractions
};

class CoefficientRows : public ::testing::TestWithParam<TableCase> {};

TEST_P(CoefficientRows, ForTenBackgroundValuesAtRankTwo) {
  const TableCase& c = GetParam();
  EngineRun run = runOf(texts("1", "10", c.r, "2"));
  Calculation& calc = *run.calc;
  CalculationSeam::FindRank1of1(calc);
  CalculationSeam::FindRank1of2(calc);
  if (c.t >= 3) CalculationSeam::FindRank1of3(calc);
  if (c.t >= 4) CalculationSeam::FindRank1of4(calc);
  const CalculationState& s = CalculationSeam::state(calc);
  EXPECT_EQ(s.optRank[c.t], 2);
  EXPECT_EQ(s.poolSize[c.t], 10 + c.t * std::stoi(c.r) - 2);
  // runProb = 10/(10 + tr) x 9/(10 + tr - 1), rounded to float32 after each factor.
  const double pool = 10.0 + c.t * std::stoi(c.r);
  EXPECT_EQ(s.runProb[c.t], static_cast<float>((9.0 * static_cast<double>(static_cast<float>(10.0 / pool))) / (pool - 1)));
  EXPECT_EQ(s.countSum[c.t], c.countSum);
  EXPECT_EQ(s.cfpCur[c.t], c.cfpCur);
  ASSERT_EQ(static_cast<std::size_t>(s.countLimit[c.t]), c.row.size());
  for (std::size_t m = 1; m <= c.row.size(); ++m) {
    EXPECT_NEAR(s.countProb(1, static_cast<int>(m)), c.row[m - 1], 4e-16) << "position " << m;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, CoefficientRows,
    ::testing::Values(
        TableCase{"OneOfTwo", 2, "3", 2.34065938f, 0.122252703f, {1.0, 6.0 / 7, 36.0 / 91, 8.0 / 91}},
        TableCase{"OneOfThree", 3, "2", 2.59440565f, 0.0270978808f, {1.0, 6.0 / 7, 45.0 / 91, 18.0 / 91, 45.0 / 1001}},
        TableCase{"OneOfFour", 4, "2", 3.36673355f, 0.00978422165f,
                  {1.0, 1.0, 7.0 / 10, 2.0 / 5, 17.0 / 91, 6.0 / 91, 2.0 / 143}}),
    testsupport::RowName());

TEST(RankSearch, CountLimitsAndTableSize) {
  const EngineRun one = runOf(texts("0.05", "10", "1", "10"));
  EXPECT_EQ(one.state().countLimit[2], 2);
  EXPECT_EQ(one.state().countLimit[3], 3);
  EXPECT_EQ(one.state().countLimit[4], 4);
  EXPECT_EQ(one.state().maxCount, 4);
  EXPECT_EQ(one.state().countProbData.size(), 16u);
  const EngineRun seven = runOf(texts("0.05", "10", "7", "10"));
  EXPECT_EQ(seven.state().countLimit[2], 8);
  EXPECT_EQ(seven.state().countLimit[3], 15);
  EXPECT_EQ(seven.state().maxCount, 22);
  EXPECT_EQ(seven.state().countProbData.size(), 88u);
}

// ---------------------------------------------------------------------------------
// Repeatability.

TEST(RankSearch, TwoRunsGiveTheSameRecord) {
  Calculation calc;
  const Expected<CalculationResult> first = calc.calculate(texts("0.1", "20", "5", "20"));
  const CalculationState afterFirst = CalculationSeam::state(calc);
  const Expected<CalculationResult> second = calc.calculate(texts("0.1", "20", "5", "20"));
  EXPECT_EQ(testsupport::firstDifference(CalculationSeam::state(calc), afterFirst), nullptr);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(testsupport::allCaptions(first->captions), testsupport::allCaptions(second->captions));
}

TEST(RankSearch, RunAfterAnotherRunAndResetEqualsAFreshRun) {
  Calculation fresh;
  const Expected<CalculationResult> expected = fresh.calculate(texts("0.1", "20", "5", "20"));
  ASSERT_TRUE(expected.has_value());

  Calculation used;
  ASSERT_TRUE(used.calculate(texts("0.02", "40", "9", "13")).has_value());
  used.reset();
  const Expected<CalculationResult> again = used.calculate(texts("0.1", "20", "5", "20"));
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(testsupport::firstDifference(CalculationSeam::state(used), CalculationSeam::state(fresh)), nullptr);
  EXPECT_EQ(testsupport::allCaptions(again->captions), testsupport::allCaptions(expected->captions));

  // Without Reset, too: nothing of the earlier run leaks into the next.
  Calculation chained;
  ASSERT_TRUE(chained.calculate(texts("1", "30", "12", "30")).has_value());
  const Expected<CalculationResult> chainedOutcome = chained.calculate(texts("0.1", "20", "5", "20"));
  ASSERT_TRUE(chainedOutcome.has_value());
  EXPECT_EQ(testsupport::allCaptions(chainedOutcome->captions), testsupport::allCaptions(expected->captions));
  EXPECT_EQ(CalculationSeam::state(chained).cfp, CalculationSeam::state(fresh).cfp);
  EXPECT_EQ(CalculationSeam::state(chained).power, CalculationSeam::state(fresh).power);
}

TEST(RankSearch, ResetClearsTheRecord) {
  Calculation calc;
  ASSERT_TRUE(calc.calculate(texts("0.1", "20", "5", "20")).has_value());
  calc.reset();
  CalculationState cleared;
  cleared.countProbData = CalculationSeam::state(calc).countProbData;  // storage may stay, but zeroed
  for (double x : CalculationSeam::state(calc).countProbData) EXPECT_EQ(x, 0.0);
  EXPECT_EQ(testsupport::firstDifference(CalculationSeam::state(calc), cleared), nullptr);
}

}  // namespace
}  // namespace velmora

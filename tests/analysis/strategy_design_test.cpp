// SPDX-License-Identifier: GPL-3.0-or-later
// Designs for any strategy: the guidance's Example 19-5 (achievable CFPs for n 20, r 10 at
// the three largest values, and the smallest backgrounds), the search against a walk over
// every rank, the calculator's own percentile, the same test told once, and refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "velmora/analysis/strategy_arithmetic.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/numbers.h"

namespace velmora::analysis {
namespace {

std::vector<Strategy> strategies(const char* names) { return *parseStrategyList(names); }

TEST(StrategyDesign, ReproducesTheGuidancesExample19_5) {
  // n 20, r 10 (ten wells, one constituent's comparisons), the maximum, second and third largest.
  const char* rules = "1-of-2,1-of-3,1-of-4,modified-california,1-of-1/median-3,1-of-2/median-3";
  const char* achievable[6][3] = {{"0.0395", "0.1118", "0.2082"}, {"0.0055", "0.0213", "0.0516"},
                                  {"0.0009", "0.0046", "0.0135"}, {"0.0140", "0.0516", "0.1170"},
                                  {"0.0961", "0.2474", "0.4166"}, {"0.0060", "0.0268", "0.0709"}};
  for (int rank = 1; rank <= 3; ++rank) {
    StrategyRequest request{"0.0208516", 20, 10, 20, rank, std::nullopt};
    const std::vector<StrategyRow> rows = *strategyTable(strategies(rules), request);
    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(formatFixed(rows[i].cfp, 4), achievable[i][rank - 1]) << rows[i].rule << " rank " << rank;
      EXPECT_EQ(rows[i].meets, rows[i].cfp <= 0.0208516) << rows[i].rule;
    }
  }
  // Its smallest backgrounds at a per-constituent DCFP of 1 - 0.9791484.
  const DcfpFraction dcfp = *DcfpFraction::read("0.0208516");
  EXPECT_EQ(*smallestBackground(*parseStrategy("1-of-2/median-3"), dcfp, 10, 1), 14);
  EXPECT_EQ(*smallestBackground(*parseStrategy("1-of-4"), dcfp, 10, 3), 18);
  EXPECT_EQ(*smallestBackground(*parseStrategy("1-of-1"), dcfp, 8000, 1), std::nullopt);
}

TEST(StrategyDesign, FindsTheRankAWalkWouldFind) {
  for (const char* rule : {"1-of-2", "3-of-4", "california-3", "1-of-2/median-5"}) {
    const Strategy strategy = *parseStrategy(rule);
    const StrategyArithmetic arithmetic(strategy);
    for (const char* text : {"0.001", "0.05", "0.5", "0.999999"}) {
      const DcfpFraction dcfp = *DcfpFraction::read(text);
      for (const int n : {8, 60}) {
        const int r = 17;
        const int j = n - 2;
        int walked = 0;
        for (int k = 1; k <= j && arithmetic.meets(dcfp, n, r, k)->meets; ++k) walked = k;
        const StrategyRow row = *designStrategy(strategy, dcfp, n, r, j);
        EXPECT_EQ(row.rank, std::max(walked, 1)) << rule << " " << text << " n " << n;
        EXPECT_EQ(row.exceeded, walked == 0);
        EXPECT_LE(row.evaluations, 2 * static_cast<int>(std::log2(n)) + 4);
      }
    }
  }
}

TEST(StrategyDesign, StatesThePercentileAsTheCalculatorDoes) {
  Calculation calculation;
  const Expected<CalculationResult> outcome = calculation.calculate({"0.05", "297", "40", "297"});
  ASSERT_TRUE(outcome.has_value());
  const DcfpFraction dcfp = *DcfpFraction::read("0.05");
  for (const SchemeResult& scheme : outcome->results.schemes) {
    const StrategyRow row = *strategyAtRank(*parseStrategy("1-of-" + std::to_string(scheme.test)), dcfp, 297, 40, scheme.rank);
    EXPECT_EQ(row.percentile, scheme.percentile);
    EXPECT_EQ(row.percentileShown, scheme.percentileShown);
    EXPECT_EQ(row.percentileText, outcome->captions.lblP[static_cast<std::size_t>(scheme.test - 1)]);
  }
}

TEST(StrategyDesign, TellsTheSameTestOnce) {
  StrategyRequest request{"0.05", 40, 10, 40, std::nullopt, 3};
  const std::vector<StrategyRow> rows = *strategyTable(strategies("2-of-3,1-of-2,1-of-1/median-3"), request);
  EXPECT_FALSE(rows[0].sameTestAs.has_value());
  EXPECT_FALSE(rows[1].sameTestAs.has_value());
  ASSERT_EQ(rows[2].sameTestAs, "2-of-3");
  EXPECT_EQ(rows[2].rank, rows[0].rank);
  EXPECT_NEAR(rows[2].cfp, rows[0].cfp, 1e-12 * rows[0].cfp);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(rows[2].power[i], rows[0].power[i], 1e-11);
    EXPECT_NEAR((*rows[2].powerShifted)[i], (*rows[0].powerShifted)[i], 1e-11);
  }
  // The median of three always takes 3 values; 2-of-3 stops after two that agree.
  EXPECT_DOUBLE_EQ(rows[2].samples, 30.0);
  EXPECT_LT(rows[0].samples, 30.0);
  EXPECT_EQ(rows[0].rating, ratePowers(rows[0].power[1], rows[0].power[2]));
}

TEST(StrategyDesign, RefusesWhatCannotBeDesigned) {
  const std::vector<Strategy> one = strategies("1-of-2");
  for (const StrategyRequest& request :
       {StrategyRequest{"0", 20, 10, 20, {}, {}}, StrategyRequest{"0.05", 1, 10, 20, {}, {}},
        StrategyRequest{"0.05", 32767, 1, 20, {}, {}}, StrategyRequest{"0.05", 20, 10, 0, {}, {}},
        StrategyRequest{"0.05", 20, 10, 20, 21, {}}, StrategyRequest{"0.05", 20, 10, 20, {}, 11}}) {
    const Expected<std::vector<StrategyRow>> table = strategyTable(one, request);
    ASSERT_FALSE(table.has_value()) << request.dcfpText << " " << request.n;
    EXPECT_EQ(table.error().kind, ProblemKind::refusedRequest);
  }
}

}  // namespace
}  // namespace velmora::analysis

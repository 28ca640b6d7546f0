// SPDX-License-Identifier: GPL-3.0-or-later
// The design's float32 CFP of one rank, through the searches' own code path.
#include <gtest/gtest.h>

#include <cmath>
#include <span>

#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/design_arithmetic.h"
#include "velmora/engine/numbers.h"

namespace velmora {
namespace {

TEST(DesignCfp, TheSearchesWorkedValues) {
  EXPECT_EQ(designCfp(20, 5, 1, 1).value(), 0.199999988079071f);
  EXPECT_EQ(designCfp(20, 1, 1, 2).value(), 0.0952380895614624f);
  EXPECT_EQ(designCfp(20, 5, 2, 1).value(), 0.0207458138f);
  EXPECT_EQ(designCfp(20, 5, 2, 2).value(), 0.0605195165f);
  EXPECT_EQ(designCfp(20, 5, 3, 5).value(), 0.0903676748f);
  EXPECT_EQ(designCfp(20, 5, 4, 7).value(), 0.0899252295f);
  EXPECT_EQ(designCfp(20, 5, 4, 3).value(), 0.00691735744f);
  EXPECT_EQ(designCfp(10, 3, 2, 2).value(), 0.122252703f);
  EXPECT_EQ(designCfp(10, 2, 4, 2).value(), 0.00978422165f);
  EXPECT_EQ(designCfp(5, 1, 1, 5).value(), 0.833333373069763f);  // rank n itself
}

TEST(DesignCfp, MatchesTheAchievableCfpOfWholeRuns) {
  for (const char* dcfp : {"0.02", "0.1", "0.4"}) {
    for (int n : {6, 25, 70}) {
      for (int r : {1, 3, 12}) {
        Calculation calculation;
        const std::string nText = std::to_string(n);
        const Expected<CalculationResult> outcome = calculation.calculate({dcfp, nText, std::to_string(r), nText});
        ASSERT_TRUE(outcome.has_value());
        for (int t = 1; t <= 4; ++t) {
          const float design = designCfp(n, r, t, CalculationSeam::state(calculation).optRank[t]).value();
          EXPECT_EQ(formatFixed(static_cast<double>(design), 5), outcome->captions.lblQ[static_cast<std::size_t>(t - 1)])
              << dcfp << " " << n << " " << r << " 1:" << t;
        }
      }
    }
  }
}

TEST(DesignCfp, OverflowingSumsFallBackAsInARun) {
  // Rank 100 of 1:3 with n 100, r 50: the float32 coefficient sum leaves the float32 range.
  const float cfp = designCfp(100, 50, 3, 100).value();
  EXPECT_TRUE(std::isfinite(cfp));
  EXPECT_LE(cfp, 1.0f);
}

// Outside the domain the design's arithmetic refuses: no number, NaN or not, comes back.
TEST(DesignCfp, OutsideTheDomainIsRefused) {
  for (const Expected<float>& refused : {designCfp(1, 5, 1, 1), designCfp(20, 5, 0, 1), designCfp(20, 5, 2, 21),
                                         designCfp(32767, 1, 1, 1), designPower(1, 0.5f, 1, 3.0),
                                         designPower(20, 1.0f, 2, 3.0), designPower(20, 0.5f, 2, INFINITY)}) {
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().kind, ProblemKind::refusedRequest);
  }
  const int ranks[] = {1, 2, 21};
  ASSERT_FALSE(designCfps(20, 5, 3, ranks).has_value());
  EXPECT_TRUE(designCfps(20, 5, 3, std::span(ranks, 2)).has_value());
}

}  // namespace
}  // namespace velmora

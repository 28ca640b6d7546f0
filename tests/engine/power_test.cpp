// SPDX-License-Identifier: GPL-3.0-or-later
// Power and rating: the series and the quantile search, the rating rule at its limits, the
// display rounding of percentiles with ties to even, and the range of every power.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "normal_series.h"
#include "run_support.h"

namespace velmora {
namespace {

using enginetest::EngineRun;
using enginetest::runOf;
using enginetest::texts;

TEST(NormalFunctions, QuantileSearchGivesItsCoarseDyadicValues) {
  CalculationState s;
  // The search never lands on 0: its first halving trials are 0.5, 0.25, ...
  EXPECT_EQ(normalQuantile(0.5, false, s), 0.000244140625);
  EXPECT_EQ(normalQuantile(0.975, false, s), 1.9609375);
  // Below 0.5 the target is mirrored and the result negated.
  EXPECT_EQ(normalQuantile(0.025, false, s), -1.9609375);
  EXPECT_EQ(normalQuantile(static_cast<double>(0.025f), true, s), -1.9609375);
}

TEST(NormalFunctions, TruncatedSeries) {
  CalculationState s;
  EXPECT_EQ(normalCdf(0.0, false, s), 0.5);
  EXPECT_NEAR(normalCdf(1.0, true, s), 0.8413447, 2e-6);
  EXPECT_NEAR(normalCdf(-1.0, false, s), 0.1586553, 2e-6);
  EXPECT_NEAR(normalCdf(1.96, false, s), 0.9750021, 2e-6);
  // Without range reduction the 21 terms run far above 1 at the clamp value 6; the
  // power step relies on clamping that to 1.
  EXPECT_GT(normalCdf(6.0, true, s), 1.0);
}

// A run in which every scheme ends at rank k: DCFP 1 and j = k.
EngineRun atRank(int n, int k, const char* r = "1") {
  return runOf(texts("1", std::to_string(n), r, std::to_string(k)));
}

TEST(Rating, FollowsTheRuleOnTheStoredPowers) {
  for (const auto& [n, k] : {std::pair{20, 1}, {20, 10}, {5, 5}, {200, 3}, {2, 1}, {60, 30}}) {
    const EngineRun run = atRank(n, k);
    const CalculationState& s = run.state();
    for (int t = 1; t <= 4; ++t) {
      const bool three = s.power[3 * t - 1] >= 0.539f;
      const bool four = s.power[3 * t] >= 0.814f;
      const char* expected = three && four ? "Good" : (three || four ? "Acceptable" : "Low");
      EXPECT_EQ(s.powerRating[t], expected) << "n " << n << " k " << k << " t " << t;
      EXPECT_EQ(run.captions.lblPOW[t - 1], expected);
    }
  }
}

TEST(Rating, PowersExactlyAtTheCriteriaMeetThem) {
  // 1:3 at n 86, rank 2: 3-sigma power stored as 0.539, 4-sigma 0.910.
  const EngineRun good = atRank(86, 2);
  EXPECT_EQ(good.state().power[8], 0.539f);
  EXPECT_EQ(good.captions.lblPW[7], "0.539");
  EXPECT_EQ(good.state().powerRating[3], "Good");

  // 1:4 at n 49, rank 1: 4-sigma power exactly 0.814, 3-sigma far below.
  const EngineRun four = atRank(49, 1);
  EXPECT_EQ(four.state().power[12], 0.814f);
  EXPECT_LT(four.state().power[11], 0.539f);
  EXPECT_EQ(four.state().powerRating[4], "Acceptable");

  // 1:4 at n 57, rank 2: 3-sigma power 0.538 just misses, 4-sigma passes.
  const EngineRun near = atRank(57, 2);
  EXPECT_EQ(near.state().power[11], 0.538f);
  EXPECT_GE(near.state().power[12], 0.814f);
  EXPECT_EQ(near.state().powerRating[4], "Acceptable");

  // 1:4 at n 100, rank 1: both powers below their criteria.
  const EngineRun low = atRank(100, 1);
  EXPECT_LT(low.state().power[11], 0.539f);
  EXPECT_LT(low.state().power[12], 0.814f);
  EXPECT_EQ(low.state().powerRating[4], "Low");
  EXPECT_EQ(low.state().critPower3, 0.539f);
  EXPECT_EQ(low.state().critPower4, 0.814f);
}

TEST(DisplayRounding, PercentileTiesGoToTheEvenDigit) {
  // With n = 16 every percentile (33 - 2k)/32 times 10000 ends in .5.
  EXPECT_EQ(atRank(16, 1).captions.lblP[0], "0.9688");  // 9687.5 -> 9688
  EXPECT_EQ(atRank(16, 2).captions.lblP[0], "0.9062");  // 9062.5 -> 9062
  EXPECT_EQ(atRank(16, 3).captions.lblP[0], "0.8438");  // 8437.5 -> 8438
  EXPECT_EQ(atRank(16, 4).captions.lblP[3], "0.7812");  // 7812.5 -> 7812
  EXPECT_EQ(atRank(80, 41).captions.lblP[0], "0.4938");
}

TEST(DisplayRounding, CfpsAndPercentilesAreRoundedInPlace) {
  const EngineRun run = runOf(texts("0.1", "20", "5", "20"));
  const CalculationState& s = run.state();
  const float cfps[5] = {0, 0.2f, 0.06052f, 0.09037f, 0.08993f};
  const float percentiles[5] = {0, 0.975f, 0.925f, 0.775f, 0.675f};
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(s.cfp[t][2], cfps[t]) << t;
    EXPECT_EQ(s.limitPercentile[t], percentiles[t]) << t;
  }
}

TEST(Power, EveryPowerLiesInZeroToOneWithThreeDecimals) {
  const std::regex pattern("[01]\\.[0-9]{3}");
  for (const InputTexts& texts : {texts("0.1", "20", "5", "20"), texts("1", "2", "1", "2"), texts("1", "300", "1", "300"),
                                  texts("0.001", "300", "40", "300"), texts("0.5", "7", "3", "7")}) {
    const EngineRun run = runOf(texts);
    for (int i = 1; i <= 12; ++i) {
      const float p = run.state().power[i];
      EXPECT_GE(p, 0.0f);
      EXPECT_LE(p, 1.0f);
      EXPECT_EQ(p, static_cast<float>(std::nearbyint(static_cast<double>(p) * 1000.0) / 1000.0));
      EXPECT_TRUE(std::regex_match(run.captions.lblPW[i - 1], pattern)) << run.captions.lblPW[i - 1];
    }
  }
}

TEST(Power, WorkedExamplePowers) {
  const EngineRun run = runOf(texts("0.05", "20", "1", "20"));
  const char* expected[12] = {"0.524", "0.840", "0.973", "0.728", "0.956", "0.997",
                              "0.819", "0.981", "1.000", "0.857", "0.988", "1.000"};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(run.captions.lblPW[i], expected[i]) << i + 1;
  for (int t = 0; t < 4; ++t) EXPECT_EQ(run.captions.lblPOW[t], "Good");
}

TEST(Power, DependsOnlyOnTheBackgroundSizeAndTheLimit) {
  // Same n and the same rank in every scheme, different r and DCFP: the same powers.
  const EngineRun a = runOf(texts("1", "30", "1", "4"));
  const EngineRun b = runOf(texts("0.9", "30", "2", "4"));
  ASSERT_EQ(b.state().optRank[1], 4);
  EXPECT_EQ(a.state().power, b.state().power);
  // Rank 1 of n = 20 in the 1:1 column shows the same powers in any run.
  const EngineRun c = runOf(texts("0.1", "20", "5", "20"));
  const EngineRun d = runOf(texts("0.05", "20", "1", "20"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c.captions.lblPW[i], d.captions.lblPW[i]);
}

TEST(Power, LargeBackgroundCompletesWithSaneCaptions) {
  const EngineRun run = runOf(texts("0.05", "2921", "3", "2921"));
  const std::regex pattern("[01]\\.[0-9]{3}");
  for (const std::string& text : run.captions.lblPW) EXPECT_TRUE(std::regex_match(text, pattern)) << text;
  for (int t = 0; t < 4; ++t) {
    EXPECT_TRUE(std::regex_match(run.captions.lblP[t], std::regex("0\\.[0-9]{4}"))) << run.captions.lblP[t];
    EXPECT_TRUE(std::regex_match(run.captions.lblQ[t], std::regex("0\\.0[0-9]{4}"))) << run.captions.lblQ[t];
  }
  EXPECT_EQ(run.state().degFree, 2920.0f);
  EXPECT_EQ(run.state().limitT[1], static_cast<float>(std::sqrt(2921.0) * static_cast<double>(run.state().limitZ[1])));
}

}  // namespace
}  // namespace velmora

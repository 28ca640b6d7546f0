// SPDX-License-Identifier: GPL-3.0-or-later
// The curves' data: the design's arithmetic at every point is the calculation's own (its
// power at 2, 3 and 4 sigma and its CFP of every rank, bit for bit), and the curves have
// the shape the header promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "velmora/analysis/curves.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/exact_power.h"
#include "velmora/engine/design_arithmetic.h"
#include "velmora/engine/testing/calculation_seam.h"

namespace velmora::analysis {
namespace {

std::uint32_t bits(float value) { return std::bit_cast<std::uint32_t>(value); }

// The power step's rounding to thousandths, kept as a float32.
float rounded(float power) { return static_cast<float>(static_cast<double>(powerThousandths(static_cast<double>(power))) / 1000.0); }

struct Design {
  const char* dcfp;
  const char* n;
  const char* r;
  const char* j;
};

const Design kDesigns[] = {{"0.1", "20", "5", "20"},     {"0.05", "20", "1", "20"},  {"0.05", "100", "10", "60"},
                           {"0.01", "1000", "3", "1000"}, {"0.2", "5000", "2", "5000"}, {"0.001", "8", "1", "8"},
                           {"1", "32000", "1", "40"},     {"0.05", "500", "100", "500"}};

TEST(DesignPower, AtTwoThreeAndFourSigmaIsTheResultsPowerBitForBit) {
  for (const Design& d : kDesigns) {
    Calculation calculation;
    const Expected<CalculationResult> outcome = calculation.calculate({d.dcfp, d.n, d.r, d.j});
    ASSERT_TRUE(outcome.has_value()) << d.dcfp << " " << d.n << " " << d.r;
    const Results& results = outcome->results;
    for (const SchemeResult& scheme : results.schemes) {
      for (int sigma = 2; sigma <= 4; ++sigma) {
        const float power = designPower(results.inputs.n, scheme.percentile, scheme.test, sigma).value();
        EXPECT_EQ(bits(rounded(power)), bits(scheme.power[static_cast<std::size_t>(sigma - 2)]))
            << d.dcfp << " " << d.n << " " << d.r << " 1:" << scheme.test << " at " << sigma;
      }
    }
    // Before the rounding: the record keeps the grid weights of 1:4 at 4 sigma, whose
    // float32 sum (clamped to [0, 1]) is that cell's unrounded power.
    const CalculationState& s = CalculationSeam::state(calculation);
    float sum = 0.0f;
    for (int i = 1; i <= kGridSize; ++i) {
      sum = static_cast<float>(static_cast<double>(sum) + static_cast<double>(s.gridWeight[static_cast<std::size_t>(i)]) *
                                                              (1.0 / static_cast<double>(kGridSize)));
    }
    sum = std::fmin(std::fmax(sum, 0.0f), 1.0f);
    EXPECT_EQ(bits(designPower(results.inputs.n, results.schemes[3].percentile, 4, 4.0).value()), bits(sum));
  }
}

TEST(DesignCfps, IsDesignCfpOfEveryRankBitForBit) {
  for (const auto& [n, r] : {std::pair{20, 5}, std::pair{300, 40}, std::pair{2000, 1}}) {
    std::vector<int> ranks;
    for (int k = 1; k <= std::min(n, 60); ++k) ranks.push_back(k);
    ranks.push_back(n);
    for (int t = 1; t <= kSchemeCount; ++t) {
      const std::vector<float> cfps = designCfps(n, r, t, ranks).value();
      ASSERT_EQ(cfps.size(), ranks.size());
      for (std::size_t i = 0; i < ranks.size(); ++i) {
        EXPECT_EQ(bits(cfps[i]), bits(designCfp(n, r, t, ranks[i]).value()))
            << "n " << n << " r " << r << " 1:" << t << " k " << ranks[i];
      }
    }
  }
}

// From rank 33, 29 and 27 of 1:2, 1:3 and 1:4 at these sizes the searches' running
// probability (the product of (n - m + 1) / (n + t r - m + 1), m = 1 .. k) leaves the float32 range and
// the design's CFP is a float64 sum rounded to float32: the exact CFPs settle that rounding
// nearly everywhere, and where they do not the sum is formed. Either way the digits are
// designCfp's. An estimate is taken only at such a rank (0.5 with no error shows where).
TEST(DesignCfps, ExactEstimatesSettleTheSummedRanksBitForBit) {
  constexpr int kN = 60;
  constexpr int kR = 300;
  constexpr std::array<int, 5> kFirstSummed{0, 0, 33, 29, 27};
  std::vector<int> ranks;
  for (int k = 1; k <= kN; ++k) ranks.push_back(k);
  for (int t = 2; t <= kSchemeCount; ++t) {
    std::vector<std::optional<CfpEstimate>> exact;
    std::vector<std::optional<CfpEstimate>> half;
    for (const int k : ranks) {
      const BoundedCfp cfp = fastExactCfpWithBound(kN, kR, t, k).value();
      exact.push_back(CfpEstimate{static_cast<double>(cfp.value), static_cast<double>(cfp.relativeError)});
      half.push_back(CfpEstimate{0.5, 0.0});
    }
    const std::vector<float> helped = designCfps(kN, kR, t, ranks, exact).value();
    const std::vector<float> misled = designCfps(kN, kR, t, ranks, half).value();
    for (std::size_t i = 0; i < ranks.size(); ++i) {
      const float design = designCfp(kN, kR, t, ranks[i]).value();
      EXPECT_EQ(bits(helped[i]), bits(design)) << "1:" << t << " k " << ranks[i];
      EXPECT_EQ(misled[i] == 0.5f, ranks[i] >= kFirstSummed[static_cast<std::size_t>(t)]) << "1:" << t << " k " << ranks[i];
    }
  }
}

// The rows and the charts share the design's CFPs they computed: whatever was asked before,
// of the same sizes or of others (here r 5, then r 6 with the same n, then r 5 again), each
// value is designCfp's for the sizes asked, bit for bit.
TEST(Curves, RowsAndChartsHandOutTheDesignCfpsOfTheSizesAsked) {
  for (const char* r : {"5", "6", "5"}) {
    Calculation calculation;
    const Results results = calculation.calculate({"0.1", "20", r, "20"})->results;
    const RankRows rows = (*schemeRankRows(results, "0.1", 4, {})).value();
    const CalculationCurves curves = computeCurves(results).value();
    ASSERT_EQ(rows.rows.size(), curves.schemes[3].cfp.size());
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
      const float design = designCfp(20, std::stoi(r), 4, rows.rows[i].rank).value();
      EXPECT_EQ(bits(static_cast<float>(*rows.rows[i].designCfp)), bits(design)) << "r " << r;
      EXPECT_EQ(bits(static_cast<float>(curves.schemes[3].cfp[i].designCfp)), bits(design)) << "r " << r;
    }
  }
}

TEST(Curves, WorkedExampleHasEveryRankEveryShiftAndItsMarks) {
  Calculation calculation;
  const Expected<CalculationResult> outcome = calculation.calculate({"0.1", "20", "5", "20"});
  ASSERT_TRUE(outcome.has_value());
  const CalculationCurves curves = computeCurves(outcome->results).value();
  EXPECT_EQ(curves.jBound, 20);
  EXPECT_EQ(curves.lastRank, std::min(20, outcome->results.schemes[3].rank + kCurveRanksPastChosen));
  for (const SchemeCurves& scheme : curves.schemes) {
    const SchemeResult& result = outcome->results.schemes[static_cast<std::size_t>(scheme.test - 1)];
    EXPECT_FALSE(scheme.sampled);
    ASSERT_EQ(static_cast<int>(scheme.cfp.size()), curves.lastRank);
    for (std::size_t i = 0; i < scheme.cfp.size(); ++i) {
      const CfpCurvePoint& p = scheme.cfp[i];
      EXPECT_EQ(p.rank, static_cast<int>(i) + 1);
      EXPECT_EQ(p.chosen, p.rank == result.rank);
      EXPECT_EQ(p.jBound, p.rank == 20);
      EXPECT_EQ(p.exactCfp, static_cast<double>(exactCfp(20, 5, scheme.test, p.rank).value()));
      EXPECT_NEAR(p.designCfp, p.exactCfp, 1e-6);
    }
    ASSERT_EQ(static_cast<int>(scheme.power.size()), kCurveShiftCount);
    EXPECT_EQ(scheme.power.front().shift, 0.0);
    EXPECT_EQ(scheme.power.back().shift, 5.0);
    for (int sigma = 2; sigma <= 4; ++sigma) {
      const PowerCurvePoint& p = scheme.power[static_cast<std::size_t>(4 * sigma)];
      EXPECT_EQ(p.shift, sigma);
      EXPECT_EQ(bits(rounded(static_cast<float>(p.designPower))), bits(result.power[static_cast<std::size_t>(sigma - 2)]));
      EXPECT_EQ(p.exactPower, exactPower(20, result.rank, scheme.test, sigma).value());
    }
  }
  EXPECT_NEAR(curves.schemes[0].power[12].referencePower, 0.5414, 5e-5);
  EXPECT_NEAR(curves.schemes[0].power[16].referencePower, 0.8148, 5e-5);
}

// Cheap ranks are all evaluated, however many (every rank of 0.2/5000/2 costs a few
// milliseconds); costly ones (1:4's design rows at r = 8000, some 30 ms each) are a sample with
// every chosen rank, the crossing of the DCFP and both ends, spread over the whole range.
TEST(Curves, EveryRankWhileCheapElseASampleAroundEveryChosenRankOverTheWholeRange) {
  Calculation cheap;
  const Expected<CalculationResult> many = cheap.calculate({"0.2", "5000", "2", "5000"});
  ASSERT_TRUE(many.has_value());
  ASSERT_GT(many->results.schemes[3].rank, 2000);
  const CalculationCurves everyRank = computeCurves(many->results).value();
  for (const SchemeCurves& scheme : everyRank.schemes) {
    EXPECT_FALSE(scheme.sampled) << "1:" << scheme.test;
    EXPECT_EQ(static_cast<int>(curveRanks(many->results, scheme.test).size()),
              std::min(5000, many->results.schemes[3].rank + kCurveRanksPastChosen));
  }

  Calculation costly;
  const Expected<CalculationResult> outcome = costly.calculate({"0.05", "760", "8000", "760"});
  ASSERT_TRUE(outcome.has_value());
  const Results& results = outcome->results;
  const CalculationCurves curves = computeCurves(results).value();
  EXPECT_FALSE(curves.schemes[0].sampled);  // 1:1 costs next to nothing
  EXPECT_TRUE(curves.schemes[3].sampled);
  for (const SchemeCurves& scheme : curves.schemes) {
    std::vector<int> ranks;
    for (const CfpCurvePoint& p : scheme.cfp) ranks.push_back(p.rank);
    EXPECT_EQ(ranks, curveRanks(results, scheme.test));
    if (!scheme.sampled) continue;
    EXPECT_TRUE(std::is_sorted(ranks.begin(), ranks.end()));
    EXPECT_EQ(std::adjacent_find(ranks.begin(), ranks.end()), ranks.end());
    std::vector<int> wanted{1, curves.lastRank, scheme.rank - 1, scheme.rank + 1};
    for (const SchemeResult& chosen : results.schemes) wanted.push_back(chosen.rank);
    for (const int k : wanted) {
      EXPECT_TRUE(std::binary_search(ranks.begin(), ranks.end(), k)) << "1:" << scheme.test << " lacks rank " << k;
    }
    int widestGap = 0;
    for (std::size_t i = 1; i < ranks.size(); ++i) widestGap = std::max(widestGap, ranks[i] - ranks[i - 1]);
    EXPECT_LE(widestGap, curves.lastRank / 2) << "1:" << scheme.test;
  }
}

}  // namespace
}  // namespace velmora::analysis

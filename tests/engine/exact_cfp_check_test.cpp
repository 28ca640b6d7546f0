// SPDX-License-Identifier: GPL-3.0-or-later
// An independent check of the four searches' CFPs against the exact probability
//   CFP_t(k) = 1 - E[(1 - W^t)^r],  W ~ Beta(k, n - k + 1),
// in exact GMP fractions (tests/support/exact_reference.h). None of the searches'
// recurrences is used, so a wrong weight, position or bound in any of them shows up as a
// difference far above float32 rounding.
//
// Also here: the runs whose float32 coefficient sums overflow, the largest rank bound and
// the backgrounds beyond the 16-bit products 2k and 4k.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "exact_reference.h"
#include "named_rows.h"
#include "record_compare.h"
#include "run_support.h"

namespace velmora {
namespace {

using enginetest::EngineRun;
using enginetest::repeatSearches;
using enginetest::runOf;
using enginetest::texts;
using testsupport::exactCfpFraction;
using testsupport::exactNoFalsePositive;

// |engine - exact| in double, from the exact difference.
double relativeDeviation(float engine, const mpq_class& exact) {
  mpq_class value(static_cast<double>(engine));
  return std::fabs(mpq_class(value - exact).get_d());
}

// The searches' unrounded CFP of every scheme at rank k: with DCFP 1 and j = k every walk
// ends at k; repeating the searches undoes the display rounding.
std::array<float, 5> engineCfpsAtRank(int n, int r, int k) {
  EngineRun run = runOf(texts("1", std::to_string(n), std::to_string(r), std::to_string(k)));
  repeatSearches(*run.calc);
  std::array<float, 5> cfps{};
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(run.state().optRank[t], k) << "n " << n << " r " << r << " t " << t;
    cfps[static_cast<std::size_t>(t)] = run.state().cfp[t][2];
  }
  return cfps;
}

TEST(ExactCfp, ReferenceReproducesTheWorkedFractions) {
  EXPECT_EQ(exactCfpFraction(20, 5, 1, 1), mpq_class(1, 5));
  EXPECT_EQ(exactCfpFraction(20, 5, 2, 2), mpq_class(7187, 118755));
  EXPECT_EQ(exactCfpFraction(20, 5, 3, 5), mpq_class(9352011, 103488385));
  EXPECT_EQ(exactCfpFraction(20, 5, 4, 7), mpq_class(6810920, 75739851));
  // r = 1 closed forms: E[W^t] for W ~ Beta(1, 10).
  EXPECT_EQ(exactCfpFraction(10, 1, 2, 1), mpq_class(1, 66));
  EXPECT_EQ(exactCfpFraction(10, 1, 3, 1), mpq_class(1, 286));
  EXPECT_EQ(exactCfpFraction(10, 1, 4, 1), mpq_class(1, 1001));
  // The coefficient tables at n = 10, k = 2.
  EXPECT_EQ(exactNoFalsePositive(10, 3, 2, 2), mpq_class(639, 728));
  EXPECT_EQ(exactNoFalsePositive(10, 2, 3, 2), mpq_class(1113, 1144));
  EXPECT_EQ(exactNoFalsePositive(10, 2, 4, 2), mpq_class(33701, 34034));
}

TEST(ExactCfp, WorkedExampleSearchesAgreeWithTheFractions) {
  EngineRun run = runOf(texts("0.1", "20", "5", "20"));
  repeatSearches(*run.calc);
  const CalculationState& s = run.state();
  const mpq_class exact[5] = {0, mpq_class(1, 5), mpq_class(7187, 118755), mpq_class(9352011, 103488385),
                              mpq_class(6810920, 75739851)};
  for (int t = 1; t <= 4; ++t) EXPECT_LE(relativeDeviation(s.cfp[t][2], exact[t]), 4e-7) << t;
}

TEST(ExactCfp, EverySchemeAndRankOfSmallBackgrounds) {
  double worst = 0.0;
  std::string worstCase;
  for (int n = 2; n <= 14; ++n) {
    for (int r = 1; r <= 6; ++r) {
      for (int k = 1; k <= n; ++k) {
        const std::array<float, 5> cfps = engineCfpsAtRank(n, r, k);
        for (int t = 1; t <= 4; ++t) {
          const double deviation = relativeDeviation(cfps[static_cast<std::size_t>(t)], exactCfpFraction(n, r, t, k));
          EXPECT_LE(deviation, 4e-7) << "n " << n << " r " << r << " t " << t << " k " << k;
          if (deviation > worst) {
            worst = deviation;
            worstCase = "n " + std::to_string(n) + " r " + std::to_string(r) + " t " + std::to_string(t) +
                        " k " + std::to_string(k);
          }
        }
      }
    }
  }
  char worstText[32];
  std::snprintf(worstText, sizeof worstText, "%.3g", worst);
  RecordProperty("worst_deviation", std::string(worstText) + " at " + worstCase);
}

TEST(ExactCfp, ChosenRanksAreOptimalForAGridOfDesigns) {
  // The chosen rank passes and the next one fails, by the exact CFPs, wherever the two
  // are not within float32 rounding of the DCFP.
  for (const char* dcfp : {"0.01", "0.05", "0.1", "0.3"}) {
    for (int n : {8, 15, 25}) {
      for (int r : {1, 3, 7}) {
        const EngineRun run = runOf(texts(dcfp, std::to_string(n), std::to_string(r), std::to_string(n)));
        const mpq_class design(static_cast<double>(run.state().dcfp));
        for (int t = 1; t <= 4; ++t) {
          SCOPED_TRACE(std::string(dcfp) + " n " + std::to_string(n) + " r " + std::to_string(r) + " t " +
                       std::to_string(t));
          const int k = run.state().optRank[t];
          const mpq_class atK = exactCfpFraction(n, r, t, k);
          if (run.state().dcfpStatus[t] == "DCFP exceeded at max =") {
            EXPECT_EQ(k, 1);
            EXPECT_GT(atK, design - 4e-7);
          } else {
            EXPECT_LE(atK, design + 4e-7);
          }
          if (k < n) {
            EXPECT_GT(exactCfpFraction(n, r, t, k + 1), design - 4e-7);
          }
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------------
// Runs whose float32 coefficient sums leave the float32 range.

bool captionsAreFinite(const ResultCaptions& c) {
  auto finite = [](const std::string& text) {
    return text.find("inf") == std::string::npos && text.find("nan") == std::string::npos &&
           text.find("INF") == std::string::npos && text.find("NAN") == std::string::npos;
  };
  for (int t = 0; t < 4; ++t) {
    if (!finite(c.lblCU[t]) || !finite(c.lblP[t]) || !finite(c.lblQ[t]) || !finite(c.lblENT[t])) return false;
  }
  for (const std::string& text : c.lblPW) {
    if (!finite(text)) return false;
  }
  return true;
}

// The last candidate of scheme 1:t was evaluated beyond the float32 range: its running
// probability fell below the smallest normal float32 (the row is then not built at all)
// or its coefficient sum overflowed.
bool leftFloat32Range(const CalculationState& s, int t) {
  return !(s.runProb[t] >= FLT_MIN) || std::isinf(s.countSum[t]);
}

TEST(CoefficientOverflow, EveryRankPassingToOneHundredStaysExact) {
  EngineRun run = runOf(texts("1", "100", "50", "100"));
  EXPECT_TRUE(captionsAreFinite(run.captions));
  repeatSearches(*run.calc);
  const CalculationState& s = run.state();
  // The 1:3 coefficient sum at rank 100 is about 3e48, beyond float32.
  EXPECT_TRUE(leftFloat32Range(s, 3));
  for (int t = 1; t <= 4; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(s.optRank[t], 100);
    EXPECT_EQ(s.dcfpStatus[t], "DCFP OK at maximum =" + std::string(t == 1 ? " " : ""));
    EXPECT_LE(relativeDeviation(s.cfp[t][2], exactCfpFraction(100, 50, t, 100)), 4e-7);
    EXPECT_EQ(run.captions.lblCU[static_cast<std::size_t>(t - 1)],
              std::string("DCFP OK at maximum =") + (t == 1 ? "  " : " ") + "100");
  }
}

struct ComparisonsCase : testsupport::NamedRow {
  int r;
};

class CoefficientOverflow : public ::testing::TestWithParam<ComparisonsCase> {};

TEST_P(CoefficientOverflow, HighDesignErrorChoosesTheExactlyOptimalRank) {
  const int r = GetParam().r;
  EngineRun run = runOf(texts("0.99", "60", std::to_string(r), "60"));
  EXPECT_TRUE(captionsAreFinite(run.captions));
  repeatSearches(*run.calc);
  const CalculationState& s = run.state();
  const mpq_class design(static_cast<double>(s.dcfp));
  for (int t = 1; t <= 4; ++t) {
    SCOPED_TRACE(t);
    const int k = s.optRank[t];
    const mpq_class atK = exactCfpFraction(60, r, t, k);
    EXPECT_LE(relativeDeviation(s.cfp[t][2], atK), 4e-7);
    EXPECT_LE(atK, design);
    if (k < 60) EXPECT_GT(exactCfpFraction(60, r, t, k + 1), design);
  }
  // The last candidate of the 1:4 walk is the failing rank after the chosen one.
  EXPECT_LE(relativeDeviation(s.cfpCur[4], exactCfpFraction(60, r, 4, s.rankIdx)), 4e-7);
}

INSTANTIATE_TEST_SUITE_P(Comparisons, CoefficientOverflow,
                         ::testing::Values(ComparisonsCase{"R30", 30}, ComparisonsCase{"R40", 40}), testsupport::RowName());

// Walks that end at a rank whose float32 coefficient sum is infinite: the CFPs of the
// chosen rank and of the failing candidate after it still agree with the exact ones.
struct SizesCase : testsupport::NamedRow {
  const char* n;
  const char* r;
};

class FailingCandidateBeyondFloat32 : public ::testing::TestWithParam<SizesCase> {};

TEST_P(FailingCandidateBeyondFloat32, IsDecidedExactly) {
  const SizesCase& c = GetParam();
  const int n = std::stoi(c.n);
  const int r = std::stoi(c.r);
  EngineRun run = runOf(texts("0.99999", c.n, c.r, c.n));
  EXPECT_TRUE(captionsAreFinite(run.captions));
  repeatSearches(*run.calc);
  const CalculationState& s = run.state();
  EXPECT_TRUE(leftFloat32Range(s, 4));
  const mpq_class design(static_cast<double>(s.dcfp));
  for (int t = 1; t <= 4; ++t) {
    SCOPED_TRACE(t);
    const int k = s.optRank[t];
    ASSERT_LT(k, n);
    EXPECT_LE(relativeDeviation(s.cfp[t][2], exactCfpFraction(n, r, t, k)), 4e-7);
    EXPECT_LE(exactCfpFraction(n, r, t, k), design);
    EXPECT_GT(exactCfpFraction(n, r, t, k + 1), design);
  }
  EXPECT_EQ(s.rankIdx, s.optRank[4] + 1);
  EXPECT_LE(relativeDeviation(s.cfpCur[4], exactCfpFraction(n, r, 4, s.rankIdx)), 4e-7);
}

INSTANTIATE_TEST_SUITE_P(Designs, FailingCandidateBeyondFloat32,
                         ::testing::Values(SizesCase{"N100R50", "100", "50"}, SizesCase{"N150R80", "150", "80"}),
                         testsupport::RowName());

// ---------------------------------------------------------------------------------
// Bounds of the 16-bit fields.

TEST(RankBounds, LargestRankBoundActsLikeN) {
  for (const auto& [dcfp, n, r] : {std::tuple{"0.1", "20", "5"}, {"1", "12", "3"}, {"0.05", "300", "10"}}) {
    const EngineRun bounded = runOf(texts(dcfp, n, r, n));
    const EngineRun largest = runOf(texts(dcfp, n, r, "32767"));
    EXPECT_EQ(testsupport::allCaptions(largest.captions), testsupport::allCaptions(bounded.captions)) << n;
    EXPECT_EQ(largest.state().optRank, bounded.state().optRank);
    EXPECT_EQ(largest.state().j, 32767);
  }
}

struct BackgroundCase : testsupport::NamedRow {
  int n;
};

class RankBounds : public ::testing::TestWithParam<BackgroundCase> {};

TEST_P(RankBounds, BackgroundsBeyondTheSixteenBitProducts) {
  // 2k overflows 16 bits above rank 16383, 4k above 8191; with DCFP 1 every walk ends at n.
  const int n = GetParam().n;
  EngineRun run = runOf(texts("1", std::to_string(n), "1", std::to_string(n)));
  EXPECT_TRUE(captionsAreFinite(run.captions));
  const std::string rank = std::to_string(n);
  EXPECT_EQ(run.captions.lblCU[0], "DCFP OK at maximum =  " + rank);
  for (int t = 2; t <= 4; ++t) EXPECT_EQ(run.captions.lblCU[static_cast<std::size_t>(t - 1)], "DCFP OK at maximum = " + rank);
  repeatSearches(*run.calc);
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(run.state().optRank[t], n);
    // At rank n with r = 1: CFP_t(n) = E[W^t] = n / (n + t).
    EXPECT_NEAR(run.state().cfp[t][2], static_cast<double>(n) / (n + t), 2e-6) << t;
  }
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, RankBounds,
                         ::testing::Values(BackgroundCase{"N9000", 9000}, BackgroundCase{"N20000", 20000}),
                         testsupport::RowName());

}  // namespace
}  // namespace velmora

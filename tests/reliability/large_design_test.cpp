// SPDX-License-Identifier: GPL-3.0-or-later
// Generated large designs, where the running probabilities of the retest searches fall
// far below the float32 and float64 ranges at the chosen ranks: every CFP shown is a
// probability, and every chosen rank meets the DCFP by its exact CFP, to float32 accuracy.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "outcome_invariants.h"
#include "velmora/engine/calculation.h"
#include "velmora/analysis/exact_cfp.h"

namespace velmora {
namespace {

TEST(LargeDesigns, ShownCfpsAreProbabilitiesAndChosenRanksMeetTheDcfpExactly) {
  std::mt19937 rng(20261208u);
  auto between = [&rng](int low, int high) { return low + static_cast<int>(rng() % static_cast<std::uint32_t>(high - low + 1)); };
  Calculation calc;
  for (int i = 0; i < 6; ++i) {
    const int n = between(1500, 5000);
    const int r = between(n / 8, n / 4);  // many comparisons: the running products fall fastest
    const std::string dcfp = "0." + std::to_string(between(100, 999));
    SCOPED_TRACE("DCFP " + dcfp + " n " + std::to_string(n) + " r " + std::to_string(r));
    const Expected<CalculationResult> outcome = calc.calculate({dcfp, std::to_string(n), std::to_string(r), std::to_string(n)});
    ASSERT_TRUE(outcome.has_value());
    ASSERT_EQ(reliability::checkCaptions(outcome->captions, {n, r, n, std::stod(dcfp)}), "");

    const auto designDcfp = static_cast<long double>(static_cast<float>(std::stod(dcfp)));
    for (int t = 1; t <= 4; ++t) {
      SCOPED_TRACE("1:" + std::to_string(t));
      const std::size_t cell = static_cast<std::size_t>(t - 1);
      const double shown = std::stod(outcome->captions.lblQ[cell]);
      EXPECT_GE(shown, 0.0);
      EXPECT_LE(shown, 1.0);
      if (outcome->captions.lblCU[cell].rfind("DCFP exceeded", 0) == 0) continue;
      const int rank = std::stoi(outcome->captions.lblCU[cell].substr(outcome->captions.lblCU[cell].rfind(' ') + 1));
      const long double exact = analysis::exactCfp(n, r, t, rank).value();
      EXPECT_LE(exact, designDcfp + 2e-6L) << "rank " << rank;
      EXPECT_NEAR(shown, static_cast<double>(exact), 5e-6 + 2e-6) << "rank " << rank;
    }
  }
}

}  // namespace
}  // namespace velmora

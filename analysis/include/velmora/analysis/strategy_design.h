// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Designs for any retest strategy, in the calculator's terms: the largest rank k <= min(j, n)
// whose exact CFP meets the DCFP as typed ("DCFP exceeded at max = 1" when even k = 1 does
// not), every strategy at a fixed rank, the smallest background for a rank, and a table over
// a list of strategies. Plain structs: no toolkit, no I/O; the one text form of a row
// (strategyRowTexts) lives here so that every front end shows the same digits.
//
// The CFP rises with the rank and falls with the background size, so each search gallops
// from an estimate and bisects (LastHolding): O(log n) exact CFPs per strategy.

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "velmora/analysis/dcfp_fraction.h"
#include "velmora/analysis/exact_power.h"
#include "velmora/analysis/strategy.h"
#include "velmora/engine/problem.h"

namespace velmora::analysis {

// The shifts of the design's powers, in standard deviations.
inline constexpr std::array<double, 3> kDesignShifts{2.0, 3.0, 4.0};

struct StrategyRow {
  Strategy strategy;
  std::string rule;          // canonical name: "1-of-2", "modified-california", "1-of-2/median-3"
  int rank = 1;              // the chosen (or the fixed) rank
  bool exceeded = false;     // design: even rank 1 fails the DCFP ("DCFP exceeded at max = 1")
  bool meets = false;        // CFP(rank) <= DCFP, exactly
  double cfp = 0.0;          // CFP(rank), relative error below kCfpRelativeErrorBound
  float percentile = 0.0f;   // (n - rank + 0.5) / n in float32, as the calculation forms it
  float percentileShown = 0.0f;  // ... rounded to four decimals as the results show it ("Ind P")
  std::string percentileText;    // "0.9750"
  double samples = 0.0;          // expected samples of the r comparisons under background conditions
  std::array<double, 3> power{};  // one shifted comparison at 2, 3 and 4 standard deviations
  Rating rating = Rating::low;    // RatePowers of the powers at 3 and 4
  std::optional<std::array<double, 3>> powerShifted;  // S shifted comparisons, when asked for
  // The rule of an earlier row that is the same test (same fail polynomial), if any.
  std::optional<std::string> sameTestAs;
  int evaluations = 0;  // exact CFP decisions made
};

struct StrategyRequest {
  std::string dcfpText;
  int n = 0;
  int r = 0;
  int j = 0;                   // the largest rank the design may choose (with n)
  std::optional<int> rank;     // every strategy at this rank instead of its best one
  std::optional<int> shifted;  // S, 1 <= S <= r: the power of S shifted comparisons too
};

// The design of one strategy: the largest rank <= min(j, n) that meets the DCFP.
[[nodiscard]] Expected<StrategyRow> designStrategy(const Strategy& strategy, const DcfpFraction& dcfp, int n, int r,
                                                   int j, std::optional<int> shifted = std::nullopt);

// One strategy at a fixed rank (meets tells whether it meets the DCFP).
[[nodiscard]] Expected<StrategyRow> strategyAtRank(const Strategy& strategy, const DcfpFraction& dcfp, int n, int r,
                                                   int rank, std::optional<int> shifted = std::nullopt);

// The table: one row per strategy in the order given (designs, or all at request.rank).
[[nodiscard]] Expected<std::vector<StrategyRow>> strategyTable(std::span<const Strategy> strategies,
                                                               const StrategyRequest& request);

// Told the strategies done of `total` as they are done; returns false to stop the work.
using StrategyProgress = std::function<bool(int done, int total)>;

// The same table, one strategy at a time: none when `progress` stops the work.
[[nodiscard]] Expected<std::optional<std::vector<StrategyRow>>> strategyTable(std::span<const Strategy> strategies,
                                                                              const StrategyRequest& request,
                                                                              const StrategyProgress& progress);

// The columns of strategyRowTexts, as csv names them.
inline constexpr std::array<const char*, 11> kStrategyRowColumns{
    "rule", "rank", "exceeded", "meets", "cfp", "percentile", "samples", "power_2sigma", "power_3sigma",
    "power_4sigma", "rating"};

// A row as text, locale-free, one text per kStrategyRowColumns: the exact values to ten
// significant digits, "true"/"false", the percentile as the results show it, the rating's
// caption. The strategies command and the analysis window both show these, so that they
// agree to the digit.
[[nodiscard]] std::array<std::string, kStrategyRowColumns.size()> strategyRowTexts(const StrategyRow& row);

// The texts of the S shifted comparisons' powers at 2, 3 and 4 (none when not asked for).
[[nodiscard]] std::optional<std::array<std::string, 3>> shiftedPowerTexts(const StrategyRow& row);

// The smallest background size n in [max(2, rank), 32767 - 4r] at which `rank` of the strategy
// meets the DCFP; none when it does not even at the largest.
[[nodiscard]] Expected<std::optional<int>> smallestBackground(const Strategy& strategy, const DcfpFraction& dcfp, int r,
                                                              int rank);

}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
// What the analysis window and the report show beside a run: the exact audit, the exact
// powers and ratings at the chosen ranks, the curves, the rows of every rank and the table of
// retest strategies. All of it
// comes from the exact tools; this only gathers it, part by part, so that a worker thread can
// tell its progress in words, hand over each finished part and stop between parts.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "velmora/analysis/audit.h"
#include "velmora/analysis/curves.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/engine/calculation.h"

namespace velmora::ui {

struct AnalysisData {
  Results results;
  InputTexts texts;
  analysis::CalculationAudit audit;  // with each scheme's exact powers and the rating they earn
  analysis::CalculationCurves curves;
  std::array<std::optional<analysis::RankRows>, kSchemeCount> ranks;  // element t - 1: 1:t's rows, once computed
  // The retest strategies compared (as chosen, in order) and their designs, once computed:
  // the rows of velmora-cli strategies for this design.
  std::vector<analysis::Strategy> strategies = analysis::defaultStrategies();
  std::optional<std::vector<analysis::StrategyRow>> strategyRows;
  // The strategy chosen in the table, drawn on the charts beside the tests: its CFP by rank
  // and its power by shift (none chosen: none).
  std::optional<analysis::RuleCurves> chosenStrategy;

  // What is finished: the audit of scheme 1:t (audited[t - 1]), the curves, everything. A
  // stopped analysis keeps what was finished, with `complete` false.
  std::array<bool, kSchemeCount> audited{};
  bool curvesDone = false;
  bool complete = false;

  /// Where the design's and the exact arithmetic part for scheme 1:t: another rank, or
  /// another rating.
  bool rankDiffers(int t) const;
  bool ratingDiffers(int t) const;
};

/// Where the work stands: a share of the whole that never goes back, and the part under way
/// in words ("exact CFP, 1:3, rank 15 of 40").
struct AnalysisProgress {
  int permille = 0;
  std::string stage;
};

/// Told, on the worker's thread, how far the work is and each time a part is finished (the
/// analysis so far, `complete` false until the last part).
struct AnalysisListener {
  std::function<void(const AnalysisProgress&)> progress;
  std::function<void(const AnalysisData&)> partDone;
};

/// Computes everything for an accepted run: the audit scheme by scheme, the designs of
/// `strategies`, the rows of every rank test by test, then the curves. Stops early, returning nothing, as soon as `stop` is set
/// (between parts, and between chunks of rows); what was finished by then was handed to
/// `listener.partDone`. Refused when the exact tools refuse the results, which those of an
/// accepted run never are.
Expected<std::optional<AnalysisData>> computeAnalysis(const Results& results, const InputTexts& texts,
                                                      const std::atomic<bool>& stop,
                                                      const AnalysisListener& listener = {},
                                                      const std::vector<analysis::Strategy>& strategies =
                                                          analysis::defaultStrategies());

/// The designs of `strategies` for the run of `data` (the rest of it kept), and the curves of
/// the strategy `chosen` (none: no strategy drawn). For a new choice in a finished analysis.
/// Stops between strategies, returning nothing, once `stop` is set.
Expected<std::optional<AnalysisData>> recomputeStrategies(AnalysisData data,
                                                          const std::vector<analysis::Strategy>& strategies,
                                                          const std::optional<analysis::Strategy>& chosen,
                                                          const std::atomic<bool>& stop,
                                                          const AnalysisListener& listener = {});

}  // namespace velmora::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// What the analysis window and the report show beside a run: the exact audit, the exact
// powers and ratings at the chosen ranks, and the curves. All of it comes from the exact
// tools; this only gathers it, step by step, so that a worker thread can report progress
// and stop between the steps.
#pragma once

#include <atomic>
#include <functional>
#include <optional>

#include "velmora/analysis/audit.h"
#include "velmora/analysis/curves.h"
#include "velmora/engine/calculation.h"

namespace velmora::ui {

struct AnalysisData {
  Results results;
  InputTexts texts;
  analysis::CalculationAudit audit;  // with each scheme's exact powers and the rating they earn
  analysis::CalculationCurves curves;

  /// Where the design's and the exact arithmetic part for scheme 1:t: another rank, or
  /// another rating.
  bool rankDiffers(int t) const;
  bool ratingDiffers(int t) const;
};

/// The number of steps computeAnalysis reports: the audit, then the curves.
inline constexpr int kAnalysisSteps = 2;

/// Computes everything for an accepted run, calling `stepDone(k)` after step k of
/// kAnalysisSteps. Stops early, returning nothing, as soon as `stop` is set between steps.
/// Refused when the exact tools refuse the results, which those of an accepted run never are.
Expected<std::optional<AnalysisData>> computeAnalysis(const Results& results, const InputTexts& texts,
                                            const std::atomic<bool>& stop,
                                            const std::function<void(int)>& stepDone = {});

}  // namespace velmora::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/analysis_data.h"

namespace velmora::ui {

namespace {
std::size_t indexOf(int t) { return static_cast<std::size_t>(t - 1); }
}  // namespace

bool AnalysisData::rankDiffers(int t) const { return !audit.schemes[indexOf(t)].agrees(); }

bool AnalysisData::ratingDiffers(int t) const { return !audit.schemes[indexOf(t)].ratingAgrees(); }

Expected<std::optional<AnalysisData>> computeAnalysis(const Results& results, const InputTexts& texts,
                                            const std::atomic<bool>& stop,
                                            const std::function<void(int)>& stepDone) {
  int step = 0;
  const auto done = [&] {
    if (stepDone) stepDone(++step);
    return !stop.load();
  };
  AnalysisData data;
  data.results = results;
  data.texts = texts;
  if (stop.load()) return std::nullopt;
  Expected<analysis::CalculationAudit> audit = analysis::auditCalculation(results, texts.txtAL);
  if (!audit) return fail(std::move(audit.error()));
  // The audit holds the exact powers of the chosen ranks and their ratings too.
  data.audit = std::move(*audit);
  if (!done()) return std::nullopt;
  Expected<analysis::CalculationCurves> curves = analysis::computeCurves(results);
  if (!curves) return fail(std::move(curves.error()));
  data.curves = std::move(*curves);
  done();
  return data;
}

}  // namespace velmora::ui

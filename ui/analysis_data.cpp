// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/analysis_data.h"

namespace velmora::ui {

namespace {
std::size_t indexOf(int t) { return static_cast<std::size_t>(t - 1); }
}  // namespace

bool AnalysisData::rankDiffers(int t) const { return !audit.schemes[indexOf(t)].agrees(); }

bool AnalysisData::ratingDiffers(int t) const { return !audit.schemes[indexOf(t)].ratingAgrees(); }

std::optional<AnalysisData> computeAnalysis(const Results& results, const InputTexts& texts,
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
  data.audit = auditCalculation(results, texts.txtAL);
  // The audit holds the exact powers of the chosen ranks and their ratings too.
  if (!done()) return std::nullopt;
  data.curves = analysis::computeCurves(results);
  done();
  return data;
}

}  // namespace velmora::ui

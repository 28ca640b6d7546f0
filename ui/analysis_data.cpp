// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/analysis_data.h"

namespace velmora::ui {

namespace {
std::size_t indexOf(int t) { return static_cast<std::size_t>(t - 1); }
}  // namespace

bool AnalysisData::rankDiffers(int t) const { return !audit.schemes[indexOf(t)].agrees(); }

bool AnalysisData::ratingDiffers(int t) const {
  return exactRatings[indexOf(t)] != results.schemes[indexOf(t)].rating;
}

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
  data.audit = std::move(*audit);
  if (!done()) return std::nullopt;
  const int n = results.inputs.n;
  for (const SchemeResult& scheme : results.schemes) {
    const std::size_t i = indexOf(scheme.test);
    const Expected<std::array<double, 3>> powers = analysis::exactPowers(n, scheme.rank, scheme.test);
    if (!powers) return fail(powers.error());
    data.exactPowers[i] = *powers;
    data.exactRatings[i] = analysis::ratePowers((*powers)[1], (*powers)[2]);
    if (!done()) return std::nullopt;
  }
  Expected<analysis::CalculationCurves> curves = analysis::computeCurves(results);
  if (!curves) return fail(std::move(curves.error()));
  data.curves = std::move(*curves);
  done();
  return data;
}

}  // namespace velmora::ui

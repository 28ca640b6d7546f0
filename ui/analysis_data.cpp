// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/analysis_data.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace velmora::ui {

namespace {
std::size_t indexOf(int t) { return static_cast<std::size_t>(t - 1); }

std::string schemeName(int t) { return "1:" + std::to_string(t); }

// The share of the whole job done, from the parts' estimated costs: each part adds its weight
// as it goes, so the share only grows.
class ProgressMeter {
 public:
  ProgressMeter(const Results& results, const AnalysisListener& listener, std::size_t strategyCount)
      : m_listener(listener) {
    for (int t = 1; t <= kSchemeCount; ++t) {
      const analysis::AnalysisCost cost = analysis::estimatedCost(results, t);
      m_audit[indexOf(t)] = cost.audit;
      m_rows[indexOf(t)] = cost.rows;
      m_curves += cost.curves;
    }
    // A strategy's design is an O(log n) search of exact CFPs like a scheme's audit, of up to
    // eight units of up to nine values: counted as two audits of 1:4.
    m_strategies = 0.01 + 2.0 * static_cast<double>(strategyCount) * m_audit[indexOf(kSchemeCount)];
    m_total = m_curves + m_strategies;
    for (std::size_t i = 0; i < m_audit.size(); ++i) m_total += m_audit[i] + m_rows[i];
  }

  double auditWeight(int t) const { return m_audit[indexOf(t)]; }
  double rowsWeight(int t) const { return m_rows[indexOf(t)]; }
  double curvesWeight() const { return m_curves; }
  double strategiesWeight() const { return m_strategies; }
  // For a job of only some of the parts: their weights' sum.
  void setTotal(double total) { m_total = std::max(total, 0.01); }

  // `part` of `weight` is done of the part that started at the last finish().
  void tell(const std::string& stage, double weight, double part) {
    const double done = m_finished + weight * std::clamp(part, 0.0, 1.0);
    const int permille = static_cast<int>(std::floor(1000.0 * done / m_total));
    m_permille = std::clamp(permille, m_permille, 1000);
    if (m_listener.progress) m_listener.progress({m_permille, stage});
  }
  void finish(double weight) { m_finished += weight; }
  // The whole job is done: the bar is full, whatever the sums of the weights round to.
  void done() {
    m_permille = 1000;
    if (m_listener.progress) m_listener.progress({m_permille, "done"});
  }

 private:
  const AnalysisListener& m_listener;
  std::array<double, kSchemeCount> m_audit{};
  std::array<double, kSchemeCount> m_rows{};
  double m_curves = 0.0;
  double m_strategies = 0.0;
  double m_total = 0.0;
  double m_finished = 0.0;
  int m_permille = 0;
};

analysis::StrategyRequest strategyRequest(const AnalysisData& data) {
  analysis::StrategyRequest request;
  request.dcfpText = data.texts.txtAL;
  request.n = data.results.inputs.n;
  request.r = data.results.inputs.r;
  request.j = data.results.inputs.j;
  return request;
}

// The designs of data.strategies into data.strategyRows, strategy by strategy; false when
// stopped.
Expected<bool> computeStrategyRows(AnalysisData& data, const std::atomic<bool>& stop, ProgressMeter& meter) {
  const double weight = meter.strategiesWeight();
  Expected<std::optional<std::vector<analysis::StrategyRow>>> rows = analysis::strategyTable(
      data.strategies, strategyRequest(data), [&](int done, int total) {
        const std::size_t at = static_cast<std::size_t>(std::min(done, total - 1));
        meter.tell("retest strategy " + data.strategies[at].canonicalName() + " (" + std::to_string(at + 1) + " of " +
                       std::to_string(total) + ")",
                   weight, total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
        return !stop.load();
      });
  if (!rows) return fail(std::move(rows.error()));
  if (!*rows) return false;
  data.strategyRows = std::move(**rows);
  meter.finish(weight);
  return true;
}

}  // namespace

bool AnalysisData::rankDiffers(int t) const { return !audit.schemes[indexOf(t)].agrees(); }

bool AnalysisData::ratingDiffers(int t) const { return !audit.schemes[indexOf(t)].ratingAgrees(); }

Expected<std::optional<AnalysisData>> computeAnalysis(const Results& results, const InputTexts& texts,
                                                      const std::atomic<bool>& stop,
                                                      const AnalysisListener& listener,
                                                      const std::vector<analysis::Strategy>& strategies) {
  AnalysisData data;
  data.results = results;
  data.texts = texts;
  data.strategies = strategies;
  ProgressMeter meter(results, listener, strategies.size());
  const auto partDone = [&] {
    if (listener.partDone) listener.partDone(data);
  };
  if (stop.load()) return std::nullopt;

  // The audit, scheme by scheme; it cannot stop in between, but it is a few exact CFPs each.
  meter.tell("exact audit, 1:1", meter.auditWeight(1), 0.0);
  Expected<analysis::CalculationAudit> audit =
      analysis::auditCalculation(results, texts.txtAL, [&](const analysis::SchemeAudit& scheme) {
        data.audit.schemes[indexOf(scheme.test)] = scheme;
        data.audited[indexOf(scheme.test)] = true;
        meter.finish(meter.auditWeight(scheme.test));
        partDone();
        if (scheme.test < kSchemeCount) {
          meter.tell("exact audit, " + schemeName(scheme.test + 1), meter.auditWeight(scheme.test + 1), 0.0);
        }
      });
  if (!audit) return fail(std::move(audit.error()));
  // The audit holds the exact powers of the chosen ranks and their ratings too.
  data.audit = std::move(*audit);
  if (stop.load()) return std::nullopt;

  // The retest strategies' table: a few exact CFPs per strategy, so it comes before the rows.
  const Expected<bool> strategiesDone = computeStrategyRows(data, stop, meter);
  if (!strategiesDone) return fail(strategiesDone.error());
  if (!*strategiesDone) return std::nullopt;
  partDone();

  // The rows of every rank, test by test, a chunk of ranks at a time.
  for (int t = 1; t <= kSchemeCount; ++t) {
    const double weight = meter.rowsWeight(t);
    Expected<std::optional<analysis::RankRows>> rows =
        analysis::schemeRankRows(results, texts.txtAL, t, [&](int done, int total) {
          meter.tell("exact CFP, " + schemeName(t) + ", rank " + std::to_string(std::min(done + 1, total)) + " of " +
                         std::to_string(total),
                     weight, total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
          return !stop.load();
        });
    if (!rows) return fail(std::move(rows.error()));
    if (!*rows) return std::nullopt;
    data.ranks[indexOf(t)] = std::move(**rows);
    meter.finish(weight);
    partDone();
    if (stop.load()) return std::nullopt;
  }

  meter.tell("curves for the charts", meter.curvesWeight(), 0.0);
  Expected<analysis::CalculationCurves> curves = analysis::computeCurves(results);
  if (!curves) return fail(std::move(curves.error()));
  data.curves = std::move(*curves);
  data.curvesDone = true;
  data.complete = true;
  meter.done();
  partDone();
  return data;
}

Expected<std::optional<AnalysisData>> recomputeStrategies(AnalysisData data,
                                                          const std::vector<analysis::Strategy>& strategies,
                                                          const std::optional<analysis::Strategy>& chosen,
                                                          const std::atomic<bool>& stop,
                                                          const AnalysisListener& listener) {
  ProgressMeter meter(data.results, listener, strategies.size());
  const bool newTable = strategies != data.strategies || !data.strategyRows;
  const bool newCurves = chosen && (!data.chosenStrategy || data.chosenStrategy->ranks.rule != chosen->canonicalName());
  // A chosen strategy's rows and power curve cost about what a test's rows do.
  const double curvesWeight = meter.rowsWeight(kSchemeCount);
  meter.setTotal((newTable ? meter.strategiesWeight() : 0.0) + (newCurves ? curvesWeight : 0.0));
  if (stop.load()) return std::nullopt;
  if (newTable) {
    data.strategies = strategies;
    data.strategyRows.reset();
    const Expected<bool> done = computeStrategyRows(data, stop, meter);
    if (!done) return fail(done.error());
    if (!*done) return std::nullopt;
  }
  if (!chosen) {
    data.chosenStrategy.reset();
  } else if (newCurves) {
    data.chosenStrategy.reset();
    // One strategy's ranks and power curve: a part that cannot stop in between.
    meter.tell("curves of " + chosen->canonicalName(), curvesWeight, 0.0);
    const LoadedInputs& in = data.results.inputs;
    Expected<analysis::RuleCurves> curves = analysis::computeRuleCurves(*chosen, data.texts.txtAL, in.n, in.r, in.j);
    if (!curves) return fail(std::move(curves.error()));
    if (stop.load()) return std::nullopt;
    data.chosenStrategy = std::move(*curves);
  }
  meter.done();
  return data;
}

}  // namespace velmora::ui

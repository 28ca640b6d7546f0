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
  ProgressMeter(const Results& results, const AnalysisListener& listener) : m_listener(listener) {
    for (int t = 1; t <= kSchemeCount; ++t) {
      const analysis::AnalysisCost cost = analysis::estimatedCost(results, t);
      m_audit[indexOf(t)] = cost.audit;
      m_rows[indexOf(t)] = cost.rows;
      m_curves += cost.curves;
    }
    m_total = m_curves;
    for (std::size_t i = 0; i < m_audit.size(); ++i) m_total += m_audit[i] + m_rows[i];
  }

  double auditWeight(int t) const { return m_audit[indexOf(t)]; }
  double rowsWeight(int t) const { return m_rows[indexOf(t)]; }
  double curvesWeight() const { return m_curves; }

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
  double m_total = 0.0;
  double m_finished = 0.0;
  int m_permille = 0;
};

}  // namespace

bool AnalysisData::rankDiffers(int t) const { return !audit.schemes[indexOf(t)].agrees(); }

bool AnalysisData::ratingDiffers(int t) const { return !audit.schemes[indexOf(t)].ratingAgrees(); }

Expected<std::optional<AnalysisData>> computeAnalysis(const Results& results, const InputTexts& texts,
                                                      const std::atomic<bool>& stop,
                                                      const AnalysisListener& listener) {
  AnalysisData data;
  data.results = results;
  data.texts = texts;
  ProgressMeter meter(results, listener);
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

}  // namespace velmora::ui

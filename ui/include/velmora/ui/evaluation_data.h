// SPDX-License-Identifier: GPL-3.0-or-later
// What the Evaluate Data window shows: a monitoring data file read, each constituent's
// limit and each compliance well's verdict under the strategy and rank asked for (or the
// best rank of the strategy for a design, as `velmora-cli evaluate --dcfp` finds it), and the
// texts of its copy, its CSV and its part of the report. The limit and the verdicts come
// from the exact tools (analysis/verdicts.h) and the reader from records/; this gathers them
// on a worker thread and words them.
#pragma once

#include <QString>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "velmora/analysis/strategy.h"
#include "velmora/analysis/verdicts.h"
#include "velmora/engine/problem.h"
#include "velmora/records/monitoring_data.h"
#include "velmora/ui/results_table.h"

namespace velmora::ui {

struct EvaluationRequest {
  QString path;
  std::string strategy;  // a strategy name as typed: "1-of-2", "modified-california", ...
  // The rank, or (none) the design whose best rank is used: DCFP, r and j as typed, j
  // empty for "up to n".
  std::optional<int> rank;
  std::string dcfp;
  std::string r;
  std::string j;
  bool skipBadLines = false;
};

struct EvaluatedConstituent {
  std::size_t index = 0;  // in MonitoringData::constituents
  int rank = 0;
  // The best rank's CFP (ten significant digits) when the rank came from the design.
  std::optional<QString> designCfp;
  analysis::ConstituentEvaluation evaluation;
};

struct Evaluation {
  EvaluationRequest request;
  analysis::Strategy strategy;
  records::MonitoringData data;
  std::vector<EvaluatedConstituent> constituents;

  const analysis::ConstituentData& dataOf(const EvaluatedConstituent& c) const { return data.constituents[c.index]; }
};

/// Reads the file and evaluates every constituent. Refused: a strategy name that is none, a
/// design that is not one (or that not even rank 1 meets), a file that cannot be opened, and
/// every refusal of the reader (the lines at fault, "line 7: ...") and of the verdicts.
/// Nothing (an empty optional) once `stop` is set. Safe on a worker thread.
[[nodiscard]] Expected<std::optional<Evaluation>> evaluateData(const EvaluationRequest& request,
                                                               const std::atomic<bool>& stop);

/// "Verdicts for mercury.csv: modified-california, rank 1": what the copy and the report put
/// first, the request the verdicts answer.
QString requestLine(const Evaluation& evaluation);
/// "Constituent mercury (ppb): rank 1, the best rank of ... ; its CFP 0.0301": one per
/// constituent.
QString constituentLine(const Evaluation& evaluation, const EvaluatedConstituent& constituent);
/// "Limit: 0.28, the background value of inverse rank 1 (well BG-4, event 3)", or which
/// reporting limit it is.
QString limitLine(const Evaluation& evaluation, const EvaluatedConstituent& constituent);
/// The background largest first down to the limit and the values equal to it, the limit
/// marked, long lists shortened in the middle.
QString backgroundLine(const Evaluation& evaluation, const EvaluatedConstituent& constituent);

/// One row per compliance well of every constituent: (constituent,) well, verdict, values
/// used, values not used, reason; the values as they stood in the file.
ResultsTable verdictTableOf(const Evaluation& evaluation);

/// The text the window's Copy puts on the clipboard: the request line first, then per
/// constituent its lines and its warning, the verdict table tab-separated, the skipped lines.
QString verdictsText(const Evaluation& evaluation);
/// The same as HTML, with the method paragraph, for the clipboard and the report.
QString verdictsHtml(const Evaluation& evaluation);
/// The CSV the window's Export writes: the columns of `velmora-cli evaluate --format csv`.
QByteArray verdictsCsv(const Evaluation& evaluation);

}  // namespace velmora::ui

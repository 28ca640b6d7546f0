// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/evaluation_data.h"

#include <QFileInfo>

#include <charconv>
#include <climits>
#include <span>

#include "velmora/analysis/dcfp_fraction.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/platform/documents.h"

namespace velmora::ui {

namespace {

using analysis::BackgroundLimit;
using analysis::ConstituentData;
using analysis::Measurement;

// As the command line's text report: the most background values listed before the limit,
// the first and the last ones; the rest are counted.
constexpr std::size_t kListedBackground = 40;
constexpr std::size_t kListedAtEitherEnd = 10;
// Ten significant digits, as `velmora-cli strategies` and `evaluate` show a CFP.
constexpr int kCfpDigits = 10;

QString qs(const std::string& text) { return QString::fromStdString(text); }

Expected<int> wholeNumber(const char* name, std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  const std::string_view trimmed =
      begin == std::string_view::npos ? std::string_view() : text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
  int value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size() || value < 1) {
    return fail(ProblemKind::refusedRequest,
                std::string(name) + " must be a whole number from 1 up, not \"" + std::string(text) + "\".");
  }
  return value;
}

// The best rank of the strategy for the design with n = the background values, as the
// strategies command finds it (designStrategy); refused when not even rank 1 meets the DCFP,
// since a limit from the maximum would then not be the design asked for.
Expected<EvaluatedConstituent> designRank(const EvaluationRequest& request, const analysis::Strategy& strategy,
                                          std::size_t n) {
  const Expected<int> r = wholeNumber("r", request.r);
  if (!r) return fail(r.error());
  const bool allRanks = request.j.find_first_not_of(" \t") == std::string::npos;
  const Expected<int> j = allRanks ? Expected<int>(static_cast<int>(std::min<std::size_t>(n, INT_MAX)))
                                   : wholeNumber("j", request.j);
  if (!j) return fail(j.error());
  if (n > INT_MAX) return fail(ProblemKind::refusedRequest, "The background has too many values for a design.");
  const Expected<analysis::DcfpFraction> dcfp = analysis::DcfpFraction::read(request.dcfp);
  if (!dcfp) return fail(dcfp.error());
  const Expected<analysis::StrategyRow> row = analysis::designStrategy(strategy, *dcfp, static_cast<int>(n), *r, *j);
  if (!row) return fail(row.error());
  const QString cfp = QString::number(row->cfp, 'g', kCfpDigits);
  if (row->exceeded) {
    return fail(ProblemKind::refusedRequest,
                "No rank of " + row->rule + " meets DCFP " + request.dcfp + " with n = " + std::to_string(n) +
                    " and r = " + std::to_string(*r) + " (rank 1 gives CFP " + cfp.toStdString() +
                    "): give a rank, or use more background values.");
  }
  EvaluatedConstituent out;
  out.rank = row->rank;
  out.designCfp = cfp;
  return out;
}

const Measurement& backgroundValue(const ConstituentData& data, const analysis::BackgroundEntry& entry) {
  return data.background[entry.well].values[entry.value];
}

QString joined(std::span<const Measurement> values, const QString& separator) {
  QString out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += separator;
    out += qs(values[i].text);
  }
  return out;
}

QString csvField(const QString& text) {
  if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
      !text.contains(QLatin1Char('\r'))) {
    return text;
  }
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString skippedText(const records::MonitoringData& data) {
  if (data.skipped.empty()) return {};
  QString out = QStringLiteral("Skipped lines:\n");
  for (const records::BadLine& bad : data.skipped) {
    out += QStringLiteral("  line %1: %2\n").arg(bad.line).arg(qs(bad.reason));
  }
  if (data.skippedNotListed > 0) out += QStringLiteral("  and %1 more lines\n").arg(data.skippedNotListed);
  return out;
}

}  // namespace

Expected<std::optional<Evaluation>> evaluateData(const EvaluationRequest& request, const std::atomic<bool>& stop) {
  const Expected<analysis::Strategy> strategy = analysis::parseStrategy(request.strategy);
  if (!strategy) return fail(strategy.error());
  QString reason;
  const std::unique_ptr<std::istream> file = platform::openForReading(request.path, &reason);
  if (!file) {
    return fail(ProblemKind::unreadableData,
                "Cannot open " + QFileInfo(request.path).fileName().toStdString() + ": " + reason.toStdString());
  }
  Expected<records::MonitoringData> read = records::readMonitoringData(*file, {request.skipBadLines});
  if (file->bad()) {
    return fail(ProblemKind::unreadableData, "Cannot read " + QFileInfo(request.path).fileName().toStdString() + ".");
  }
  if (!read) return fail(read.error());
  if (stop) return std::optional<Evaluation>();

  Evaluation evaluation;
  evaluation.request = request;
  evaluation.strategy = *strategy;
  evaluation.data = std::move(*read);
  for (std::size_t c = 0; c < evaluation.data.constituents.size(); ++c) {
    if (stop) return std::optional<Evaluation>();
    const ConstituentData& data = evaluation.data.constituents[c];
    // A refusal names its constituent when the file has several.
    const auto named = [&](const Problem& problem) {
      Problem out = problem;
      if (evaluation.data.hasConstituentColumn && !out.lines.empty()) {
        out.lines.front() = "Constituent " + data.name + ": " + out.lines.front();
      }
      return out;
    };
    EvaluatedConstituent done;
    if (request.rank) {
      done.rank = *request.rank;
    } else {
      std::size_t n = 0;
      for (const analysis::WellValues& well : data.background) n += well.values.size();
      Expected<EvaluatedConstituent> design = designRank(request, *strategy, n);
      if (!design) return fail(named(design.error()));
      done = std::move(*design);
    }
    done.index = c;
    Expected<analysis::ConstituentEvaluation> evaluated = analysis::evaluateConstituent(data, *strategy, done.rank);
    if (!evaluated) return fail(named(evaluated.error()));
    done.evaluation = std::move(*evaluated);
    evaluation.constituents.push_back(std::move(done));
  }
  return std::optional<Evaluation>(std::move(evaluation));
}

QString requestLine(const Evaluation& evaluation) {
  const EvaluationRequest& request = evaluation.request;
  QString line = QStringLiteral("Verdicts for %1: %2, ")
                     .arg(QFileInfo(request.path).fileName(), qs(evaluation.strategy.canonicalName()));
  if (request.rank) return line + QStringLiteral("rank %1").arg(*request.rank);
  line += QStringLiteral("the best rank for DCFP %1, r %2").arg(qs(request.dcfp).trimmed(), qs(request.r).trimmed());
  const QString j = qs(request.j).trimmed();
  return line + (j.isEmpty() ? QStringLiteral(", j up to n") : QStringLiteral(", j %1").arg(j));
}

QString constituentLine(const Evaluation& evaluation, const EvaluatedConstituent& constituent) {
  const ConstituentData& data = evaluation.dataOf(constituent);
  QString line = evaluation.data.hasConstituentColumn ? QStringLiteral("Constituent %1").arg(qs(data.name))
                                                      : QStringLiteral("Data");
  if (!data.unit.empty()) line += QStringLiteral(" (%1)").arg(qs(data.unit));
  line += QStringLiteral(": n = %1 background values, rank %2").arg(constituent.evaluation.limit.n).arg(constituent.rank);
  if (constituent.designCfp) {
    line += QStringLiteral(", the best rank of %1 for this design with n = %2; its CFP %3")
                .arg(qs(evaluation.strategy.canonicalName()))
                .arg(constituent.evaluation.limit.n)
                .arg(*constituent.designCfp);
  }
  return line;
}

QString limitLine(const Evaluation& evaluation, const EvaluatedConstituent& constituent) {
  const ConstituentData& data = evaluation.dataOf(constituent);
  const BackgroundLimit& limit = constituent.evaluation.limit;
  const analysis::BackgroundEntry& entry = limit.order[limit.position];
  const Measurement& value = backgroundValue(data, entry);
  const QString where =
      QStringLiteral("well %1, event %2").arg(qs(data.background[entry.well].well), qs(analysis::eventText(value.event)));
  QString line = QStringLiteral("Limit: %1, ").arg(qs(limit.limitText));
  if (limit.allNonDetects) {
    line += QStringLiteral("the largest reporting limit (%1, %2)").arg(qs(value.text), where);
  } else if (limit.isReportingLimit) {
    line += QStringLiteral("a reporting limit: the background value of inverse rank %1 is the non-detect %2 (%3)")
                .arg(limit.rank)
                .arg(qs(value.text), where);
  } else {
    line += QStringLiteral("the background value of inverse rank %1 (%2)").arg(limit.rank).arg(where);
  }
  return line;
}

QString backgroundLine(const Evaluation& evaluation, const EvaluatedConstituent& constituent) {
  const ConstituentData& data = evaluation.dataOf(constituent);
  const BackgroundLimit& limit = constituent.evaluation.limit;
  // Down to the limit and every value equal to it, so that a tie at the limit shows.
  std::size_t shown = limit.position + 1;
  while (shown < limit.order.size() && backgroundValue(data, limit.order[shown]).value == limit.limit) ++shown;
  QString line = QStringLiteral("Background, n = %1, largest first:").arg(limit.n);
  for (std::size_t i = 0; i < shown; ++i) {
    if (shown > kListedBackground && i == kListedAtEitherEnd) {
      const std::size_t skip = shown - 2 * kListedAtEitherEnd;
      line += QStringLiteral(" ... (%1 more) ...").arg(skip);
      i += skip - 1;
      continue;
    }
    line += (i == 0 ? QStringLiteral(" ") : QStringLiteral(", ")) + qs(backgroundValue(data, limit.order[i]).text);
    if (i == limit.position) line += QStringLiteral(" [limit]");
  }
  if (shown < limit.order.size()) line += QStringLiteral(", and %1 smaller").arg(limit.order.size() - shown);
  return line;
}

ResultsTable verdictTableOf(const Evaluation& evaluation) {
  ResultsTable table;
  const bool named = evaluation.data.hasConstituentColumn;
  if (named) table.header << QStringLiteral("Constituent");
  table.header << QStringLiteral("Well") << QStringLiteral("Verdict") << QStringLiteral("Values used")
               << QStringLiteral("Not used") << QStringLiteral("Reason");
  for (const EvaluatedConstituent& constituent : evaluation.constituents) {
    const ConstituentData& data = evaluation.dataOf(constituent);
    for (std::size_t w = 0; w < data.compliance.size(); ++w) {
      const std::span<const Measurement> values = data.compliance[w].values;
      const analysis::WellVerdict& verdict = constituent.evaluation.wells[w];
      QStringList row;
      if (named) row << qs(data.name);
      row << qs(data.compliance[w].well) << QLatin1String(analysis::verdictName(verdict.verdict))
          << joined(values.first(verdict.valuesUsed), QStringLiteral(", "))
          << joined(values.subspan(verdict.valuesUsed), QStringLiteral(", ")) << qs(verdict.reason);
      table.rows.append(row);
    }
  }
  return table;
}

QString verdictsText(const Evaluation& evaluation) {
  QString text = requestLine(evaluation) + QLatin1Char('\n');
  for (const EvaluatedConstituent& constituent : evaluation.constituents) {
    text += constituentLine(evaluation, constituent) + QLatin1Char('\n');
    text += backgroundLine(evaluation, constituent) + QLatin1Char('\n');
    text += limitLine(evaluation, constituent) + QLatin1Char('\n');
    if (!constituent.evaluation.limit.warning.empty()) {
      text += QStringLiteral("Warning: %1\n").arg(qs(constituent.evaluation.limit.warning));
    }
  }
  text += tabSeparated(verdictTableOf(evaluation));
  text += skippedText(evaluation.data);
  return text;
}

QString verdictsHtml(const Evaluation& evaluation) {
  const auto paragraph = [](const QString& line) { return QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped()); };
  QString html = QStringLiteral("<h2>Monitoring data: limit and verdicts</h2>") + paragraph(requestLine(evaluation));
  for (const EvaluatedConstituent& constituent : evaluation.constituents) {
    html += paragraph(constituentLine(evaluation, constituent)) + paragraph(backgroundLine(evaluation, constituent)) +
            paragraph(limitLine(evaluation, constituent));
    if (!constituent.evaluation.limit.warning.empty()) {
      html += QStringLiteral("<p><b>Warning: %1</b></p>").arg(qs(constituent.evaluation.limit.warning).toHtmlEscaped());
    }
  }
  html += htmlTable(verdictTableOf(evaluation));
  const QString skipped = skippedText(evaluation.data);
  if (!skipped.isEmpty()) html += QStringLiteral("<pre>%1</pre>").arg(skipped.toHtmlEscaped());
  return html + paragraph(qs(analysis::verdictMethodText()));
}

QByteArray verdictsCsv(const Evaluation& evaluation) {
  QString out = QStringLiteral(
      "constituent,unit,rule,rank,n,limit,limit_is_reporting_limit,well,verdict,values_used,values_not_used,reason\n");
  const QString rule = qs(evaluation.strategy.canonicalName());
  for (const EvaluatedConstituent& constituent : evaluation.constituents) {
    const ConstituentData& data = evaluation.dataOf(constituent);
    const BackgroundLimit& limit = constituent.evaluation.limit;
    // Joined, not through arg(): a name in the file may hold "%1".
    const QStringList common{csvField(qs(data.name)),
                             csvField(qs(data.unit)),
                             rule,
                             QString::number(constituent.rank),
                             QString::number(limit.n),
                             csvField(qs(limit.limitText)),
                             limit.isReportingLimit ? QStringLiteral("true") : QStringLiteral("false")};
    for (std::size_t w = 0; w < data.compliance.size(); ++w) {
      const std::span<const Measurement> values = data.compliance[w].values;
      const analysis::WellVerdict& verdict = constituent.evaluation.wells[w];
      out += common.join(QLatin1Char(',')) + QLatin1Char(',') + csvField(qs(data.compliance[w].well)) + QLatin1Char(',') +
             QLatin1String(analysis::verdictName(verdict.verdict)) + QLatin1Char(',') +
             csvField(joined(values.first(verdict.valuesUsed), QStringLiteral("; "))) + QLatin1Char(',') +
             csvField(joined(values.subspan(verdict.valuesUsed), QStringLiteral("; "))) + QLatin1Char(',') +
             csvField(qs(verdict.reason)) + QLatin1Char('\n');
    }
  }
  return out.toUtf8();
}

}  // namespace velmora::ui

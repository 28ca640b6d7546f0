// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/strategy_table.h"

#include <string>

#include "velmora/ui/analysis_data.h"

namespace velmora::ui {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

QString yesNo(const std::string& value) { return value == "true" ? QStringLiteral("Yes") : QStringLiteral("No"); }

// The columns of analysis::strategyRowTexts.
enum Column {
  ruleColumn,
  rankColumn,
  exceededColumn,
  meetsColumn,
  cfpColumn,
  percentileColumn,
  samplesColumn,
  power2Column,
  power3Column,
  power4Column,
  ratingColumn
};

}  // namespace

ResultsTable strategyTableOf(const AnalysisData& data) {
  ResultsTable table;
  table.header = {QStringLiteral("Rule"),       QStringLiteral("Rank"),       QStringLiteral("Exceeded"),
                  QStringLiteral("Meets DCFP"), QStringLiteral("CFP"),        QStringLiteral("Ind P"),
                  QStringLiteral("# of Samps"), QStringLiteral("Power 2 SD"), QStringLiteral("Power 3 SD"),
                  QStringLiteral("Power 4 SD"), QStringLiteral("Rating"),     QStringLiteral("Note")};
  table.headerTips = {
      QStringLiteral("The retest strategy: K-of-M, california-M, modified-california, each on single values or "
                     "(/median-B) on medians of B."),
      QStringLiteral("The largest rank up to min(j, n) whose exact CFP meets the DCFP; the limit is the rank-th "
                     "largest background value."),
      QStringLiteral("Yes when even rank 1 fails the DCFP (\"DCFP exceeded at max = 1\"); the rank is then 1."),
      QStringLiteral("Whether the exact CFP is at most the DCFP as typed, decided exactly."),
      QStringLiteral("The exact cumulative false-positive rate of the r comparisons at this rank, ten significant "
                     "digits."),
      QStringLiteral("The limit's background percentile as the calculator states it: (n - rank + 0.5) / n."),
      QStringLiteral("The expected samples of the r comparisons under background conditions, exactly."),
      QStringLiteral("The exact power against one comparison 2 standard deviations higher."),
      QStringLiteral("The exact power at 3 standard deviations (the rating's criterion: at least .539)."),
      QStringLiteral("The exact power at 4 standard deviations (the rating's criterion: at least .814)."),
      QStringLiteral("The rating the exact powers earn under the calculator's criteria."),
      QStringLiteral("An earlier row that is the same test under another name.")};
  if (!data.strategyRows) return table;
  for (const analysis::StrategyRow& row : *data.strategyRows) {
    const auto cells = analysis::strategyRowTexts(row);
    table.rows.append({text(cells[ruleColumn]), text(cells[rankColumn]), yesNo(cells[exceededColumn]),
                       yesNo(cells[meetsColumn]), text(cells[cfpColumn]), text(cells[percentileColumn]),
                       text(cells[samplesColumn]), text(cells[power2Column]), text(cells[power3Column]),
                       text(cells[power4Column]), text(cells[ratingColumn]),
                       row.sameTestAs ? QStringLiteral("the same test as %1").arg(text(*row.sameTestAs)) : QString()});
    table.differing.append(QList<int>{});
  }
  return table;
}

QString strategyTableHeading(const AnalysisData& data) {
  QString heading = QStringLiteral("Retest strategies for %1").arg(inputsLine(data.texts));
  if (!data.strategyRows) heading += QStringLiteral(" (incomplete: stopped before the strategies' designs)");
  return heading;
}

}  // namespace velmora::ui

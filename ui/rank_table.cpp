// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/rank_table.h"

#include <QStringList>

#include <array>
#include <string>

#include "velmora/ui/analysis_data.h"

namespace velmora::ui {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

enum Column { rankColumn, designColumn, exactColumn, meetsColumn, power2Column, power3Column, power4Column, ratingColumn };

// The design's rank of a test whose status is "DCFP exceeded at max = 1" is no choice: it is
// marked as what it is.
QString marks(const analysis::RankRows& ranks, const analysis::RankRow& row) {
  QStringList marks;
  if (row.chosen) marks.append(ranks.exceeded ? QStringLiteral("DCFP exceeded at max = 1") : QStringLiteral("chosen"));
  if (row.jBound) marks.append(QStringLiteral("j bound"));
  return marks.join(QStringLiteral(", "));
}

// A field as csv writes it: quoted, its quotes doubled, when it holds a separator, a quote or
// a line end (the inputs are texts as typed). A few lines, so no csv writer is linked for it.
QString csvField(const QString& field) {
  if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) && !field.contains(QLatin1Char('\n')) &&
      !field.contains(QLatin1Char('\r'))) {
    return field;
  }
  QString quoted = field;
  quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

ResultsTable rankTableOf(const AnalysisData& data) {
  ResultsTable table;
  table.header = {QStringLiteral("Test"),       QStringLiteral("Rank"),       QStringLiteral("Design CFP"),
                  QStringLiteral("Exact CFP"),  QStringLiteral("Meets DCFP"), QStringLiteral("Power 2 SD"),
                  QStringLiteral("Power 3 SD"), QStringLiteral("Power 4 SD"), QStringLiteral("Rating"),
                  QStringLiteral("Mark")};
  table.headerTips = {
      QStringLiteral("The retest scheme."),
      QStringLiteral("The inverse rank: the limit is the rank-th largest background value."),
      QStringLiteral("The CFP of this rank in the calculator's own single-precision arithmetic (nine digits tell "
                     "its values apart)."),
      QStringLiteral("The CFP of this rank by exact arithmetic, to ten significant digits."),
      QStringLiteral("Whether the exact CFP is at most the DCFP as typed, decided exactly."),
      QStringLiteral("The exact power of this rank against one comparison 2 standard deviations higher."),
      QStringLiteral("The exact power at 3 standard deviations (the rating's criterion: at least .539)."),
      QStringLiteral("The exact power at 4 standard deviations (the rating's criterion: at least .814)."),
      QStringLiteral("The rating the exact powers earn under the calculator's criteria."),
      QStringLiteral("The calculator's chosen rank, and the j bound min(j, n): the largest rank it may choose.")};
  for (const std::optional<analysis::RankRows>& ranks : data.ranks) {
    if (!ranks) continue;
    for (const analysis::RankRow& row : ranks->rows) {
      const auto cells = analysis::rankRowTexts(row);
      table.rows.append({text(ranks->test), text(cells[rankColumn]),
                         cells[designColumn].empty() ? QStringLiteral("-") : text(cells[designColumn]),
                         text(cells[exactColumn]), row.meets ? QStringLiteral("Yes") : QStringLiteral("No"),
                         text(cells[power2Column]), text(cells[power3Column]), text(cells[power4Column]),
                         text(cells[ratingColumn]), marks(*ranks, row)});
      table.differing.append(QList<int>{});
    }
  }
  return table;
}

QString rankTableHeading(const AnalysisData& data) {
  QString heading = QStringLiteral("Rows for %1").arg(inputsLine(data.texts));
  QStringList missing;
  for (std::size_t i = 0; i < data.ranks.size(); ++i) {
    if (!data.ranks[i]) missing.append(QStringLiteral("1:%1").arg(i + 1));
  }
  if (!data.complete && !missing.isEmpty()) {
    heading += QStringLiteral(" (incomplete: stopped before the rows of %1)").arg(missing.join(QStringLiteral(", ")));
  } else if (!data.complete) {
    heading += QStringLiteral(" (incomplete: stopped before the charts' curves)");
  }
  return heading;
}

QString rankTableCsv(const AnalysisData& data) {
  QString csv = csvField(rankTableHeading(data)) + QLatin1Char('\n');
  csv += QStringLiteral("test");
  for (const char* column : analysis::kRankRowColumns) csv += QLatin1Char(',') + QLatin1String(column);
  csv += QStringLiteral(",chosen,j_bound\n");
  for (const std::optional<analysis::RankRows>& ranks : data.ranks) {
    if (!ranks) continue;
    for (const analysis::RankRow& row : ranks->rows) {
      csv += csvField(text(ranks->test));
      for (const std::string& cell : analysis::rankRowTexts(row)) csv += QLatin1Char(',') + text(cell);
      csv += row.chosen ? QStringLiteral(",true") : QStringLiteral(",false");
      csv += row.jBound ? QStringLiteral(",true\n") : QStringLiteral(",false\n");
    }
  }
  return csv;
}

}  // namespace velmora::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/results_table.h"

#include <QLabel>

#include <array>
#include <cstddef>
#include <string>
#include <utility>

#include "velmora/ui/frm_main.h"
#include "velmora/ui/analysis_data.h"

namespace velmora::ui {

ResultsTable resultsTableOf(const frmMain& form, const ResultCaptions& captions) {
  ResultsTable table;
  // The column headings as the form words them, on one line each.
  const QString power = form.Label21->text().simplified();  // "Power @"
  const QStringList sigmas = form.Label22->text().simplified().split(QLatin1Char(' '));
  table.header = {form.Label5->text().simplified(),   form.Label7->text().simplified(),
                  form.lblPowerRatingLabel->text().simplified(),
                  form.lblNumberOfTests->text().simplified(), form.Label19->text().simplified(),
                  form.Label20->text().simplified()};
  for (const QString& sigma : sigmas) table.header.append(power + QLatin1Char(' ') + sigma);

  // The cells are the run's captions, not the labels read back: a label is only their copy
  // on the screen.
  const auto text = [](const std::string& caption) { return QString::fromStdString(caption); };
  const std::array<const QLabel*, 4> schemes{form.Label9, form.Label10, form.Label11, form.Label12};
  for (std::size_t i = 0; i < schemes.size(); ++i) {
    QStringList row{schemes[i]->text(),           text(captions.lblCU[i]), text(captions.lblPOW[i]),
                    text(captions.lblENT[i]),     text(captions.lblP[i]),  text(captions.lblQ[i])};
    for (std::size_t sigma = 0; sigma < 3; ++sigma) row.append(text(captions.lblPW[3 * i + sigma]));
    table.rows.append(row);
  }
  return table;
}

namespace {

QString exactNumber(long double value) { return QString::number(static_cast<double>(value), 'g', 7); }

QString powersText(float p2, float p3, float p4) {
  return QStringLiteral("%1  %2  %3").arg(p2, 0, 'f', 3).arg(p3, 0, 'f', 3).arg(p4, 0, 'f', 3);
}

QString powersText(const std::array<double, 3>& powers) {
  return QStringLiteral("%1  %2  %3")
      .arg(powers[0], 0, 'f', 3).arg(powers[1], 0, 'f', 3).arg(powers[2], 0, 'f', 3);
}

}  // namespace

QString schemeTip(int t) {
  if (t == 1) return QStringLiteral("Scheme 1:1: a well passes when its one sample does not exceed the limit.");
  return QStringLiteral("Scheme 1:%1: a well passes when one of up to %1 samples (the first and its verification "
                        "resamples) does not exceed the limit.")
      .arg(t);
}

namespace {

// The audit's rows, one quantity each; the schemes are its columns.
enum AuditRow { exactRankRow = 6, exactRatingRow = 10 };

}  // namespace

ResultsTable auditTableOf(const AnalysisData& data) {
  ResultsTable table;
  table.header = {QStringLiteral("Test")};
  table.headerTips = {QStringLiteral("What each row gives; the schemes 1:1 to 1:4 follow, one column each.")};
  // Each quantity with what it stands for.
  const QList<std::pair<QString, QString>> rows{
      {QStringLiteral("Rank"), QStringLiteral("The inverse rank the calculator chose: the limit is the rank-th "
                                              "largest background value.")},
      {QStringLiteral("Design CFP"), QStringLiteral("The achievable CFP at that rank in the calculator's own "
                                                    "single-precision arithmetic, as the form shows it.")},
      {QStringLiteral("Exact CFP"), QStringLiteral("The CFP at the chosen rank by exact arithmetic.")},
      {QStringLiteral("Next rank"), QStringLiteral("The first rank the calculator's walk refused: the one after the "
                                                   "chosen rank (none where the walk stopped at min(j, n)).")},
      {QStringLiteral("Its exact CFP"), QStringLiteral("The CFP at the next rank by exact arithmetic: above the "
                                                       "DCFP, or the chosen rank was not the largest that meets it.")},
      {QStringLiteral("Margin (DCFP - exact CFP)"),
       QStringLiteral("How far the exact CFP of the chosen rank lies below the DCFP as typed; negative when above.")},
      {QStringLiteral("Exact rank"), QStringLiteral("The largest rank up to min(j, n) whose exact CFP is at most the "
                                                    "DCFP as typed.")},
      {QStringLiteral("Design powers (2, 3, 4 SD)"),
       QStringLiteral("The calculator's power at a shift of 2, 3 and 4 standard deviations, as the form shows it.")},
      {QStringLiteral("Exact powers (2, 3, 4 SD)"),
       QStringLiteral("The exact power of the chosen rank at a shift of 2, 3 and 4 standard deviations.")},
      {QStringLiteral("Design rating"), QStringLiteral("The calculator's power rating: Good, Acceptable or Low.")},
      {QStringLiteral("Exact rating"), QStringLiteral("The rating the exact powers earn under the same criteria "
                                                      "(3 SD at least .539, 4 SD at least .814).")}};
  QStringList quantities;
  for (const auto& [quantity, tip] : rows) {
    quantities.append(quantity);
    table.rowTips.append(tip);
  }
  for (const QString& quantity : quantities) {
    table.rows.append(QStringList{quantity});
    table.differing.append(QList<int>{});
  }
  for (const analysis::SchemeAudit& audit : data.audit.schemes) {
    if (audit.test == 0) continue;  // not audited yet (a stopped analysis keeps what was done)
    const auto i = static_cast<std::size_t>(audit.test - 1);
    const SchemeResult& design = data.results.schemes[i];
    const int column = static_cast<int>(table.header.size());
    table.header.append(QStringLiteral("1:%1").arg(audit.test));
    table.headerTips.append(schemeTip(audit.test));
    const bool rankDiffers = data.rankDiffers(audit.test);
    const bool ratingDiffers = data.ratingDiffers(audit.test);
    QString rank = QString::number(audit.rank);
    if (audit.exceeded) rank += QStringLiteral(" (exceeded)");
    QString exactRank = QString::number(audit.exactRank);
    if (audit.exactExceeded) exactRank += QStringLiteral(" (exceeded)");
    if (rankDiffers) exactRank += QStringLiteral(" - DIFFERS");
    QString rating = QString::fromLatin1(ratingCaption(audit.ratingExact));
    if (ratingDiffers) rating += QStringLiteral(" - DIFFERS");
    const QStringList cells{rank,
                            QString::fromStdString(audit.cfpShown),
                            exactNumber(audit.cfpExact),
                            audit.nextRank ? QString::number(*audit.nextRank) : QStringLiteral("-"),
                            audit.nextCfpExact ? exactNumber(*audit.nextCfpExact) : QStringLiteral("-"),
                            QString::number(static_cast<double>(audit.margin), 'g', 4),
                            exactRank,
                            powersText(design.power[0], design.power[1], design.power[2]),
                            powersText(audit.powerExact),
                            QString::fromLatin1(ratingCaption(design.rating)),
                            rating};
    for (int row = 0; row < cells.size(); ++row) table.rows[row].append(cells[row]);
    if (rankDiffers) table.differing[exactRankRow].append(column);
    if (ratingDiffers) table.differing[exactRatingRow].append(column);
  }
  return table;
}

QString auditDifferences(const AnalysisData& data) {
  QStringList differences;
  for (const analysis::SchemeAudit& audit : data.audit.schemes) {
    if (audit.test == 0) continue;  // not audited yet
    const SchemeResult& design = data.results.schemes[static_cast<std::size_t>(audit.test - 1)];
    if (data.rankDiffers(audit.test)) {
      differences.append(QStringLiteral("1:%1: the design chose rank %2, exact arithmetic gives rank %3%4.")
                             .arg(audit.test).arg(audit.rank).arg(audit.exactRank)
                             .arg(audit.exactExceeded ? QStringLiteral(" (exceeded)") : QString()));
    }
    if (data.ratingDiffers(audit.test)) {
      differences.append(QStringLiteral("1:%1: the design rates its power %2, the exact power rates %3.")
                             .arg(audit.test)
                             .arg(QLatin1String(ratingCaption(design.rating)),
                                  QLatin1String(ratingCaption(audit.ratingExact))));
    }
  }
  if (differences.isEmpty()) {
    return QStringLiteral("The design's and the exact ranks and ratings agree for every scheme.");
  }
  return QStringLiteral("DIFFERENCES: ") + differences.join(QLatin1Char(' '));
}

QString inputsLine(const InputTexts& texts) {
  const auto text = [](const std::string& typed) { return QString::fromStdString(typed).trimmed(); };
  return QStringLiteral("DCFP %1, n %2, r %3, j %4")
      .arg(text(texts.txtAL), text(texts.txtN), text(texts.txtR), text(texts.txtMDET));
}

QString tabSeparated(const ResultsTable& table) {
  QString text = table.header.join(QLatin1Char('\t')) + QLatin1Char('\n');
  for (const QStringList& row : table.rows) text += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
  return text;
}

QString htmlTable(const ResultsTable& table) {
  // mso-number-format '@' is the text format of one family of spreadsheets, sdnum's "@" that
  // of the other; without them "1:1" is read as a time and "0.05000" loses its zeros.
  const QString textCell =
      QStringLiteral("<%1 style=\"mso-number-format:'\\@'\" sdnum=\"1033;0;@\">%2</%1>");
  const auto line = [&](const QStringList& cells, const char* tag) {
    QString html = QStringLiteral("<tr>");
    for (const QString& cell : cells) html += textCell.arg(QLatin1String(tag), cell.toHtmlEscaped());
    return html + QStringLiteral("</tr>\n");
  };
  QString html = QStringLiteral(
      "<html><head><meta charset=\"utf-8\"></head><body>\n<table border=\"1\">\n");
  html += line(table.header, "th");
  for (const QStringList& row : table.rows) html += line(row, "td");
  return html + QStringLiteral("</table>\n</body></html>\n");
}

}  // namespace velmora::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/results_table.h"

#include <QLabel>

#include <array>

#include "frm_main.h"

namespace velmora::ui {

ResultsTable resultsTableOf(const frmMain& form) {
  ResultsTable table;
  // The column headings as the form words them, on one line each.
  const QString power = form.Label21->text().simplified();  // "Power @"
  const QStringList sigmas = form.Label22->text().simplified().split(QLatin1Char(' '));
  table.header = {form.Label5->text().simplified(),   form.Label7->text().simplified(),
                  form.lblPowerRatingLabel->text().simplified(),
                  form.lblNumberOfTests->text().simplified(), form.Label19->text().simplified(),
                  form.Label20->text().simplified()};
  for (const QString& sigma : sigmas) table.header.append(power + QLatin1Char(' ') + sigma);

  const std::array<const QLabel*, 4> schemes{form.Label9, form.Label10, form.Label11, form.Label12};
  for (int t = 1; t <= 4; ++t) {
    QStringList row{schemes[static_cast<std::size_t>(t - 1)]->text(), form.lblCU(t)->text(),
                    form.lblPOW(t)->text(), form.lblENT(t)->text(), form.lblP(t)->text(),
                    form.lblQ(t)->text()};
    for (int sigma = 2; sigma <= 4; ++sigma) row.append(form.lblPW(3 * (t - 1) + sigma - 1)->text());
    table.rows.append(row);
  }
  return table;
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

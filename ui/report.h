// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a run, as a PDF: title, date and version, room for the site's name, its notes, the four
// inputs as typed, the form's result grid, the exact audit, the retest strategies, the monitoring data's limit and
// verdicts when there are any, both charts and a paragraph on the method. Text stays text and
// the charts stay lines (vector), in scalable faces that the PDF embeds; the paper is A4 or
// Letter by the locale.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

#include "velmora/ui/analysis_data.h"
#include "velmora/ui/results_table.h"

namespace velmora::ui {

struct ReportContent {
  InputTexts texts;        // the four boxes as typed for the run
  QString site;            // the site's name; empty leaves a line to fill in by hand
  QString notes;           // the design's notes, line breaks kept; empty: none
  ResultsTable grid;       // the form's grid as shown
  AnalysisData analysis;   // the audit and the curves of that run
  QDate date;
  QString version;
  QLocale locale;          // decides the paper
  QString verdictsHtml;    // the Evaluate Data window's limit and verdicts (empty: none)
};

/// The report as the bytes of a PDF file; empty when it could not be drawn.
QByteArray drawReport(const ReportContent& content);

/// The report's text as HTML (its first part, before the charts).
QString reportHtml(const ReportContent& content);

}  // namespace velmora::ui

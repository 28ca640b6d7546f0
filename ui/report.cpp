// SPDX-License-Identifier: GPL-3.0-or-later
#include "report.h"

#include <QAbstractTextDocumentLayout>
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QLegend>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QValueAxis>

#include <memory>

#include "velmora/platform/fonts.h"
#include "velmora/engine/input_checks.h"
#include "velmora/platform/documents.h"
#include "analysis_charts.h"
#include "velmora/ui/strategy_table.h"

namespace velmora::ui {

namespace {

QString htmlRows(const ResultsTable& table) {
  QString html = QStringLiteral("<tr>");
  for (const QString& caption : table.header) {
    html += QStringLiteral("<th>%1</th>").arg(caption.toHtmlEscaped());
  }
  html += QStringLiteral("</tr>");
  for (int row = 0; row < table.rows.size(); ++row) {
    html += QStringLiteral("<tr>");
    for (int column = 0; column < table.rows[row].size(); ++column) {
      const bool differs = row < table.differing.size() && table.differing[row].contains(column);
      const QString cell = differs ? QStringLiteral("<td bgcolor=\"#ffd6ba\"><b>%1</b></td>")
                                   : QStringLiteral("<td>%1</td>");
      html += cell.arg(table.rows[row][column].toHtmlEscaped());
    }
    html += QStringLiteral("</tr>");
  }
  return html;
}

const char* methodText =
    "<p>The calculator finds, for each scheme 1:1 to 1:4 (a comparison that takes up to t samples "
    "and fails only when all of them exceed the limit), the optimal inverse rank: the largest rank "
    "k, up to the minimum allowable rank j and the background size n, whose cumulative "
    "false-positive rate (CFP) over the r comparisons stays at or below the design CFP (DCFP). The "
    "limit is the k-th largest of the n background values (k = 1 is the maximum); its percentile "
    "is (n - k + 0.5) / n. The number of samples is what the r comparisons need under background "
    "conditions, the initial samples plus the expected repeats.</p>"
    "<p>The powers are the probabilities of detecting a shift of 2, 3 and 4 standard deviations "
    "above the background mean. A scheme is rated Good when its powers at 3 and 4 standard "
    "deviations reach the reference criteria .539 and .814, Acceptable when one of them does, and "
    "Low when neither does.</p>"
    "<p>The calculator's own arithmetic is single precision (float32), as the grid shows it. The "
    "audit recomputes the CFPs and the powers exactly: a difference between the calculator's rank "
    "or rating and the exact one is marked in the audit table.</p>";

void useFace(QChart* chart, const QString& family) {
  const auto withFamily = [&family](QFont font) {
    font.setFamily(family);
    return font;
  };
  chart->setTitleFont(withFamily(chart->titleFont()));
  chart->legend()->setFont(withFamily(chart->legend()->font()));
  for (QAbstractAxis* axis : chart->axes()) {
    axis->setLabelsFont(withFamily(axis->labelsFont()));
    axis->setTitleFont(withFamily(axis->titleFont()));
  }
}

// A chart drawn as lines and text into `target` (device units), laid out at `size` points.
void drawChart(QPainter& painter, QChart* chart, const QRectF& target, QSizeF size) {
  QGraphicsScene scene;
  scene.addItem(chart);  // the scene owns the chart now
  chart->setGeometry(QRectF(QPointF(0, 0), size));
  // The chart lays itself out when its posted layout request arrives.
  for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents();
  scene.render(&painter, target, QRectF(QPointF(0, 0), size), Qt::KeepAspectRatio);
}

}  // namespace

QString reportHtml(const ReportContent& content) {
  const ResultsTable audit = auditTableOf(content.analysis);
  const QString site = content.site.trimmed().isEmpty()
                           ? QStringLiteral("____________________________________________")
                           : content.site.toHtmlEscaped();
  QString html = QStringLiteral(
      "<html><body>"
      "<h1>Velmora: detection-monitoring design report</h1>"
      "<p>Date: %1<br>Velmora version %2</p>"
      "<p>Site: %3</p>")
                     .arg(content.locale.toString(content.date, QLocale::LongFormat).toHtmlEscaped(),
                          content.version.toHtmlEscaped(), site);
  if (!content.notes.trimmed().isEmpty()) {
    html += QStringLiteral("<p>Notes:<br>%1</p>")
                .arg(content.notes.trimmed().toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
  }
  html += QStringLiteral("<h2>Inputs</h2><table border=\"1\" cellspacing=\"0\" cellpadding=\"4\">");
  const std::array<std::pair<InputBox, const std::string*>, 4> boxes{{
      {InputBox::txtAL, &content.texts.txtAL},
      {InputBox::txtN, &content.texts.txtN},
      {InputBox::txtR, &content.texts.txtR},
      {InputBox::txtMDET, &content.texts.txtMDET},
  }};
  for (const auto& [box, text] : boxes) {
    html += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                .arg(QString::fromLatin1(inputBoxCaption(box)).toHtmlEscaped(),
                     QString::fromStdString(*text).toHtmlEscaped());
  }
  html += QStringLiteral("</table>");
  html += QStringLiteral("<h2>Results</h2><table class=\"grid\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">") +
          htmlRows(content.grid) + QStringLiteral("</table>");
  html += QStringLiteral("<h2>Exact audit</h2><table class=\"audit\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">") +
          htmlRows(audit) + QStringLiteral("</table>");
  html += QStringLiteral("<p><b>%1</b></p>").arg(auditDifferences(content.analysis).toHtmlEscaped());
  if (content.analysis.strategyRows) {
    // Twelve columns do not fit a page's width with the note apart: it follows the rule, as
    // the command line's text table writes it, and no cell wraps a number.
    ResultsTable strategies = strategyTableOf(content.analysis);
    strategies.header.removeLast();
    for (QStringList& row : strategies.rows) {
      const QString note = row.takeLast();
      if (!note.isEmpty()) row[0] += QStringLiteral(" (%1)").arg(note);
    }
    html += QStringLiteral("<h2>Retest strategies</h2><p>%1: for each strategy the largest rank whose exact CFP "
                           "meets the DCFP (exact arithmetic, as velmora-cli strategies writes it).</p>")
                .arg(strategyTableHeading(content.analysis).toHtmlEscaped()) +
            QStringLiteral("<table class=\"strategies\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">") +
            htmlRows(strategies) + QStringLiteral("</table>");
  }
  html += content.verdictsHtml;
  html += QStringLiteral("<h2>Method</h2>") + QLatin1String(methodText);
  html += QStringLiteral("<p>The charts follow on the next page.</p></body></html>");
  return html;
}

QByteArray drawReport(const ReportContent& content) {
  // A face with outlines: the form's own caption face is a bitmap one.
  const QString face = platform::boldCaptionFontFamily();
  return platform::drawPdf(
      QStringLiteral("Velmora report"), content.locale, [&](QPdfWriter& writer, QPainter& painter) {
        const QRectF page(0, 0, writer.width(), writer.height());

        QTextDocument text;
        text.documentLayout()->setPaintDevice(&writer);
        QFont font(face);
        font.setPointSizeF(9.0);
        text.setDefaultFont(font);
        text.setDefaultStyleSheet(QStringLiteral(
            "h1 { font-size: 16pt; } h2 { font-size: 12pt; } th { background-color: #e8e8e8; }"
            // The grid in the inputs' face and size; its long headings wrap, its cells do not.
            "table.grid td { white-space: nowrap; }"
            "table.audit td, table.audit th { font-size: 7pt; }"
            "table.strategies td, table.strategies th { font-size: 6.5pt; }"
            "table.strategies td { white-space: nowrap; }"));
        text.setHtml(reportHtml(content));
        text.setPageSize(page.size());
        const int pages = text.pageCount();
        for (int p = 0; p < pages; ++p) {
          if (p > 0) writer.newPage();
          painter.save();
          painter.translate(0, -p * page.height());
          text.drawContents(&painter, QRectF(0, p * page.height(), page.width(), page.height()));
          painter.restore();
        }

        // The charts: one above the other on a page of their own.
        writer.newPage();
        const double gap = page.height() * 0.04;
        const double height = (page.height() - gap) / 2;
        const QSizeF layoutSize(820, 520);
        // With the strategy chosen in the analysis window, as the window draws it.
        const analysis::RuleCurves* strategy =
            content.analysis.chosenStrategy ? &*content.analysis.chosenStrategy : nullptr;
        std::unique_ptr<QChart> cfp(makeCfpChart(content.analysis.curves, CfpAxis::linear, strategy));
        std::unique_ptr<QChart> power(makePowerChart(content.analysis.curves, strategy));
        useFace(cfp.get(), face);
        useFace(power.get(), face);
        drawChart(painter, cfp.release(), QRectF(0, 0, page.width(), height), layoutSize);
        drawChart(painter, power.release(), QRectF(0, height + gap, page.width(), height), layoutSize);
      });
}

}  // namespace velmora::ui

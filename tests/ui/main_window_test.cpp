// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar above the form: its items do what the buttons do, a lone Alt leaves the focus
// where it was, Ctrl+C stays the boxes' copy, and closing the window closes every other one.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QStyle>
#include <QStyleFactory>
#include <QSignalSpy>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <csignal>
#include <memory>

#include "capturing_printer.h"
#include "recording_message_boxes.h"
#include "velmora/ui/frm_main.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/platform/printer.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/engine/numbers.h"
#include "velmora/ui/analysis_window.h"
#include "velmora/ui/design_dialogs.h"
#include "velmora/ui/main_window.h"
#include "velmora/ui/results_table.h"
#include "velmora/engine/input_checks.h"
#include "velmora/records/design_file.h"

using velmora::platform::RecordingMessageBoxes;
using velmora::ui::MainWindow;

namespace {

// The print preview and print dialog as a test sees them: the page each was given, and the
// answer of the print dialog's printer.
class KeepingPrintDialogs final : public velmora::platform::PrintDialogs {
 public:
  void preview(const QImage& image, QWidget* /*parent*/) override { previewed.append(image); }
  bool print(const QImage& image, QWidget* /*parent*/, QString* error) override {
    printed.append(image);
    if (!failure.isEmpty()) *error = failure;
    return failure.isEmpty();
  }
  QList<QImage> previewed;
  QList<QImage> printed;
  QString failure;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<MainWindow>(&m_boxes, &m_printer, &m_dialogs, &m_printDialogs);
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  }
  void TearDown() override { m_window.reset(); }

  velmora::ui::frmMain& form() const { return *m_window->form(); }
  void fill(const char* al, const char* n, const char* r) {
    form().txtAL->setText(QString::fromLatin1(al));
    form().txtN->setText(QString::fromLatin1(n));
    form().txtR->setText(QString::fromLatin1(r));
    form().txtMDET->setText(QString::fromLatin1(n));
  }

  RecordingMessageBoxes m_boxes;
  velmora::platform::CapturingPrinter m_printer;
  velmora::platform::ScriptedFileDialogs m_dialogs;
  KeepingPrintDialogs m_printDialogs;
  std::unique_ptr<MainWindow> m_window;
};

}  // namespace

TEST_F(MainWindowTest, TheFormKeepsItsNameAndSizeBelowTheBarAndPrintTakesOnlyTheForm) {
  ASSERT_EQ(m_window->findChild<velmora::ui::frmMain*>("frmMain"), &form());
  EXPECT_EQ(form().size(), QSize(685, 384));
  EXPECT_EQ(form().mapTo(m_window.get(), QPoint(0, 0)).y(), m_window->menuBar()->height());
  m_window->actPrint->trigger();
  ASSERT_EQ(m_printer.pages().size(), 1);
  EXPECT_EQ(m_printer.pages().front().size(), form().size() * form().devicePixelRatio());
}

TEST_F(MainWindowTest, PrintPreviewAndPrintWithADialogTakeThePagePrintGivesTheDefaultPrinter) {
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  m_window->actPrint->trigger();  // the default printer, as the button
  ASSERT_EQ(m_printer.pages().size(), 1);
  m_window->actPrintPreview->trigger();
  m_printDialogs.failure = "The printer \"Office\" did not accept the print job.";
  m_window->actPrintWithDialog->trigger();
  EXPECT_EQ(m_printer.pages().size(), 1);  // neither went to the default printer
  ASSERT_EQ(m_printDialogs.previewed.size(), 1);
  ASSERT_EQ(m_printDialogs.printed.size(), 1);
  EXPECT_EQ(m_printDialogs.previewed.front(), m_printer.pages().front());  // the printer-friendly page
  EXPECT_EQ(m_printDialogs.printed.front(), m_printer.pages().front());
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Print Error");
  EXPECT_TRUE(m_boxes.boxes()[0].prompt.contains("Office"));
  EXPECT_TRUE(form().btnPrint->isVisible());  // the form is back as designed
}

TEST_F(MainWindowTest, ItemsThatRepeatAButtonDoWhatTheButtonDoes) {
  m_window->actAbout->trigger();
  m_window->actNumberOfSamples->trigger();
  m_window->actPowerRating->trigger();
  ASSERT_EQ(m_boxes.boxes().size(), 3);
  EXPECT_EQ(m_boxes.boxes()[0].title, "About the Velmora");
  EXPECT_EQ(m_boxes.boxes()[1].title, "Number of Tests Explanation");
  EXPECT_EQ(m_boxes.boxes()[2].title, "Power Rating Explanation");

  // The buttons' access keys are still theirs.
  fill("0.1", "20", "5");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), form().btnCalculate);
  EXPECT_EQ(form().lblQ(2)->text(), "0.06052");

  m_window->actExit->trigger();
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_EQ(m_boxes.boxes().size(), 3);
}

TEST_F(MainWindowTest, ALoneAltLeavesTheFocusSoEnterStillPressesCalculate) {
  // A style whose bar takes the focus on a lone Alt, as on the desktops that ask for it.
  std::unique_ptr<QStyle> altNavigating(QStyleFactory::create(QStringLiteral("Windows")));
  ASSERT_NE(altNavigating, nullptr);
  ASSERT_TRUE(altNavigating->styleHint(QStyle::SH_MenuBar_AltKeyNavigation));
  m_window->menuBar()->setStyle(altNavigating.get());

  QTest::keyClick(form().txtAL, Qt::Key_Alt, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), form().txtAL);
  EXPECT_EQ(m_window->menuBar()->activeAction(), nullptr);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Entry Error");  // Calculate refused the empty boxes
  m_window->menuBar()->setStyle(nullptr);
}

TEST_F(MainWindowTest, CtrlCInABoxCopiesItsSelectionNotTheResults) {
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  form().txtN->setFocus();
  form().txtN->selectAll();
  QTest::keyClick(form().txtN, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "20");
}

TEST_F(MainWindowTest, ClosingItClosesEveryOtherWindow) {
  QWidget other;
  other.show();
  m_window->close();
  EXPECT_FALSE(other.isVisible());
}

TEST_F(MainWindowTest, CopyResultsPutsTheGridAsShownAsTabSeparatedTextAndAsATextTable) {
  EXPECT_FALSE(m_window->actCopyResults->isEnabled());  // nothing to copy before a run
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  ASSERT_TRUE(m_window->actCopyResults->isEnabled());
  const QString shown = form().lblQ(2)->text();
  form().lblQ(2)->setText("0.99999");  // the copy is the run's, not what a label now says
  m_window->actCopyResults->trigger();
  form().lblQ(2)->setText(shown);

  const QMimeData* copied = QApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  const QStringList lines = copied->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 6);
  // The inputs the results belong to come first, on a line of their own; the grid follows unchanged.
  EXPECT_EQ(lines[0], "Results for DCFP 0.1, n 20, r 5, j 20");
  EXPECT_TRUE(copied->text().endsWith(
      velmora::ui::tabSeparated(velmora::ui::resultsTableOf(form(), form().lastOutcome()->captions))));
  EXPECT_EQ(lines[1], "Test\tDCFP Status @ Opt. Maximum\tPower Rating\t# of Samps\tInd P\t"
                      "Achievable CFP Error\tPower @ 2Sig\tPower @ 3Sig\tPower @ 4Sig");
  const QStringList row2 = lines[3].split('\t');
  ASSERT_EQ(row2.size(), 9);
  EXPECT_EQ(row2[0], "1:2");
  EXPECT_EQ(row2[1], form().lblCU(2)->text());
  EXPECT_EQ(row2[5], "0.06052");
  EXPECT_EQ(row2[8], form().lblPW(6)->text());

  // Every cell of the table is marked as text, so "1:1" and "0.20000" stay as shown.
  const QString html = copied->html();
  const QString textCell = "<td style=\"mso-number-format:'\\@'\" sdnum=\"1033;0;@\">";
  EXPECT_TRUE(html.contains(textCell + "1:1</td>"));
  EXPECT_TRUE(html.contains(textCell + "0.20000</td>"));
  EXPECT_EQ(html.count("<td "), 36);
  EXPECT_TRUE(html.contains("<th style=\"mso-number-format:'\\@'\" sdnum=\"1033;0;@\">DCFP Status @ Opt. Maximum</th>"));
  EXPECT_TRUE(html.contains("<p>Results for DCFP 0.1, n 20, r 5, j 20</p>"));

  form().btnReset->click();
  EXPECT_FALSE(m_window->actCopyResults->isEnabled());
}

// ---- the design dialogs -----------------------------------------------------------------

TEST_F(MainWindowTest, ProgramDesignWritesRAndADcfpTheBoxReadsBackToTheSameFloat) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));  // a decimal comma
  m_window->actProgramDesign->trigger();
  velmora::ui::ProgramDesignDialog* dialog = m_window->programDesignDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->isVisible());
  dialog->txtWells->setText("20");
  dialog->txtConstituents->setText("10");  // six digits, 0.0104807, name another float32
  dialog->txtEvaluations->setText("2");
  QTest::mouseClick(dialog->btnUse, Qt::LeftButton);
  QLocale::setDefault(saved);

  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(form().txtR->text(), "40");
  const QString dcfp = form().txtAL->text();
  EXPECT_TRUE(dcfp.startsWith("0.0104807")) << dcfp.toStdString();
  const double exact = velmora::analysis::designMonitoringProgram("20", "10", "2").value().dcfp;
  EXPECT_EQ(static_cast<float>(velmora::numericValue(dcfp.toStdString())), static_cast<float>(exact));
  EXPECT_TRUE(form().txtN->text().isEmpty());
}

TEST_F(MainWindowTest, BadValuesAreRefusedInTheDialogAndTheFormStaysAsItWas) {
  fill("0.1", "20", "5");
  m_window->actProgramDesign->trigger();
  velmora::ui::ProgramDesignDialog* design = m_window->programDesignDialog();
  design->txtWells->setText("2.5");
  design->txtConstituents->setText("10");
  design->txtEvaluations->setText("2");
  QTest::mouseClick(design->btnUse, Qt::LeftButton);
  EXPECT_TRUE(design->isVisible());
  EXPECT_TRUE(design->lblMessage->text().contains("whole number above zero"));
  design->reject();

  m_window->actSampleSizePlanning->trigger();
  velmora::ui::SampleSizePlanningDialog* planning = m_window->sampleSizePlanningDialog();
  EXPECT_EQ(planning->txtDcfp->text(), "0.1");  // taken from the form
  planning->txtR->setText("0");
  QTest::mouseClick(planning->btnUse, Qt::LeftButton);
  EXPECT_TRUE(planning->isVisible());
  EXPECT_TRUE(planning->lblMessage->text().contains("whole number"));
  planning->reject();

  EXPECT_EQ(form().txtAL->text(), "0.1");
  EXPECT_EQ(form().txtN->text(), "20");
  EXPECT_EQ(form().txtR->text(), "5");
  EXPECT_EQ(form().txtMDET->text(), "20");
}

TEST_F(MainWindowTest, PlanningWritesTheDesignsSmallestNAndTheRankFollowsIt) {
  form().txtMDET->setText("3");
  m_window->actSampleSizePlanning->trigger();
  velmora::ui::SampleSizePlanningDialog* planning = m_window->sampleSizePlanningDialog();
  planning->txtDcfp->setText("0.05");
  planning->txtR->setText("5");
  planning->txtRank->setText("2");
  planning->cboScheme->setCurrentText("1:2");
  QTest::mouseClick(planning->btnUse, Qt::LeftButton);
  EXPECT_FALSE(planning->isVisible());

  const velmora::analysis::SampleSizePlan plan = velmora::analysis::planSampleSize("0.05", "5", "2", "1:2").value();
  ASSERT_TRUE(plan.schemes.front().designN.has_value());
  EXPECT_EQ(form().txtN->text(), QString::number(*plan.schemes.front().designN));
  EXPECT_EQ(form().txtMDET->text(), form().txtN->text());
  EXPECT_EQ(form().txtAL->text(), "0.05");
  EXPECT_EQ(form().txtR->text(), "5");
}

TEST_F(MainWindowTest, TheDialogsNameTheBoundARequestBreaksAndKeepTheirWidth) {
  m_window->actSampleSizePlanning->trigger();
  velmora::ui::SampleSizePlanningDialog* planning = m_window->sampleSizePlanningDialog();
  const int planningWidth = planning->width();
  planning->txtDcfp->setText("0.05");
  planning->txtR->setText("9000");  // no background fits beside it
  planning->plan();
  EXPECT_TRUE(planning->lblMessage->text().contains("from 1 to 8191")) << planning->lblMessage->text().toStdString();
  EXPECT_FALSE(planning->lblMessage->text().contains("-")) << planning->lblMessage->text().toStdString();
  planning->txtR->setText("5");
  planning->txtRank->setText("40000");  // a whole number above zero, but above every n that fits
  planning->plan();
  EXPECT_TRUE(planning->lblMessage->text().contains("from 1 to 32747")) << planning->lblMessage->text().toStdString();
  QApplication::processEvents();
  EXPECT_EQ(planning->width(), planningWidth);
  planning->reject();

  m_window->actProgramDesign->trigger();
  velmora::ui::ProgramDesignDialog* design = m_window->programDesignDialog();
  const int designWidth = design->width();
  design->txtWells->setText("1e300");
  design->txtConstituents->setText("10");
  design->txtEvaluations->setText("2");
  const QString tooMany = design->lblMessage->text();
  EXPECT_TRUE(tooMany.contains("at most 8191")) << tooMany.toStdString();
  EXPECT_FALSE(tooMany.contains("above zero")) << tooMany.toStdString();
  design->txtWells->setText("5000");  // each count fits, their product does not
  EXPECT_TRUE(design->lblMessage->text().contains("r = W \u00d7 E = 5000 \u00d7 2 = 10000"))
      << design->lblMessage->text().toStdString();
  QApplication::processEvents();
  EXPECT_EQ(design->width(), designWidth);

  // The DCFP shows once, as the box will receive it.
  design->txtWells->setText("20");
  const QString results = design->lblResults->text();
  const QString boxText = velmora::ui::dcfpBoxText(
      velmora::analysis::designMonitoringProgram("20", "10", "2").value().dcfp, "0.0104807");
  EXPECT_EQ(results.count("DCFP"), 1) << results.toStdString();
  EXPECT_TRUE(results.endsWith("= " + boxText)) << results.toStdString();
  design->reject();
}

TEST_F(MainWindowTest, UseTheseValuesCalculatesAndChangedBoxesMarkTheResultsAsThoseOfOtherInputs) {
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  m_window->actAnalysisWindow->trigger();
  velmora::ui::AnalysisWindow* analysis = m_window->analysisWindow();
  m_window->actSampleSizePlanning->trigger();
  velmora::ui::SampleSizePlanningDialog* planning = m_window->sampleSizePlanningDialog();
  planning->txtDcfp->setText("0.05");
  planning->txtRank->setText("2");
  planning->cboScheme->setCurrentText("1:2");
  QTest::mouseClick(planning->btnUse, Qt::LeftButton);

  // The grid shows the results of the values written, not those of the earlier run.
  const QString n = form().txtN->text();
  ASSERT_NE(n, "20");
  EXPECT_EQ(form().lastTexts().txtAL, "0.05");
  EXPECT_EQ(QString::fromStdString(form().lastTexts().txtN), n);
  EXPECT_TRUE(m_boxes.boxes().isEmpty());
  EXPECT_TRUE(m_window->lblResultsFor->text().isEmpty());
  EXPECT_TRUE(analysis->lblStale->isHidden());

  form().txtR->setText("6");
  const QString notice = "The results shown are for DCFP 0.05, n " + n + ", r 5, j " + n +
                         ". Press Calculate for the values in the boxes.";
  EXPECT_EQ(m_window->lblResultsFor->text(), notice);
  EXPECT_EQ(analysis->lblStale->text(), notice);
  EXPECT_FALSE(analysis->lblStale->isHidden());
  form().btnCalculate->click();
  EXPECT_TRUE(m_window->lblResultsFor->text().isEmpty());
  EXPECT_TRUE(analysis->lblStale->isHidden());
}

// ---- the analysis window ----------------------------------------------------------------

TEST_F(MainWindowTest, TheAnalysisWindowFollowsEveryCalculateEmptiesOnResetAndGoesWithTheWindow) {
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  m_window->actAnalysisWindow->trigger();
  velmora::ui::AnalysisWindow* analysis = m_window->analysisWindow();
  ASSERT_NE(analysis, nullptr);
  EXPECT_TRUE(analysis->isVisible());
  QSignalSpy finished(analysis, &velmora::ui::AnalysisWindow::finished);
  ASSERT_TRUE(finished.wait(60000));
  ASSERT_TRUE(analysis->data().has_value());
  EXPECT_EQ(analysis->data()->results.inputs.n, 20);
  EXPECT_EQ(analysis->auditTable->columnCount(), 5);  // the quantities, then 1:1 .. 1:4
  EXPECT_FALSE(analysis->cfpView->chart()->series().isEmpty());
  EXPECT_FALSE(analysis->powerView->chart()->title().isEmpty());

  // The next run replaces it; Reset empties it; there is only ever one.
  form().txtN->setText("30");
  form().txtMDET->setText("30");
  form().btnCalculate->click();
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_EQ(analysis->data()->results.inputs.n, 30);
  form().btnReset->click();
  EXPECT_FALSE(analysis->data().has_value());
  EXPECT_EQ(analysis->auditTable->rowCount(), 0);
  analysis->close();
  m_window->actAnalysisWindow->trigger();
  EXPECT_EQ(m_window->analysisWindow(), analysis);

  // Stopped work is left unused.
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  ASSERT_TRUE(analysis->working());
  QTest::mouseClick(analysis->btnStop, Qt::LeftButton);
  EXPECT_FALSE(analysis->working());
  EXPECT_FALSE(analysis->data().has_value());
  EXPECT_TRUE(analysis->lblStatus->text().startsWith("Stopped"));

  m_window->close();
  EXPECT_FALSE(analysis->isVisible());
}

TEST_F(MainWindowTest, HeadingsFieldsAndAuditColumnsExplainThemselvesOnHover) {
  // The form's result headings carry a tooltip and nothing else: their captions stay.
  EXPECT_EQ(form().Label19->text(), "Ind P");
  EXPECT_TRUE(form().Label19->toolTip().contains("percentile"));
  EXPECT_TRUE(form().lblNumberOfTests->toolTip().contains("Number of samples"));
  for (QLabel* heading : {form().Label5, form().Label7, form().lblPowerRatingLabel, form().Label20, form().Label22}) {
    EXPECT_FALSE(heading->toolTip().isEmpty()) << heading->objectName().toStdString();
  }
  m_window->actProgramDesign->trigger();
  for (QLineEdit* field : m_window->programDesignDialog()->findChildren<QLineEdit*>()) {
    EXPECT_FALSE(field->toolTip().isEmpty()) << field->objectName().toStdString();
  }
  m_window->programDesignDialog()->reject();
  m_window->actSampleSizePlanning->trigger();
  EXPECT_FALSE(m_window->sampleSizePlanningDialog()->txtRank->toolTip().isEmpty());
  EXPECT_FALSE(m_window->sampleSizePlanningDialog()->cboScheme->toolTip().isEmpty());
  m_window->sampleSizePlanningDialog()->reject();

  fill("0.1", "20", "5");
  form().btnCalculate->click();
  m_window->actAnalysisWindow->trigger();
  velmora::ui::AnalysisWindow* analysis = m_window->analysisWindow();
  QSignalSpy finished(analysis, &velmora::ui::AnalysisWindow::finished);
  ASSERT_TRUE(finished.wait(60000));
  QTableWidget* table = analysis->auditTable;
  for (int column = 0; column < table->columnCount(); ++column) {
    EXPECT_FALSE(table->horizontalHeaderItem(column)->toolTip().isEmpty()) << column;
  }
  for (int row = 0; row < table->rowCount(); ++row) EXPECT_FALSE(table->item(row, 0)->toolTip().isEmpty()) << row;
}

// ---- Export Report ----------------------------------------------------------------------

TEST_F(MainWindowTest, TheExportedReportReadsBackWithTheSiteItsNotesTheInputsAsTypedAndEveryGridCaption) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils, scripts/install-deps.sh) reads the report back";
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString path = folder.filePath(QStringLiteral("report"));  // the extension is added
  m_dialogs.answerWith(path);
  fill("0.10", "21", "4");
  form().btnCalculate->click();
  m_window->actSiteAndNotes->trigger();
  m_window->siteAndNotesDialog()->txtSite->setText("North Landfill");
  m_window->siteAndNotesDialog()->txtNotes->setPlainText("Wells MW-1 to MW-4.\nBackground <2019>.");
  m_window->siteAndNotesDialog()->accept();
  m_window->actExportReport->trigger();
  ASSERT_TRUE(m_boxes.boxes().isEmpty()) << m_boxes.boxes().value(0).prompt.toStdString();

  QProcess reader;
  reader.start(pdftotext, {path + QStringLiteral(".pdf"), QStringLiteral("-")});
  ASSERT_TRUE(reader.waitForFinished(60000));
  ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
  const QString text = QString::fromUtf8(reader.readAllStandardOutput());
  for (const char* input : {"0.10", "21", "4"}) EXPECT_TRUE(text.contains(input)) << input;
  EXPECT_TRUE(text.contains("Site: North Landfill"));
  EXPECT_TRUE(text.contains("Wells MW-1 to MW-4.\nBackground <2019>.")) << "the notes, line for line";
  for (velmora::InputBox box : {velmora::InputBox::txtAL, velmora::InputBox::txtN,
                                velmora::InputBox::txtR, velmora::InputBox::txtMDET}) {
    EXPECT_TRUE(text.contains(QString::fromLatin1(velmora::inputBoxCaption(box)))) << velmora::inputBoxCaption(box);
  }
  const velmora::ui::ResultsTable grid =
      velmora::ui::resultsTableOf(form(), form().lastOutcome()->captions);
  // The headings wrap within their columns (the grid is in the inputs' size), so their words
  // are read back one by one.
  for (const QString& caption : grid.header) {
    for (const QString& word : caption.split(' ', Qt::SkipEmptyParts)) {
      EXPECT_TRUE(text.contains(word)) << caption.toStdString();
    }
  }
  for (const QStringList& row : grid.rows) {
    for (const QString& cell : row) EXPECT_TRUE(text.contains(cell.trimmed())) << cell.toStdString();
  }
  // The retest strategies' table, its last row the default list's last strategy.
  EXPECT_TRUE(text.contains("Retest strategies for DCFP 0.10, n 21, r 4, j 21"));
  EXPECT_TRUE(text.contains("1-of-2/median-3")) << text.mid(text.indexOf("Retest strategies for")).left(1500).toStdString();
}

TEST_F(MainWindowTest, AReportThatCannotBeWrittenIsReportedAndTheWindowKeepsItsResults) {
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  const QString before = form().lblQ(2)->text();
  m_dialogs.answerWith(QStringLiteral("/nonexistent-folder/velmora/report.pdf"));
  m_window->actExportReport->trigger();
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].icon, RecordingMessageBoxes::Icon::warning);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Export Error");
  EXPECT_TRUE(m_boxes.boxes()[0].prompt.contains("/nonexistent-folder/velmora/report.pdf"));
  EXPECT_EQ(form().lblQ(2)->text(), before);
  EXPECT_EQ(form().txtAL->text(), "0.1");
}

// ---- designs in a file ------------------------------------------------------------------

namespace {

// The recent designs go to a settings store of the test's own, never the user's.
class DesignFileTest : public MainWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_folder.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.filePath(QStringLiteral("settings")));
    MainWindowTest::SetUp();
  }
  QString path(const char* name) const { return m_folder.filePath(QLatin1String(name)); }
  static QByteArray contents(const QString& file) {
    QFile read(file);
    return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
  }
  QStringList recentMenu() const {
    QStringList shown;
    for (QAction* action : m_window->menuRecentDesigns->actions()) shown.append(action->toolTip());
    return shown;
  }
  QTemporaryDir m_folder;
};

}  // namespace

TEST_F(DesignFileTest, ASavedDesignOpensAgainWithTheSameTextsAndResultsAndTheTitleMarksChanges) {
  EXPECT_EQ(m_window->windowTitle(), "Velmora[*]");
  EXPECT_FALSE(m_window->isWindowModified());
  form().txtN->setText("60");
  EXPECT_TRUE(m_window->isWindowModified());
  form().txtMDET->setText("60");
  m_window->actProgramDesign->trigger();
  velmora::ui::ProgramDesignDialog* design = m_window->programDesignDialog();
  design->txtWells->setText("20");
  design->txtConstituents->setText("10");
  design->txtEvaluations->setText("2");
  QTest::mouseClick(design->btnUse, Qt::LeftButton);
  form().txtMDET->setText(" 45");  // as typed, blank included
  form().btnCalculate->click();
  m_window->actSiteAndNotes->trigger();
  velmora::ui::SiteAndNotesDialog* site = m_window->siteAndNotesDialog();
  ASSERT_TRUE(site->isVisible());
  site->txtSite->setText(QStringLiteral("Nord-Deponie \u00bbAlte Grube\u00ab"));
  site->txtNotes->setPlainText(QStringLiteral("two lines\nof notes"));
  site->accept();
  const velmora::InputTexts typed = form().lastTexts();
  const velmora::ui::ResultsTable results = velmora::ui::resultsTableOf(form(), form().lastOutcome()->captions);

  m_dialogs.answerWith(path("north"));  // the extension is added
  m_window->actSaveDesign->trigger();   // a new design: Save asks for the name
  const QString file = path("north.velmora");
  ASSERT_EQ(m_window->designPath(), file) << m_boxes.boxes().value(0).prompt.toStdString();
  EXPECT_EQ(m_dialogs.questions(), QStringList{"Save Design As"});
  EXPECT_EQ(m_window->windowTitle(), "north.velmora[*] \u2013 Velmora");
  EXPECT_FALSE(m_window->isWindowModified());
  const QByteArray bytes = contents(file);
  const velmora::Expected<velmora::records::DesignFile> saved =
      velmora::records::readDesignFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  ASSERT_TRUE(saved.has_value()) << bytes.toStdString();
  EXPECT_EQ(saved->inputs, typed);
  EXPECT_EQ(saved->site, "Nord-Deponie \u00bbAlte Grube\u00ab");
  ASSERT_TRUE(saved->program.has_value());  // the boxes still hold what Program Design wrote
  EXPECT_EQ(saved->program->wells, "20");
  EXPECT_EQ(recentMenu(), QStringList{file});

  // Changed, then asked before another design replaces it: Cancel keeps everything.
  m_dialogs.answerWith(file);
  form().btnReset->click();
  design->setInputs({});
  EXPECT_TRUE(m_window->isWindowModified());
  m_boxes.answerQuestionsWith(velmora::platform::SaveChanges::cancel);
  m_window->actOpenDesign->trigger();
  EXPECT_EQ(m_boxes.questions(), QStringList{"Save the changes to north.velmora first?"});
  EXPECT_TRUE(form().txtN->text().isEmpty());
  m_window->close();
  EXPECT_TRUE(m_window->isVisible());  // Cancel on closing keeps the window too

  m_boxes.answerQuestionsWith(velmora::platform::SaveChanges::discard);
  m_window->actOpenDesign->trigger();
  EXPECT_EQ(form().txtAL->text().toStdString(), typed.txtAL);
  EXPECT_EQ(form().txtMDET->text(), " 45");
  ASSERT_TRUE(form().lastOutcome().has_value());  // calculated at once
  EXPECT_EQ(form().lastTexts(), typed);
  const velmora::ui::ResultsTable reopened = velmora::ui::resultsTableOf(form(), form().lastOutcome()->captions);
  EXPECT_EQ(reopened.rows, results.rows);
  EXPECT_EQ(design->txtWells->text(), "20");
  EXPECT_EQ(m_window->currentDesign(), *saved);
  EXPECT_FALSE(m_window->isWindowModified());
  EXPECT_TRUE(m_boxes.boxes().isEmpty()) << m_boxes.boxes().value(0).prompt.toStdString();
}

TEST_F(DesignFileTest, ADamagedFileOrAVanishedRecentOneIsRefusedWithTheReasonAndChangesNothing) {
  fill("0.1", "20", "5");
  form().btnCalculate->click();
  m_dialogs.answerWith(path("kept.velmora"));
  ASSERT_TRUE(m_window->saveDesignAs());
  form().txtR->setText("6");
  const QString damaged = path("damaged.velmora");
  {
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents(path("kept.velmora")).left(40));  // cut short
  }
  m_dialogs.answerWith(damaged);
  m_window->actOpenDesign->trigger();
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Open Error");
  EXPECT_TRUE(m_boxes.boxes()[0].prompt.contains(damaged));
  EXPECT_TRUE(m_boxes.boxes()[0].prompt.contains("cut short")) << m_boxes.boxes()[0].prompt.toStdString();
  EXPECT_TRUE(m_boxes.questions().isEmpty());  // nothing to ask about: nothing will replace the design
  EXPECT_EQ(form().txtR->text(), "6");
  EXPECT_EQ(form().lastTexts().txtR, "5");
  EXPECT_EQ(m_window->designPath(), path("kept.velmora"));
  EXPECT_TRUE(m_window->isWindowModified());

  ASSERT_TRUE(QFile::remove(path("kept.velmora")));
  m_window->menuRecentDesigns->actions().value(0)->trigger();
  ASSERT_EQ(m_boxes.boxes().size(), 2);
  EXPECT_TRUE(m_boxes.boxes()[1].prompt.contains("no longer exists"));
  EXPECT_TRUE(recentMenu().isEmpty());
  EXPECT_FALSE(m_window->menuRecentDesigns->isEnabled());
  EXPECT_EQ(form().txtR->text(), "6");
}

TEST_F(DesignFileTest, AFailedSaveIsReportedAndLeavesTheEarlierFileWhole) {
  fill("0.1", "20", "5");
  m_dialogs.answerWith(path("site.velmora"));
  ASSERT_TRUE(m_window->saveDesign());
  const QByteArray before = contents(path("site.velmora"));
  form().txtR->setText("12345");

  // A file-size limit makes the write fail part-way (the tests may run as root, whom a
  // read-only folder does not stop).
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool savedNow = m_window->saveDesign();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(savedNow);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Save Error");
  EXPECT_TRUE(m_boxes.boxes()[0].prompt.contains(path("site.velmora")));
  EXPECT_EQ(contents(path("site.velmora")), before);
  EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList{"site.velmora"});  // no temporary left
  EXPECT_TRUE(m_window->isWindowModified());
}

// ---- high-dpi screens -------------------------------------------------------------------

// Run with QT_SCALE_FACTOR=2 (its own test entry): a bitmap face would be drawn at its own
// size in the doubled layout, its letters standing apart.
TEST(FrmMainHighDpi, AboveRatioOneTheCaptionsTakeAFaceWithOutlines) {
  if (qApp->devicePixelRatio() <= 1.0) GTEST_SKIP() << "needs a device pixel ratio above 1";
  velmora::ui::frmMain form;
  for (QWidget* caption : std::initializer_list<QWidget*>{form.Label1, form.Label4, form.Label22, form.lblCU(1), form.txtAL}) {
    const QFontInfo face(caption->font());
    EXPECT_TRUE(QFontDatabase::isSmoothlyScalable(face.family(), face.styleName()))
        << caption->objectName().toStdString() << ": " << face.family().toStdString();
  }
}

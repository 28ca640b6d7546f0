// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>

#include <atomic>

#include "velmora/platform/busy_pointer.h"
#include "velmora/ui/frm_main.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/platform/documents.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/platform/printer.h"
#include "velmora/ui/analysis_window.h"
#include "velmora/ui/design_dialogs.h"
#include "velmora/ui/evaluate_window.h"
#include "report.h"
#include "velmora/ui/results_table.h"
#include "velmora/version.h"
#include "velmora/platform/window_geometry.h"

namespace velmora::ui {

namespace {

// The bar of this window. The toolkit's bar, on styles and desktops that ask for it, takes
// the keyboard focus when Alt is pressed and released alone; the next Enter would then open
// a menu instead of pressing Calculate, and the next letter would pick a menu instead of
// reaching the box. This bar never starts that: it lets the Alt key pass by unseen. Alt with
// a letter still opens its menu, which the toolkit handles as a shortcut, not here.
class MenuBar final : public QMenuBar {
 public:
  using QMenuBar::QMenuBar;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress ||
        event->type() == QEvent::KeyRelease) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Alt || key == Qt::Key_Meta || key == Qt::Key_AltGr) return false;
    }
    return QMenuBar::eventFilter(watched, event);
  }
};

// What the form's result headings stand for, on hover. Set here, beside the form: a tooltip
// changes nothing the form shows, and the form's own code stays as designed.
void explainHeadings(frmMain& form) {
  const auto tip = [](QLabel* heading, const char* text) { heading->setToolTip(QLatin1String(text)); };
  for (QLabel* test : {form.Label5, form.Label17}) {
    tip(test, "The scheme 1:t: a well passes when one of up to t samples (the first and its verification "
              "resamples) does not exceed the limit.");
  }
  tip(form.Label7, "Whether the cumulative false-positive error (CFP) stays within the DCFP at the optimal "
                   "maximum: the limit is the background value of that inverse rank (1 = the largest).");
  tip(form.lblPowerRatingLabel, "Good, Acceptable or Low: the powers at 3 and 4 standard deviations against the "
                                "reference criteria (.539 and .814). Click for the explanation.");
  tip(form.lblNumberOfTests, "Number of samples for r tests against the same background: the r initial samples "
                             "plus the repeats expected under background conditions. Click for the explanation.");
  tip(form.Label19, "Ind P: the percentile of the background distribution the limit stands for, "
                    "(n - rank + 0.5) / n.");
  tip(form.Label20, "The cumulative false-positive error the optimal rank achieves with r comparisons.");
  for (QLabel* power : {form.Label21, form.Label22}) {
    tip(power, "The power: the chance of detecting a shift of 2, 3 and 4 standard deviations above background.");
  }
}

// Keeps the picture the form hands over for printing, for a dialog to take it afterwards:
// the form is back as designed before any dialog opens over it.
class KeptPage final : public platform::Printer {
 public:
  bool printImage(const QImage& image, QString* /*error*/) override {
    page = image;
    return true;
  }
  QImage page;
};

}  // namespace

MainWindow::MainWindow(platform::MessageBoxes* messageBoxes, platform::Printer* printer,
                       platform::FileDialogs* fileDialogs, platform::PrintDialogs* printDialogs, QWidget* parent)
    : QMainWindow(parent) {
  if (printDialogs == nullptr) {
    m_ownPrintDialogs = std::make_unique<platform::QtPrintDialogs>();
    printDialogs = m_ownPrintDialogs.get();
  }
  m_printDialogs = printDialogs;
  if (messageBoxes == nullptr) {
    m_ownMessageBoxes = std::make_unique<platform::QtMessageBoxes>(this);
    messageBoxes = m_ownMessageBoxes.get();
  }
  m_messageBoxes = messageBoxes;
  if (fileDialogs == nullptr) {
    m_ownFileDialogs = std::make_unique<platform::QtFileDialogs>();
    fileDialogs = m_ownFileDialogs.get();
  }
  m_fileDialogs = fileDialogs;

  setObjectName(QStringLiteral("MainWindow"));
  m_form = new frmMain(messageBoxes, printer, this);
  setCentralWidget(m_form);
  explainHeadings(*m_form);
  auto* bar = new MenuBar(this);
  bar->setObjectName(QStringLiteral("menuBar"));
  // Inside the window on every desktop, so the window is the form plus the bar's height.
  bar->setNativeMenuBar(false);
  setMenuBar(bar);
  buildMenus();
  // The status line lives below the form, outside its client area; it is always there, so
  // the form never moves or changes size as the line comes and goes.
  lblResultsFor = new QLabel(this);
  lblResultsFor->setObjectName(QStringLiteral("lblResultsFor"));
  lblResultsFor->setMinimumHeight(lblResultsFor->fontMetrics().height());
  QPalette maroon = lblResultsFor->palette();
  maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));  // the form's maroon: a warning
  lblResultsFor->setPalette(maroon);
  statusBar()->setObjectName(QStringLiteral("statusBar"));
  statusBar()->addWidget(lblResultsFor, 1);
  for (QLineEdit* box : {m_form->txtAL, m_form->txtN, m_form->txtR, m_form->txtMDET}) {
    connect(box, &QLineEdit::textChanged, this, &MainWindow::showWhatTheResultsAreFor);
  }
  connect(m_form, &frmMain::calculated, this, &MainWindow::showWhatTheResultsAreFor);
  connect(m_form, &frmMain::wasReset, this, &MainWindow::showWhatTheResultsAreFor);
  for (QLineEdit* box : {m_form->txtAL, m_form->txtN, m_form->txtR, m_form->txtMDET}) {
    connect(box, &QLineEdit::textChanged, this, &MainWindow::showDesignState);
  }
  showDesignState();
  resize(m_form->width(), m_form->height() + bar->sizeHint().height() + statusBar()->sizeHint().height());
  // A monitoring data file dropped anywhere on the window (the form takes no drops itself).
  setAcceptDrops(true);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
  QMenuBar* bar = menuBar();
  const auto item = [](QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
  };

  menuFile = bar->addMenu(QStringLiteral("&File"));
  menuFile->setObjectName(QStringLiteral("menuFile"));
  buildDesignMenu();
  menuFile->addSeparator();
  actExportReport = item(menuFile, "actExportReport", QStringLiteral("&Export Report…"));
  actCopyResults = item(menuFile, "actCopyResults", QStringLiteral("C&opy Results"));
  menuFile->addSeparator();
  actEvaluateData = item(menuFile, "actEvaluateData", QStringLiteral("Eva&luate Data…"));
  menuFile->addSeparator();
  actPrintPreview = item(menuFile, "actPrintPreview", QStringLiteral("Print Pre&view…"));
  actPrintWithDialog = item(menuFile, "actPrintWithDialog", QStringLiteral("&Print…"));
  actPrint = item(menuFile, "actPrint", QStringLiteral("Pr&int"));
  menuFile->addSeparator();
  actExit = item(menuFile, "actExit", QStringLiteral("Exi&t"));

  menuAnalysis = bar->addMenu(QStringLiteral("A&nalysis"));
  menuAnalysis->setObjectName(QStringLiteral("menuAnalysis"));
  actAnalysisWindow = item(menuAnalysis, "actAnalysisWindow", QStringLiteral("Analysis &Window"));
  menuAnalysis->addSeparator();
  actProgramDesign = item(menuAnalysis, "actProgramDesign", QStringLiteral("Program &Design…"));
  actSampleSizePlanning =
      item(menuAnalysis, "actSampleSizePlanning", QStringLiteral("&Sample-Size Planning…"));

  menuHelp = bar->addMenu(QStringLiteral("&Help"));
  menuHelp->setObjectName(QStringLiteral("menuHelp"));
  actAbout = item(menuHelp, "actAbout", QStringLiteral("About &This Calculator"));
  menuHelp->addSeparator();
  actNumberOfSamples = item(menuHelp, "actNumberOfSamples", QStringLiteral("&Number of Samples"));
  actPowerRating = item(menuHelp, "actPowerRating", QStringLiteral("P&ower Rating"));

  // The items that repeat a button press that button, so they do all it does.
  connect(actPrint, &QAction::triggered, m_form->btnPrint, &QPushButton::click);
  connect(actExit, &QAction::triggered, m_form->btnExit, &QPushButton::click);
  connect(actAbout, &QAction::triggered, m_form->btnAbout, &QPushButton::click);
  connect(actNumberOfSamples, &QAction::triggered, m_form, &frmMain::explainNumberOfSamples);
  connect(actPowerRating, &QAction::triggered, m_form, &frmMain::explainPowerRating);

  connect(actPrintPreview, &QAction::triggered, this, &MainWindow::printPreview);
  connect(actPrintWithDialog, &QAction::triggered, this, &MainWindow::printWithDialog);
  connect(actCopyResults, &QAction::triggered, this, &MainWindow::copyResults);
  // The results exist from an accepted Calculate until Reset.
  const auto resultsShown = [this] {
    for (QAction* action : {actCopyResults, actExportReport}) {
      action->setEnabled(m_form->lastOutcome().has_value());
    }
  };
  resultsShown();
  connect(m_form, &frmMain::calculated, this, resultsShown);
  connect(m_form, &frmMain::wasReset, this, resultsShown);
  connect(actExportReport, &QAction::triggered, this, &MainWindow::exportReport);
  connect(actAnalysisWindow, &QAction::triggered, this, &MainWindow::showAnalysisWindow);
  connect(actProgramDesign, &QAction::triggered, this, &MainWindow::showProgramDesign);
  connect(actSampleSizePlanning, &QAction::triggered, this, &MainWindow::showSampleSizePlanning);
  connect(actEvaluateData, &QAction::triggered, this, &MainWindow::evaluateData);
}

// Results never stand beside other inputs unmarked: once a box no longer holds what the
// shown results were calculated from, the status line (and the analysis window) says so.
void MainWindow::showWhatTheResultsAreFor() {
  QString notice;
  if (m_form->lastOutcome()) {
    const InputTexts boxes{m_form->txtAL->text().toStdString(), m_form->txtN->text().toStdString(),
                           m_form->txtR->text().toStdString(), m_form->txtMDET->text().toStdString()};
    if (!(boxes == m_form->lastTexts())) {
      notice = QStringLiteral("The results shown are for %1. Press Calculate for the values in the boxes.")
                   .arg(inputsLine(m_form->lastTexts()));
    }
  }
  lblResultsFor->setText(notice);
  if (m_analysis != nullptr) m_analysis->setStaleNotice(notice);
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (m_centred) return;
  m_centred = true;
  platform::centreOnScreen(*this);
}

// The program ends with this window: every other window goes with it, so none keeps the
// program running unseen. Unsaved changes to the design are saved or discarded first, or
// the window stays.
void MainWindow::closeEvent(QCloseEvent* event) {
  if (!mayLeaveDesign()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  for (QWidget* other : QApplication::topLevelWidgets()) {
    if (other != this && other->isVisible()) other->close();
  }
}

void MainWindow::copyResults() {
  const auto& outcome = m_form->lastOutcome();
  if (!outcome) return;
  const ResultsTable table = resultsTableOf(*m_form, outcome->captions);
  // The grid's own lines and cells stay as they are; the inputs go on a line before them.
  const QString inputs = QStringLiteral("Results for %1").arg(inputsLine(m_form->lastTexts()));
  QString html = htmlTable(table);
  html.insert(html.indexOf(QStringLiteral("<table")), QStringLiteral("<p>%1</p>\n").arg(inputs.toHtmlEscaped()));
  platform::putTableOnClipboard(inputs + QLatin1Char('\n') + tabSeparated(table), html);
}
void MainWindow::exportReport() {
  const auto& outcome = m_form->lastOutcome();
  if (!outcome) return;
  QString path = m_fileDialogs->saveFileName(this, QStringLiteral("Export Report"),
                                             QStringLiteral("velmora-report.pdf"),
                                             QStringLiteral("PDF documents (*.pdf)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");

  ReportContent content;
  content.texts = m_form->lastTexts();
  content.site = m_site;
  content.notes = m_notes;
  content.grid = resultsTableOf(*m_form, outcome->captions);
  content.date = QDate::currentDate();
  content.version = QString::fromLatin1(VELMORA_VERSION);
  if (m_evaluate != nullptr && m_evaluate->evaluation()) content.verdictsHtml = verdictsHtml(*m_evaluate->evaluation());
  QByteArray pdf;
  QString reason;
  {
    const platform::BusyPointer busy;
    // The analysis window's figures when they are those of this run; else computed here.
    const AnalysisWindow* shown = m_analysis;
    if (shown != nullptr && shown->data() && shown->data()->texts.txtAL == content.texts.txtAL &&
        shown->data()->texts.txtN == content.texts.txtN && shown->data()->texts.txtR == content.texts.txtR &&
        shown->data()->texts.txtMDET == content.texts.txtMDET) {
      content.analysis = *shown->data();
    } else {
      const std::atomic<bool> never{false};
      const Expected<std::optional<AnalysisData>> computed = computeAnalysis(outcome->results, content.texts, never);
      if (computed) {
        content.analysis = **computed;  // never stopped
      } else {
        reason = QString::fromStdString(computed.error().lines.front());
      }
    }
    if (reason.isEmpty()) pdf = drawReport(content);
  }
  if (reason.isEmpty() && pdf.isEmpty()) reason = QStringLiteral("The report could not be drawn.");
  if (reason.isEmpty() && platform::writeWholeFile(path, pdf, &reason)) return;
  // Nothing in the window changes; the user may choose another place and export again.
  m_messageBoxes->showWarning(QStringLiteral("Export Error"),
                              QStringLiteral("The report could not be written to\r%1\r%2")
                                  .arg(QDir::toNativeSeparators(path), reason));
}
void MainWindow::printPreview() {
  KeptPage kept;
  m_form->printTo(kept);
  if (!kept.page.isNull()) m_printDialogs->preview(kept.page, this);
}

void MainWindow::printWithDialog() {
  KeptPage kept;
  m_form->printTo(kept);
  if (kept.page.isNull()) return;
  QString reason;
  if (m_printDialogs->print(kept.page, this, &reason)) return;
  // As the Print button reports a failed print.
  if (reason.isEmpty()) reason = QStringLiteral("The printer gave no reason.");
  m_messageBoxes->showWarning(QStringLiteral("Print Error"), QStringLiteral("The window could not be printed.\r") + reason);
}

void MainWindow::showAnalysisWindow() {
  if (m_analysis == nullptr) {
    m_analysis = new AnalysisWindow(this);
    // Its Export CSV asks and reports through the same dialogs as the rest of the window.
    m_analysis->setPlatform(m_fileDialogs, m_messageBoxes);
    const auto follow = [this] {
      if (const auto& outcome = m_form->lastOutcome()) m_analysis->follow(outcome->results, m_form->lastTexts());
    };
    connect(m_form, &frmMain::calculated, m_analysis, follow);
    connect(m_form, &frmMain::wasReset, m_analysis, &AnalysisWindow::clear);
    follow();
    showWhatTheResultsAreFor();
  }
  m_analysis->show();
  m_analysis->raise();
  m_analysis->activateWindow();
}
// The dialogs are window-modal: the form waits for their values and cannot change under them.
void MainWindow::showProgramDesign() {
  makeProgramDesign();
  m_programDesign->open();
}

void MainWindow::makeProgramDesign() {
  if (m_programDesign != nullptr) return;
  m_programDesign = new ProgramDesignDialog(*m_form, this);
  // A saved design keeps the dialog's inputs while the boxes hold what it wrote.
  connect(m_programDesign, &ProgramDesignDialog::valuesUsed, this, &MainWindow::programDesignUsed);
}

void MainWindow::showSampleSizePlanning() {
  if (m_planning == nullptr) m_planning = new SampleSizePlanningDialog(*m_form, this);
  m_planning->takeFromForm();
  m_planning->open();
}

// Evaluate Data: the window asks for the file first, then for the strategy and rank.
void MainWindow::evaluateData() {
  if (m_evaluate == nullptr) m_evaluate = new EvaluateWindow(*m_fileDialogs, *m_messageBoxes, this);
  if (!m_evaluate->chooseFile()) return;
  showEvaluateData({});
}

void MainWindow::showEvaluateData(const QString& path) {
  if (m_evaluate == nullptr) m_evaluate = new EvaluateWindow(*m_fileDialogs, *m_messageBoxes, this);
  if (!path.isEmpty()) m_evaluate->setFile(path);
  m_evaluate->prefill(m_form->lastOutcome(), m_form->lastTexts());
  m_evaluate->show();
  m_evaluate->raise();
  m_evaluate->activateWindow();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedCsvFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = droppedCsvFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  showEvaluateData(path);
}

}  // namespace velmora::ui

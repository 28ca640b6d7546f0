// SPDX-License-Identifier: GPL-3.0-or-later
// Puts the program's windows into the states the README shows, for screenshots taken of a
// virtual display (tools/screenshots/take.sh): the main window after a run, the analysis
// window, its Retest Strategies page, both dialogs, the Evaluate Data window on a data file,
// and the report written to a file. Not installed.
//
//   velmora-screenshots main | stale | analysis [tab [DCFP N R]] | strategies [tab] | design
//                       | planning | evaluate DATA | report FILE
//
// stale: the main window after the run with n changed to 30 and not yet calculated again.
//
// The design is DCFP 0.1, n 20, r 5 unless the analysis window is asked for with another;
// strategies is the guidance's Example 19-5 design (DCFP 0.02085164, n 20, r 10) with
// 1-of-2 on medians of 3 chosen in the strategies' table, on the Retest Strategies page
// unless another tab is asked for.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

#include "velmora/app/app_identity.h"
#include "velmora/ui/frm_main.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/ui/analysis_window.h"
#include "velmora/ui/design_dialogs.h"
#include "velmora/ui/evaluate_window.h"
#include "velmora/ui/main_window.h"

using namespace velmora;

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  app::applyApplicationIdentity();
  const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main");
  platform::ScriptedFileDialogs dialogs;
  ui::MainWindow window(nullptr, nullptr, &dialogs);
  window.show();
  ui::frmMain& form = *window.form();
  const bool design = what == QLatin1String("analysis") && argc > 5;
  const bool strategies = what == QLatin1String("strategies");
  form.txtAL->setText(design      ? QString::fromLocal8Bit(argv[3])
                      : strategies ? QStringLiteral("0.02085164")
                                   : QStringLiteral("0.1"));
  form.txtN->setText(design ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("20"));
  form.txtR->setText(design ? QString::fromLocal8Bit(argv[5]) : strategies ? QStringLiteral("10") : QStringLiteral("5"));
  form.txtMDET->setText(form.txtN->text());
  form.btnCalculate->click();

  if (what == QLatin1String("stale")) {
    form.txtN->setText(QStringLiteral("30"));
  } else if (what == QLatin1String("analysis")) {
    window.showAnalysisWindow();
    ui::AnalysisWindow* analysis = window.analysisWindow();
    analysis->resize(1000, 720);
    analysis->move(20, 20);
    window.move(60, 60);  // behind it, out of the picture
    const int tab = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 0;
    QObject::connect(analysis, &ui::AnalysisWindow::finished, analysis,
                     [analysis, tab] { analysis->tabs->setCurrentIndex(tab); });
  } else if (strategies) {
    window.showAnalysisWindow();
    ui::AnalysisWindow* analysis = window.analysisWindow();
    analysis->resize(1180, 620);
    analysis->move(20, 20);
    window.move(60, 60);
    const int tab = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 4;
    // Finished twice: the analysis, then the chosen strategy's curves.
    QObject::connect(analysis, &ui::AnalysisWindow::finished, analysis, [analysis, tab] {
      analysis->tabs->setCurrentIndex(tab);
      if (!analysis->data()->chosenStrategy) analysis->strategyTable->selectRow(11);  // 1-of-2/median-3
    });
  } else if (what == QLatin1String("design")) {
    window.showProgramDesign();
    ui::ProgramDesignDialog* dialog = window.programDesignDialog();
    dialog->txtWells->setText(QStringLiteral("20"));
    dialog->txtConstituents->setText(QStringLiteral("10"));
    dialog->txtEvaluations->setText(QStringLiteral("2"));
  } else if (what == QLatin1String("planning")) {
    window.showSampleSizePlanning();
    ui::SampleSizePlanningDialog* dialog = window.sampleSizePlanningDialog();
    dialog->txtDcfp->setText(QStringLiteral("0.05"));
    dialog->txtRank->setText(QStringLiteral("2"));
    dialog->cboScheme->setCurrentText(QStringLiteral("1:2"));
    dialog->plan();
  } else if (what == QLatin1String("evaluate") && argc > 2) {
    window.showEvaluateData(QString::fromLocal8Bit(argv[2]));
    ui::EvaluateWindow* evaluate = window.evaluateWindow();
    evaluate->resize(1180, 560);
    evaluate->move(20, 20);
    window.move(60, 60);  // behind it, out of the picture
    evaluate->cboStrategy->setCurrentText(QStringLiteral("modified-california"));
    evaluate->optRank->setChecked(true);
    evaluate->txtRank->setText(QStringLiteral("1"));
    evaluate->evaluate();
  } else if (what == QLatin1String("report") && argc > 2) {
    dialogs.answerWith(QString::fromLocal8Bit(argv[2]));
    window.editSiteAndNotes();  // the site line filled in, as a saved design fills it
    window.siteAndNotesDialog()->txtSite->setText(QStringLiteral("North Landfill"));
    window.siteAndNotesDialog()->accept();
    window.exportReport();
    return 0;
  }
  return QApplication::exec();
}

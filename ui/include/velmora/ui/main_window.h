// SPDX-License-Identifier: GPL-3.0-or-later
// The program's top-level window: the menu bar above the design's form.
//
// The form itself is frmMain (frm_main.h), the widget named "frmMain" below the bar, with
// every control, caption, colour, tab order and access key of the design. This window adds
// only the bar and what its items open: the analysis window, the program-design and
// sample-size planning dialogs, the report and the copy of the results, and the Evaluate
// Data window (File › Evaluate Data…, or a CSV file dropped on the window).
//
// The bar's own access keys (Alt+F, Alt+N, Alt+H) leave Alt+C, P, R, X and A to the form's
// buttons; a lone Alt does not move the focus to the bar, so Enter still presses Calculate;
// Copy Results has no Ctrl+C, which stays the boxes' copy. Closing this window closes every
// other window of the program, so the program ends as the form's Exit says.
#pragma once

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QMenu;

namespace velmora::platform {
class MessageBoxes;
class Printer;
class PrintDialogs;
class FileDialogs;
}  // namespace velmora::platform

namespace velmora::ui {

class frmMain;
class AnalysisWindow;
class ProgramDesignDialog;
class SampleSizePlanningDialog;
class EvaluateWindow;

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  /// The services are those of frmMain, plus the save dialog of Export Report and the print
  /// preview and print dialogs; a null one is replaced by the real one. The window does not
  /// take ownership of a given one.
  explicit MainWindow(platform::MessageBoxes* messageBoxes = nullptr,
                      platform::Printer* printer = nullptr,
                      platform::FileDialogs* fileDialogs = nullptr,
                      platform::PrintDialogs* printDialogs = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  /// The design's form below the bar.
  frmMain* form() const { return m_form; }

  // The bar's items.
  QMenu* menuFile = nullptr;
  QAction* actExportReport = nullptr;
  QAction* actCopyResults = nullptr;
  QAction* actPrintPreview = nullptr;
  QAction* actPrintWithDialog = nullptr;  // "Print…": the printer chosen in the dialog
  QAction* actPrint = nullptr;            // as the Print button: the default printer
  QAction* actExit = nullptr;
  QAction* actEvaluateData = nullptr;
  QMenu* menuAnalysis = nullptr;
  QAction* actAnalysisWindow = nullptr;
  QAction* actProgramDesign = nullptr;
  QAction* actSampleSizePlanning = nullptr;
  QMenu* menuHelp = nullptr;
  QAction* actAbout = nullptr;
  QAction* actNumberOfSamples = nullptr;
  QAction* actPowerRating = nullptr;

  /// The status line below the form: once a box changes after a calculation, which inputs
  /// the results shown belong to, until the next Calculate; empty otherwise.
  QLabel* lblResultsFor = nullptr;

  /// The analysis window once Analysis Window has opened it (one instance, kept while this
  /// window lives, hidden when closed); null before.
  AnalysisWindow* analysisWindow() const { return m_analysis; }
  ProgramDesignDialog* programDesignDialog() const { return m_programDesign; }
  SampleSizePlanningDialog* sampleSizePlanningDialog() const { return m_planning; }

  /// Copy Results: the grid on the clipboard as tab-separated text and as an HTML table, each
  /// after a line naming the inputs the results belong to.
  void copyResults();
  /// Export Report: asks for a file name and writes the PDF report there.
  void exportReport();
  /// Print Preview… and Print…: the picture the Print button prints, in the toolkit's
  /// preview, or on the printer chosen in its print dialog.
  void printPreview();
  void printWithDialog();
  void showAnalysisWindow();
  void showProgramDesign();
  void showSampleSizePlanning();

  /// Evaluate Data…: asks for a monitoring data file and opens the Evaluate Data window on
  /// it; a dropped CSV file opens it the same way, named by `showEvaluateData(path)`.
  void evaluateData();
  void showEvaluateData(const QString& path);
  /// The Evaluate Data window once opened (one instance, kept while this window lives).
  EvaluateWindow* evaluateWindow() const { return m_evaluate; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenus();
  void showWhatTheResultsAreFor();

  frmMain* m_form = nullptr;
  std::unique_ptr<platform::MessageBoxes> m_ownMessageBoxes;
  platform::MessageBoxes* m_messageBoxes = nullptr;
  std::unique_ptr<platform::FileDialogs> m_ownFileDialogs;
  platform::FileDialogs* m_fileDialogs = nullptr;
  std::unique_ptr<platform::PrintDialogs> m_ownPrintDialogs;
  platform::PrintDialogs* m_printDialogs = nullptr;
  // Children of this window, made on first use.
  AnalysisWindow* m_analysis = nullptr;
  ProgramDesignDialog* m_programDesign = nullptr;
  SampleSizePlanningDialog* m_planning = nullptr;
  EvaluateWindow* m_evaluate = nullptr;
  bool m_centred = false;
};

}  // namespace velmora::ui

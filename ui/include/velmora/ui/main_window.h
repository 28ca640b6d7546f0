// SPDX-License-Identifier: GPL-3.0-or-later
// The program's top-level window: the menu bar above the design's form.
//
// The form itself is frmMain (frm_main.h), the widget named "frmMain" below the bar, with
// every control, caption, colour, tab order and access key of the design. This window adds
// only the bar and what its items open: the analysis window, the program-design and
// sample-size planning dialogs, the report, the copy of the results, the Evaluate Data window
// (File › Evaluate Data…, or a CSV file dropped on the window), and the design kept in a
// file (velmora/records/design_file.h: the four boxes as typed, the site's name and notes,
// the Program Design inputs while the boxes hold what that dialog wrote).
//
// The title names the design's file and marks unsaved changes; Open Design and closing the
// window ask first whether to save them. A file that is not a design is refused with the
// reason and changes nothing; a save that fails says so and leaves the earlier file whole.
//
// The bar's own access keys (Alt+F, Alt+N, Alt+H) leave Alt+C, P, R, X and A to the form's
// buttons; a lone Alt does not move the focus to the bar, so Enter still presses Calculate;
// Copy Results has no Ctrl+C, which stays the boxes' copy. Closing this window closes every
// other window of the program, so the program ends as the form's Exit says.
#pragma once

#include <QMainWindow>

#include <QString>

#include <memory>
#include <optional>

#include "velmora/platform/recent_files.h"
#include "velmora/records/design_file.h"

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
class SiteAndNotesDialog;

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
  QAction* actOpenDesign = nullptr;
  QMenu* menuRecentDesigns = nullptr;  // an item per file, newest first
  QAction* actSaveDesign = nullptr;
  QAction* actSaveDesignAs = nullptr;
  QAction* actSiteAndNotes = nullptr;
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
  SiteAndNotesDialog* siteAndNotesDialog() const { return m_siteAndNotes; }

  // ---- the design in a file (main_window_design.cpp) ----
  /// The design as it stands in the window, as Save would write it.
  records::DesignFile currentDesign() const;
  /// The file the design was last opened from or saved to; empty for a new design.
  const QString& designPath() const { return m_designPath; }
  /// Save Design: to its file, or as Save Design As when it has none. True when saved.
  bool saveDesign();
  /// Save Design As: asks for a file name (".velmora" added when missing) and saves there.
  bool saveDesignAs();
  /// Open Design: asks for a file and opens it.
  void openDesign();
  /// Opens the design in `path`: its texts into the boxes, calculated as Calculate does.
  /// A file that cannot be read or is no design is refused with the reason in a message box
  /// and nothing changes; so does Cancel at the question whether to save unsaved changes.
  /// True when opened.
  bool openDesignFile(const QString& path);
  /// Site and Notes…: the small dialog for the site's name and the notes.
  void editSiteAndNotes();

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
  void buildDesignMenu();  // main_window_design.cpp
  void showWhatTheResultsAreFor();
  void makeProgramDesign();

  // The design in a file (main_window_design.cpp).
  bool saveDesignTo(const QString& path);
  void openRecentDesign(const QString& path);
  void fillRecentDesigns();
  void programDesignUsed();
  void showDesignState();
  bool mayLeaveDesign();  // no unsaved changes, or they were saved or discarded
  QString designName() const;

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
  SiteAndNotesDialog* m_siteAndNotes = nullptr;
  bool m_centred = false;

  // The design in a file.
  struct UsedProgram {
    records::ProgramInputs inputs;
    QString dcfp;  // what Program Design wrote into the DCFP and r boxes: the inputs are the
    QString r;     // design's only while the boxes still hold these
  };
  QString m_designPath;
  records::DesignFile m_savedDesign;  // as the file holds it; empty boxes for a new design
  QString m_site;
  QString m_notes;
  std::optional<UsedProgram> m_program;
  platform::RecentFiles m_recentDesigns{QStringLiteral("recentDesigns"), 6};
};

}  // namespace velmora::ui

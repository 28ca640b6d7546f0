// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window: beside the form, what exact arithmetic says about its last run. Five
// tabs: the CFP by rank, the power by shift, the audit, the table of every rank (with Copy
// and Export CSV) and the retest strategies: the design of each strategy of an editable list
// (the rows of velmora-cli strategies), one of which, chosen in its table, the charts draw
// beside the tests.
//
// It is modeless and there is one of it: closing it hides it, and it comes back where it was.
// It follows every accepted Calculate of the form and empties on Reset. The exact values and
// the curves are computed on a worker thread, so the form never waits for them: one progress
// bar over the whole job, never going back, says in words what is under way, and the audit
// and the table fill test by test as their parts are finished. The worker never touches a
// widget: it leaves its progress and finished parts in the job, and a timer on the window's
// thread shows them. Stop keeps what was finished, marked incomplete; a newer run or Reset
// leaves the older work unused. A new list of strategies or a strategy chosen in the table
// is computed the same way, with the same bar and Stop, keeping the rest of the analysis.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "velmora/ui/analysis_data.h"

namespace velmora::platform {
class FileDialogs;
class MessageBoxes;
}  // namespace velmora::platform

class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTableWidget;
class QTabWidget;
class QTimer;

namespace velmora::ui {

class WorkerThreads;

class AnalysisWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit AnalysisWindow(QWidget* parent = nullptr);
  ~AnalysisWindow() override;

  /// Starts the analysis of an accepted run (stopping any earlier one).
  void follow(const Results& results, const InputTexts& texts);
  /// Empties the window (Reset of the form), stopping any work under way.
  void clear();
  /// Stops the work under way; the window keeps what was finished, marked incomplete.
  void stop();
  /// Where Export CSV asks for a file and tells a failure (the toolkit's dialogs unless set;
  /// the window does not own them).
  void setPlatform(platform::FileDialogs* fileDialogs, platform::MessageBoxes* messageBoxes);
  /// The table of every rank: on the clipboard, or into a csv file chosen in a dialog.
  void copyRankTable();
  void exportRankTable();
  /// The retest strategies' table on the clipboard, after the line naming its inputs.
  void copyStrategyTable();
  /// Reads the list of strategies in its box: a list the library refuses is said under the
  /// box and changes nothing; else the table is computed again for it (at once when the
  /// analysis is finished, else with the run under way started over).
  void applyStrategies();
  /// Says, above the tabs, that the form's boxes no longer hold the inputs of what is shown
  /// (`notice`), or nothing when they do (empty).
  void setStaleNotice(const QString& notice);

  /// The analysis of the last run, once finished (none when stopped).
  const std::optional<AnalysisData>& data() const { return m_data; }
  /// What the window shows: the finished analysis, or the parts finished so far (complete
  /// false), which Stop keeps.
  const std::optional<AnalysisData>& shown() const { return m_shown; }
  /// True while a worker computes for the last run.
  bool working() const { return m_job != nullptr; }

  QTabWidget* tabs = nullptr;
  QChartView* cfpView = nullptr;
  QCheckBox* chkLogarithmic = nullptr;
  QChartView* powerView = nullptr;
  QTableWidget* auditTable = nullptr;
  QLabel* lblDifferences = nullptr;
  QLabel* lblRanksFor = nullptr;  // the inputs the table's rows belong to
  QTableView* rankTable = nullptr;
  QPushButton* btnCopyRanks = nullptr;
  QPushButton* btnExportRanks = nullptr;
  QLabel* lblStrategiesFor = nullptr;    // the inputs the strategies' rows belong to
  QLineEdit* edtStrategies = nullptr;    // the strategies compared, separated by commas
  QPushButton* btnApplyStrategies = nullptr;
  QPushButton* btnDefaultStrategies = nullptr;
  QLabel* lblStrategyProblem = nullptr;  // why the list was refused; hidden when it was not
  QTableWidget* strategyTable = nullptr;  // a row selected: that strategy is drawn on the charts
  QPushButton* btnCopyStrategies = nullptr;
  QLabel* lblStatus = nullptr;
  QLabel* lblStale = nullptr;  // hidden while the boxes hold the inputs shown
  QProgressBar* progress = nullptr;
  QPushButton* btnStop = nullptr;

 signals:
  /// The analysis of the last run is shown.
  void finished();

 private:
  struct Job;

  using JobWork = std::function<Expected<std::optional<AnalysisData>>(const std::atomic<bool>& stop,
                                                                      const AnalysisListener& listener)>;
  void startJob(const QString& status, JobWork work);
  void startStrategyJob();
  void chooseStrategy();
  void selectChosenStrategy();
  void showStrategies(const AnalysisData& data);
  void showAnalysis(const AnalysisData& data);
  void showParts(const AnalysisData& data);
  void showCharts();
  void showProgress();
  void emptyViews();

  std::optional<AnalysisData> m_data;
  std::optional<AnalysisData> m_shown;
  class RankModel;
  RankModel* m_rankModel = nullptr;
  std::unique_ptr<platform::FileDialogs> m_ownFileDialogs;
  std::unique_ptr<platform::MessageBoxes> m_ownMessageBoxes;
  platform::FileDialogs* m_fileDialogs = nullptr;
  platform::MessageBoxes* m_messageBoxes = nullptr;
  int m_partsShown = 0;  // the job's parts shown so far
  std::shared_ptr<Job> m_job;     // the work for the last run; null when none is under way
  QTimer* m_progressTimer = nullptr;
  // The run followed last (for a new list while it is under way).
  std::optional<std::pair<Results, InputTexts>> m_followed;
  std::vector<analysis::Strategy> m_strategies = analysis::defaultStrategies();
  std::optional<analysis::Strategy> m_chosen;  // chosen in the table, drawn once computed
  // Last, so that its threads stop and end before any other member goes.
  std::unique_ptr<WorkerThreads> m_threads;
};

}  // namespace velmora::ui

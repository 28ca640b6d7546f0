// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window: beside the form, what exact arithmetic says about its last run. Three
// tabs: the CFP by rank, the power by shift, and the audit.
//
// It is modeless and there is one of it: closing it hides it, and it comes back where it was.
// It follows every accepted Calculate of the form and empties on Reset. The exact values and
// the curves are computed on a worker thread with a progress bar and a Stop button, so the
// form never waits for them; a newer run, Reset or Stop leaves the older work unused.
#pragma once

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "velmora/ui/analysis_data.h"

class QChartView;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QThread;
class QTimer;

namespace velmora::ui {

class AnalysisWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit AnalysisWindow(QWidget* parent = nullptr);
  ~AnalysisWindow() override;

  /// Starts the analysis of an accepted run (stopping any earlier one).
  void follow(const Results& results, const InputTexts& texts);
  /// Empties the window (Reset of the form), stopping any work under way.
  void clear();
  /// Stops the work under way; the window says it stopped.
  void stop();
  /// Says, above the tabs, that the form's boxes no longer hold the inputs of what is shown
  /// (`notice`), or nothing when they do (empty).
  void setStaleNotice(const QString& notice);

  /// The analysis shown, once finished.
  const std::optional<AnalysisData>& data() const { return m_data; }
  /// True while a worker computes for the last run.
  bool working() const { return m_job != nullptr; }

  QTabWidget* tabs = nullptr;
  QChartView* cfpView = nullptr;
  QCheckBox* chkLogarithmic = nullptr;
  QChartView* powerView = nullptr;
  QTableWidget* auditTable = nullptr;
  QLabel* lblDifferences = nullptr;
  QLabel* lblStatus = nullptr;
  QLabel* lblStale = nullptr;  // hidden while the boxes hold the inputs shown
  QProgressBar* progress = nullptr;
  QPushButton* btnStop = nullptr;

 signals:
  /// The analysis of the last run is shown.
  void finished();

 private:
  struct Job;
  struct Worker {
    QThread* thread;
    std::shared_ptr<Job> job;
  };

  void showAnalysis(const AnalysisData& data);
  void showCharts();
  void showProgress();
  void emptyViews();

  std::optional<AnalysisData> m_data;
  std::shared_ptr<Job> m_job;     // the work for the last run; null when none is under way
  std::vector<Worker> m_workers;  // every thread still running, current or left unused
  QTimer* m_progressTimer = nullptr;
};

}  // namespace velmora::ui

// SPDX-License-Identifier: GPL-3.0-or-later
// The Evaluate Data window: a monitoring data file, the strategy and the rank (or the best
// rank of the strategy for a DCFP, r and j, as `velmora-cli evaluate --dcfp` has it), and
// what they give: each constituent's background largest first with the limit marked, and
// one row per compliance well with its verdict, the values used and the reason.
//
// It is modeless and there is one of it, opened from File › Evaluate Data… or by dropping a
// CSV file on the main window. The file is read and evaluated on a worker thread (a million
// lines take seconds), as the analysis window works: the window stays responsive, Stop or a
// newer request leaves the older work unused. A file the reader refuses changes nothing
// shown: a message names its lines, unless Skip bad lines is ticked, and then the skipped
// lines are listed below the verdicts.
#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "velmora/engine/calculation.h"
#include "velmora/engine/limits.h"
#include "velmora/ui/evaluation_data.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QTableWidget;

namespace velmora::platform {
class FileDialogs;
class MessageBoxes;
}  // namespace velmora::platform

namespace velmora::ui {

class WorkerThreads;

class BackgroundModel;

class EvaluateWindow final : public QWidget {
  Q_OBJECT

 public:
  /// The dialogs and boxes are the main window's; the window does not own them.
  EvaluateWindow(platform::FileDialogs& fileDialogs, platform::MessageBoxes& messageBoxes, QWidget* parent = nullptr);
  ~EvaluateWindow() override;

  /// The file to evaluate next (Evaluate reads it); what is shown stays until Evaluate gives
  /// something new. Dropping a CSV file on the window names it too.
  void setFile(const QString& path);
  /// The design of the form's last accepted run as the starting values: its DCFP, r and j,
  /// and its rank of scheme 1:t when the strategy is 1-of-t. Each run fills them once, so
  /// what the user typed since stays.
  void prefill(const std::optional<CalculationResult>& outcome, const InputTexts& texts);

  /// Asks for a file (the open dialog) and names it; false when the user cancels.
  bool chooseFile();
  /// Reads and evaluates the file with the request in the window, on a worker thread.
  void evaluate();
  void stop();
  /// True while a worker reads or evaluates for the last request.
  bool working() const { return m_job != nullptr; }

  /// Copy: the verdicts as text, the request line first (and as HTML).
  void copy();
  /// Export: the verdicts as CSV, in the columns of `velmora-cli evaluate --format csv`.
  void exportCsv();

  /// The evaluation shown; none before the first one.
  const std::optional<Evaluation>& evaluation() const { return m_evaluation; }

  QLabel* lblFile = nullptr;
  QPushButton* btnOpen = nullptr;
  QComboBox* cboStrategy = nullptr;
  QRadioButton* optRank = nullptr;
  QLineEdit* txtRank = nullptr;
  QRadioButton* optDesign = nullptr;
  QLineEdit* txtDcfp = nullptr;
  QLineEdit* txtR = nullptr;
  QLineEdit* txtJ = nullptr;
  QCheckBox* chkSkipBadLines = nullptr;
  QPushButton* btnEvaluate = nullptr;
  QPushButton* btnStop = nullptr;
  QProgressBar* progress = nullptr;
  QLabel* lblStatus = nullptr;
  QComboBox* cboConstituent = nullptr;  // shown when the file has several constituents
  QLabel* lblConstituent = nullptr;
  QLabel* lblLimit = nullptr;
  QLabel* lblWarning = nullptr;  // hidden unless the limit comes with a warning
  QTableView* backgroundTable = nullptr;
  QTableWidget* verdictTable = nullptr;
  QPlainTextEdit* txtSkipped = nullptr;  // hidden unless lines were skipped
  QPushButton* btnCopy = nullptr;
  QPushButton* btnExport = nullptr;

 signals:
  /// The last request ended: its verdicts are shown, or its refusal was reported.
  void finished();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct Job;

  Expected<EvaluationRequest> request() const;
  void showEvaluation(Evaluation evaluation);
  void showConstituent(int index);
  void refuse(const Problem& problem);
  void endWork();
  void followStrategy();

  platform::FileDialogs& m_fileDialogs;
  platform::MessageBoxes& m_messageBoxes;
  QString m_path;
  std::optional<Evaluation> m_evaluation;
  BackgroundModel* m_backgroundModel = nullptr;
  std::shared_ptr<Job> m_job;
  // The ranks of schemes 1:1 .. 1:4 of the run last prefilled from, and its inputs.
  std::optional<std::array<int, kSchemeCount>> m_schemeRanks;
  std::optional<InputTexts> m_prefilledFrom;
  // Last, so that its threads stop and end before any other member goes.
  std::unique_ptr<WorkerThreads> m_threads;
};

/// Whether a drop brings one local CSV file (by its name's ending); its path, or empty.
QString droppedCsvFile(const QMimeData* data);

}  // namespace velmora::ui

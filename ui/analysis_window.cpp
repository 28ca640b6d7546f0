// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/analysis_window.h"

#include <QBrush>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <QAbstractTableModel>
#include <QDir>
#include <QTableView>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "analysis_charts.h"
#include "worker_threads.h"
#include "velmora/platform/documents.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/ui/rank_table.h"
#include "velmora/ui/results_table.h"
#include "velmora/ui/strategy_table.h"

namespace velmora::ui {

// What the worker and the window share. The worker writes the progress and each finished part
// under the lock; the window's timer reads them. No widget is touched from the worker.
struct AnalysisWindow::Job {
  std::atomic<bool> stop{false};
  std::mutex lock;
  AnalysisProgress progress;           // under lock
  std::optional<AnalysisData> parts;   // under lock: what is finished so far
  int partCount = 0;                   // under lock: how many parts were handed over
  // Written by the worker before its thread finishes: none when stopped.
  Expected<std::optional<AnalysisData>> result = std::optional<AnalysisData>();
};

// The table of every rank for a view: thousands of rows, so a model rather than an item each.
class AnalysisWindow::RankModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void setTable(ResultsTable table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_table.rows.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_table.header.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const QString& cell = m_table.rows[index.row()][index.column()];
    if (role == Qt::DisplayRole) return cell;
    if (role == Qt::FontRole && m_table.rows[index.row()].back().startsWith(QStringLiteral("chosen"))) {
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    if (role == Qt::TextAlignmentRole && index.column() > 0) {
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_table.header.size()) return {};
    if (role == Qt::DisplayRole) return m_table.header[section];
    if (role == Qt::ToolTipRole) return m_table.headerTips.value(section);
    return {};
  }

 private:
  ResultsTable m_table;
};

namespace {

const QString kWaiting = QStringLiteral("No results yet: press Calculate in the main window.");

QChartView* makeChartView(QWidget* parent, const QString& accessibleName) {
  auto* view = new QChartView(parent);
  view->setAccessibleName(accessibleName);  // else a screen reader announces an unnamed graphic
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(560, 380);
  return view;
}

// The list as the box shows it: canonical names, a comma and a blank apart.
QString strategyListText(const std::vector<analysis::Strategy>& strategies) {
  QStringList names;
  for (const analysis::Strategy& strategy : strategies) names << QString::fromStdString(strategy.canonicalName());
  return names.join(QStringLiteral(", "));
}

void replaceChart(QChartView* view, QChart* chart) {
  QChart* old = view->chart();
  view->setChart(chart);  // the view gives up the old chart without deleting it
  delete old;
  const QString description = chartDescription(chart);
  view->setAccessibleDescription(description.isEmpty() ? kWaiting : description);
}

}  // namespace

AnalysisWindow::AnalysisWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_threads(std::make_unique<WorkerThreads>(this)) {
  setObjectName(QStringLiteral("frmAnalysis"));
  setWindowTitle(QStringLiteral("Velmora - Analysis"));
  auto* layout = new QVBoxLayout(this);

  auto* statusRow = new QHBoxLayout;
  lblStatus = new QLabel(kWaiting, this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  progress = new QProgressBar(this);
  progress->setRange(0, 1000);  // permille of the whole job
  progress->setVisible(false);
  btnStop = new QPushButton(QStringLiteral("&Stop"), this);
  btnStop->setObjectName(QStringLiteral("btnStop"));
  btnStop->setVisible(false);
  statusRow->addWidget(lblStatus, 1);
  statusRow->addWidget(progress);
  statusRow->addWidget(btnStop);
  layout->addLayout(statusRow);
  lblStale = new QLabel(this);
  lblStale->setObjectName(QStringLiteral("lblStale"));
  lblStale->setWordWrap(true);
  QPalette maroon = lblStale->palette();
  maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));  // the form's maroon
  lblStale->setPalette(maroon);
  lblStale->setVisible(false);
  layout->addWidget(lblStale);

  tabs = new QTabWidget(this);
  auto* cfpPage = new QWidget(tabs);
  auto* cfpLayout = new QVBoxLayout(cfpPage);
  cfpView = makeChartView(cfpPage, QStringLiteral("CFP by rank chart"));
  chkLogarithmic = new QCheckBox(QStringLiteral("&Logarithmic CFP axis"), cfpPage);
  cfpLayout->addWidget(cfpView, 1);
  cfpLayout->addWidget(chkLogarithmic);
  tabs->addTab(cfpPage, QStringLiteral("CFP by &Rank"));
  powerView = makeChartView(tabs, QStringLiteral("Power by shift chart"));
  tabs->addTab(powerView, QStringLiteral("&Power by Shift"));

  auto* auditPage = new QWidget(tabs);
  auto* auditLayout = new QVBoxLayout(auditPage);
  auditTable = new QTableWidget(auditPage);
  auditTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auditTable->verticalHeader()->setVisible(false);
  lblDifferences = new QLabel(auditPage);
  lblDifferences->setWordWrap(true);
  auditLayout->addWidget(auditTable, 1);
  auditLayout->addWidget(lblDifferences);
  tabs->addTab(auditPage, QStringLiteral("&Audit"));

  auto* ranksPage = new QWidget(tabs);
  auto* ranksLayout = new QVBoxLayout(ranksPage);
  lblRanksFor = new QLabel(ranksPage);
  lblRanksFor->setObjectName(QStringLiteral("lblRanksFor"));
  lblRanksFor->setWordWrap(true);
  rankTable = new QTableView(ranksPage);
  rankTable->setObjectName(QStringLiteral("rankTable"));
  m_rankModel = new RankModel(rankTable);
  rankTable->setModel(m_rankModel);
  rankTable->verticalHeader()->setVisible(false);
  rankTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  rankTable->setAccessibleName(QStringLiteral("Every rank"));
  rankTable->setAccessibleDescription(QStringLiteral(
      "For each test and every rank up to the charts' last: the design's and the exact CFP, whether it meets the "
      "DCFP, the exact power at 2, 3 and 4 standard deviations and its rating."));
  auto* rankButtons = new QHBoxLayout;
  btnCopyRanks = new QPushButton(QStringLiteral("&Copy"), ranksPage);
  btnCopyRanks->setObjectName(QStringLiteral("btnCopyRanks"));
  btnCopyRanks->setToolTip(QStringLiteral("Puts the table on the clipboard, after the line naming its inputs."));
  btnExportRanks = new QPushButton(QStringLiteral("&Export CSV..."), ranksPage);
  btnExportRanks->setObjectName(QStringLiteral("btnExportRanks"));
  btnExportRanks->setToolTip(QStringLiteral("Writes the table to a csv file, its first line naming its inputs."));
  rankButtons->addStretch(1);
  rankButtons->addWidget(btnCopyRanks);
  rankButtons->addWidget(btnExportRanks);
  ranksLayout->addWidget(lblRanksFor);
  ranksLayout->addWidget(rankTable, 1);
  ranksLayout->addLayout(rankButtons);
  tabs->addTab(ranksPage, QStringLiteral("Every Ran&k"));

  auto* strategiesPage = new QWidget(tabs);
  auto* strategiesLayout = new QVBoxLayout(strategiesPage);
  lblStrategiesFor = new QLabel(strategiesPage);
  lblStrategiesFor->setObjectName(QStringLiteral("lblStrategiesFor"));
  lblStrategiesFor->setWordWrap(true);
  auto* listRow = new QHBoxLayout;
  edtStrategies = new QLineEdit(strategyListText(m_strategies), strategiesPage);
  edtStrategies->setObjectName(QStringLiteral("edtStrategies"));
  edtStrategies->setAccessibleName(QStringLiteral("Strategies compared"));
  edtStrategies->setToolTip(QString::fromStdString(analysis::strategyGrammar()));
  auto* lblList = new QLabel(QStringLiteral("Strategies to &compare:"), strategiesPage);
  lblList->setBuddy(edtStrategies);
  btnApplyStrategies = new QPushButton(QStringLiteral("Appl&y"), strategiesPage);
  btnApplyStrategies->setObjectName(QStringLiteral("btnApplyStrategies"));
  btnApplyStrategies->setToolTip(QStringLiteral("Computes the table for the strategies named in the box."));
  btnDefaultStrategies = new QPushButton(QStringLiteral("&Default List"), strategiesPage);
  btnDefaultStrategies->setObjectName(QStringLiteral("btnDefaultStrategies"));
  listRow->addWidget(lblList);
  listRow->addWidget(edtStrategies, 1);
  listRow->addWidget(btnApplyStrategies);
  listRow->addWidget(btnDefaultStrategies);
  lblStrategyProblem = new QLabel(strategiesPage);
  lblStrategyProblem->setObjectName(QStringLiteral("lblStrategyProblem"));
  lblStrategyProblem->setWordWrap(true);
  lblStrategyProblem->setPalette(maroon);
  lblStrategyProblem->setVisible(false);
  strategyTable = new QTableWidget(strategiesPage);
  strategyTable->setObjectName(QStringLiteral("strategyTable"));
  strategyTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  strategyTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  strategyTable->setSelectionMode(QAbstractItemView::SingleSelection);
  strategyTable->verticalHeader()->setVisible(false);
  strategyTable->setAccessibleName(QStringLiteral("Retest strategies"));
  strategyTable->setAccessibleDescription(QStringLiteral(
      "For each strategy of the list, the largest rank whose exact CFP meets the DCFP, that CFP, the percentile, "
      "the expected samples, the exact power at 2, 3 and 4 standard deviations and its rating. The selected "
      "strategy is drawn on both charts."));
  auto* strategyButtons = new QHBoxLayout;
  auto* lblChoose = new QLabel(
      QStringLiteral("Select a row to draw that strategy on both charts; Ctrl+click it again for the tests alone."),
      strategiesPage);
  lblChoose->setWordWrap(true);
  btnCopyStrategies = new QPushButton(QStringLiteral("C&opy"), strategiesPage);
  btnCopyStrategies->setObjectName(QStringLiteral("btnCopyStrategies"));
  btnCopyStrategies->setToolTip(QStringLiteral("Puts the table on the clipboard, after the line naming its inputs."));
  strategyButtons->addWidget(lblChoose, 1);
  strategyButtons->addWidget(btnCopyStrategies);
  strategiesLayout->addWidget(lblStrategiesFor);
  strategiesLayout->addLayout(listRow);
  strategiesLayout->addWidget(lblStrategyProblem);
  strategiesLayout->addWidget(strategyTable, 1);
  strategiesLayout->addLayout(strategyButtons);
  tabs->addTab(strategiesPage, QStringLiteral("Retest Strate&gies"));
  layout->addWidget(tabs, 1);

  m_ownFileDialogs = std::make_unique<platform::QtFileDialogs>();
  m_ownMessageBoxes = std::make_unique<platform::QtMessageBoxes>(this);
  m_fileDialogs = m_ownFileDialogs.get();
  m_messageBoxes = m_ownMessageBoxes.get();
  connect(btnCopyRanks, &QPushButton::clicked, this, &AnalysisWindow::copyRankTable);
  connect(btnExportRanks, &QPushButton::clicked, this, &AnalysisWindow::exportRankTable);
  connect(btnCopyStrategies, &QPushButton::clicked, this, &AnalysisWindow::copyStrategyTable);
  connect(btnApplyStrategies, &QPushButton::clicked, this, &AnalysisWindow::applyStrategies);
  connect(edtStrategies, &QLineEdit::returnPressed, this, &AnalysisWindow::applyStrategies);
  connect(btnDefaultStrategies, &QPushButton::clicked, this, [this] {
    edtStrategies->setText(strategyListText(analysis::defaultStrategies()));
    applyStrategies();
  });
  connect(strategyTable, &QTableWidget::itemSelectionChanged, this, &AnalysisWindow::chooseStrategy);

  m_progressTimer = new QTimer(this);
  m_progressTimer->setInterval(100);
  connect(m_progressTimer, &QTimer::timeout, this, &AnalysisWindow::showProgress);
  connect(btnStop, &QPushButton::clicked, this, &AnalysisWindow::stop);
  connect(chkLogarithmic, &QCheckBox::toggled, this, &AnalysisWindow::showCharts);
  emptyViews();
  resize(820, 600);
}

AnalysisWindow::~AnalysisWindow() = default;

void AnalysisWindow::follow(const Results& results, const InputTexts& texts) {
  m_followed.emplace(results, texts);
  m_data.reset();
  m_shown.reset();
  emptyViews();
  startJob(QStringLiteral("Computing the exact values and the curves of n = %1, r = %2 ...")
               .arg(results.inputs.n)
               .arg(results.inputs.r),
           [results, texts, strategies = m_strategies](const std::atomic<bool>& stop, const AnalysisListener& listener) {
             return computeAnalysis(results, texts, stop, listener, strategies);
           });
}

// The strategies' table and the chosen strategy's curves for the finished analysis, the rest
// of it kept.
void AnalysisWindow::startStrategyJob() {
  if (!m_data) return;
  startJob(QStringLiteral("Computing the retest strategies ..."),
           [base = *m_data, strategies = m_strategies, chosen = m_chosen](const std::atomic<bool>& stop,
                                                                          const AnalysisListener& listener) {
             return recomputeStrategies(base, strategies, chosen, stop, listener);
           });
}

// The work runs on a thread of its own; the window learns of it through the job alone.
void AnalysisWindow::startJob(const QString& status, JobWork work) {
  if (m_job) m_job->stop = true;
  m_partsShown = 0;
  auto job = std::make_shared<Job>();
  m_job = job;
  auto run = [job, work = std::move(work)] {
    AnalysisListener listener;
    listener.progress = [&job](const AnalysisProgress& told) {
      const std::lock_guard<std::mutex> held(job->lock);
      job->progress = told;
    };
    listener.partDone = [&job](const AnalysisData& parts) {
      const std::lock_guard<std::mutex> held(job->lock);
      job->parts = parts;
      ++job->partCount;
    };
    job->result = work(job->stop, listener);
  };
  auto finished = [this, job] {
    if (job != m_job) return;  // stopped, or overtaken by a newer run
    m_job.reset();
    m_progressTimer->stop();
    progress->setVisible(false);
    btnStop->setVisible(false);
    if (!job->result) {
      lblStatus->setText(QString::fromStdString(job->result.error().lines.front()));
    } else if (*job->result) {
      showAnalysis(**job->result);
      // A strategy chosen while the analysis was under way is drawn now.
      const bool drawn = m_data->chosenStrategy && m_chosen &&
                         m_data->chosenStrategy->ranks.rule == m_chosen->canonicalName();
      if (m_chosen && !drawn) startStrategyJob();
    }
  };
  lblStatus->setText(status);
  progress->setValue(0);
  progress->setVisible(true);
  btnStop->setVisible(true);
  m_progressTimer->start();
  m_threads->start(std::shared_ptr<std::atomic<bool>>(job, &job->stop), std::move(run), std::move(finished));
}

void AnalysisWindow::stop() {
  if (!m_job) return;
  std::shared_ptr<Job> job = std::move(m_job);
  job->stop = true;
  m_progressTimer->stop();
  progress->setVisible(false);
  btnStop->setVisible(false);
  std::optional<AnalysisData> parts;
  {
    const std::lock_guard<std::mutex> held(job->lock);
    parts = job->parts;
  }
  if (parts && !parts->complete) {
    showParts(*parts);
    lblStatus->setText(QStringLiteral("Stopped: what was finished is shown, marked incomplete. "
                                      "Calculate again for the rest."));
  } else if (parts) {
    showAnalysis(*parts);  // it had just finished
  } else if (m_data) {
    // A new list or choice of strategies: the finished analysis stays as it was, and so do
    // the list and the choice it shows.
    m_strategies = m_data->strategies;
    edtStrategies->setText(strategyListText(m_strategies));
    m_chosen.reset();
    for (const analysis::Strategy& strategy : m_strategies) {
      if (m_data->chosenStrategy && m_data->chosenStrategy->ranks.rule == strategy.canonicalName()) m_chosen = strategy;
    }
    showParts(*m_data);
    lblStatus->setText(QStringLiteral("Stopped: the retest strategies are shown as they were."));
  } else {
    lblStatus->setText(QStringLiteral("Stopped before any part was finished. Calculate again to start over."));
  }
}

void AnalysisWindow::setPlatform(platform::FileDialogs* fileDialogs, platform::MessageBoxes* messageBoxes) {
  m_fileDialogs = fileDialogs != nullptr ? fileDialogs : m_ownFileDialogs.get();
  m_messageBoxes = messageBoxes != nullptr ? messageBoxes : m_ownMessageBoxes.get();
}

void AnalysisWindow::copyRankTable() {
  if (!m_shown) return;
  const ResultsTable table = rankTableOf(*m_shown);
  const QString heading = rankTableHeading(*m_shown);
  QString html = htmlTable(table);
  html.insert(html.indexOf(QStringLiteral("<table")), QStringLiteral("<p>%1</p>\n").arg(heading.toHtmlEscaped()));
  platform::putTableOnClipboard(heading + QLatin1Char('\n') + tabSeparated(table), html);
}

void AnalysisWindow::copyStrategyTable() {
  if (!m_shown || !m_shown->strategyRows) return;
  const ResultsTable table = strategyTableOf(*m_shown);
  const QString heading = strategyTableHeading(*m_shown);
  QString html = htmlTable(table);
  html.insert(html.indexOf(QStringLiteral("<table")), QStringLiteral("<p>%1</p>\n").arg(heading.toHtmlEscaped()));
  platform::putTableOnClipboard(heading + QLatin1Char('\n') + tabSeparated(table), html);
}

void AnalysisWindow::applyStrategies() {
  Expected<std::vector<analysis::Strategy>> list = analysis::parseStrategyList(edtStrategies->text().toStdString());
  if (!list) {
    QStringList lines;
    for (const std::string& line : list.error().lines) lines << QString::fromStdString(line);
    lblStrategyProblem->setText(lines.join(QLatin1Char('\n')));
    lblStrategyProblem->setVisible(true);
    return;
  }
  lblStrategyProblem->clear();
  lblStrategyProblem->setVisible(false);
  edtStrategies->setText(strategyListText(*list));
  if (*list == m_strategies) return;
  m_strategies = std::move(*list);
  if (m_chosen && std::find(m_strategies.begin(), m_strategies.end(), *m_chosen) == m_strategies.end()) m_chosen.reset();
  if (m_data) {
    startStrategyJob();
  } else if (m_job && m_followed) {
    const auto [results, texts] = *m_followed;
    follow(results, texts);
  }
}

// The strategy of the selected row becomes the one drawn (none selected: none).
void AnalysisWindow::chooseStrategy() {
  if (!m_shown || !m_shown->strategyRows) return;
  const QList<QTableWidgetItem*> selected = strategyTable->selectedItems();
  std::optional<analysis::Strategy> chosen;
  if (!selected.isEmpty()) {
    const int row = selected.front()->row();
    if (row >= 0 && row < static_cast<int>(m_shown->strategyRows->size())) {
      chosen = (*m_shown->strategyRows)[static_cast<std::size_t>(row)].strategy;
    }
  }
  if (chosen == m_chosen) return;
  m_chosen = chosen;
  if (m_data) startStrategyJob();  // else the analysis under way draws it when it is finished
}

// Selects the row of the strategy the charts draw, without taking that for a new choice.
void AnalysisWindow::selectChosenStrategy() {
  const QSignalBlocker quiet(strategyTable);
  strategyTable->clearSelection();
  if (!m_shown || !m_shown->strategyRows || !m_chosen) return;
  for (std::size_t row = 0; row < m_shown->strategyRows->size(); ++row) {
    if ((*m_shown->strategyRows)[row].strategy == *m_chosen) {
      strategyTable->selectRow(static_cast<int>(row));
      break;
    }
  }
}

void AnalysisWindow::showStrategies(const AnalysisData& data) {
  const ResultsTable table = strategyTableOf(data);
  const QSignalBlocker quiet(strategyTable);
  strategyTable->clear();
  strategyTable->setColumnCount(static_cast<int>(table.header.size()));
  strategyTable->setRowCount(static_cast<int>(table.rows.size()));
  strategyTable->setHorizontalHeaderLabels(table.header);
  for (int column = 0; column < table.headerTips.size(); ++column) {
    strategyTable->horizontalHeaderItem(column)->setToolTip(table.headerTips[column]);
  }
  for (int row = 0; row < table.rows.size(); ++row) {
    const bool meets = table.rows[row][3] == QStringLiteral("Yes");
    for (int column = 0; column < table.rows[row].size(); ++column) {
      auto* item = new QTableWidgetItem(table.rows[row][column]);
      if (column > 0 && column < table.rows[row].size() - 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (meets && column == 0) {
        QFont bold = item->font();
        bold.setBold(true);  // the strategies that meet the DCFP, as the command line stars them
        item->setFont(bold);
      }
      strategyTable->setItem(row, column, item);
    }
  }
  strategyTable->resizeColumnsToContents();
  lblStrategiesFor->setText(data.strategyRows ? strategyTableHeading(data) : QString());
  btnCopyStrategies->setEnabled(data.strategyRows.has_value());
  selectChosenStrategy();
}

void AnalysisWindow::exportRankTable() {
  if (!m_shown) return;
  QString path = m_fileDialogs->saveFileName(this, QStringLiteral("Export CSV"), QStringLiteral("velmora-ranks.csv"),
                                             QStringLiteral("CSV files (*.csv)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) path += QStringLiteral(".csv");
  QString reason;
  if (platform::writeWholeFile(path, rankTableCsv(*m_shown).toUtf8(), &reason)) return;
  m_messageBoxes->showWarning(QStringLiteral("Export Error"), QStringLiteral("The table could not be written to\r%1\r%2")
                                                                  .arg(QDir::toNativeSeparators(path), reason));
}

void AnalysisWindow::setStaleNotice(const QString& notice) {
  lblStale->setText(notice);
  lblStale->setVisible(!notice.isEmpty());
}

void AnalysisWindow::clear() {
  if (m_job) m_job->stop = true;
  m_job.reset();
  m_progressTimer->stop();
  progress->setVisible(false);
  btnStop->setVisible(false);
  m_data.reset();
  m_shown.reset();
  m_followed.reset();
  emptyViews();
  lblStatus->setText(kWaiting);
}

// On the window's thread: the bar (never lower than it stands), the part under way in words,
// and the parts finished since the last look.
void AnalysisWindow::showProgress() {
  if (!m_job) return;
  AnalysisProgress now;
  std::optional<AnalysisData> parts;
  {
    const std::lock_guard<std::mutex> held(m_job->lock);
    now = m_job->progress;
    if (m_job->partCount != m_partsShown) {
      parts = m_job->parts;
      m_partsShown = m_job->partCount;
    }
  }
  progress->setValue(std::max(progress->value(), now.permille));
  if (!now.stage.empty()) lblStatus->setText(QStringLiteral("Computing: %1 ...").arg(QString::fromStdString(now.stage)));
  if (parts && !parts->complete) showParts(*parts);
}

void AnalysisWindow::emptyViews() {
  replaceChart(cfpView, new QChart);
  replaceChart(powerView, new QChart);
  auditTable->clear();
  auditTable->setRowCount(0);
  auditTable->setColumnCount(0);
  lblDifferences->clear();
  m_rankModel->setTable({});
  lblRanksFor->clear();
  btnCopyRanks->setEnabled(false);
  btnExportRanks->setEnabled(false);
  {
    const QSignalBlocker quiet(strategyTable);
    strategyTable->clear();
    strategyTable->setRowCount(0);
    strategyTable->setColumnCount(0);
  }
  lblStrategiesFor->clear();
  btnCopyStrategies->setEnabled(false);
}

void AnalysisWindow::showAnalysis(const AnalysisData& data) {
  m_data = data;
  const LoadedInputs& in = data.results.inputs;
  lblStatus->setText(QStringLiteral("DCFP %1, n = %2, r = %3, j = %4")
                         .arg(QString::fromStdString(data.texts.txtAL).trimmed())
                         .arg(in.n).arg(in.r).arg(in.j));
  showParts(data);
  emit finished();
}

// The audit and the table of what is finished; the charts once their curves are.
void AnalysisWindow::showParts(const AnalysisData& data) {
  m_shown = data;
  const ResultsTable table = auditTableOf(data);
  auditTable->clear();
  auditTable->setColumnCount(static_cast<int>(table.header.size()));
  auditTable->setRowCount(static_cast<int>(table.rows.size()));
  auditTable->setHorizontalHeaderLabels(table.header);
  for (int column = 0; column < table.headerTips.size(); ++column) {
    auditTable->horizontalHeaderItem(column)->setToolTip(table.headerTips[column]);
  }
  for (int row = 0; row < table.rows.size(); ++row) {
    for (int column = 0; column < table.rows[row].size(); ++column) {
      auto* item = new QTableWidgetItem(table.rows[row][column]);
      if (column == 0) item->setToolTip(table.rowTips.value(row));
      if (table.differing[row].contains(column)) {
        // Marked three ways, so that no reader misses it: words, weight and colour.
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        item->setBackground(QBrush(QColor(255, 214, 186)));
      }
      auditTable->setItem(row, column, item);
    }
  }
  auditTable->resizeColumnsToContents();
  const bool audited = std::all_of(data.audited.begin(), data.audited.end(), [](bool done) { return done; });
  const QString differences = audited ? auditDifferences(data)
                                      : QStringLiteral("Incomplete: the audit of the tests not shown was not finished.");
  lblDifferences->setText(differences);
  QFont font = lblDifferences->font();
  font.setBold(differences.startsWith(QStringLiteral("DIFFERENCES")));
  lblDifferences->setFont(font);

  m_rankModel->setTable(rankTableOf(data));
  rankTable->resizeColumnsToContents();
  lblRanksFor->setText(rankTableHeading(data));
  const bool anyRows = std::any_of(data.ranks.begin(), data.ranks.end(), [](const auto& rows) { return rows.has_value(); });
  btnCopyRanks->setEnabled(anyRows);
  btnExportRanks->setEnabled(anyRows);
  showStrategies(data);
  if (data.curvesDone) showCharts();
}

void AnalysisWindow::showCharts() {
  if (!m_shown || !m_shown->curvesDone) return;
  const analysis::RuleCurves* strategy = m_shown->chosenStrategy ? &*m_shown->chosenStrategy : nullptr;
  replaceChart(cfpView, makeCfpChart(m_shown->curves,
                                     chkLogarithmic->isChecked() ? CfpAxis::logarithmic : CfpAxis::linear, strategy));
  replaceChart(powerView, makePowerChart(m_shown->curves, strategy));
}

}  // namespace velmora::ui

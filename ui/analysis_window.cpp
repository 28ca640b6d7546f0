// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/analysis_window.h"

#include <QBrush>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

#include "analysis_charts.h"
#include "velmora/ui/results_table.h"

namespace velmora::ui {

struct AnalysisWindow::Job {
  std::atomic<bool> stop{false};
  std::atomic<int> stepsDone{0};
  // Written by the worker before its thread finishes: none when stopped.
  Expected<std::optional<AnalysisData>> result = std::optional<AnalysisData>();
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

void replaceChart(QChartView* view, QChart* chart) {
  QChart* old = view->chart();
  view->setChart(chart);  // the view gives up the old chart without deleting it
  delete old;
  const QString description = chartDescription(chart);
  view->setAccessibleDescription(description.isEmpty() ? kWaiting : description);
}

}  // namespace

AnalysisWindow::AnalysisWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmAnalysis"));
  setWindowTitle(QStringLiteral("Velmora - Analysis"));
  auto* layout = new QVBoxLayout(this);

  auto* statusRow = new QHBoxLayout;
  lblStatus = new QLabel(kWaiting, this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  progress = new QProgressBar(this);
  progress->setRange(0, kAnalysisSteps);
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
  layout->addWidget(tabs, 1);

  m_progressTimer = new QTimer(this);
  m_progressTimer->setInterval(100);
  connect(m_progressTimer, &QTimer::timeout, this, &AnalysisWindow::showProgress);
  connect(btnStop, &QPushButton::clicked, this, &AnalysisWindow::stop);
  connect(chkLogarithmic, &QCheckBox::toggled, this, &AnalysisWindow::showCharts);
  emptyViews();
  resize(820, 600);
}

// The threads still running are told to stop and waited for: none may outlive the window.
AnalysisWindow::~AnalysisWindow() {
  for (Worker& worker : m_workers) {
    worker.job->stop = true;
    worker.thread->disconnect(this);
  }
  for (Worker& worker : m_workers) {
    worker.thread->wait();
    delete worker.thread;
  }
}

void AnalysisWindow::follow(const Results& results, const InputTexts& texts) {
  if (m_job) m_job->stop = true;
  m_data.reset();
  emptyViews();
  auto job = std::make_shared<Job>();
  m_job = job;
  QThread* thread = QThread::create([job, results, texts] {
    job->result = computeAnalysis(results, texts, job->stop,
                                  [&job](int steps) { job->stepsDone = steps; });
  });
  m_workers.push_back({thread, job});
  connect(thread, &QThread::finished, this, [this, thread, job] {
    m_workers.erase(std::remove_if(m_workers.begin(), m_workers.end(),
                                   [thread](const Worker& w) { return w.thread == thread; }),
                    m_workers.end());
    thread->deleteLater();
    if (job != m_job) return;  // stopped, or overtaken by a newer run
    m_job.reset();
    m_progressTimer->stop();
    progress->setVisible(false);
    btnStop->setVisible(false);
    if (!job->result) {
      lblStatus->setText(QString::fromStdString(job->result.error().lines.front()));
    } else if (*job->result) {
      showAnalysis(**job->result);
    }
  });
  lblStatus->setText(QStringLiteral("Computing the exact values and the curves of n = %1, r = %2 ...")
                         .arg(results.inputs.n).arg(results.inputs.r));
  progress->setValue(0);
  progress->setVisible(true);
  btnStop->setVisible(true);
  m_progressTimer->start();
  thread->start(QThread::LowPriority);
}

void AnalysisWindow::stop() {
  if (!m_job) return;
  m_job->stop = true;
  m_job.reset();
  m_progressTimer->stop();
  progress->setVisible(false);
  btnStop->setVisible(false);
  lblStatus->setText(QStringLiteral("Stopped: this run's exact values and curves were not finished. "
                                    "Calculate again to start over."));
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
  emptyViews();
  lblStatus->setText(kWaiting);
}

void AnalysisWindow::showProgress() {
  if (m_job) progress->setValue(m_job->stepsDone.load());
}

void AnalysisWindow::emptyViews() {
  replaceChart(cfpView, new QChart);
  replaceChart(powerView, new QChart);
  auditTable->clear();
  auditTable->setRowCount(0);
  auditTable->setColumnCount(0);
  lblDifferences->clear();
}

void AnalysisWindow::showAnalysis(const AnalysisData& data) {
  m_data = data;
  const LoadedInputs& in = data.results.inputs;
  lblStatus->setText(QStringLiteral("DCFP %1, n = %2, r = %3, j = %4")
                         .arg(QString::fromStdString(data.texts.txtAL).trimmed())
                         .arg(in.n).arg(in.r).arg(in.j));
  showCharts();

  const ResultsTable table = auditTableOf(data);
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
  const QString differences = auditDifferences(data);
  lblDifferences->setText(differences);
  QFont font = lblDifferences->font();
  font.setBold(differences.startsWith(QStringLiteral("DIFFERENCES")));
  lblDifferences->setFont(font);
  emit finished();
}

void AnalysisWindow::showCharts() {
  if (!m_data) return;
  replaceChart(cfpView, makeCfpChart(m_data->curves, chkLogarithmic->isChecked() ? CfpAxis::logarithmic
                                                                                 : CfpAxis::linear));
  replaceChart(powerView, makePowerChart(m_data->curves));
}

}  // namespace velmora::ui

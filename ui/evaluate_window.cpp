// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/evaluate_window.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <span>

#include "worker_threads.h"
#include "velmora/platform/documents.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/platform/message_boxes.h"

namespace velmora::ui {

struct EvaluateWindow::Job {
  std::atomic<bool> stop{false};
  // Written by the worker before its thread finishes: none when stopped.
  Expected<std::optional<Evaluation>> result = std::optional<Evaluation>();
};

// The background of one constituent, largest first, the limit's row marked. A model that
// words a row only when the view draws it: a background of 100,000 values costs no more
// than its first screen.
class BackgroundModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void show(const Evaluation* evaluation, const EvaluatedConstituent* constituent) {
    beginResetModel();
    m_evaluation = evaluation;
    m_constituent = constituent;
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    if (parent.isValid() || m_constituent == nullptr) return 0;
    return static_cast<int>(std::min<std::size_t>(m_constituent->evaluation.limit.order.size(), INT_MAX));
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 5; }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const std::array<const char*, 5> kCaptions{"Rank", "Value", "Well", "Event", "Limit"};
    return QString::fromLatin1(kCaptions.at(static_cast<std::size_t>(section)));
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || m_constituent == nullptr) return {};
    const analysis::BackgroundLimit& limit = m_constituent->evaluation.limit;
    const auto row = static_cast<std::size_t>(index.row());
    const bool isLimit = row == limit.position;
    if (role == Qt::BackgroundRole) return isLimit ? QVariant(QColor(255, 214, 186)) : QVariant();
    if (role == Qt::FontRole && isLimit) {
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    if (role != Qt::DisplayRole) return {};
    const analysis::ConstituentData& data = m_evaluation->dataOf(*m_constituent);
    const analysis::BackgroundEntry& entry = limit.order[row];
    const analysis::Measurement& value = data.background[entry.well].values[entry.value];
    switch (index.column()) {
      case 0: return QString::number(row + 1);
      case 1: return QString::fromStdString(value.text);
      case 2: return QString::fromStdString(data.background[entry.well].well);
      case 3: return QString::fromStdString(analysis::eventText(value.event));
      default:
        if (!isLimit) return {};
        // Marked in words as well as colour and weight, so that the mark reads in grey.
        return limit.isReportingLimit ? QStringLiteral("<< limit (a reporting limit)") : QStringLiteral("<< limit");
    }
  }

 private:
  const Evaluation* m_evaluation = nullptr;
  const EvaluatedConstituent* m_constituent = nullptr;
};

namespace {

// The most problem lines a message box lists.
constexpr std::size_t kListedInBox = 25;
// The most values of a well a verdict cell shows, and its tooltip.
constexpr std::size_t kValuesInCell = 12;
constexpr std::size_t kValuesInTip = 200;

QLineEdit* smallBox(QWidget* parent, const char* name, int characters) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QLatin1String(name));
  box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * characters + 16);
  return box;
}

// A verdict as the table shows it: a mark and the word, on a colour. The word and the mark
// carry it alone when the colour is lost (printed in grey, or not told apart).
struct VerdictLook {
  QString text;
  QColor colour;
  bool bold = false;
};

VerdictLook lookOf(analysis::Verdict verdict) {
  switch (verdict) {
    case analysis::Verdict::pass: return {QStringLiteral("\u2713 pass"), QColor(200, 235, 200)};
    case analysis::Verdict::fail: return {QStringLiteral("\u2717 FAIL"), QColor(255, 190, 190), true};
    case analysis::Verdict::resampleNeeded: return {QStringLiteral("+ resample needed"), QColor(255, 235, 170)};
    case analysis::Verdict::undetermined: return {QStringLiteral("? undetermined"), QColor(215, 215, 235)};
  }
  return {};
}

}  // namespace

QString droppedCsvFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  if (!url.isLocalFile()) return {};
  const QString path = url.toLocalFile();
  return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? path : QString();
}

EvaluateWindow::EvaluateWindow(platform::FileDialogs& fileDialogs, platform::MessageBoxes& messageBoxes,
                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_fileDialogs(fileDialogs),
      m_messageBoxes(messageBoxes),
      m_threads(std::make_unique<WorkerThreads>(this)) {
  setObjectName(QStringLiteral("frmEvaluate"));
  setWindowTitle(QStringLiteral("Velmora - Evaluate Data"));
  setAcceptDrops(true);
  auto* layout = new QVBoxLayout(this);

  auto* request = new QGridLayout;
  request->addWidget(new QLabel(QStringLiteral("Data file:"), this), 0, 0);
  lblFile = new QLabel(QStringLiteral("(none: open a monitoring data file, or drop one here)"), this);
  lblFile->setObjectName(QStringLiteral("lblFile"));
  lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
  request->addWidget(lblFile, 0, 1, 1, 6);
  btnOpen = new QPushButton(QStringLiteral("&Open…"), this);
  btnOpen->setObjectName(QStringLiteral("btnOpen"));
  request->addWidget(btnOpen, 0, 7);

  auto* strategyCaption = new QLabel(QStringLiteral("&Strategy:"), this);
  cboStrategy = new QComboBox(this);
  cboStrategy->setObjectName(QStringLiteral("cboStrategy"));
  // Any strategy name may be typed; the list holds the usual ones.
  cboStrategy->setEditable(true);
  cboStrategy->setInsertPolicy(QComboBox::NoInsert);
  for (const analysis::Strategy& strategy : analysis::defaultStrategies()) {
    cboStrategy->addItem(QString::fromStdString(strategy.canonicalName()));
  }
  strategyCaption->setBuddy(cboStrategy);
  request->addWidget(strategyCaption, 1, 0);
  request->addWidget(cboStrategy, 1, 1, 1, 2);

  optRank = new QRadioButton(QStringLiteral("&Rank:"), this);
  optRank->setObjectName(QStringLiteral("optRank"));
  txtRank = smallBox(this, "txtRank", 6);
  request->addWidget(optRank, 2, 0);
  request->addWidget(txtRank, 2, 1);
  optDesign = new QRadioButton(QStringLiteral("&Best rank for DCFP:"), this);
  optDesign->setObjectName(QStringLiteral("optDesign"));
  txtDcfp = smallBox(this, "txtDcfp", 8);
  txtR = smallBox(this, "txtR", 6);
  txtJ = smallBox(this, "txtJ", 6);
  txtJ->setPlaceholderText(QStringLiteral("up to n"));
  request->addWidget(optDesign, 3, 0);
  request->addWidget(txtDcfp, 3, 1);
  request->addWidget(new QLabel(QStringLiteral("r:"), this), 3, 2, Qt::AlignRight);
  request->addWidget(txtR, 3, 3);
  request->addWidget(new QLabel(QStringLiteral("j:"), this), 3, 4, Qt::AlignRight);
  request->addWidget(txtJ, 3, 5);
  auto* modes = new QButtonGroup(this);
  modes->addButton(optRank);
  modes->addButton(optDesign);
  optRank->setChecked(true);
  request->setColumnStretch(6, 1);
  layout->addLayout(request);

  auto* actions = new QHBoxLayout;
  chkSkipBadLines = new QCheckBox(QStringLiteral("S&kip bad lines (and list them)"), this);
  chkSkipBadLines->setObjectName(QStringLiteral("chkSkipBadLines"));
  btnEvaluate = new QPushButton(QStringLiteral("&Evaluate"), this);
  btnEvaluate->setObjectName(QStringLiteral("btnEvaluate"));
  btnEvaluate->setDefault(true);
  btnStop = new QPushButton(QStringLiteral("S&top"), this);
  btnStop->setObjectName(QStringLiteral("btnStop"));
  btnStop->setVisible(false);
  progress = new QProgressBar(this);
  progress->setRange(0, 0);  // reading has no known length: the bar only says it works
  progress->setVisible(false);
  actions->addWidget(chkSkipBadLines);
  actions->addStretch(1);
  actions->addWidget(progress);
  actions->addWidget(btnStop);
  actions->addWidget(btnEvaluate);
  layout->addLayout(actions);

  lblStatus = new QLabel(QStringLiteral("Nothing evaluated yet."), this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setWordWrap(true);
  layout->addWidget(lblStatus);
  auto* constituentRow = new QHBoxLayout;
  cboConstituent = new QComboBox(this);
  cboConstituent->setObjectName(QStringLiteral("cboConstituent"));
  cboConstituent->setVisible(false);
  lblConstituent = new QLabel(this);
  lblConstituent->setObjectName(QStringLiteral("lblConstituent"));
  lblConstituent->setWordWrap(true);
  constituentRow->addWidget(cboConstituent);
  constituentRow->addWidget(lblConstituent, 1);
  layout->addLayout(constituentRow);
  lblLimit = new QLabel(this);
  lblLimit->setObjectName(QStringLiteral("lblLimit"));
  lblLimit->setWordWrap(true);
  QFont bold = lblLimit->font();
  bold.setBold(true);
  lblLimit->setFont(bold);
  layout->addWidget(lblLimit);
  lblWarning = new QLabel(this);
  lblWarning->setObjectName(QStringLiteral("lblWarning"));
  lblWarning->setWordWrap(true);
  QPalette maroon = lblWarning->palette();
  maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));  // the form's maroon: a warning
  lblWarning->setPalette(maroon);
  lblWarning->setVisible(false);
  layout->addWidget(lblWarning);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  backgroundTable = new QTableView(splitter);
  backgroundTable->setObjectName(QStringLiteral("backgroundTable"));
  m_backgroundModel = new BackgroundModel(this);
  backgroundTable->setModel(m_backgroundModel);
  backgroundTable->verticalHeader()->setVisible(false);
  backgroundTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Rows of one height: the view then never measures 100,000 of them.
  backgroundTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verdictTable = new QTableWidget(splitter);
  verdictTable->setObjectName(QStringLiteral("verdictTable"));
  verdictTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  verdictTable->verticalHeader()->setVisible(false);
  verdictTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  verdictTable->setWordWrap(true);
  verdictTable->setTextElideMode(Qt::ElideRight);
  splitter->addWidget(backgroundTable);
  splitter->addWidget(verdictTable);
  splitter->setStretchFactor(0, 2);
  splitter->setStretchFactor(1, 5);
  layout->addWidget(splitter, 1);

  txtSkipped = new QPlainTextEdit(this);
  txtSkipped->setObjectName(QStringLiteral("txtSkipped"));
  txtSkipped->setReadOnly(true);
  txtSkipped->setMaximumHeight(txtSkipped->fontMetrics().height() * 6);
  txtSkipped->setVisible(false);
  layout->addWidget(txtSkipped);

  auto* outputs = new QHBoxLayout;
  btnCopy = new QPushButton(QStringLiteral("&Copy"), this);
  btnCopy->setObjectName(QStringLiteral("btnCopy"));
  btnExport = new QPushButton(QStringLiteral("E&xport CSV…"), this);
  btnExport->setObjectName(QStringLiteral("btnExport"));
  btnCopy->setEnabled(false);
  btnExport->setEnabled(false);
  outputs->addStretch(1);
  outputs->addWidget(btnCopy);
  outputs->addWidget(btnExport);
  layout->addLayout(outputs);

  connect(btnOpen, &QPushButton::clicked, this, &EvaluateWindow::chooseFile);
  connect(btnEvaluate, &QPushButton::clicked, this, &EvaluateWindow::evaluate);
  connect(btnStop, &QPushButton::clicked, this, &EvaluateWindow::stop);
  connect(btnCopy, &QPushButton::clicked, this, &EvaluateWindow::copy);
  connect(btnExport, &QPushButton::clicked, this, &EvaluateWindow::exportCsv);
  connect(cboConstituent, &QComboBox::currentIndexChanged, this, &EvaluateWindow::showConstituent);
  connect(cboStrategy, &QComboBox::currentTextChanged, this, &EvaluateWindow::followStrategy);
  // Typing into a box of one mode chooses that mode.
  connect(txtRank, &QLineEdit::textEdited, optRank, [this] { optRank->setChecked(true); });
  for (QLineEdit* box : {txtDcfp, txtR, txtJ}) {
    connect(box, &QLineEdit::textEdited, optDesign, [this] { optDesign->setChecked(true); });
  }
  resize(980, 640);
}

EvaluateWindow::~EvaluateWindow() = default;

void EvaluateWindow::setFile(const QString& path) {
  m_path = path;
  lblFile->setText(QDir::toNativeSeparators(path));
  btnEvaluate->setFocus();
}

bool EvaluateWindow::chooseFile() {
  const QString path = m_fileDialogs.openFileName(this, QStringLiteral("Evaluate Data"),
                                                  QStringLiteral("Monitoring data (*.csv);;All files (*)"));
  if (path.isEmpty()) return false;
  setFile(path);
  return true;
}

void EvaluateWindow::prefill(const std::optional<CalculationResult>& outcome, const InputTexts& texts) {
  if (!outcome || m_prefilledFrom == texts) return;
  m_prefilledFrom = texts;
  std::array<int, kSchemeCount> ranks{};
  for (std::size_t t = 0; t < ranks.size(); ++t) ranks[t] = outcome->results.schemes[t].rank;
  m_schemeRanks = ranks;
  txtDcfp->setText(QString::fromStdString(texts.txtAL).trimmed());
  txtR->setText(QString::fromStdString(texts.txtR).trimmed());
  txtJ->setText(QString::fromStdString(texts.txtMDET).trimmed());
  // The design, not the run's rank, unless the user chooses: the run's rank is for its own
  // n, and the file's background may hold another number of values.
  optDesign->setChecked(true);
  followStrategy();
}

// The run's rank of scheme 1:t follows a strategy that is 1-of-t.
void EvaluateWindow::followStrategy() {
  if (!m_schemeRanks) return;
  const Expected<analysis::Strategy> strategy = analysis::parseStrategy(cboStrategy->currentText().toStdString());
  if (!strategy) return;
  const std::optional<int> scheme = strategy->scheme();
  if (scheme && *scheme >= 1 && *scheme <= kSchemeCount) {
    txtRank->setText(QString::number((*m_schemeRanks)[static_cast<std::size_t>(*scheme - 1)]));
  }
}

Expected<EvaluationRequest> EvaluateWindow::request() const {
  EvaluationRequest out;
  out.path = m_path;
  if (out.path.isEmpty()) return fail(ProblemKind::refusedRequest, "Choose a monitoring data file first (Open…).");
  out.strategy = cboStrategy->currentText().toStdString();
  out.skipBadLines = chkSkipBadLines->isChecked();
  if (optRank->isChecked()) {
    bool whole = false;
    const int rank = txtRank->text().trimmed().toInt(&whole);
    if (!whole || rank < 1) {
      return fail(ProblemKind::refusedRequest, "The rank must be a whole number from 1 up, not \"" +
                                                   txtRank->text().toStdString() + "\".");
    }
    out.rank = rank;
  } else {
    out.dcfp = txtDcfp->text().toStdString();
    out.r = txtR->text().toStdString();
    out.j = txtJ->text().toStdString();
  }
  return out;
}

void EvaluateWindow::evaluate() {
  const Expected<EvaluationRequest> asked = request();
  if (!asked) {
    refuse(asked.error());
    return;
  }
  if (m_job) m_job->stop = true;
  auto job = std::make_shared<Job>();
  m_job = job;
  auto run = [job, request = *asked] { job->result = evaluateData(request, job->stop); };
  auto finished = [this, job] {
    if (job != m_job) return;  // stopped, or overtaken by a newer request
    endWork();
    if (!job->result) {
      refuse(job->result.error());
    } else if (*job->result) {
      showEvaluation(std::move(**job->result));
    }
  };
  lblStatus->setText(QStringLiteral("Reading and evaluating %1 ...").arg(QFileInfo(m_path).fileName()));
  progress->setVisible(true);
  btnStop->setVisible(true);
  m_threads->start(std::shared_ptr<std::atomic<bool>>(job, &job->stop), std::move(run), std::move(finished));
}

void EvaluateWindow::endWork() {
  m_job.reset();
  progress->setVisible(false);
  btnStop->setVisible(false);
}

void EvaluateWindow::stop() {
  if (!m_job) return;
  m_job->stop = true;
  endWork();
  lblStatus->setText(m_evaluation ? requestLine(*m_evaluation) + QStringLiteral(" (the newer request was stopped)")
                                  : QStringLiteral("Stopped: nothing evaluated."));
  emit finished();
}

// Nothing shown changes: the verdicts of the last evaluation stay with their own request
// line, and the message says why nothing new was evaluated.
void EvaluateWindow::refuse(const Problem& problem) {
  QStringList lines;
  for (std::size_t i = 0; i < problem.lines.size() && i < kListedInBox; ++i) {
    lines << QString::fromStdString(problem.lines[i]);
  }
  if (problem.lines.size() > kListedInBox) {
    lines << QStringLiteral("and %1 more lines of the message").arg(problem.lines.size() - kListedInBox);
  }
  if (!lines.isEmpty() && !lines.front().isEmpty()) lines.front()[0] = lines.front()[0].toUpper();
  QString prompt;
  if (problem.kind == ProblemKind::unreadableData) {
    prompt = QStringLiteral("Nothing was evaluated: %1\r").arg(QFileInfo(m_path).fileName());
  }
  prompt += lines.join(QLatin1Char('\r'));
  if (problem.kind == ProblemKind::unreadableData && problem.line > 0 && !chkSkipBadLines->isChecked()) {
    prompt += QStringLiteral("\r\rWith Skip bad lines ticked, the lines that can be passed over are, and they are "
                             "listed with the verdicts.");
  }
  lblStatus->setText(m_evaluation ? requestLine(*m_evaluation) : QStringLiteral("Nothing evaluated yet."));
  m_messageBoxes.showWarning(QStringLiteral("Evaluate Data"), prompt);
  emit finished();
}

void EvaluateWindow::showEvaluation(Evaluation evaluation) {
  m_backgroundModel->show(nullptr, nullptr);  // it points into the evaluation replaced here
  m_evaluation = std::move(evaluation);
  const Evaluation& shown = *m_evaluation;
  lblStatus->setText(requestLine(shown));
  {
    const QSignalBlocker quiet(cboConstituent);
    cboConstituent->clear();
    for (const EvaluatedConstituent& constituent : shown.constituents) {
      cboConstituent->addItem(QString::fromStdString(shown.dataOf(constituent).name));
    }
  }
  cboConstituent->setVisible(shown.constituents.size() > 1);
  QString skipped;
  for (const records::BadLine& bad : shown.data.skipped) {
    skipped += QStringLiteral("Skipped line %1: ").arg(bad.line) + QString::fromStdString(bad.reason) + QLatin1Char('\n');
  }
  if (shown.data.skippedNotListed > 0) skipped += QStringLiteral("and %1 more skipped lines\n").arg(shown.data.skippedNotListed);
  txtSkipped->setPlainText(skipped);
  txtSkipped->setVisible(!skipped.isEmpty());
  btnCopy->setEnabled(true);
  btnExport->setEnabled(true);
  showConstituent(0);
  emit finished();
}

void EvaluateWindow::showConstituent(int index) {
  if (!m_evaluation || index < 0 || static_cast<std::size_t>(index) >= m_evaluation->constituents.size()) return;
  const Evaluation& shown = *m_evaluation;
  const EvaluatedConstituent& constituent = shown.constituents[static_cast<std::size_t>(index)];
  const analysis::ConstituentData& values = shown.dataOf(constituent);
  lblConstituent->setText(constituentLine(shown, constituent));
  lblLimit->setText(limitLine(shown, constituent));
  const QString warning = QString::fromStdString(constituent.evaluation.limit.warning);
  lblWarning->setText(warning.isEmpty() ? QString() : QStringLiteral("Warning: ") + warning);
  lblWarning->setVisible(!warning.isEmpty());

  m_backgroundModel->show(&shown, &constituent);
  backgroundTable->resizeColumnsToContents();
  backgroundTable->scrollTo(m_backgroundModel->index(static_cast<int>(constituent.evaluation.limit.position), 0),
                            QAbstractItemView::PositionAtCenter);

  verdictTable->clear();
  verdictTable->setColumnCount(5);
  verdictTable->setHorizontalHeaderLabels({QStringLiteral("Well"), QStringLiteral("Verdict"),
                                           QStringLiteral("Values used"), QStringLiteral("Not used"),
                                           QStringLiteral("Reason")});
  verdictTable->setRowCount(static_cast<int>(values.compliance.size()));
  for (std::size_t w = 0; w < values.compliance.size(); ++w) {
    const std::span<const analysis::Measurement> wellValues = values.compliance[w].values;
    const analysis::WellVerdict& verdict = constituent.evaluation.wells[w];
    // A cell shows a well's first values and how many there are; its tooltip more of them.
    // The values not used may be thousands, and a cell of thousands would wrap into a row
    // taller than the table.
    const auto joined = [](std::span<const analysis::Measurement> part, std::size_t most) {
      QStringList texts;
      for (std::size_t i = 0; i < part.size() && i < most; ++i) texts << QString::fromStdString(part[i].text);
      QString text = texts.join(QStringLiteral(", "));
      if (part.size() > most) text += QStringLiteral(", ... (%1 values)").arg(part.size());
      return text;
    };
    const int row = static_cast<int>(w);
    const VerdictLook look = lookOf(verdict.verdict);
    auto* mark = new QTableWidgetItem(look.text);
    mark->setBackground(look.colour);
    QFont font = mark->font();
    font.setBold(look.bold);
    mark->setFont(font);
    mark->setToolTip(QString::fromLatin1(analysis::verdictName(verdict.verdict)));
    auto* reason = new QTableWidgetItem(QString::fromStdString(verdict.reason));
    reason->setToolTip(reason->text());
    verdictTable->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(values.compliance[w].well)));
    verdictTable->setItem(row, 1, mark);
    for (const auto& [column, part] : {std::pair{2, wellValues.first(verdict.valuesUsed)},
                                       std::pair{3, wellValues.subspan(verdict.valuesUsed)}}) {
      auto* item = new QTableWidgetItem(joined(part, kValuesInCell));
      item->setToolTip(joined(part, kValuesInTip));
      verdictTable->setItem(row, column, item);
    }
    verdictTable->setItem(row, 4, reason);
  }
  // The reason, the longest and the one to read, takes the width left and wraps.
  verdictTable->resizeColumnsToContents();
  const int widest = verdictTable->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 28;
  for (int column : {2, 3}) {
    if (verdictTable->columnWidth(column) > widest) verdictTable->setColumnWidth(column, widest);
  }
  verdictTable->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
}

void EvaluateWindow::copy() {
  if (!m_evaluation) return;
  QString html = verdictsHtml(*m_evaluation);
  platform::putTableOnClipboard(verdictsText(*m_evaluation), html);
}

void EvaluateWindow::exportCsv() {
  if (!m_evaluation) return;
  QString path = m_fileDialogs.saveFileName(this, QStringLiteral("Export Verdicts"),
                                            QFileInfo(m_evaluation->request.path).completeBaseName() +
                                                QStringLiteral("-verdicts.csv"),
                                            QStringLiteral("CSV files (*.csv)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) path += QStringLiteral(".csv");
  QString reason;
  if (platform::writeWholeFile(path, verdictsCsv(*m_evaluation), &reason)) return;
  m_messageBoxes.showWarning(QStringLiteral("Export Error"), QStringLiteral("The verdicts could not be written to\r%1\r%2")
                                                                 .arg(QDir::toNativeSeparators(path), reason));
}

void EvaluateWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedCsvFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void EvaluateWindow::dropEvent(QDropEvent* event) {
  const QString path = droppedCsvFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  setFile(path);
}

}  // namespace velmora::ui

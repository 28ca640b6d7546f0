// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window's table of every rank, its progress and its Stop: the rows are the
// command line's, the bar never goes back, and Stop keeps the finished tests marked
// incomplete.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <string>
#include <vector>

#include "recording_message_boxes.h"
#include "velmora/engine/calculation.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/ui/analysis_data.h"
#include "velmora/ui/analysis_window.h"

namespace {

using velmora::ui::AnalysisData;
using velmora::ui::AnalysisWindow;

velmora::Results resultsOf(const velmora::InputTexts& texts) {
  velmora::Calculation calculation;
  return calculation.calculate(texts).value().results;
}

// Waits on the window's thread until `done` holds, for at most `seconds`.
template <class Done>
bool waitFor(Done done, int seconds) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > seconds * 1000) return false;
    QTest::qWait(20);
  }
  return true;
}

QStringList readLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST(AnalysisWindowRanks, TheTableHoldsTheCommandLinesRowsAndCarriesItsInputs) {
  const velmora::InputTexts texts{"0.05", "60", "12", "60"};
  AnalysisWindow window;
  velmora::platform::ScriptedFileDialogs dialogs;
  velmora::platform::RecordingMessageBoxes boxes;
  window.setPlatform(&dialogs, &boxes);
  QSignalSpy finished(&window, &AnalysisWindow::finished);
  window.follow(resultsOf(texts), texts);
  ASSERT_TRUE(finished.wait(120000));
  ASSERT_TRUE(window.data().has_value());
  EXPECT_TRUE(window.data()->complete);
  EXPECT_EQ(window.lblRanksFor->text(), "Rows for DCFP 0.05, n 60, r 12, j 60");

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  dialogs.answerWith(folder.filePath("ranks"));  // the extension is added
  QTest::mouseClick(window.btnExportRanks, Qt::LeftButton);
  EXPECT_TRUE(boxes.boxes().isEmpty());
  const QStringList exported = readLines(folder.filePath("ranks.csv"));
  ASSERT_GT(exported.size(), 2);
  EXPECT_EQ(exported[0], "\"Rows for DCFP 0.05, n 60, r 12, j 60\"");
  EXPECT_EQ(exported[1], "test,rank,design_cfp,exact_cfp,meets,power_2sd,power_3sd,power_4sd,rating,chosen,j_bound");

  // The command line's rows of every rank, in the window's column order.
  QProcess cli;
  cli.start(QStringLiteral(VELMORA_CLI_PATH), {"curves", "--dcfp", "0.05", "--n", "60", "--r", "12"});
  ASSERT_TRUE(cli.waitForFinished(120000));
  QStringList expected;
  for (const QString& line : QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    const QStringList f = line.split(QLatin1Char(','));
    if (f.size() != 18 || f[5] != "cfp") continue;
    expected.append(QStringList{f[4], f[6], f[8], f[9], f[13], f[14], f[15], f[16], f[17], f[11], f[12]}.join(','));
  }
  ASSERT_GT(expected.size(), 4 * 6);
  EXPECT_EQ(exported.mid(2), expected);

  // The view shows the same rows; Copy puts them on the clipboard after the inputs' line.
  const QAbstractItemModel* model = window.rankTable->model();
  ASSERT_EQ(model->rowCount(), expected.size());
  const QStringList first = expected[0].split(',');
  EXPECT_EQ(model->index(0, 0).data().toString(), first[0]);
  EXPECT_EQ(model->index(0, 3).data().toString(), first[3]);
  // 1:1 is "DCFP exceeded at max = 1": its rank 1 is marked so, never as chosen; 1:4's 14 is.
  EXPECT_EQ(model->index(0, 9).data().toString(), "DCFP exceeded at max = 1");
  EXPECT_EQ(model->match(model->index(0, 9), Qt::DisplayRole, "chosen", -1, Qt::MatchExactly).size(), 3);
  QTest::mouseClick(window.btnCopyRanks, Qt::LeftButton);
  const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'));
  ASSERT_GT(copied.size(), 2);
  EXPECT_EQ(copied[0], "Rows for DCFP 0.05, n 60, r 12, j 60");
  EXPECT_TRUE(copied[2].startsWith("1:1\t1\t")) << copied[2].toStdString();
}

// The job's share done, as the worker tells it, and its parts: never lower than the last,
// full at the end, each stage in words, the audit handed over scheme by scheme and the rows
// test by test.
TEST(AnalysisWindowRanks, ProgressNeverGoesBackAndTheAuditAndRowsArriveTestByTest) {
  const velmora::InputTexts texts{"0.05", "1000", "1000", "1000"};
  std::vector<int> permille;
  std::vector<std::string> stages;
  std::vector<std::pair<int, int>> parts;  // (schemes audited, tests with rows) at each part
  velmora::ui::AnalysisListener listener;
  listener.progress = [&](const velmora::ui::AnalysisProgress& progress) {
    permille.push_back(progress.permille);
    stages.push_back(progress.stage);
  };
  listener.partDone = [&](const AnalysisData& data) {
    const auto audited = static_cast<int>(std::count(data.audited.begin(), data.audited.end(), true));
    const auto rows = static_cast<int>(
        std::count_if(data.ranks.begin(), data.ranks.end(), [](const auto& ranks) { return ranks.has_value(); }));
    parts.emplace_back(audited, rows);
  };
  const std::atomic<bool> never{false};
  const auto analysis = velmora::ui::computeAnalysis(resultsOf(texts), texts, never, listener);
  ASSERT_TRUE(analysis.has_value() && analysis->has_value());
  ASSERT_FALSE(permille.empty());
  EXPECT_TRUE(std::is_sorted(permille.begin(), permille.end()));
  EXPECT_EQ(permille.back(), 1000);
  EXPECT_LT(permille[permille.size() / 2], 1000);
  // 1:4's rows reach rank 88 (its chosen 83 and five past).
  EXPECT_NE(std::find(stages.begin(), stages.end(), "exact CFP, 1:4, rank 1 of 88"), stages.end());
  EXPECT_NE(std::find(stages.begin(), stages.end(), "exact audit, 1:3"), stages.end());
  const std::vector<std::pair<int, int>> expected{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1},
                                                  {4, 2}, {4, 3}, {4, 4}, {4, 4}};
  EXPECT_EQ(parts, expected);

  // The window's bar over a run of the same design never goes back either.
  AnalysisWindow window;
  std::vector<int> shown;
  QObject::connect(window.progress, &QProgressBar::valueChanged, [&shown](int value) { shown.push_back(value); });
  QSignalSpy finished(&window, &AnalysisWindow::finished);
  window.follow(resultsOf(texts), texts);
  ASSERT_TRUE(finished.wait(120000));
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
}

// A design whose rows are costly (thousands of ranks at r = 5461): Stop, once 1:1's rows are
// shown, keeps the audit and those rows, says they are incomplete, and the finished analysis
// (what the report takes) stays empty.
TEST(AnalysisWindowRanks, StopKeepsTheFinishedTestsMarkedIncomplete) {
  const velmora::InputTexts texts{"0.99999", "10922", "5461", "10922"};
  AnalysisWindow window;
  velmora::platform::ScriptedFileDialogs dialogs;
  velmora::platform::RecordingMessageBoxes boxes;
  window.setPlatform(&dialogs, &boxes);
  window.follow(resultsOf(texts), texts);
  ASSERT_TRUE(waitFor([&] { return window.shown() && window.shown()->ranks[0].has_value(); }, 300));
  ASSERT_TRUE(window.working());
  QTest::mouseClick(window.btnStop, Qt::LeftButton);
  EXPECT_FALSE(window.working());
  EXPECT_FALSE(window.data().has_value());
  ASSERT_TRUE(window.shown().has_value());
  const AnalysisData& kept = *window.shown();
  EXPECT_FALSE(kept.complete);
  EXPECT_FALSE(kept.ranks[3].has_value());
  EXPECT_EQ(kept.ranks[0]->rows.size(), 2361u);
  EXPECT_TRUE(window.lblStatus->text().startsWith("Stopped")) << window.lblStatus->text().toStdString();
  EXPECT_TRUE(window.lblRanksFor->text().contains("(incomplete: stopped before the rows of ")) << window.lblRanksFor->text().toStdString();
  EXPECT_TRUE(window.lblRanksFor->text().endsWith("1:4)"));
  EXPECT_EQ(window.auditTable->columnCount(), 5);  // the audit was finished first
  EXPECT_GE(window.rankTable->model()->rowCount(), 2361);

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  dialogs.answerWith(folder.filePath("stopped.csv"));
  QTest::mouseClick(window.btnExportRanks, Qt::LeftButton);
  const QStringList exported = readLines(folder.filePath("stopped.csv"));
  ASSERT_FALSE(exported.isEmpty());
  EXPECT_TRUE(exported[0].contains("incomplete")) << exported[0].toStdString();
}

}  // namespace

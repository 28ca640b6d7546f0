// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window's table of every rank, its retest strategies, its progress and its
// Stop: the rows are the command line's, a chosen strategy is drawn on both charts, the bar
// never goes back, Stop keeps the finished tests marked incomplete, and a chart's title keeps
// its end in a narrow window.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QXYSeries>
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
// full at the end, each stage in words, the audit handed over scheme by scheme, then the
// retest strategies' table, then the rows test by test.
TEST(AnalysisWindowRanks, ProgressNeverGoesBackAndTheAuditAndRowsArriveTestByTest) {
  const velmora::InputTexts texts{"0.05", "1000", "1000", "1000"};
  std::vector<int> permille;
  std::vector<std::string> stages;
  std::vector<std::pair<int, int>> parts;  // (schemes audited, tests with rows) at each part
  std::vector<bool> strategiesAt;          // whether the strategies' table was there, at each part
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
    strategiesAt.push_back(data.strategyRows.has_value());
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
  EXPECT_NE(std::find(stages.begin(), stages.end(), "retest strategy modified-california (10 of 12)"), stages.end());
  const std::vector<std::pair<int, int>> expected{{1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 0},
                                                  {4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 4}};
  EXPECT_EQ(parts, expected);
  EXPECT_EQ(strategiesAt, (std::vector<bool>{false, false, false, false, true, true, true, true, true, true}));

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
  EXPECT_EQ(window.strategyTable->rowCount(), 12);  // and the strategies right after it
  EXPECT_GE(window.rankTable->model()->rowCount(), 2361);

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  dialogs.answerWith(folder.filePath("stopped.csv"));
  QTest::mouseClick(window.btnExportRanks, Qt::LeftButton);
  const QStringList exported = readLines(folder.filePath("stopped.csv"));
  ASSERT_FALSE(exported.isEmpty());
  EXPECT_TRUE(exported[0].contains("incomplete")) << exported[0].toStdString();
}

// The chart's series of that object name (none: null).
const QXYSeries* seriesNamed(const QChartView* view, const QString& name) {
  for (const QAbstractSeries* series : view->chart()->series()) {
    if (series->objectName() == name) return qobject_cast<const QXYSeries*>(series);
  }
  return nullptr;
}

// The guidance's Example 19-5 design: the page's rows are the command line's csv rows, in the
// same texts; Copy puts them after the inputs' line; a list the library refuses changes nothing.
TEST(AnalysisWindowStrategies, TheTableHoldsTheCommandLinesRows) {
  const velmora::InputTexts texts{"0.02085164", "20", "10", "20"};
  AnalysisWindow window;
  QSignalSpy finished(&window, &AnalysisWindow::finished);
  window.follow(resultsOf(texts), texts);
  ASSERT_TRUE(finished.wait(120000));

  QProcess cli;
  cli.start(QStringLiteral(VELMORA_CLI_PATH),
            {"strategies", "--dcfp", "0.02085164", "--n", "20", "--r", "10", "--j", "20", "--format", "csv"});
  ASSERT_TRUE(cli.waitForFinished(120000));
  QStringList expected = QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(expected.size(), 13);  // the header and the twelve strategies of the default list
  expected.removeFirst();
  ASSERT_EQ(window.strategyTable->rowCount(), expected.size());
  QStringList shown;
  for (int row = 0; row < window.strategyTable->rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < 11; ++column) {
      const QString cell = window.strategyTable->item(row, column)->text();
      cells << (cell == "Yes" ? "true" : cell == "No" ? "false" : cell);
    }
    shown << cells.join(',');
  }
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(window.strategyTable->item(10, 11)->text(), "the same test as 2-of-3");  // 1-of-1/median-3

  QTest::mouseClick(window.btnCopyStrategies, Qt::LeftButton);
  const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'));
  ASSERT_GT(copied.size(), 2);
  EXPECT_EQ(copied[0], "Retest strategies for DCFP 0.02085164, n 20, r 10, j 20");
  EXPECT_TRUE(copied[2].startsWith("1-of-1\t1\tYes\tNo\t0.3333333333\t")) << copied[2].toStdString();

  window.edtStrategies->setText("1-of-2, 3-of-2");
  QTest::mouseClick(window.btnApplyStrategies, Qt::LeftButton);
  EXPECT_FALSE(window.working());
  EXPECT_FALSE(window.lblStrategyProblem->isHidden());
  EXPECT_EQ(window.strategyTable->rowCount(), 12);
  window.edtStrategies->setText(" Modified-California ,1:2");
  QTest::mouseClick(window.btnApplyStrategies, Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return !window.working(); }, 120));
  EXPECT_TRUE(window.lblStrategyProblem->isHidden());
  EXPECT_EQ(window.edtStrategies->text(), "modified-california, 1-of-2");
  ASSERT_EQ(window.strategyTable->rowCount(), 2);
  EXPECT_EQ(window.strategyTable->item(1, 0)->text() + "," + window.strategyTable->item(1, 4)->text(),
            expected[1].section(',', 0, 0) + "," + expected[1].section(',', 4, 4));
}

// A chart's title wider than its plot breaks after its colon instead of losing its end, and
// is one line again once the window is wide enough.
TEST(AnalysisWindowCharts, ATitleTooWideForThePlotBreaksAfterItsColon) {
  const velmora::InputTexts texts{"0.1", "20", "5", "20"};
  AnalysisWindow window;
  QSignalSpy finished(&window, &AnalysisWindow::finished);
  window.follow(resultsOf(texts), texts);
  ASSERT_TRUE(finished.wait(120000));
  window.show();
  const QString oneLine = QStringLiteral("CFP by rank: design (lines), exact (hollow marks), DCFP");
  window.resize(820, 700);
  ASSERT_TRUE(waitFor([&] { return window.cfpView->chart()->title() != oneLine; }, 5));
  const QString broken = window.cfpView->chart()->title();
  EXPECT_TRUE(broken.contains(QStringLiteral("CFP by rank:<br>design (lines), exact (hollow marks), DCFP")))
      << broken.toStdString();
  window.resize(1500, 800);
  EXPECT_TRUE(waitFor([&] { return window.cfpView->chart()->title() == oneLine; }, 5));
}

// A strategy selected in the table is computed off the window's thread and drawn on both
// charts beside the four tests, its chosen rank marked; selecting none takes it away.
TEST(AnalysisWindowStrategies, AChosenStrategyIsDrawnOnBothCharts) {
  const velmora::InputTexts texts{"0.02085164", "20", "10", "20"};
  AnalysisWindow window;
  QSignalSpy finished(&window, &AnalysisWindow::finished);
  window.follow(resultsOf(texts), texts);
  ASSERT_TRUE(finished.wait(120000));
  EXPECT_EQ(seriesNamed(window.cfpView, "strategy"), nullptr);

  window.strategyTable->selectRow(11);  // 1-of-2/median-3: rank 1, as the command line says
  ASSERT_TRUE(window.working());
  ASSERT_TRUE(finished.wait(120000));
  ASSERT_TRUE(window.data()->chosenStrategy.has_value());
  EXPECT_EQ(window.data()->chosenStrategy->ranks.rule, "1-of-2/median-3");
  const QXYSeries* cfp = seriesNamed(window.cfpView, "strategy");
  ASSERT_NE(cfp, nullptr);
  EXPECT_EQ(cfp->count(), 6);  // ranks 1 to 6: its chosen rank and five past it
  const QXYSeries* chosen = seriesNamed(window.cfpView, "strategyChosen");
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->at(0).x(), 1.0);
  EXPECT_NEAR(chosen->at(0).y(), 0.005964644774, 1e-12);
  const QXYSeries* power = seriesNamed(window.powerView, "strategy");
  ASSERT_NE(power, nullptr);
  ASSERT_EQ(power->count(), 21);
  EXPECT_NEAR(power->at(12).y(), 0.8405895647, 1e-10);  // 3 standard deviations, as in the table
  EXPECT_NE(seriesNamed(window.powerView, "design-4"), nullptr);  // beside the tests
  EXPECT_EQ(window.strategyTable->selectedItems().front()->row(), 11);

  window.strategyTable->clearSelection();
  ASSERT_TRUE(finished.wait(120000));
  EXPECT_EQ(seriesNamed(window.cfpView, "strategy"), nullptr);
  EXPECT_EQ(seriesNamed(window.powerView, "strategy"), nullptr);
}

}  // namespace

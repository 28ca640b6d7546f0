// SPDX-License-Identifier: GPL-3.0-or-later
// The Evaluate Data window from the main window: the examples' mercury data give the
// verdicts of the guidance's worked example in the table, the copy, the CSV and the report;
// a file with a bad line changes nothing shown and names the line (and, skipped, is listed);
// a CSV file dropped on the main window opens the window on it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include "capturing_printer.h"
#include "recording_message_boxes.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/ui/evaluate_window.h"
#include "velmora/ui/frm_main.h"
#include "velmora/ui/main_window.h"

using velmora::platform::RecordingMessageBoxes;
using velmora::ui::EvaluateWindow;
using velmora::ui::MainWindow;

namespace {

const QString kMercury = QStringLiteral(VELMORA_EXAMPLES_DIR "/mercury.csv");

class EvaluateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<MainWindow>(&m_boxes, &m_printer, &m_dialogs);
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  }
  void TearDown() override { m_window.reset(); }

  // File › Evaluate Data… on `path`, the window's request set to a strategy at a rank.
  EvaluateWindow& open(const QString& path, const char* strategy, int rank) {
    m_dialogs.answerWith(path);
    m_window->actEvaluateData->trigger();
    EvaluateWindow& window = *m_window->evaluateWindow();
    window.cboStrategy->setCurrentText(QString::fromLatin1(strategy));
    window.optRank->setChecked(true);
    window.txtRank->setText(QString::number(rank));
    return window;
  }
  static void evaluate(EvaluateWindow& window) {
    QSignalSpy finished(&window, &EvaluateWindow::finished);
    window.btnEvaluate->click();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(window.working());
  }
  static QString cell(const QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item == nullptr ? QString() : item->text();
  }

  RecordingMessageBoxes m_boxes;
  velmora::platform::CapturingPrinter m_printer;
  velmora::platform::ScriptedFileDialogs m_dialogs;
  std::unique_ptr<MainWindow> m_window;
};

}  // namespace

TEST_F(EvaluateWindowTest, MercuryGivesTheWorkedExamplesVerdictsInTheTableTheCopyTheCsvAndTheReport) {
  velmora::ui::frmMain& form = *m_window->form();
  form.txtAL->setText(QStringLiteral("0.05"));
  form.txtN->setText(QStringLiteral("20"));
  form.txtR->setText(QStringLiteral("10"));
  form.txtMDET->setText(QStringLiteral("20"));
  form.btnCalculate->click();

  EvaluateWindow& window = open(kMercury, "modified-california", 1);
  ASSERT_TRUE(window.isVisible());
  // The design of the last calculation came along.
  EXPECT_EQ(window.txtDcfp->text(), "0.05");
  EXPECT_EQ(window.txtR->text(), "10");
  EXPECT_EQ(window.txtJ->text(), "20");
  evaluate(window);
  ASSERT_TRUE(m_boxes.boxes().isEmpty()) << m_boxes.boxes().value(0).prompt.toStdString();

  EXPECT_TRUE(window.lblLimit->text().startsWith("Limit: 0.28, the background value of inverse rank 1"))
      << window.lblLimit->text().toStdString();
  EXPECT_FALSE(window.lblWarning->isVisible());
  const QAbstractItemModel& background = *window.backgroundTable->model();
  ASSERT_EQ(background.rowCount(), 20);
  EXPECT_EQ(background.index(0, 1).data().toString(), "0.28");
  EXPECT_EQ(background.index(0, 4).data().toString(), "<< limit");
  EXPECT_EQ(background.index(1, 4).data().toString(), "");

  const QTableWidget& table = *window.verdictTable;
  ASSERT_EQ(table.rowCount(), 2);
  EXPECT_EQ(cell(table, 0, 0), "CW-1");
  EXPECT_EQ(cell(table, 0, 1), QStringLiteral("\u2713 pass"));
  EXPECT_EQ(cell(table, 0, 2), "0.22");  // its first value decided it
  EXPECT_EQ(cell(table, 1, 0), "CW-2");
  EXPECT_EQ(cell(table, 1, 1), QStringLiteral("\u2717 FAIL"));
  // Only one of values 2-4 (0.28, equal to the limit) is at or below it.
  EXPECT_EQ(cell(table, 1, 2), "0.36, 0.41, 0.28, 0.45");
  EXPECT_EQ(cell(table, 1, 3), "0.43, 0.54");

  window.btnCopy->click();
  const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
  EXPECT_EQ(copied.value(0), "Verdicts for mercury.csv: modified-california, rank 1");
  EXPECT_TRUE(copied.contains("mercury\tCW-2\tfail\t0.36, 0.41, 0.28, 0.45\t0.43, 0.54\t" + cell(table, 1, 4)))
      << copied.join('\n').toStdString();

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  m_dialogs.answerWith(folder.filePath(QStringLiteral("verdicts")));  // the extension is added
  window.btnExport->click();
  QFile exported(folder.filePath(QStringLiteral("verdicts.csv")));
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
  const QList<QByteArray> rows = exported.readAll().split('\n');
  EXPECT_TRUE(rows.value(0).startsWith("constituent,unit,rule,rank,n,limit,"));
  EXPECT_TRUE(rows.value(2).startsWith("mercury,ppb,modified-california,1,20,0.28,false,CW-2,fail,0.36; 0.41; 0.28; 0.45,"))
      << rows.value(2).toStdString();

  // The report carries the verdicts beside the run.
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils, scripts/install-deps.sh) reads the report back";
  const QString report = folder.filePath(QStringLiteral("report.pdf"));
  m_dialogs.answerWith(report);
  m_window->actExportReport->trigger();
  ASSERT_TRUE(m_boxes.boxes().isEmpty()) << m_boxes.boxes().value(0).prompt.toStdString();
  QProcess reader;
  reader.start(pdftotext, {report, QStringLiteral("-")});
  ASSERT_TRUE(reader.waitForFinished(60000));
  const QString text = QString::fromUtf8(reader.readAllStandardOutput()).simplified();
  EXPECT_TRUE(text.contains("Verdicts for mercury.csv: modified-california, rank 1")) << text.toStdString();
  EXPECT_TRUE(text.contains("Limit: 0.28")) << text.toStdString();
}

TEST_F(EvaluateWindowTest, ABadLineChangesNothingShownAndIsNamedSkippedItIsListed) {
  EvaluateWindow& window = open(kMercury, "1-of-1", 1);
  evaluate(window);
  ASSERT_EQ(window.verdictTable->rowCount(), 2);
  const QString shown = window.lblStatus->text();
  const QString limit = window.lblLimit->text();

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString bad = folder.filePath(QStringLiteral("bad.csv"));
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("well,role,event,value\n"
             "BG-1,background,1,0.3\n"
             "BG-1,background,2,abc\n"
             "CW-1,compliance,1,0.2\n");
  file.close();
  window.setFile(bad);
  evaluate(window);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Evaluate Data");
  EXPECT_TRUE(m_boxes.boxes()[0].prompt.contains("line 3: ")) << m_boxes.boxes()[0].prompt.toStdString();
  EXPECT_EQ(window.lblStatus->text(), shown);
  EXPECT_EQ(window.lblLimit->text(), limit);
  EXPECT_EQ(window.verdictTable->rowCount(), 2);
  EXPECT_EQ(window.evaluation()->request.path, kMercury);

  m_boxes.clear();
  window.chkSkipBadLines->setChecked(true);
  evaluate(window);
  ASSERT_TRUE(m_boxes.boxes().isEmpty()) << m_boxes.boxes().value(0).prompt.toStdString();
  EXPECT_TRUE(window.txtSkipped->isVisible());
  EXPECT_TRUE(window.txtSkipped->toPlainText().startsWith("Skipped line 3: ")) << window.txtSkipped->toPlainText().toStdString();
  ASSERT_EQ(window.verdictTable->rowCount(), 1);
  EXPECT_EQ(cell(*window.verdictTable, 0, 1), QStringLiteral("\u2713 pass"));
}

TEST_F(EvaluateWindowTest, ACsvFileDroppedOnTheMainWindowOpensTheWindowOnIt) {
  const QPoint centre = m_window->rect().center();
  QMimeData other;
  other.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/report.pdf"))});
  QDragEnterEvent refused(centre, Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(m_window.get(), &refused);
  EXPECT_FALSE(refused.isAccepted());

  QMimeData csv;
  csv.setUrls({QUrl::fromLocalFile(kMercury)});
  QDragEnterEvent enter(centre, Qt::CopyAction, &csv, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(m_window.get(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(centre), Qt::CopyAction, &csv, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(m_window.get(), &drop);
  EvaluateWindow* window = m_window->evaluateWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->lblFile->text(), QDir::toNativeSeparators(kMercury));
  window->txtRank->setText(QStringLiteral("3"));
  evaluate(*window);
  EXPECT_TRUE(window->lblLimit->text().startsWith("Limit: 0.24,")) << window->lblLimit->text().toStdString();
}

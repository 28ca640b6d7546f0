// SPDX-License-Identifier: GPL-3.0-or-later
// What the user does on the main window: typing, Enter and the access keys, the checks and
// their boxes, the default rank, the results, Reset, the explanations, About and Exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "capturing_printer.h"
#include "recording_message_boxes.h"
#include "velmora/ui/frm_main.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/platform/printer.h"
#include "result_cells.h"
#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/calculation.h"

using velmora::platform::RecordingMessageBoxes;
using velmora::testsupport::cellTexts;
using velmora::ui::frmMain;

namespace {

class FrmMain : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<frmMain>(&m_boxes, &m_printer);
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  }
  void TearDown() override { m_window.reset(); }

  QWidget* focus() const { return QApplication::focusWidget(); }

  // Clicks into a box (as the user would) and types.
  void typeInto(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(box, text);
  }
  void fill(const QString& al, const QString& n, const QString& r, const QString& mdet) {
    typeInto(m_window->txtAL, al);
    typeInto(m_window->txtN, n);
    typeInto(m_window->txtR, r);  // leaving txtN fills txtMDET with n
    m_window->txtMDET->clear();
    typeInto(m_window->txtMDET, mdet);
  }
  void pressEnter(QWidget* target) { QTest::keyClick(target, Qt::Key_Return); }
  void altKey(Qt::Key key) { QTest::keyClick(focus(), key, Qt::AltModifier); }

  bool allCellsEmpty() const {
    for (const QString& text : cellTexts(*m_window)) {
      if (!text.isEmpty()) return false;
    }
    return true;
  }
  QString lastPrompt() const { return m_boxes.boxes().isEmpty() ? QString() : m_boxes.boxes().last().prompt; }

  RecordingMessageBoxes m_boxes;
  velmora::platform::CapturingPrinter m_printer;  // Alt+P prints here, never on paper
  std::unique_ptr<frmMain> m_window;
};

const QString kLine1 = QStringLiteral("You must input values for all four of the user inputs\rprior to clicking the Calculate button.");

}  // namespace

// ---- start-up, focus order and keys -----------------------------------------------------

TEST_F(FrmMain, StartsEmptyWithTheFocusInTheDcfpBox) {
  EXPECT_EQ(focus(), m_window->txtAL);
  EXPECT_TRUE(allCellsEmpty());
  for (QLineEdit* box : {m_window->txtAL, m_window->txtN, m_window->txtR, m_window->txtMDET}) {
    EXPECT_TRUE(box->text().isEmpty());
  }
}

TEST_F(FrmMain, TabVisitsBoxesThenButtonsInDesignOrderAndWraps) {
  const std::vector<QWidget*> order{m_window->txtN,     m_window->txtR,    m_window->txtMDET,
                                    m_window->btnCalculate, m_window->btnReset, m_window->btnExit,
                                    m_window->btnAbout, m_window->btnPrint, m_window->txtAL};
  for (QWidget* expected : order) {
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_EQ(focus(), expected) << expected->objectName().toStdString();
  }
  QTest::keyClick(focus(), Qt::Key_Backtab);
  EXPECT_EQ(focus(), m_window->btnPrint);
}

TEST_F(FrmMain, EnterInEachBoxPressesCalculateAndKeepsTheFocus) {
  fill("0.1", "20", "5", "20");
  for (QLineEdit* box : {m_window->txtAL, m_window->txtN, m_window->txtR, m_window->txtMDET}) {
    SCOPED_TRACE(box->objectName().toStdString());
    for (QLabel* cell : m_window->lblPW) cell->clear();
    box->setFocus(Qt::MouseFocusReason);
    pressEnter(box);
    EXPECT_EQ(focus(), box);
    EXPECT_FALSE(m_window->lblPW(8)->text().isEmpty());
  }
  EXPECT_TRUE(m_boxes.boxes().isEmpty());
}

TEST_F(FrmMain, EnterOnEmptyBoxesIsRefusedLikeAClick) {
  typeInto(m_window->txtR, "5");
  pressEnter(m_window->txtR);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].icon, RecordingMessageBoxes::Icon::warning);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Entry Error");
  EXPECT_EQ(m_boxes.boxes()[0].prompt, kLine1);
  EXPECT_EQ(focus(), m_window->txtAL);
}

TEST_F(FrmMain, AccessKeysMoveTheFocusToTheirButtonAndPressIt) {
  altKey(Qt::Key_C);
  EXPECT_EQ(focus(), m_window->txtAL);  // refused: focus back to the box the refusal names
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(lastPrompt(), kLine1);

  altKey(Qt::Key_A);
  EXPECT_EQ(focus(), m_window->btnAbout);
  ASSERT_EQ(m_boxes.boxes().size(), 2);
  EXPECT_EQ(m_boxes.boxes()[1].title, "About the Velmora");

  typeInto(m_window->txtAL, "0.5");
  altKey(Qt::Key_R);
  EXPECT_TRUE(m_window->txtAL->text().isEmpty());
  EXPECT_EQ(focus(), m_window->txtAL);

  altKey(Qt::Key_P);
  EXPECT_EQ(focus(), m_window->btnPrint);
  EXPECT_EQ(m_printer.pages().size(), 1);
}

TEST_F(FrmMain, ExitAndAltXCloseTheWindowWithoutAQuestion) {
  fill("0.1", "20", "5", "20");
  m_window->btnCalculate->click();
  altKey(Qt::Key_X);
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_TRUE(m_boxes.boxes().isEmpty());

  m_window->show();
  QTest::mouseClick(m_window->btnExit, Qt::LeftButton);
  EXPECT_FALSE(m_window->isVisible());
}

// ---- the checks -------------------------------------------------------------------------

struct RefusalCase {
  const char* name;
  const char* al;
  const char* n;
  const char* r;
  const char* mdet;
  const char* prompt;
  const char* focusBox;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const RefusalCase& refusal, std::ostream* out) { *out << refusal.name; }

class FrmMainRefusals : public FrmMain, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(FrmMainRefusals, ShowTheStepsBoxAndMoveTheFocus) {
  const RefusalCase& c = GetParam();
  fill(c.al, c.n, c.r, c.mdet);
  m_window->btnCalculate->setFocus(Qt::MouseFocusReason);
  m_window->btnCalculate->click();
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].icon, RecordingMessageBoxes::Icon::warning);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Entry Error");
  EXPECT_EQ(m_boxes.boxes()[0].prompt, QString::fromUtf8(c.prompt));
  ASSERT_NE(focus(), nullptr);
  EXPECT_EQ(focus()->objectName(), c.focusBox);
  EXPECT_TRUE(allCellsEmpty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

constexpr const char* kDcfpLine = "The DCFP error input must be numeric,\rgreater than zero and less than or equal to 1.";
constexpr const char* kSizeOne = "The background size input must be numeric,\rand an integer value greater than one.";
constexpr const char* kSizeZero = "The background size input must be numeric,\rand an integer value greater than zero.";
constexpr const char* kComparisons = "The number of comparisons input must be numeric,\rand an integer value greater than zero.";
constexpr const char* kRank = "The inverse ranking input must be numeric,\rand an integer value greater than zero.";

INSTANTIATE_TEST_SUITE_P(
    EachStep, FrmMainRefusals,
    ::testing::Values(
        RefusalCase{"AllEmpty", "", "", "", "", "You must input values for all four of the user inputs\rprior to clicking the Calculate button.", "txtAL"},
        RefusalCase{"DcfpZero", "0", "20", "5", "20", kDcfpLine, "txtAL"},
        RefusalCase{"DcfpNotWhollyNumeric", "0.05x", "20", "5", "20", kDcfpLine, "txtAL"},
        RefusalCase{"DcfpAboveOne", "1.0000001", "20", "5", "20", kDcfpLine, "txtAL"},
        RefusalCase{"SizeOne", "0.1", "1", "5", "1", kSizeOne, "txtN"},
        RefusalCase{"SizeNotWhole", "0.1", "2.5", "5", "2", kSizeZero, "txtN"},
        RefusalCase{"ComparisonsText", "0.1", "20", "abc", "20", kComparisons, "txtR"},
        RefusalCase{"ComparisonsZero", "0.1", "20", "0", "20", kComparisons, "txtR"},
        RefusalCase{"ComparisonsNotWhole", "0.1", "20", "1.5", "20", kComparisons, "txtR"},
        RefusalCase{"RankNegative", "0.1", "20", "5", "-3", kRank, "txtN"},
        RefusalCase{"RankNotWhole", "0.1", "20", "5", "2.5", kRank, "txtN"},
        RefusalCase{"RankEmpty", "0.1", "20", "5", "", kRank, "txtN"}),
    [](const ::testing::TestParamInfo<RefusalCase>& caseInfo) { return std::string(caseInfo.param.name); });

// ---- the default rank -------------------------------------------------------------------

TEST_F(FrmMain, LeavingTheSizeBoxCopiesItsTextOverAnyTypedRank) {
  typeInto(m_window->txtMDET, "5");
  typeInto(m_window->txtN, " 30 ");
  QTest::keyClick(m_window->txtN, Qt::Key_Tab);
  EXPECT_EQ(m_window->txtMDET->text(), " 30 ");
  // A later typed rank stands until txtN is left again.
  m_window->txtMDET->selectAll();
  QTest::keyClicks(m_window->txtMDET, "7");
  EXPECT_EQ(m_window->txtMDET->text(), "7");
  m_window->txtN->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(m_window->txtN, Qt::Key_Tab);
  EXPECT_EQ(m_window->txtMDET->text(), " 30 ");
  // Invalid and empty texts are copied as they are.
  m_window->txtN->setFocus(Qt::MouseFocusReason);
  m_window->txtN->clear();
  QTest::keyClicks(m_window->txtN, "abc");
  m_window->txtAL->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(m_window->txtMDET->text(), "abc");
}

TEST_F(FrmMain, EnterInTheSizeBoxWithNoRankIsRefusedAndOnlyLeavingFillsTheRank) {
  typeInto(m_window->txtAL, "0.1");
  typeInto(m_window->txtR, "5");
  typeInto(m_window->txtN, "20");
  pressEnter(m_window->txtN);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(lastPrompt(), kRank);
  EXPECT_EQ(focus(), m_window->txtN);
  EXPECT_TRUE(m_window->txtMDET->text().isEmpty());
  QTest::keyClick(m_window->txtN, Qt::Key_Tab);
  EXPECT_EQ(m_window->txtMDET->text(), "20");
  pressEnter(m_window->txtMDET);
  EXPECT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_window->lblCU(1)->text(), "DCFP exceeded at max = 1");
}

TEST_F(FrmMain, AltCFromTheSizeBoxCopiesItBeforeTheChecks) {
  typeInto(m_window->txtAL, "0.1");
  typeInto(m_window->txtR, "5");
  typeInto(m_window->txtN, "20");
  altKey(Qt::Key_C);
  EXPECT_EQ(m_window->txtMDET->text(), "20");
  EXPECT_TRUE(m_boxes.boxes().isEmpty());
  EXPECT_EQ(focus(), m_window->btnCalculate);
  EXPECT_EQ(m_window->lblENT(4)->text(), "7");
}

TEST_F(FrmMain, ClickingCalculateFromTheSizeBoxCopiesItBeforeTheChecks) {
  typeInto(m_window->txtAL, "0.1");
  typeInto(m_window->txtR, "5");
  typeInto(m_window->txtN, "20");
  QTest::mouseClick(m_window->btnCalculate, Qt::LeftButton);
  EXPECT_EQ(m_window->txtMDET->text(), "20");
  EXPECT_TRUE(m_boxes.boxes().isEmpty());
  EXPECT_EQ(m_window->lblQ(2)->text(), "0.06052");
}

TEST_F(FrmMain, FocusLeavingTheWindowDoesNotCopyTheSize) {
  typeInto(m_window->txtN, "20");
  QLineEdit elsewhere;
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
  elsewhere.setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(QApplication::focusWidget(), &elsewhere);
  EXPECT_TRUE(m_window->txtMDET->text().isEmpty());
  elsewhere.close();
  m_window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  EXPECT_EQ(focus(), m_window->txtN);
  EXPECT_TRUE(m_window->txtMDET->text().isEmpty());
}

// ---- results ----------------------------------------------------------------------------

TEST_F(FrmMain, FullCalculationShowsTheEnginesCaptions) {
  fill("0.1", "20", "5", "20");
  QTest::mouseClick(m_window->btnCalculate, Qt::LeftButton);
  ASSERT_TRUE(m_boxes.boxes().isEmpty());
  const QStringList status{"DCFP exceeded at max = 1", "DCFP OK at maximum = 2",
                           "DCFP OK at maximum = 5", "DCFP OK at maximum = 7"};
  const QStringList percentile{"0.9750", "0.9250", "0.7750", "0.6750"};
  const QStringList cfp{"0.20000", "0.06052", "0.09037", "0.08993"};
  const QStringList samples{"5", "5", "6", "7"};
  for (int t = 1; t <= 4; ++t) {
    SCOPED_TRACE(t);
    // The "1:1" status keeps the search's trailing blank; the others have one blank.
    EXPECT_EQ(m_window->lblCU(t)->text().simplified(), status[t - 1]);
    EXPECT_EQ(m_window->lblP(t)->text(), percentile[t - 1]);
    EXPECT_EQ(m_window->lblQ(t)->text(), cfp[t - 1]);
    EXPECT_EQ(m_window->lblENT(t)->text(), samples[t - 1]);
  }
  EXPECT_EQ(m_window->lblCU(2)->text(), "DCFP OK at maximum = 2");
  // Every one of the 32 cells is exactly what the engine's single call gives.
  velmora::Calculation engine;
  const velmora::Expected<velmora::CalculationResult> outcome = engine.calculate({"0.1", "20", "5", "20"}, ".");
  ASSERT_TRUE(outcome.has_value());
  for (int t = 1; t <= 4; ++t) {
    const auto i = static_cast<std::size_t>(t - 1);
    EXPECT_EQ(m_window->lblCU(t)->text().toStdString(), outcome->captions.lblCU[i]);
    EXPECT_EQ(m_window->lblPOW(t)->text().toStdString(), outcome->captions.lblPOW[i]);
    EXPECT_EQ(m_window->lblENT(t)->text().toStdString(), outcome->captions.lblENT[i]);
    EXPECT_EQ(m_window->lblP(t)->text().toStdString(), outcome->captions.lblP[i]);
    EXPECT_EQ(m_window->lblQ(t)->text().toStdString(), outcome->captions.lblQ[i]);
  }
  for (int i = 1; i <= 12; ++i) {
    EXPECT_EQ(m_window->lblPW(i)->text().toStdString(), outcome->captions.lblPW[static_cast<std::size_t>(i - 1)]);
    EXPECT_EQ(m_window->lblPW(i)->text().size(), 5);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FrmMain, RefusalAfterARunLeavesTheResults) {
  fill("0.1", "20", "5", "20");
  m_window->btnCalculate->click();
  const auto before = cellTexts(*m_window);
  m_window->txtR->setText("0");
  m_window->btnCalculate->click();
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(lastPrompt(), kComparisons);
  EXPECT_EQ(focus(), m_window->txtR);
  EXPECT_EQ(cellTexts(*m_window), before);
}

TEST_F(FrmMain, DecimalSymbolComesFromTheRegionalSettings) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  fill("0.1", "20", "5", "20");
  m_window->btnCalculate->click();
  QLocale::setDefault(saved);
  ASSERT_TRUE(m_boxes.boxes().isEmpty()) << lastPrompt().toStdString();
  EXPECT_EQ(m_window->lblP(1)->text(), "0,9750");
  EXPECT_EQ(m_window->lblQ(2)->text(), "0,06052");
}

TEST_F(FrmMain, TheBoxOfARefusalOpensWithoutTheBusyPointer) {
  bool busyWhileOpen = true;
  m_boxes.onShow = [&](const RecordingMessageBoxes::Box&) {
    busyWhileOpen = QApplication::overrideCursor() != nullptr;
  };
  m_window->btnCalculate->click();
  EXPECT_FALSE(busyWhileOpen);
}

// ---- Reset ------------------------------------------------------------------------------

TEST_F(FrmMain, ResetBeforeAnyRunEmptiesTheBoxesAndFocusesTheDcfpBox) {
  typeInto(m_window->txtR, "5");
  QTest::mouseClick(m_window->btnReset, Qt::LeftButton);
  EXPECT_TRUE(m_window->txtR->text().isEmpty());
  EXPECT_EQ(focus(), m_window->txtAL);
  EXPECT_TRUE(allCellsEmpty());
  EXPECT_TRUE(m_boxes.boxes().isEmpty());
}

TEST_F(FrmMain, ResetAfterARunClearsEverythingAndTheNextCalculateIsRefused) {
  fill("0.1", "20", "5", "20");
  m_window->btnCalculate->click();
  ASSERT_FALSE(allCellsEmpty());
  typeInto(m_window->txtN, "30");
  QTest::mouseClick(m_window->btnReset, Qt::LeftButton);  // focus left txtN on the way
  for (QLineEdit* box : {m_window->txtAL, m_window->txtN, m_window->txtR, m_window->txtMDET}) {
    EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
  }
  EXPECT_TRUE(allCellsEmpty());
  EXPECT_EQ(focus(), m_window->txtAL);
  EXPECT_EQ(velmora::CalculationSeam::state(m_window->calculation()).maxCount, 0);
  QTest::mouseClick(m_window->btnReset, Qt::LeftButton);
  EXPECT_TRUE(allCellsEmpty());
  m_window->btnCalculate->click();
  EXPECT_EQ(lastPrompt(), kLine1);
}

// ---- About and the explanations ---------------------------------------------------------

TEST_F(FrmMain, AboutBoxText) {
  QTest::mouseClick(m_window->btnAbout, Qt::LeftButton);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  const auto& box = m_boxes.boxes()[0];
  EXPECT_EQ(box.icon, RecordingMessageBoxes::Icon::information);
  EXPECT_EQ(box.title, "About the Velmora");
  const QString head =
      "Velmora: \r\r"
      "-- This program calculates the optimal rank values for \r"
      "   1:1 through 1:4 non-parametric maximum tests, given\r"
      "   single constituent cumulative false positive, background\r"
      "   sample size, and number of comparisons as inputs.\r\r"
      "-- The user can also specify a lowest maximum value allowable\r"
      "   in the background data set. \r\r"
      "-- The program also provides power estimates and ratings based\r"
      "   on Tavrel reference power criteria.\r\r"
      "This program was developed by:\r";
  ASSERT_TRUE(box.prompt.startsWith(head));
  const QStringList lines = box.prompt.split('\r');
  ASSERT_EQ(lines.size(), 20);
  for (int line : {2, 7, 10, 13}) EXPECT_TRUE(lines[line - 1].isEmpty()) << line;
  for (int line = 15; line <= 20; ++line) {
    EXPECT_TRUE(lines[line - 1].startsWith(QString(10, ' ')) && lines[line - 1][10] != ' ') << line;
  }
  EXPECT_EQ(lines[14].trimmed(), "Velmora project");
  EXPECT_TRUE(lines[18].contains('@'));
  EXPECT_FALSE(box.prompt.endsWith('\r'));
}

TEST_F(FrmMain, ClickingTheNumberOfSamplesHeadingExplainsIt) {
  QTest::mouseClick(m_window->lblNumberOfTests, Qt::LeftButton);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].icon, RecordingMessageBoxes::Icon::information);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Number of Tests Explanation");
  EXPECT_EQ(m_boxes.boxes()[0].prompt,
            "Number of Samples for r Tests to the same background: \r"
            "      Initial number of comparison samples, plus expected repeats\r"
            "      under background conditions");
  EXPECT_EQ(focus(), m_window->txtAL);
}

TEST_F(FrmMain, ClickingThePowerRatingHeadingExplainsItAndLeavesTheGridEmpty) {
  QTest::mouseClick(m_window->lblPowerRatingLabel, Qt::LeftButton);
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  EXPECT_EQ(m_boxes.boxes()[0].title, "Power Rating Explanation");
  EXPECT_EQ(m_boxes.boxes()[0].prompt,
            "       Good:   3- & 4- sigma levels equal or exceed Tavrel reference criteria\r\r"
            "      Acceptable:   3- or 4- sigma levels equal or exceed\r\r"
            "      Low:   Neither 3- or 4- sigma levels equal or exceed\r\r"
            "Rating Criteria: 3-sigma level equals or exceeds .539\r\r"
            "                        4-sigma level equals or exceeds .814");
  EXPECT_TRUE(allCellsEmpty());
  // Other labels and the right button do nothing.
  QTest::mouseClick(m_window->Label7, Qt::LeftButton);
  QTest::mouseClick(m_window->lblPowerRatingLabel, Qt::RightButton);
  EXPECT_EQ(m_boxes.boxes().size(), 1);
}

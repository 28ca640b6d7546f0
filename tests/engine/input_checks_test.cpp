// SPDX-License-Identifier: GPL-3.0-or-later
// The check chain: which step refuses which texts, with its two lines and the box that
// takes the focus; and that a refusal changes nothing in the record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "named_rows.h"
#include "record_compare.h"
#include "run_support.h"
#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/input_checks.h"

namespace velmora {
namespace {

using enginetest::texts;

constexpr const char* kAboveZero = "and an integer value greater than zero.";

// The refusal step (0 = accepted) and, when refused, the focus box.
struct ChainCase : testsupport::NamedRow {
  const char* al;
  const char* n;
  const char* r;
  const char* j;
  int step;
  InputBox focus;
};

std::vector<ChainCase> chainCases() {
  using enum InputBox;
  return {
      // Step 1 looks at the DCFP, n and r boxes only, for the exactly empty text.
      {"AllEmpty", "", "", "", "", 1, txtAL},
      {"ComparisonsEmpty", "0.05", "20", "", "20", 1, txtAL},
      {"SizeEmpty", "0.05", "", "5", "20", 1, txtAL},
      {"DcfpEmpty", "", "20", "5", "20", 1, txtAL},
      {"RankEmpty", "0.05", "20", "5", "", 7, txtN},
      // Boxes holding blanks only are not empty; each is refused by its own step.
      {"DcfpBlanks", "   ", "20", "5", "20", 2, txtAL},
      {"SizeBlanks", "0.05", "  ", "5", "20", 3, txtN},
      {"ComparisonsBlanks", "0.05", "20", "  ", "20", 5, txtR},
      {"RankBlank", "0.05", "20", "5", " ", 7, txtN},
      // Step 2: 0 < DCFP <= 1, numeric.
      {"DcfpOne", "1", "20", "5", "20", 0, txtAL},
      {"DcfpWithExponent", "1e-3", "20", "5", "20", 0, txtAL},
      {"DcfpZero", "0", "20", "5", "20", 2, txtAL},
      {"DcfpNegative", "-0.05", "20", "5", "20", 2, txtAL},
      {"DcfpTrailingLetter", "0.05x", "20", "5", "20", 2, txtAL},
      {"DcfpJustAboveOne", "1.0000001", "20", "5", "20", 2, txtAL},
      {"DcfpBeyondFloat64", "1e400", "20", "5", "20", 2, txtAL},
      {"DcfpBelowFloat64", "1e-400", "20", "5", "20", 2, txtAL},  // reads as 0
      {"DcfpHexPrefix", "&H1", "20", "5", "20", 2, txtAL},
      // Steps 3 and 4: n numeric and above 1, then whole.
      {"SizeOne", "0.05", "1", "5", "20", 3, txtN},
      {"SizeZero", "0.05", "0", "5", "20", 3, txtN},
      {"SizeText", "0.05", "abc", "5", "20", 3, txtN},
      {"SizeBeyondFloat64", "0.05", "1e400", "5", "20", 3, txtN},
      {"SizeNotWhole", "0.05", "2.5", "5", "20", 4, txtN},
      {"SizeBeyondInt16", "0.05", "40000", "5", "20", 4, txtN},
      {"SizeRoundsBeyondInt16", "0.05", "32767.5", "1", "20", 4, txtN},
      {"SizeTwo", "0.05", "2", "5", "2", 0, txtAL},
      {"SizeAndRankWithBlanks", "0.05", " 20 ", "5", " 20 ", 0, txtAL},
      {"WholeDecimals", "0.05", "20.0", "3.0", "20", 0, txtAL},
      // Steps 5 and 6: r numeric, then above 0 and whole.
      {"ComparisonsText", "0.05", "20", "abc", "20", 5, txtR},
      {"ComparisonsTrailingLetter", "0.05", "20", "5x", "20", 5, txtR},
      {"ComparisonsZero", "0.05", "20", "0", "20", 6, txtR},
      {"ComparisonsNegative", "0.05", "20", "-1", "20", 6, txtR},
      {"ComparisonsNotWhole", "0.05", "20", "1.5", "20", 6, txtR},
      {"ComparisonsBeyondInt16", "0.05", "20", "40000", "20", 6, txtR},
      {"ComparisonsBeyondFloat64", "0.05", "20", "1e400", "20", 6, txtR},
      // Step 7: j numeric, above 0, whole; the focus goes to the n box.
      {"RankZero", "0.05", "20", "5", "0", 7, txtN},
      {"RankNegative", "0.05", "20", "5", "-3", 7, txtN},
      {"RankNotWhole", "0.05", "20", "5", "2.5", 7, txtN},
      {"RankText", "0.05", "20", "5", "abc", 7, txtN},
      {"RankBeyondInt16", "0.05", "20", "5", "40000", 7, txtN},
      {"RankBeyondFloat64", "0.05", "20", "5", "1e400", 7, txtN},
      {"RankInt16Maximum", "0.05", "20", "5", "32767", 0, txtAL},
      {"RankAboveSize", "0.05", "20", "5", "500", 0, txtAL},  // j above n is allowed
      // Size of a run: n + 4r <= 32767.
      {"RunAtTheLimit", "0.05", "32763", "1", "32763", 0, txtAL},
      {"RunBeyondTheLimit", "0.05", "32764", "1", "32764", 8, txtR},
      {"MostComparisonsAtTheLimit", "0.05", "2", "8191", "2", 0, txtAL},
      {"MostComparisonsBeyondTheLimit", "0.05", "4", "8191", "4", 8, txtR},
      {"RunFarBeyondTheLimit", "0.05", "20", "10000", "20", 8, txtR},
  };
}

class CheckChain : public ::testing::TestWithParam<ChainCase> {};

TEST_P(CheckChain, EachTextIsRefusedByItsStepWithItsFocus) {
  const ChainCase& c = GetParam();
  const Expected<void> checked = CheckInputs(texts(c.al, c.n, c.r, c.j));
  if (c.step == 0) {
    EXPECT_TRUE(checked.has_value()) << "refused at step " << checked.error().check;
    return;
  }
  ASSERT_FALSE(checked.has_value());
  const Problem& refusal = checked.error();
  EXPECT_EQ(refusal.check, c.step);
  ASSERT_TRUE(refusal.box.has_value());
  EXPECT_EQ(*refusal.box, c.focus) << inputBoxName(*refusal.box);
  EXPECT_EQ(refusal.title, "Entry Error");
  EXPECT_EQ(refusal.kind, ProblemKind::refusedCase);
}

INSTANTIATE_TEST_SUITE_P(Texts, CheckChain, ::testing::ValuesIn(chainCases()), testsupport::RowName());

// The two lines of each step's box.
struct LinesCase : testsupport::NamedRow {
  InputTexts texts;
  const char* line1;
  const char* line2;
};

class CheckChainLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(CheckChainLines, MessageLinesOfEveryStep) {
  const LinesCase& c = GetParam();
  const Expected<void> checked = CheckInputs(c.texts);
  ASSERT_FALSE(checked.has_value());
  EXPECT_EQ(checked.error().lines, (std::vector<std::string>{c.line1, c.line2}));
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, CheckChainLines,
    ::testing::Values(
        LinesCase{"Step1AllEmpty", texts("", "", "", ""), "You must input values for all four of the user inputs",
                  "prior to clicking the Calculate button."},
        LinesCase{"Step2DcfpZero", texts("0", "20", "5", "20"), "The DCFP error input must be numeric,",
                  "greater than zero and less than or equal to 1."},
        LinesCase{"Step3SizeOne", texts("0.05", "1", "5", "20"), "The background size input must be numeric,",
                  "and an integer value greater than one."},
        LinesCase{"Step4SizeNotWhole", texts("0.05", "2.5", "5", "20"), "The background size input must be numeric,",
                  kAboveZero},
        LinesCase{"Step5ComparisonsText", texts("0.05", "20", "abc", "20"),
                  "The number of comparisons input must be numeric,", kAboveZero},
        LinesCase{"Step6ComparisonsZero", texts("0.05", "20", "0", "20"),
                  "The number of comparisons input must be numeric,", kAboveZero},
        LinesCase{"Step7RankZero", texts("0.05", "20", "5", "0"), "The inverse ranking input must be numeric,",
                  kAboveZero},
        LinesCase{"Step8RunBeyondTheLimit", texts("0.05", "32767", "1", "20"),
                  "The background size plus four times the number of comparisons", "must not exceed 32767."}),
    testsupport::RowName());

TEST(CheckChain, EarlierStepsWinOverLaterOnes) {
  // Every box is wrong: the chain reports the first.
  EXPECT_EQ(CheckInputs(texts("2", "1", "0", "0")).error().check, 2);
  EXPECT_EQ(CheckInputs(texts("0.05", "2.5", "abc", "0")).error().check, 4);
  EXPECT_EQ(CheckInputs(texts("0.05", "20", "0", "abc")).error().check, 6);
  // The size limit comes only after the rank box has passed.
  EXPECT_EQ(CheckInputs(texts("0.05", "32767", "1", "abc")).error().check, 7);
}

TEST(CheckChain, AcceptedTextsLoadAsTheirWholeNumbers) {
  enginetest::EngineRun run = enginetest::runOf(texts("1e-3", " 20.0 ", "3.0", " 20 "));
  EXPECT_EQ(run.state().n, 20);
  EXPECT_EQ(run.state().r, 3);
  EXPECT_EQ(run.state().j, 20);
  EXPECT_EQ(run.state().dcfp, 0.001f);
  // The DCFP is held as a float32: 0.05 is compared as 0.0500000007450580596923828125.
  enginetest::EngineRun five = enginetest::runOf(texts("0.05", "20", "1", "20"));
  EXPECT_EQ(static_cast<double>(five.state().dcfp), 0.0500000007450580596923828125);
}

TEST(CheckChain, LargestAcceptedRunCompletes) {
  // n + 4r = 32767 exactly; the searches stop at a small rank.
  enginetest::EngineRun run = enginetest::runOf(texts("0.0001", "32763", "1", "32763"));
  EXPECT_EQ(run.state().n, 32763);
  for (int t = 1; t <= 4; ++t) EXPECT_GE(run.state().optRank[t], 1);
}

TEST(CheckChain, RefusedCalculateLeavesTheRecordUnchanged) {
  Calculation calc;
  ASSERT_TRUE(calc.calculate(texts("0.1", "20", "5", "20")).has_value());
  const CalculationState before = CalculationSeam::state(calc);
  const InputTexts refused[] = {
      texts("", "30", "2", "30"),         texts("0", "30", "2", "30"),
      texts("0.05", "2.5", "2", "30"),    texts("0.05", "30", "0", "30"),
      texts("0.05", "30", "2", "0"),      texts("0.05", "32767", "2", "30"),
      texts("0.05", "30", "1e400", "30"),
  };
  for (const InputTexts& texts : refused) {
    const Expected<CalculationResult> outcome = calc.calculate(texts);
    ASSERT_FALSE(outcome.has_value());
    EXPECT_EQ(testsupport::firstDifference(CalculationSeam::state(calc), before), nullptr) << "after refusal at step " << outcome.error().check;
  }
}

}  // namespace
}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
// The edges of the input domain: the smallest sizes, the DCFP just above 0 and exactly 1,
// the n + 4r limit, ranks at the top of the int16 range, box values around the int16
// range and beyond the float64 range, and the runs whose float32 sums overflow. Each
// edge gives its result or its refusal; a refusal changes nothing of the record.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outcome_invariants.h"
#include "record_compare.h"
#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/numbers.h"

namespace velmora {
namespace {

using testsupport::allCaptions;
using reliability::checkCaptions;
using reliability::describe;
using reliability::RunSizes;

// Runs an accepted edge and checks its captions against the invariants.
Expected<CalculationResult> accepted(const InputTexts& texts, const RunSizes& sizes) {
  Calculation calculation;
  const Expected<CalculationResult> outcome = calculation.calculate(texts);
  EXPECT_TRUE(outcome.has_value()) << describe(texts) << ": " << (outcome ? "" : outcome.error().lines.at(0));
  if (outcome.has_value()) {
    EXPECT_EQ(checkCaptions(outcome->captions, sizes), "") << describe(texts);
  }
  return outcome;
}

// A refused edge, offered to a record that holds a completed run: the refusal has the
// step, lines and focus given, and afterwards the record, and so the captions it shows,
// are exactly as before.
void refused(const InputTexts& texts, int step, InputBox focus) {
  Calculation calculation;
  const Expected<CalculationResult> before = calculation.calculate({"0.05", "40", "4", "40"});
  ASSERT_TRUE(before.has_value());
  const CalculationState kept = CalculationSeam::state(calculation);

  const Expected<CalculationResult> outcome = calculation.calculate(texts);
  ASSERT_FALSE(outcome.has_value()) << describe(texts);
  const Problem& refusal = outcome.error();
  EXPECT_EQ(refusal.check, step) << describe(texts);
  EXPECT_EQ(refusal.title, kEntryErrorTitle);
  EXPECT_EQ(refusal.box, focus) << describe(texts);
  EXPECT_EQ(reliability::checkRefusal(refusal), "");
  EXPECT_EQ(testsupport::firstDifference(CalculationSeam::state(calculation), kept), nullptr) << describe(texts);
  EXPECT_EQ(allCaptions(CalculationSeam::ShowResults(calculation)), allCaptions(before->captions)) << describe(texts);
}

std::vector<int> ranks(const Calculation& calculation) {
  const CalculationState& s = CalculationSeam::state(calculation);
  return {s.optRank[1], s.optRank[2], s.optRank[3], s.optRank[4]};
}

TEST(SmallestSizes, TwoBackgroundSamplesOneComparisonRankOne) {
  accepted({"0.05", "2", "1", "2"}, {2, 1, 2});
  accepted({"1", "2", "1", "2"}, {2, 1, 2});
  const Expected<CalculationResult> rankOne = accepted({"1", "2", "1", "1"}, {2, 1, 1});
  for (const std::string& status : rankOne->captions.lblCU) EXPECT_EQ(status.back(), '1') << status;
  accepted({"0.5", "30", "1", "1"}, {30, 1, 1});

  refused({"0.05", "1", "1", "1"}, 3, InputBox::txtN);
  refused({"0.05", "2", "0", "2"}, 6, InputBox::txtR);
  refused({"0.05", "2", "1", "0"}, 7, InputBox::txtN);
}

TEST(DcfpEdges, JustAboveZeroEveryBackgroundMaximumFails) {
  // 1e-45 is about the smallest float32 above zero; no CFP of these sizes is that small.
  for (const char* dcfp : {"1e-30", "1e-45", "1E-45", "4.9406564584124654e-324"}) {
    const Expected<CalculationResult> outcome = accepted({dcfp, "60", "3", "60"}, {60, 3, 60});
    for (const std::string& status : outcome->captions.lblCU) EXPECT_EQ(status, "DCFP exceeded at max = 1") << dcfp;
  }
  refused({"0", "60", "3", "60"}, 2, InputBox::txtAL);
  refused({"1e-400", "60", "3", "60"}, 2, InputBox::txtAL);  // reads as 0
  refused({"-1e-30", "60", "3", "60"}, 2, InputBox::txtAL);
}

TEST(DcfpEdges, ExactlyOneLetsEveryRankUpToTheSmallerOfJAndN) {
  const Expected<CalculationResult> all = accepted({"1", "25", "3", "25"}, {25, 3, 25});
  EXPECT_EQ(all->captions.lblCU[0], "DCFP OK at maximum =  25");
  for (int t = 1; t < 4; ++t) EXPECT_EQ(all->captions.lblCU[static_cast<std::size_t>(t)], "DCFP OK at maximum = 25");
  const Expected<CalculationResult> capped = accepted({"1", "25", "3", "7"}, {25, 3, 7});
  EXPECT_EQ(capped->captions.lblCU[0], "DCFP OK at maximum =  7");
  EXPECT_EQ(capped->captions.lblCU[3], "DCFP OK at maximum = 7");

  // Every rank passing up to the largest n: ranks far beyond 2k and 4k of an int16
  // (16383 for 1:2, 8191 for 1:4) are searched with wider integers.
  const Expected<CalculationResult> largest = accepted({"1", "32763", "1", "32763"}, {32763, 1, 32763});
  EXPECT_EQ(largest->captions.lblCU[0], "DCFP OK at maximum =  32763");
  for (int t = 1; t < 4; ++t) EXPECT_EQ(largest->captions.lblCU[static_cast<std::size_t>(t)], "DCFP OK at maximum = 32763");

  refused({"1.0000001", "25", "3", "25"}, 2, InputBox::txtAL);
  refused({"1e400", "25", "3", "25"}, 2, InputBox::txtAL);
}

TEST(SizeLimit, BackgroundPlusFourComparisonsUpTo32767) {
  accepted({"0.05", "32763", "1", "32763"}, {32763, 1, 32763});
  accepted({"0.05", "32763", "1", "5"}, {32763, 1, 5});

  for (const InputTexts& texts : {InputTexts{"0.05", "32764", "1", "32764"}, InputTexts{"0.05", "32767", "1", "2"},
                                  InputTexts{"0.05", "4", "8191", "4"}, InputTexts{"0.05", "2", "8192", "2"}}) {
    refused(texts, 8, InputBox::txtR);
    const Expected<void> checked = CheckInputs(texts);
    ASSERT_FALSE(checked.has_value());
    EXPECT_EQ(checked.error().lines, (std::vector<std::string>{"The background size plus four times the number of comparisons",
                                                              "must not exceed 32767."}));
  }
}

TEST(RankEdges, RanksAtTheTopOfTheInt16RangeActLikeN) {
  Calculation atN;
  const Expected<CalculationResult> expected = atN.calculate({"0.05", "50", "5", "50"});
  ASSERT_TRUE(expected.has_value());
  for (const char* j : {"32766", "32767", "32767.0", " 32767 "}) {
    Calculation above;
    const Expected<CalculationResult> outcome = above.calculate({"0.05", "50", "5", j});
    ASSERT_TRUE(outcome.has_value()) << j;
    EXPECT_EQ(allCaptions(outcome->captions), allCaptions(expected->captions)) << j;
    EXPECT_EQ(ranks(above), ranks(atN)) << j;
  }
  refused({"0.05", "50", "5", "32768"}, 7, InputBox::txtN);
}

TEST(Int16Edges, BoxValuesAroundTheInt16Range) {
  // The conversions themselves: halves to even, and nothing beyond the range.
  EXPECT_EQ(toInt16(32767.4999), 32767);
  EXPECT_FALSE(toInt16(32767.5).has_value());  // the even neighbour is 32768
  EXPECT_EQ(toInt16(-32768.5), -32768);        // -32768 is the even neighbour
  EXPECT_FALSE(toInt16(-32768.6).has_value());

  // In the boxes no such value is whole, and whole values beyond the range are refused
  // by the step of their box, never wrapped around.
  for (const char* text : {"32767.4999", "32767.5", "32768", "65538"}) {
    refused({"0.05", text, "1", "2"}, 4, InputBox::txtN);
    refused({"0.05", "20", text, "20"}, 6, InputBox::txtR);
    refused({"0.05", "20", "1", text}, 7, InputBox::txtN);
  }
  for (const char* text : {"-32768.5", "-32768.6", "-32768", "-65536"}) {
    refused({"0.05", text, "1", "2"}, 3, InputBox::txtN);
    refused({"0.05", "20", text, "20"}, 6, InputBox::txtR);
    refused({"0.05", "20", "1", text}, 7, InputBox::txtN);
    refused({text, "20", "1", "20"}, 2, InputBox::txtAL);
  }
  refused({"32767.5", "20", "1", "20"}, 2, InputBox::txtAL);
}

TEST(Float64Edges, ExponentsBeyondTheFloat64Range) {
  for (const char* text : {"1e400", "-1e400", "1e-400"}) {
    refused({text, "20", "1", "20"}, 2, InputBox::txtAL);
    refused({"0.05", text, "1", "20"}, 3, InputBox::txtN);
    refused({"0.05", "20", text, "20"}, 6, InputBox::txtR);
    refused({"0.05", "20", "1", text}, 7, InputBox::txtN);
  }
  // Long mantissas with large exponents that land on whole numbers are ordinary sizes.
  accepted({"5e-2", "2000000000000000000000e-20", "1e0", "200e-1"}, {20, 1, 20});
}

TEST(Float32Overflow, CoefficientSumsBeyondTheFloat32RangeStillGiveResults) {
  const Expected<CalculationResult> everyRank = accepted({"1", "100", "50", "100"}, {100, 50, 100});
  EXPECT_EQ(everyRank->captions.lblCU[0], "DCFP OK at maximum =  100");
  for (int t = 1; t < 4; ++t) EXPECT_EQ(everyRank->captions.lblCU[static_cast<std::size_t>(t)], "DCFP OK at maximum = 100");

  accepted({"0.99", "60", "30", "60"}, {60, 30, 60});
}

}  // namespace
}  // namespace velmora

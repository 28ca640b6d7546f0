// SPDX-License-Identifier: GPL-3.0-or-later
// The result captions: numbers of samples with ties to even, status captions with their
// blanks, the fixed-decimal patterns and the decimal symbol.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "record_compare.h"
#include "run_support.h"

namespace velmora {
namespace {

using enginetest::EngineRun;
using enginetest::runOf;
using enginetest::texts;

using Four = std::array<std::string, 4>;

TEST(SampleCounts, HalvesRoundToEven) {
  // n 2, rank 1 everywhere: percentile 0.75. 1:2 needs 2.5 samples -> 2; 1:3 2.625 -> 3;
  // 1:4 2.65625 -> 3.
  const EngineRun two = runOf(texts("1", "2", "2", "1"));
  EXPECT_EQ(two.captions.lblP, (Four{"0.7500", "0.7500", "0.7500", "0.7500"}));
  EXPECT_EQ(two.captions.lblENT, (Four{"2", "2", "3", "3"}));
  // r 6: 1:2 needs 7.5 -> 8; 1:3 7.875 -> 8; 1:4 7.96875 -> 8.
  const EngineRun six = runOf(texts("1", "2", "6", "1"));
  EXPECT_EQ(six.captions.lblENT, (Four{"6", "8", "8", "8"}));
  EXPECT_EQ(six.state().sampleCount[2], 8);
}

TEST(SampleCounts, OneOfOneIsAlwaysR) {
  for (const InputTexts& texts : {texts("1", "2", "7", "2"), texts("0.1", "20", "5", "20"), texts("1", "40", "13", "40")}) {
    const EngineRun run = runOf(texts);
    EXPECT_EQ(run.captions.lblENT[0], texts.txtR);
  }
}

TEST(SampleCounts, GrowWithTheRepeatsOfLowLimits) {
  // Rank n: percentile 0.5/n, so nearly every sample exceeds the limit and 1:t needs
  // close to t samples per comparison.
  const EngineRun run = runOf(texts("1", "50", "100", "50"));
  EXPECT_EQ(run.captions.lblP[3], "0.0100");
  EXPECT_EQ(run.captions.lblENT, (Four{"100", "199", "297", "394"}));
}

TEST(Captions, WorkedExample) {
  const EngineRun run = runOf(texts("0.1", "20", "5", "20"));
  const ResultCaptions& c = run.captions;
  EXPECT_EQ(c.lblCU, (Four{"DCFP exceeded at max = 1", "DCFP OK at maximum = 2", "DCFP OK at maximum = 5",
                           "DCFP OK at maximum = 7"}));
  EXPECT_EQ(c.lblP, (Four{"0.9750", "0.9250", "0.7750", "0.6750"}));
  EXPECT_EQ(c.lblQ, (Four{"0.20000", "0.06052", "0.09037", "0.08993"}));
  EXPECT_EQ(c.lblENT, (Four{"5", "5", "6", "7"}));
  EXPECT_EQ(c.lblPOW, (Four{"Good", "Good", "Good", "Good"}));
  const std::array<std::string, 12> powers = {"0.524", "0.840", "0.973", "0.514", "0.873", "0.986",
                                              "0.706", "0.958", "0.998", "0.768", "0.974", "1.000"};
  EXPECT_EQ(c.lblPW, powers);
}

TEST(Captions, OneOfOneStatusHasTwoBlanksBeforeItsRank) {
  const EngineRun run = runOf(texts("1", "16", "2", "3"));
  EXPECT_EQ(run.captions.lblCU[0], "DCFP OK at maximum =  3");
  EXPECT_EQ(run.captions.lblCU[1], "DCFP OK at maximum = 3");
  EXPECT_EQ(run.captions.lblCU[3], "DCFP OK at maximum = 3");
  // Two-digit ranks and the exceeded text keep one blank.
  const EngineRun twelve = runOf(texts("1", "12", "1", "12"));
  EXPECT_EQ(twelve.captions.lblCU[0], "DCFP OK at maximum =  12");
  EXPECT_EQ(twelve.captions.lblCU[2], "DCFP OK at maximum = 12");
  const EngineRun exceeded = runOf(texts("0.01", "10", "200", "10"));
  EXPECT_EQ(exceeded.captions.lblCU, (Four{"DCFP exceeded at max = 1", "DCFP exceeded at max = 1",
                                          "DCFP exceeded at max = 1", "DCFP exceeded at max = 1"}));
}

TEST(Captions, DecimalSymbolOfTheRegionalSettings) {
  const EngineRun run = runOf(texts("0.1", "20", "5", "20"), ",");
  EXPECT_EQ(run.captions.lblP[0], "0,9750");
  EXPECT_EQ(run.captions.lblQ[1], "0,06052");
  EXPECT_EQ(run.captions.lblPW[11], "1,000");
  // Whole numbers and status captions carry no decimal symbol.
  EXPECT_EQ(run.captions.lblENT[3], "7");
  EXPECT_EQ(run.captions.lblCU[3], "DCFP OK at maximum = 7");
  // The record is the same whatever symbol the captions show.
  const EngineRun point = runOf(texts("0.1", "20", "5", "20"));
  EXPECT_EQ(testsupport::firstDifference(run.state(), point.state()), nullptr);
}

TEST(Captions, ShowResultsAgainGivesTheSameCaptions) {
  EngineRun run = runOf(texts("0.05", "20", "3", "20"));
  EXPECT_EQ(testsupport::allCaptions(CalculationSeam::ShowResults(*run.calc, ".")), testsupport::allCaptions(run.captions));
}

}  // namespace
}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
// The monitoring-program design helper.
#include <gtest/gtest.h>

#include <cmath>

#include "velmora/analysis/design_helper.h"

namespace velmora::analysis {
namespace {

TEST(DesignMonitoringProgram, ComparisonsAndPerConstituentDcfp) {
  const Expected<MonitoringDesign> designed = designMonitoringProgram("20", "10", "2");
  ASSERT_TRUE(designed.has_value());
  const MonitoringDesign& design = *designed;
  EXPECT_EQ(design.r, 40);
  // 1 - 0.9^0.1 = 0.010480741793785607353...; 1 - pow(0.9, 0.1) is 5e-17 off.
  EXPECT_NEAR(design.dcfp, 0.0104807417937856074, 1e-18);
  EXPECT_EQ(design.dcfpText, "0.0104807");
  EXPECT_EQ(design.rFormula, "r = W \u00d7 E = 20 \u00d7 2 = 40");
  EXPECT_EQ(design.dcfpFormula, "DCFP = 1 - (1 - A)^(1/C) = 1 - (1 - 0.1)^(1/10) = 0.0104807");
}

TEST(DesignMonitoringProgram, RateAndSmallDcfpKeepTheirDigits) {
  EXPECT_EQ(designMonitoringProgram("1", "1", "1", "0.05")->dcfpText, "0.05");
  // 1 - (1 - 1e-9)^(1/1000) would lose most digits to the subtraction.
  const Expected<MonitoringDesign> tiny = designMonitoringProgram("1", "1000", "1", "1e-9");
  ASSERT_TRUE(tiny.has_value());
  EXPECT_EQ(tiny->dcfpText, "1e-12");
  EXPECT_EQ(designMonitoringProgram("3", "2", "4", "0.10")->r, 12);
  EXPECT_EQ(designMonitoringProgram("3.0", "2", "4")->r, 12);  // a whole number written with a decimal point
}

// A request refused as the helper refuses: in one sentence.
bool refused(const Expected<MonitoringDesign>& design) {
  return !design.has_value() && design.error().kind == ProblemKind::refusedRequest && design.error().lines.size() == 1;
}

TEST(DesignMonitoringProgram, RefusesNonsense) {
  for (const char* bad : {"0", "-3", "2.5", "abc", "", "1e10"}) {
    EXPECT_TRUE(refused(designMonitoringProgram(bad, "10", "2"))) << "wells " << bad;
    EXPECT_TRUE(refused(designMonitoringProgram("20", bad, "2"))) << "constituents " << bad;
    EXPECT_TRUE(refused(designMonitoringProgram("20", "10", bad))) << "evaluations " << bad;
  }
  for (const char* bad : {"0", "1", "1.5", "-0.1", "x"}) {
    EXPECT_TRUE(refused(designMonitoringProgram("20", "10", "2", bad))) << "rate " << bad;
  }
}

TEST(DesignMonitoringProgram, RefusesMoreComparisonsThanTheCalculatorTakes) {
  EXPECT_TRUE(designMonitoringProgram("8191", "1", "1").has_value());
  const Expected<MonitoringDesign> tooMany = designMonitoringProgram("100", "10", "100");
  ASSERT_TRUE(refused(tooMany));
  EXPECT_NE(tooMany.error().lines.front().find("10000"), std::string::npos);
  EXPECT_NE(tooMany.error().lines.front().find("8191"), std::string::npos);
  // With the background size known, n + 4r itself must fit.
  EXPECT_TRUE(designMonitoringProgram("1", "1", "1000", "", "28767").has_value());
  EXPECT_TRUE(refused(designMonitoringProgram("1", "1", "1000", "", "28768")));
}

}  // namespace
}  // namespace velmora::analysis

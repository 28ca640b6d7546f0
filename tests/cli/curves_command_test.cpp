// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli curves: refused as the calculation refuses, and the shape of its csv and json.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"

namespace velmora::cli {
namespace {

TEST(CliCurves, RefusesACaseExactlyAsTheCalculation) {
  for (const char* format : {"csv", "json"}) {
    const std::string calculationFormat = format == std::string("csv") ? "text" : format;
    const CliRun curves = cli({"curves", "--dcfp", "0", "--n", "20", "--r", "5", "--format", format});
    const CliRun calculation = cli({"--dcfp", "0", "--n", "20", "--r", "5", "--format", calculationFormat});
    EXPECT_EQ(curves.status, kExitRefused);
    EXPECT_EQ(curves.status, calculation.status);
    EXPECT_EQ(curves.err, calculation.err);
    EXPECT_EQ(curves.out, calculation.out);
  }
  const CliRun xml = cli({"curves", "--dcfp", "0.1", "--n", "20", "--r", "5", "--format", "xml"});
  EXPECT_EQ(xml.status, kExitUsage);
  EXPECT_NE(xml.err.find("unknown format 'xml' here (use text, csv or json)"), std::string::npos) << xml.err;
  EXPECT_EQ(cli({"curves", "--dcfp", "0.1", "--r", "5"}).status, kExitUsage);
}

TEST(CliCurves, CsvHasOneRowPerRankAndShiftOfEveryTest) {
  const CliRun run = cli({"curves", "--dcfp", "0.1", "--n", "20", "--r", "5"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  const std::vector<std::string> lines = splitLines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "dcfp,n,r,j,test,curve,rank,shift,design,exact,reference,chosen,j_bound");
  // The largest chosen rank is 1:4's 7: ranks 1 to 12, and 21 shifts, for each of 4 tests.
  EXPECT_EQ(lines.size(), 1u + 4u * (12u + 21u));
  EXPECT_EQ(lines[1], "0.1,20,5,20,1:1,cfp,1,,0.199999988,0.2,,true,false");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "0.1,20,5,20,1:4,cfp,7,,0.0899252295,0.08992518351,,true,false"),
            lines.end())
      << run.out;
  // At 3 sigma the design's power before its rounding to the cell's .840.
  const auto power = std::find_if(lines.begin(), lines.end(),
                                  [](const std::string& line) { return line.starts_with("0.1,20,5,20,1:1,power,1,3,"); });
  ASSERT_NE(power, lines.end());
  EXPECT_EQ(*power, "0.1,20,5,20,1:1,power,1,3,0.839522123,0.8423936936,0.5414068657,,");
}

TEST(CliCurves, JsonIsOneObjectWithTheCurvesOfEveryTest) {
  const CliRun run = cli({"curves", "--dcfp", "0.1", "--n", "20", "--r", "5", "--format", "json"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
  EXPECT_TRUE(run.out.starts_with("{\"dcfp\": \"0.1\", \"n\": \"20\", \"r\": \"5\", \"j\": \"20\", \"j_bound\": 20, "
                                  "\"last_rank\": 12, \"tests\": [{\"test\": \"1:1\", \"rank\": 1, \"exceeded\": true, "
                                  "\"sampled\": false, \"cfp\": [{\"rank\": 1, \"design\": \"0.199999988\", \"exact\": "
                                  "\"0.2\", \"chosen\": true, \"j_bound\": false}, "))
      << run.out;
  EXPECT_NE(run.out.find("\"power\": [{\"shift\": 0.0, \"design\": "), std::string::npos);
}

TEST(CliCurves, TextMarksTheChosenRankAndTheJBound) {
  const CliRun run = cli({"curves", "--dcfp", "0.1", "--n", "20", "--r", "5", "--j", "3", "--format", "text"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\n1:4: chosen rank 3\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("chosen, j bound\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace velmora::cli

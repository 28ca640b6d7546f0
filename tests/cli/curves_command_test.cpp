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

TEST(CliCurves, CsvHasOneRowPerRankAndShiftOfEveryTestWithTheExactDecisionPowersAndRating) {
  const CliRun run = cli({"curves", "--dcfp", "0.1", "--n", "20", "--r", "5"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  const std::vector<std::string> lines = splitLines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0],
            "dcfp,n,r,j,test,curve,rank,shift,design,exact,reference,chosen,j_bound,meets,power_2sd,power_3sd,"
            "power_4sd,rating");
  // The largest chosen rank is 1:4's 7: ranks 1 to 12, and 21 shifts, for each of 4 tests.
  EXPECT_EQ(lines.size(), 1u + 4u * (12u + 21u));
  // 1:1's chosen rank 1 is "DCFP exceeded": it does not meet the DCFP; 1:4's rank 7 does.
  EXPECT_EQ(lines[1], "0.1,20,5,20,1:1,cfp,1,,0.199999988,0.2,,true,false,false,0.5500126747,0.8423936936,"
                      "0.9690522534,Good");
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "0.1,20,5,20,1:4,cfp,7,,0.0899252295,0.08992518351,,true,false,true,0.7619463773,0.972065384,"
                      "0.9987079104,Good"),
            lines.end())
      << run.out;
  // At 3 sigma the design's power before its rounding to the cell's .840.
  const auto power = std::find_if(lines.begin(), lines.end(),
                                  [](const std::string& line) { return line.starts_with("0.1,20,5,20,1:1,power,1,3,"); });
  ASSERT_NE(power, lines.end());
  EXPECT_EQ(*power, "0.1,20,5,20,1:1,power,1,3,0.839522123,0.8423936936,0.5414068657,,,,,,,");
  // Every column of every line: the rows of one rank hold all of them, the power rows leave
  // the rank's columns empty.
  for (const std::string& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), ','), 17) << line;
}

TEST(CliCurves, JsonIsOneObjectWithTheCurvesOfEveryTest) {
  const CliRun run = cli({"curves", "--dcfp", "0.1", "--n", "20", "--r", "5", "--format", "json"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
  EXPECT_TRUE(run.out.starts_with("{\"dcfp\": \"0.1\", \"n\": \"20\", \"r\": \"5\", \"j\": \"20\", \"j_bound\": 20, "
                                  "\"last_rank\": 12, \"tests\": [{\"test\": \"1:1\", \"rank\": 1, \"exceeded\": true, "
                                  "\"sampled\": false, \"cfp\": [{\"rank\": 1, \"design\": \"0.199999988\", \"exact\": "
                                  "\"0.2\", \"chosen\": true, \"j_bound\": false, \"meets\": false, \"power\": "
                                  "[\"0.5500126747\", \"0.8423936936\", \"0.9690522534\"], \"rating\": \"Good\"}, "))
      << run.out;
  EXPECT_NE(run.out.find("\"power\": [{\"shift\": 0.0, \"design\": "), std::string::npos);
}

TEST(CliCurves, TextMarksTheChosenRankAndTheJBound) {
  const CliRun run = cli({"curves", "--dcfp", "0.1", "--n", "20", "--r", "5", "--j", "3", "--format", "text"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\n1:4: chosen rank 3\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("chosen, j bound\n"), std::string::npos) << run.out;
}

// curves --rule: a retest strategy's rows by the same computation, so 1-of-2 is the
// calculation's 1:2 row for row (the first ranks: the rule's rows end five past its own
// chosen rank, the calculation's five past the largest of its four).
TEST(CliCurves, RuleOneOfTwoGivesTheRowsOfTestOneToTwo) {
  const std::vector<std::string> design = {"--dcfp", "0.05", "--n", "60", "--r", "12"};
  std::vector<std::string> plainArgs = {"curves"};
  plainArgs.insert(plainArgs.end(), design.begin(), design.end());
  std::vector<std::string> ruleArgs = plainArgs;
  ruleArgs.insert(ruleArgs.end(), {"--rule", " 1-OF-2 "});
  const CliRun plain = cli(plainArgs);
  const CliRun rule = cli(ruleArgs);
  ASSERT_EQ(plain.status, kExitOk) << plain.err;
  ASSERT_EQ(rule.status, kExitOk) << rule.err;
  const auto rows = [](const std::string& out, const std::string& curve) {
    std::vector<std::string> picked;
    for (const std::string& line : splitLines(out)) {
      if (line.find(",1:2," + curve + ",") != std::string::npos) picked.push_back(line);
    }
    return picked;
  };
  const std::vector<std::string> ruleRows = rows(rule.out, "cfp");
  const std::vector<std::string> plainRows = rows(plain.out, "cfp");
  ASSERT_GE(ruleRows.size(), 6u);
  ASSERT_LE(ruleRows.size(), plainRows.size());
  EXPECT_TRUE(std::equal(ruleRows.begin(), ruleRows.end(), plainRows.begin()));
  EXPECT_EQ(std::count_if(ruleRows.begin(), ruleRows.end(), [](const std::string& line) {
              return line.find(",true,false,true,") != std::string::npos;  // chosen and meets
            }),
            1);
  // The power by shift is the strategy's exact power beside the reference, no calculator power.
  const std::vector<std::string> power = rows(rule.out, "power");
  ASSERT_EQ(power.size(), 21u);
  EXPECT_NE(power[0].find(",power,"), std::string::npos);
  EXPECT_NE(power[0].find(",0,,"), std::string::npos) << power[0];

  // json: one object naming the rule, one test whose rows have no design CFP unless the
  // rule is one of the calculation's tests.
  ruleArgs.back() = "modified-california";
  ruleArgs.insert(ruleArgs.end(), {"--format", "json"});
  const CliRun json = cli(ruleArgs);
  ASSERT_EQ(json.status, kExitOk) << json.err;
  EXPECT_TRUE(json.out.starts_with("{\"dcfp\": \"0.05\", \"n\": \"60\", \"r\": \"12\", \"j\": \"60\", "
                                   "\"rule\": \"modified-california\", "))
      << json.out;
  EXPECT_NE(json.out.find("\"tests\": [{\"test\": \"modified-california\", "), std::string::npos);
  EXPECT_NE(json.out.find("{\"rank\": 1, \"design\": null, \"exact\": "), std::string::npos);
  EXPECT_EQ(json.out.find("\"test\": \"1:"), std::string::npos);
}

TEST(CliCurves, RuleRefusalsAreOneSentenceWithExit64) {
  const CliRun name = cli({"curves", "--dcfp", "0.05", "--n", "60", "--r", "12", "--rule", "3-of-2"});
  EXPECT_EQ(name.status, kExitUsage);
  EXPECT_EQ(std::count(name.err.begin(), name.err.end(), '\n'), 1) << name.err;
  EXPECT_TRUE(name.err.starts_with("velmora-cli: curves: '3-of-2' is not a retest strategy")) << name.err;
  const CliRun size = cli({"curves", "--dcfp", "0.05", "--n", "60", "--r", "9000", "--rule", "1-of-2"});
  EXPECT_EQ(size.status, kExitUsage);
  EXPECT_NE(size.err.find("n + 4r at most 32767"), std::string::npos) << size.err;
  EXPECT_TRUE(size.out.empty());
}

}  // namespace
}  // namespace velmora::cli

// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli strategies: the rows in the order asked, the mark of the strategies that meet the
// DCFP, the json record, and refusals as the other commands refuse. The values themselves are
// checked against exact ones by check_strategies.py.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "cli_run.h"

namespace velmora::cli {
namespace {

const std::vector<std::string> kDesign = {"strategies", "--dcfp", "0.05", "--n", "20", "--r", "10",
                                          "--rules", "1-of-1, 1-of-2 ,modified-california"};

std::vector<std::string> with(std::vector<std::string> args, std::initializer_list<const char*> more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(CliStrategies, TextMarksTheStrategiesThatMeetTheDcfpInTheOrderGiven) {
  const CliRun run = cli(kDesign);
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const std::vector<std::string> lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 6u) << run.out;
  EXPECT_TRUE(lines[2].starts_with("   1-of-1 ") && lines[2].find("1 (exceeded)") != std::string::npos) << lines[2];
  EXPECT_TRUE(lines[3].starts_with("*  1-of-2 ")) << lines[3];
  EXPECT_TRUE(lines[4].starts_with("*  modified-california ")) << lines[4];
}

TEST(CliStrategies, JsonIsOneObjectWithARowPerStrategy) {
  const CliRun run = cli(with(kDesign, {"--shifted", "2", "--format", "json"}));
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const nlohmann::json record = nlohmann::json::parse(run.out);
  ASSERT_EQ(record["strategies"].size(), 3u);
  const nlohmann::json& row = record["strategies"][1];
  EXPECT_EQ(row["rule"], "1-of-2");
  EXPECT_EQ(row["rank"], 1);
  EXPECT_EQ(row["exceeded"], false);
  EXPECT_EQ(row["cfp"], "0.03951633808");  // ten significant digits
  EXPECT_EQ(row["percentile"], "0.9750");
  EXPECT_EQ(row["power"].size(), 3u);
  EXPECT_EQ(row["power_shifted"].size(), 3u);
  EXPECT_EQ(record["strategies"][0]["exceeded"], true);
  // --rank puts every strategy at that rank, met or not.
  const nlohmann::json atRank = nlohmann::json::parse(cli(with(kDesign, {"--rank", "3", "--format", "json"})).out);
  for (const nlohmann::json& each : atRank["strategies"]) EXPECT_EQ(each["rank"], 3);
}

TEST(CliStrategies, RefusalsExit64WithOneSentence) {
  for (const std::vector<std::string>& args :
       {with(kDesign, {"--rank", "x"}), with(kDesign, {"--shifted", "11"}), with(kDesign, {"--rules", "2-of-1"}),
        std::vector<std::string>{"strategies", "--dcfp", "0", "--n", "20", "--r", "10"},
        std::vector<std::string>{"strategies", "--dcfp", "0.05", "--n", "20"}}) {
    const CliRun run = cli(args);
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("velmora-cli: ")) << run.err;
    // One line, and for a usage error the pointer to --help.
    const auto lines = std::count(run.err.begin(), run.err.end(), '\n');
    EXPECT_EQ(lines, run.err.find("Try 'velmora-cli --help'") == std::string::npos ? 1 : 2) << run.err;
  }
}

}  // namespace
}  // namespace velmora::cli

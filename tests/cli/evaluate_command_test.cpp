// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli evaluate, in process: the verdicts of the mercury example (Example 19-5 of the
// US EPA's 2009 Unified Guidance) under every strategy it names, the json record, the exit
// statuses and where refusals and skipped lines are told.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/cli/evaluate_command.h"

namespace velmora::cli {
namespace {

const std::string kMercury = VELMORA_EXAMPLES_DIR "/mercury.csv";

struct EvaluateRun {
  int status = -1;
  std::string out;
  std::string err;
};

EvaluateRun evaluate(EvaluateOptions options) {
  std::ostringstream out;
  std::ostringstream err;
  EvaluateRun run;
  run.status = runEvaluate(options, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

EvaluateOptions mercury(const char* rule, const char* rank, OutputFormat format = OutputFormat::json) {
  EvaluateOptions options;
  options.data = kMercury;
  options.rule = rule;
  options.rank = rank;
  options.format = format;
  return options;
}

std::string dataFile(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + "velmora_evaluate_" + name + ".csv";
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::vector<std::string> texts(const nlohmann::json& values) { return values.get<std::vector<std::string>>(); }

TEST(CliEvaluate, MercuryExampleVerdictsUnderEveryStrategyItNames) {
  struct Case {
    const char* rule;
    const char* rank;
    const char* limit;
    const char* cw2;
    std::vector<std::string> cw2Used;
    int status;
  };
  const std::vector<std::string> first4 = {"0.36", "0.41", "0.28", "0.45"};
  const std::vector<Case> cases = {
      // 0.28 on the third value equals the limit, and passes.
      {"1-of-3", "1", "0.28", "pass", {"0.36", "0.41", "0.28"}, kExitOk},
      {"1-of-4", "1", "0.28", "pass", {"0.36", "0.41", "0.28"}, kExitOk},
      // Only one of values 2-4 is at or below 0.28.
      {"modified-california", "1", "0.28", "fail", first4, kExitWellFails},
      // Medians 0.36 and 0.45.
      {"1-of-2/median-3", "1", "0.28", "fail", {"0.36", "0.41", "0.28", "0.45", "0.43", "0.54"}, kExitWellFails},
      {"1-of-4", "2", "0.25", "fail", first4, kExitWellFails},
      {"1-of-4", "3", "0.24", "fail", first4, kExitWellFails},
  };
  for (const Case& c : cases) {
    const EvaluateRun run = evaluate(mercury(c.rule, c.rank));
    SCOPED_TRACE(std::string(c.rule) + " rank " + c.rank);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err, "");
    const nlohmann::json record = nlohmann::json::parse(run.out);
    EXPECT_EQ(record["n"], 20);
    EXPECT_EQ(record["limit"], c.limit);
    EXPECT_EQ(record["limit_is_reporting_limit"], false);
    const nlohmann::json& wells = record["wells"];
    ASSERT_EQ(wells.size(), 2u);
    // CW-1 passes every plan on its first value (with medians, its first unit).
    EXPECT_EQ(wells[0]["verdict"], "pass");
    const std::vector<std::string> cw1 = std::string(c.rule).ends_with("median-3")
                                             ? std::vector<std::string>{"0.22", "0.2", "<.2"}
                                             : std::vector<std::string>{"0.22"};
    EXPECT_EQ(texts(wells[0]["values_used"]), cw1);
    EXPECT_EQ(wells[1]["verdict"], c.cw2);
    EXPECT_EQ(texts(wells[1]["values_used"]), c.cw2Used);
  }
  const std::string medians = nlohmann::json::parse(evaluate(mercury("1-of-2/median-3", "1")).out)["wells"][1]["reason"];
  EXPECT_NE(medians.find("median 0.36 above"), std::string::npos) << medians;
  EXPECT_NE(medians.find("median 0.45 above"), std::string::npos) << medians;
}

TEST(CliEvaluate, JsonRecordLayout) {
  const EvaluateRun run = evaluate(mercury("1:3", "1"));
  ASSERT_EQ(run.status, kExitOk) << run.err;
  ASSERT_EQ(run.out.back(), '\n');
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one line per constituent";
  const nlohmann::ordered_json record = nlohmann::ordered_json::parse(run.out);
  std::vector<std::string> keys;
  for (const auto& item : record.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"constituent", "rule", "rank", "n", "limit", "limit_is_reporting_limit",
                                            "wells"}));
  EXPECT_EQ(record["constituent"], "mercury");
  EXPECT_EQ(record["rule"], "1-of-3");
  EXPECT_EQ(record["rank"], 1);
  EXPECT_EQ(record["limit"], "0.28");
  std::vector<std::string> wellKeys;
  for (const auto& item : record["wells"][0].items()) wellKeys.push_back(item.key());
  EXPECT_EQ(wellKeys, (std::vector<std::string>{"well", "verdict", "values_used", "reason"}));
  EXPECT_EQ(record["wells"][1]["well"], "CW-2");
  EXPECT_EQ(record["wells"][1]["verdict"], "pass");
  EXPECT_TRUE(record["wells"][1]["reason"].is_string());
}

TEST(CliEvaluate, TextReportShowsTheLimitTheWellsAndTheMethod) {
  const EvaluateRun run = evaluate(mercury("1-of-3", "1", OutputFormat::text));
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Constituent mercury (ppb): 1-of-3, rank 1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("largest first: 0.28 [limit], and 19 smaller\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("CW-2: pass\n  values used: 0.36, 0.41, 0.28\n  not used:    0.45, 0.43, 0.54\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Method."), std::string::npos);
  EXPECT_NE(run.out.find("a value equal to the limit passes"), std::string::npos);
}

TEST(CliEvaluate, ExitStatusesAndWhereProblemsAreTold) {
  const std::string header = "well,role,event,value\n";
  const std::string background = "BG-1,background,1,0.3\nBG-1,background,2,<0.2\n";
  const auto run = [](const std::string& path, const char* rule = "1-of-2", const char* rank = "1") {
    EvaluateOptions options;
    options.data = path;
    options.rule = rule;
    options.rank = rank;
    options.format = OutputFormat::csv;
    return options;
  };

  // 2: a well needs a resample, or cannot be judged; 3 wins over 2.
  const EvaluateRun resample = evaluate(run(dataFile("resample", header + background + "CW-1,compliance,1,0.4\n")));
  EXPECT_EQ(resample.status, kExitUndecided) << resample.err;
  EXPECT_NE(resample.out.find(",resample needed,0.4,,"), std::string::npos) << resample.out;
  const EvaluateRun undetermined = evaluate(run(dataFile("undetermined", header + background + "CW-1,compliance,1,<0.5\n")));
  EXPECT_EQ(undetermined.status, kExitUndecided);
  const EvaluateRun both = evaluate(run(dataFile("both", header + background +
                                                   "CW-1,compliance,1,<0.5\nCW-2,compliance,1,1\nCW-2,compliance,2,1\n")));
  EXPECT_EQ(both.status, kExitWellFails);

  // 65: the data; every bad line on standard error with its number, nothing on standard output.
  const std::string bad = dataFile("bad", header + background + "CW-1,compliance,1,abc\nCW-1,compliance,2,<\n");
  const EvaluateRun refused = evaluate(run(bad));
  EXPECT_EQ(refused.status, kExitUnreadableData);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("2 lines of the data cannot be used:\n  line 4: the value \"abc\""), std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("\n  line 5: the non-detect \"<\" has no reporting limit\n"), std::string::npos);
  // --skip-bad-lines: the rest is evaluated, and each skipped line told.
  EvaluateOptions skipping = run(bad);
  skipping.skipBadLines = true;
  const EvaluateRun skipped = evaluate(skipping);
  // A well whose every line is skipped is refused, not left out of the report unseen.
  EXPECT_EQ(skipped.status, kExitUnreadableData);
  EXPECT_NE(skipped.err.find("compliance well \"CW-1\" has no values"), std::string::npos) << skipped.err;
  const std::string partly = dataFile("partly", header + background + "CW-1,compliance,1,0.1\nCW-1,compliance,2,x\n");
  skipping = run(partly);
  skipping.skipBadLines = true;
  const EvaluateRun partlySkipped = evaluate(skipping);
  EXPECT_EQ(partlySkipped.status, kExitOk) << partlySkipped.err;
  EXPECT_NE(partlySkipped.err.find("velmora-cli: evaluate: skipped line 5: the value \"x\""), std::string::npos);
  EXPECT_EQ(evaluate(run(dataFile("empty_background", header + "CW-1,compliance,1,0.1\n"))).status,
            kExitUnreadableData);
  EXPECT_EQ(evaluate(run(testing::TempDir() + "velmora_no_such_file.csv")).status, kExitUnreadableData);

  // 64: the request, before or after the file is read.
  EXPECT_EQ(evaluate(run(kMercury, "1-of-9")).status, kExitUsage);
  EXPECT_EQ(evaluate(run(kMercury, "1-of-2", "0")).status, kExitUsage);
  const EvaluateRun tooHigh = evaluate(run(kMercury, "1-of-2", "21"));
  EXPECT_EQ(tooHigh.status, kExitUsage);
  EXPECT_NE(tooHigh.err.find("constituent mercury: rank 21 is above the 20 background values"), std::string::npos)
      << tooHigh.err;
  EvaluateOptions other = run(kMercury);
  other.constituent = "lead";
  EXPECT_NE(evaluate(other).err.find("has no constituent \"lead\" (it has mercury)"), std::string::npos);
  EvaluateOptions design = run(kMercury);
  design.rank.reset();
  design.dcfp = "0.05";
  design.r = "10";
  // No rank of the strategy meets the DCFP with these 20 values: refused, not judged at rank 1.
  design.dcfp = "0.001";
  const EvaluateRun unmet = evaluate(design);
  EXPECT_EQ(unmet.status, kExitUsage);
  EXPECT_NE(unmet.err.find("no rank of 1-of-2 meets DCFP 0.001 with n = 20 and r = 10"), std::string::npos) << unmet.err;
  design.rank = "2";
  EXPECT_EQ(evaluate(design).status, kExitUsage);
}

// --dcfp and --r instead of --rank: the strategy's best rank for n = the background values,
// the rank designStrategy gives, named in the report with its CFP.
TEST(CliEvaluate, DesignGivesTheBestRankForTheBackground) {
  EvaluateOptions options = mercury("1-of-2", "1", OutputFormat::text);
  options.rank.reset();
  options.dcfp = "0.05";
  options.r = "10";
  const EvaluateRun run = evaluate(options);
  const Expected<analysis::Strategy> strategy = analysis::parseStrategy("1-of-2");
  const Expected<analysis::DcfpFraction> dcfp = analysis::DcfpFraction::read("0.05");
  const Expected<analysis::StrategyRow> row = analysis::designStrategy(*strategy, *dcfp, 20, 10, 20);
  ASSERT_TRUE(row && !row->exceeded);
  EXPECT_NE(run.out.find("1-of-2, rank " + std::to_string(row->rank) + ", the best rank of 1-of-2 for DCFP 0.05 and r = 10 "
                         "with n = 20 background values; its CFP " + analysis::formatSignificant(static_cast<long double>(row->cfp))),
            std::string::npos)
      << run.out;
  options.format = OutputFormat::json;
  EXPECT_NE(evaluate(options).out.find("\"rank\": " + std::to_string(row->rank) + ","), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli

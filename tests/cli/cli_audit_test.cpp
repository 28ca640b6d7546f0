// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli --audit, design and plan, run in process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>

#include "cli_run.h"
#include "velmora/cli/commands.h"
#include "velmora/cli/writers.h"

namespace velmora::cli {
namespace {

TEST(CliAudit, JsonCarriesOneAuditObjectPerTest) {
  const CliRun run = cli({"--dcfp", "0.1", "--n", "20", "--r", "5", "--format", "json", "--audit"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("\"audit\": {\"cfp_exact\": \"0.2\", \"next_rank\": null, \"next_cfp_exact\": null, "
                         "\"margin\": \"-0.1\", \"exact_rank\": 1, \"exact_exceeded\": true, \"agrees\": true, "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"audit\": {\"cfp_exact\": \"0.06051955707\", \"next_rank\": 3, \"next_cfp_exact\": "
                         "\"0.1168997919\", \"margin\": \"0.03948044293\", \"exact_rank\": 2, "
                         "\"exact_exceeded\": false, \"agrees\": true, "),
            std::string::npos);
}

TEST(CliAudit, WithoutTheFlagEveryFormatIsUnchanged) {
  for (const char* format : {"text", "csv", "json"}) {
    const CliRun plain = cli({"--dcfp", "0.1", "--n", "20", "--r", "5", "--format", format});
    const CliRun audited = cli({"--dcfp", "0.1", "--n", "20", "--r", "5", "--format", format, "--audit"});
    EXPECT_EQ(plain.out.find("audit"), std::string::npos);
    EXPECT_EQ(plain.out.find("exact"), std::string::npos);
    EXPECT_NE(audited.out, plain.out);
  }
}

TEST(CliAudit, CsvAddsTheColumnsAndTextNamesEachDisagreement) {
  const CliRun csv = cli({"--dcfp", "0.19999999", "--n", "20", "--r", "5", "--format", "csv", "--audit"});
  EXPECT_NE(csv.out.find(",cfp_exact,next_rank,next_cfp_exact,margin,exact_rank,exact_exceeded,agrees,"),
            std::string::npos);
  EXPECT_NE(csv.out.find(",0.2,2,0.3666666667,-1e-08,1,true,false,"), std::string::npos) << csv.out;

  const CliRun text = cli({"--dcfp", "0.19999999", "--n", "20", "--r", "5", "--audit"});
  EXPECT_NE(text.out.find("The exact rank of 1:1 differs: 1 (exceeded) by exact arithmetic, 1 in the design.\n"),
            std::string::npos)
      << text.out;
  EXPECT_EQ(text.out.find("The exact rank of 1:2"), std::string::npos);
}

TEST(CliAudit, BatchAuditsEveryAcceptedCase) {
  std::istringstream in("0.1,20,5\n0,20,5\n0.05,30,10\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runCommand({"--batch", "-", "--format", "json", "--audit"}, in, out, err), kExitRefused);
  const std::string lines = out.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3);
  std::size_t audits = 0;
  for (std::size_t at = lines.find("\"audit\""); at != std::string::npos; at = lines.find("\"audit\"", at + 1)) ++audits;
  EXPECT_EQ(audits, 8u);  // four per accepted case, none for the refused one
}

TEST(CliDesign, PrintsTheFormulasAndRunsTheCalculation) {
  const CliRun design = cli({"design", "--wells", "20", "--constituents", "10", "--evaluations", "2"});
  EXPECT_EQ(design.status, kExitOk);
  EXPECT_NE(design.out.find("r = W \u00d7 E = 20 \u00d7 2 = 40"), std::string::npos);
  EXPECT_NE(design.out.find("DCFP = 1 - (1 - A)^(1/C) = 1 - (1 - 0.1)^(1/10) = 0.0104807"), std::string::npos);

  const CliRun run = cli({"design", "--wells", "20", "--constituents", "10", "--evaluations", "2", "--n", "30",
                       "--format", "json"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("\"calculation\": {\"dcfp\": \"0.0104807\", \"n\": \"30\", \"r\": \"40\", \"j\": \"30\""),
            std::string::npos)
      << run.out;
}

TEST(CliDesign, RefusesNonsenseWithUsageStatus) {
  const std::vector<std::vector<std::string>> refused = {
      {"design", "--wells", "0", "--constituents", "10", "--evaluations", "2"},
      {"design", "--wells", "2.5", "--constituents", "10", "--evaluations", "2"},
      {"design", "--wells", "20", "--constituents", "-1", "--evaluations", "2"},
      {"design", "--wells", "20", "--constituents", "10", "--evaluations", "2", "--swfpr", "1"},
      {"design", "--wells", "100", "--constituents", "10", "--evaluations", "100"},
      {"design", "--wells", "20", "--constituents", "10"},
      {"design", "--wells", "20", "--constituents", "10", "--evaluations", "2", "--format", "xml"},
      {"design", "--wells", "20", "--constituents", "10", "--evaluations", "2", "--audit"},
  };
  for (const auto& args : refused) {
    const CliRun run = cli(args);
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("velmora-cli: ")) << run.err;
  }
  // A background size the calculator refuses is the calculator's refusal.
  EXPECT_EQ(cli({"design", "--wells", "2", "--constituents", "1", "--evaluations", "1", "--n", "1"}).status,
            kExitRefused);
}

TEST(CliPlan, AnswersExactlyAndInFloat32) {
  const CliRun run = cli({"plan", "--dcfp", "0.1", "--r", "5", "--test", "1:1", "--format", "json"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out,
            "{\"dcfp\": \"0.1\", \"r\": 5, \"rank\": 1, \"smallest_n\": 2, \"largest_n\": 32747, \"tests\": "
            "[{\"test\": \"1:1\", \"exact_n\": 45, \"exact_cfp\": \"0.1\", \"design_n\": 46, \"design_cfp\": "
            "\"0.0980392098\", \"design_underflow\": false}]}\n");
  const CliRun none = cli({"plan", "--dcfp", "0.0001", "--r", "5", "--test", "1:1"});
  EXPECT_NE(none.out.find("no n up to 32747 meets it"), std::string::npos);
  EXPECT_EQ(cli({"plan", "--dcfp", "0.1", "--r", "9000"}).status, kExitUsage);
  EXPECT_EQ(cli({"plan", "--dcfp", "0.1"}).status, kExitUsage);
  EXPECT_EQ(cli({"plan", "--dcfp", "0.1", "--r", "5", "--test", "1:7"}).status, kExitUsage);
}

// --rule: the guidance's smallest background at 97.91484 % confidence for 1-of-2 on medians
// of 3 with the maximum; a name that is no strategy is refused in one sentence, and --rule
// with --test is a usage error.
TEST(CliPlan, ARuleIsPlannedByItsExactCfp) {
  const CliRun run = cli({"plan", "--dcfp", "0.0208516", "--r", "10", "--rule", " 1-OF-2 / median-3", "--format", "json"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out,
            "{\"dcfp\": \"0.0208516\", \"r\": 10, \"rank\": 1, \"smallest_n\": 2, \"largest_n\": 32727, \"rule\": "
            "\"1-of-2/median-3\", \"exact_n\": 14, \"exact_cfp\": \"0.0173229273\"}\n");
  const CliRun refused = cli({"plan", "--dcfp", "0.0208516", "--r", "10", "--rule", "2-of-9"});
  EXPECT_EQ(refused.status, kExitUsage);
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  EXPECT_EQ(cli({"plan", "--dcfp", "0.1", "--r", "5", "--rule", "1-of-1", "--test", "1:1"}).status, kExitUsage);
}

// A plan that runs past the delay shows its progress on standard error, and wipes it.
TEST(CliPlan, ShowsItsProgressWhenAsked) {
  PlanOptions options;
  options.dcfp = "0.05";
  options.r = "50";
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(runPlan(options, out, err, {true, std::chrono::milliseconds(0)}), kExitOk);
  EXPECT_NE(err.str().find("\rvelmora-cli: plan: 1 CFP computed"), std::string::npos) << err.str();
  EXPECT_TRUE(err.str().ends_with("\r\x1b[K")) << err.str();
  std::ostringstream quiet;
  ASSERT_EQ(runPlan(options, out, quiet), kExitOk);
  EXPECT_EQ(quiet.str(), "");
  // curves reports its test and rank the same way (the first line shown, before any rank).
  CurvesOptions curves;
  curves.dcfp = "0.1";
  curves.n = "20";
  curves.r = "5";
  std::ostringstream curvesErr;
  ASSERT_EQ(runCurves(curves, out, curvesErr, {true, std::chrono::milliseconds(0)}), kExitOk);
  EXPECT_NE(curvesErr.str().find("\rvelmora-cli: curves: 1:1, rank 0 of 12"), std::string::npos) << curvesErr.str();
}

}  // namespace
}  // namespace velmora::cli

namespace velmora::cli {
namespace {

// plan and design in csv: the same numbers as their other formats, one row per test; design
// with --n puts the program's numbers before each row of the calculation's csv.
TEST(CliCsvCommands, PlanAndDesignRowsCarryTheirNumbers) {
  const CliRun plan = cli({"plan", "--dcfp", "0.1", "--r", "5", "--test", "1:1", "--format", "csv"});
  EXPECT_EQ(plan.out, "dcfp,r,rank,test,exact_n,exact_cfp,design_n,design_cfp,design_underflow\n"
                      "0.1,5,1,1:1,45,0.1,46,0.0980392098,false\n");
  // A float32 CFP that underflows to 0 meets any DCFP; where the exact answer differs it is
  // marked, in every format, rather than printed as a plan.
  const CliRun tiny = cli({"plan", "--dcfp", "1e-300", "--r", "10", "--test", "1:3"});
  EXPECT_NE(tiny.out.find("design: n = 961, CFP 0 (float32 underflow"), std::string::npos) << tiny.out;
  const CliRun tinyCsv = cli({"plan", "--dcfp", "1e-300", "--r", "10", "--test", "1:3", "--format", "csv"});
  EXPECT_TRUE(tinyCsv.out.ends_with(",961,0,true\n")) << tinyCsv.out;
  const CliRun design = cli({"design", "--wells", "5", "--constituents", "10", "--evaluations", "2", "--n", "20",
                             "--format", "csv"});
  const std::vector<std::string> lines = splitLines(design.out);
  ASSERT_EQ(lines.size(), 5u) << design.out;
  EXPECT_EQ(lines[0], "wells,constituents,evaluations,swfpr," + csvHeader().substr(0, csvHeader().size() - 1));
  EXPECT_TRUE(lines[4].starts_with("5,10,2,0.1,0.0104807,20,10,20,1:4,DCFP OK at maximum = 2,2,")) << lines[4];
}

}  // namespace
}  // namespace velmora::cli

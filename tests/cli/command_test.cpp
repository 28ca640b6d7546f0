// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli end to end: in-process runs of the whole command, and a few runs of the
// built executable.
#include "cli_run.h"
#include "velmora/cli/commands.h"
#include "velmora/records/design_file.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace velmora::cli {
namespace {

using RunResult = CliRun;

std::string tempPath(const std::string& name) {
  return (std::filesystem::path(testing::TempDir()) / ("velmora_cli_" + std::to_string(getpid()) + "_" + name))
      .string();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the built velmora-cli with `input` on its standard input.
RunResult runExecutable(const std::vector<std::string>& args, const std::string& input = "") {
  const std::string inPath = tempPath("stdin");
  const std::string outPath = tempPath("stdout");
  const std::string errPath = tempPath("stderr");
  std::ofstream(inPath, std::ios::binary) << input;
  RunResult run;
  const pid_t pid = fork();
  if (pid == 0) {
    const int inFd = open(inPath.c_str(), O_RDONLY);
    const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (inFd < 0 || outFd < 0 || errFd < 0) _exit(127);
    dup2(inFd, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    std::vector<char*> argv;
    std::string program = VELMORA_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int waitStatus = 0;
  if (pid > 0 && waitpid(pid, &waitStatus, 0) == pid && WIFEXITED(waitStatus)) run.status = WEXITSTATUS(waitStatus);
  run.out = readFile(outPath);
  run.err = readFile(errPath);
  std::remove(inPath.c_str());
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return run;
}

const std::vector<std::string> kWorkedExample = {"--dcfp", "0.1", "--n", "20", "--r", "5"};

// --- single cases ---------------------------------------------------------------------

TEST(CommandSingleCase, ComputedCaseExitsZeroWithOneJsonLine) {
  std::vector<std::string> args = kWorkedExample;
  args.insert(args.end(), {"--format", "json"});
  const RunResult run = cli(args);
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.err, "");
  ASSERT_EQ(splitLines(run.out).size(), 1u);
  EXPECT_TRUE(run.out.starts_with(R"({"dcfp": "0.1", "n": "20", "r": "5", "j": "20", "tests": [)")) << run.out;
}

TEST(CommandSingleCase, JDefaultsToTheNTextVerbatim) {
  const RunResult run = cli({"--dcfp", "0.1", "--n", " 20 ", "--r", "5", "--format", "json"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(run.out.starts_with(R"({"dcfp": "0.1", "n": " 20 ", "r": "5", "j": " 20 ", "tests": [)")) << run.out;
  // The same results as with plain 20 for both.
  const RunResult plain = cli({"--dcfp", "0.1", "--n", "20", "--r", "5", "--format", "json"});
  EXPECT_EQ(run.out.substr(run.out.find("\"tests\"")), plain.out.substr(plain.out.find("\"tests\"")));
}

TEST(CommandSingleCase, ExplicitJReplacesTheDefault) {
  const RunResult run = cli({"--dcfp", "0.1", "--n", "20", "--r", "5", "--j", "3", "--format", "csv"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(lines[4].starts_with("0.1,20,5,3,1:4,DCFP OK at maximum = 3,3,")) << lines[4];
}

TEST(CommandSingleCase, RefusalInTextGoesToStandardErrorWithStatusTwo) {
  const RunResult run = cli({"--dcfp", "0.1", "--n", "20", "--r", "abc"});
  EXPECT_EQ(run.status, kExitRefused);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "velmora-cli: Entry Error: The number of comparisons input must be numeric, and an integer value greater "
            "than zero. (DCFP \"0.1\", n \"20\", r \"abc\", j \"20\")\n");
}

TEST(CommandSingleCase, RefusalInCsvGoesToStandardErrorAfterTheHeader) {
  const RunResult run = cli({"--dcfp", "2", "--n", "20", "--r", "5", "--format", "csv"});
  EXPECT_EQ(run.status, kExitRefused);
  EXPECT_EQ(splitLines(run.out).size(), 1u);
  EXPECT_NE(run.err.find("The DCFP error input must be numeric,"), std::string::npos);
}

TEST(CommandSingleCase, RefusalInJsonIsTheRecordOnStandardOutput) {
  const RunResult run = cli({"--dcfp", "0.1", "--n", "20", "--r", "5", "--j", "", "--format", "json"});
  EXPECT_EQ(run.status, kExitRefused);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            R"({"dcfp": "0.1", "n": "20", "r": "5", "j": "", "error": {"title": "Entry Error", "lines": )"
            R"(["The inverse ranking input must be numeric,", "and an integer value greater than zero."], )"
            R"("focus": "txtN"}})" "\n");
}

TEST(CommandSingleCase, UsageErrorsExit64WithNothingOnStandardOutput) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"--dcfp", "0.1"}, {"--bogus"}, {"--batch", "-", "--format", "yaml"}, {"--dcfp"}}) {
    const RunResult run = cli(args);
    EXPECT_EQ(run.status, kExitUsage) << testing::PrintToString(args);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("velmora-cli: ")) << run.err;
    EXPECT_NE(run.err.find("--help"), std::string::npos);
  }
}

TEST(CommandSingleCase, HelpGoesToStandardOutput) {
  const RunResult run = cli({"--help"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_TRUE(run.out.starts_with("Usage: velmora-cli")) << run.out;
  EXPECT_EQ(run.err, "");
}

// --- design files ---------------------------------------------------------------------

// The window's saved design is one case: its texts exactly as typed, j included, and a file
// that is no design is refused in one line with status 65 and nothing on standard output.
TEST(CommandDesignFile, ReadsTheFourTextsAsTypedAndRefusesAnythingElse) {
  records::DesignFile design;
  design.inputs = {" 0.10", "21", "4", "3"};
  design.site = "North Landfill";
  const std::string saved = records::writeDesignFile(design);
  const std::string path = tempPath("design.velmora");
  std::ofstream(path, std::ios::binary) << saved;
  const RunResult run = cli({"--design", path, "--format", "json", "--audit"});
  const RunResult typed = cli({"--dcfp", " 0.10", "--n", "21", "--r", "4", "--j", "3", "--format", "json", "--audit"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, typed.out);
  EXPECT_EQ(cli({"--design", path, "--n", "20"}).status, kExitUsage);  // the file is the whole case
  EXPECT_NE(cli({"--help"}).out.find("--design FILE"), std::string::npos);

  const std::string folder = testing::TempDir();
  for (const auto& [text, reason] : {std::pair<std::string, std::string>{saved.substr(0, saved.size() / 2), "cut short"},
                                     {R"({"format": "other-program", "version": 1})", "format"},
                                     {"", "cut short"}}) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    const RunResult bad = cli({"--design", path});
    EXPECT_EQ(bad.status, kExitUnreadableData) << text;
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(splitLines(bad.err).size(), 1u) << bad.err;
    EXPECT_TRUE(bad.err.starts_with("velmora-cli: design file '" + path + "': ")) << bad.err;
    EXPECT_NE(bad.err.find(reason), std::string::npos) << bad.err;
  }
  std::remove(path.c_str());
  for (const std::string& unreadable : {path, folder}) {
    const RunResult bad = cli({"--design", unreadable});
    EXPECT_EQ(bad.status, kExitUnreadableData) << unreadable;
    EXPECT_EQ(bad.out, "");
  }
}

// --- batches --------------------------------------------------------------------------

const std::string kMixedBatch =
    "0.1,20,5,20\r\n"       // line 1: computed
    "\r\n"                  // line 2: empty, skipped
    "0.1,20\r\n"            // line 3: two fields
    "0,20,5,20\r\n"         // line 4: refused
    "   \r\n"               // line 5: blanks only, skipped
    "\"0.1\",\" 20 \",5\r\n"  // line 6: three fields, j from n
    "0.1,\"2\r\n0\",5,20\r\n";  // lines 7-8: a line break inside quotes (refused)

TEST(CommandBatch, JsonGivesOneRecordPerCaseInOrderAndGoesOnAfterProblems) {
  const RunResult run = cli({"--batch", "-", "--format", "json"}, kMixedBatch);
  EXPECT_EQ(run.status, kExitRefused);
  EXPECT_EQ(run.err, "");
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 5u) << run.out;
  EXPECT_TRUE(lines[0].starts_with(R"({"dcfp": "0.1", "n": "20", "r": "5", "j": "20", "tests": )"));
  EXPECT_EQ(lines[1], R"({"line": 3, "fields": ["0.1", "20"], "error": {"title": "Batch Error", "lines": )"
                      R"(["Line 3 has 2 fields.", "A case needs 3 or 4 fields: DCFP, n, r and optionally j."]}})");
  EXPECT_TRUE(lines[2].starts_with(R"({"dcfp": "0", "n": "20", "r": "5", "j": "20", "error": )"));
  EXPECT_TRUE(lines[3].starts_with(R"({"dcfp": "0.1", "n": " 20 ", "r": "5", "j": " 20 ", "tests": )"));
  EXPECT_TRUE(lines[4].starts_with(R"({"dcfp": "0.1", "n": "2\r\n0", "r": "5", "j": "20", "error": )"));
}

TEST(CommandBatch, CsvAndTextSendProblemsAndRefusalsToStandardErrorWithTheirLines) {
  for (const char* format : {"csv", "text"}) {
    const RunResult run = cli({"--batch", "-", "--format", format}, kMixedBatch);
    EXPECT_EQ(run.status, kExitRefused);
    const auto errors = splitLines(run.err);
    ASSERT_EQ(errors.size(), 3u) << run.err;
    EXPECT_TRUE(errors[0].starts_with("velmora-cli: Batch Error: Line 3 has 2 fields.")) << errors[0];
    EXPECT_TRUE(errors[1].starts_with("velmora-cli: line 4: Entry Error: The DCFP error")) << errors[1];
    EXPECT_TRUE(errors[2].starts_with("velmora-cli: line 7: Entry Error: The background size")) << errors[2];
  }
  const RunResult csv = cli({"--batch", "-", "--format", "csv"}, kMixedBatch);
  const auto rows = splitLines(csv.out);
  ASSERT_EQ(rows.size(), 9u);  // the header and two computed cases
  EXPECT_TRUE(rows[5].starts_with("0.1,\" 20 \",5,\" 20 \",1:1,")) << rows[5];
}

TEST(CommandBatch, TextSeparatesGridsWithABlankLine) {
  const RunResult run = cli({"--batch", "-"}, "0.1,20,5\n0.05,30,10,25\n");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 25u) << run.out;
  EXPECT_EQ(lines[12], "");
  EXPECT_EQ(lines[13], "Design Cum. False Positive Error (DCFP): 0.05");
}

TEST(CommandBatch, EveryCaseComputedExitsZero) {
  const RunResult run = cli({"--batch", "-", "--format", "json"}, "0.1,20,5\n\n0.05,30,10,25");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(splitLines(run.out).size(), 2u);
}

TEST(CommandBatch, EmptyInputHasNoRecords) {
  EXPECT_EQ(cli({"--batch", "-", "--format", "json"}, "").out, "");
  const RunResult csv = cli({"--batch", "-", "--format", "csv"}, "\n\n");
  EXPECT_EQ(csv.status, kExitOk);
  EXPECT_EQ(splitLines(csv.out).size(), 1u);
}

TEST(CommandBatch, UnterminatedQuoteEndsTheBatchWithAProblem) {
  const RunResult run = cli({"--batch", "-", "--format", "json"}, "0.1,20,5\n0.1,\"20,5\n0.1,20,5\n");
  EXPECT_EQ(run.status, kExitRefused);
  const auto lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[1].starts_with(R"({"line": 2, "fields": ["0.1", "20,5\n0.1,20,5\n"], )")) << lines[1];
}

TEST(CommandBatch, ReadsANamedFile) {
  const std::string path = tempPath("batch.csv");
  std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF" "0.1,20,5,20\n";
  const RunResult run = cli({"--format", "json", "--batch", path});
  std::remove(path.c_str());
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(run.out.starts_with(R"({"dcfp": "0.1", )")) << run.out;
}

TEST(CommandBatch, UnreadableFileIsAUsageError) {
  for (const std::string& path : {tempPath("missing.csv"), std::string(testing::TempDir())}) {
    const RunResult run = cli({"--batch", path, "--format", "csv"});
    EXPECT_EQ(run.status, kExitUsage) << path;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
  }
}

// A batch of more cases than are computed at once, with problems and refusals among
// them, comes out the same on any number of jobs, in every format and with the audit.
TEST(CommandBatch, RecordsComeOutInLineOrderWhateverTheNumberOfJobs) {
  std::string batch;
  for (int i = 0; i < 700; ++i) {
    const int n = 10 + i % 53;
    batch += i % 97 == 5 ? "0.1,20\n" : i % 89 == 7 ? "0," + std::to_string(n) + ",5\n"
                                                      : "0.0" + std::to_string(1 + i % 9) + "," + std::to_string(n) +
                                                            "," + std::to_string(1 + i % 7) + "\n";
  }
  for (const char* format : {"json", "csv", "text"}) {
    const RunResult one = cli({"--batch", "-", "--jobs", "1", "--format", format}, batch);
    const RunResult three = cli({"--batch", "-", "--jobs", "3", "--format", format}, batch);
    EXPECT_EQ(one.status, kExitRefused) << format;
    EXPECT_EQ(three.status, one.status) << format;
    EXPECT_EQ(three.out, one.out) << format;
    EXPECT_EQ(three.err, one.err) << format;
  }
  EXPECT_EQ(splitLines(cli({"--batch", "-", "--format", "json"}, batch).out).size(), 700u);
  const std::string audited(batch, 0, batch.find('\n', 4000) + 1);
  EXPECT_EQ(cli({"--batch", "-", "--jobs", "2", "--format", "json", "--audit"}, audited).out,
            cli({"--batch", "-", "--jobs", "1", "--format", "json", "--audit"}, audited).out);
}

TEST(CommandBatch, JobsMustBeAWholeNumberAndNeedABatch) {
  for (const char* jobs : {"0", "-1", "2.5", "", "x", "257"}) {
    const RunResult run = cli({"--batch", "-", "--jobs", jobs}, "0.1,20,5\n");
    EXPECT_EQ(run.status, kExitUsage) << jobs;
    EXPECT_NE(run.err.find("--jobs needs a whole number from 1 to 256"), std::string::npos) << run.err;
  }
  const RunResult single = cli({"--dcfp", "0.1", "--n", "20", "--r", "5", "--jobs", "2"});
  EXPECT_EQ(single.status, kExitUsage);
  EXPECT_NE(single.err.find("--jobs needs --batch"), std::string::npos) << single.err;
}

TEST(CommandBatch, ALongBatchOnATerminalShowsItsProgressAndWipesIt) {
  Options options;
  options.batch = "-";
  options.format = OutputFormat::json;
  std::istringstream in("0.1,20,5\n0.05,30,10\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(runCalculation(options, in, out, err, {true, std::chrono::milliseconds(0)}), kExitOk);
  EXPECT_EQ(splitLines(out.str()).size(), 2u);
  const std::string progress = err.str();
  EXPECT_TRUE(progress.starts_with("\rvelmora-cli: 1 case computed\x1b[K")) << progress;
  EXPECT_TRUE(progress.ends_with("\r\x1b[K")) << progress;
  std::istringstream again("0.1,20,5\n");
  std::ostringstream quiet;
  EXPECT_EQ(runCalculation(options, again, out, quiet, {false, std::chrono::milliseconds(0)}), kExitOk);
  EXPECT_EQ(quiet.str(), "");
}

// --- the built executable -------------------------------------------------------------

TEST(CommandExecutable, PrintsTheProjectVersion) {
  const RunResult run = runExecutable({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string("velmora-cli ") + VELMORA_PROJECT_VERSION + "\n");
}

TEST(CommandExecutable, ExitStatusesReachTheShell) {
  EXPECT_EQ(runExecutable(kWorkedExample).status, 0);
  EXPECT_EQ(runExecutable({"--dcfp", "0.1", "--n", "1", "--r", "5"}).status, 2);
  EXPECT_EQ(runExecutable({"--dcfp", "0.1", "--n", "20"}).status, 64);
  EXPECT_EQ(runExecutable({"--help"}).status, 0);
}

TEST(CommandExecutable, BatchOnStandardInputKeepsVerbatimFields) {
  const RunResult run = runExecutable({"--batch", "-", "--format", "json"}, "0.1, 20 ,5\r\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with(R"({"dcfp": "0.1", "n": " 20 ", "r": "5", "j": " 20 ", "tests": )")) << run.out;
}

}  // namespace
}  // namespace velmora::cli

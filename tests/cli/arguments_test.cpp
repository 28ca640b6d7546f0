// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of velmora-cli.
#include "velmora/cli/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::cli {
namespace {

using Action = ParsedArguments::Action;

TEST(Arguments, SingleCaseTakesEachValueVerbatim) {
  const auto parsed = parseArguments({"--dcfp", "1e-3", "--n", " 20 ", "--r", "-3", "--j", "--j", "--format", "csv"});
  ASSERT_EQ(parsed.action, Action::run) << message(parsed.error);
  EXPECT_EQ(parsed.options.dcfp, "1e-3");
  EXPECT_EQ(parsed.options.n, " 20 ");
  EXPECT_EQ(parsed.options.r, "-3");   // a value that looks like an option is still the value
  EXPECT_EQ(parsed.options.j, "--j");
  EXPECT_EQ(parsed.options.format, OutputFormat::csv);
  EXPECT_FALSE(parsed.options.batch.has_value());
}

TEST(Arguments, ValuesMayFollowAnEqualsSign) {
  const auto parsed = parseArguments({"--dcfp=0.1", "--n= 20 ", "--r=", "--format=json"});
  ASSERT_EQ(parsed.action, Action::run) << message(parsed.error);
  EXPECT_EQ(parsed.options.dcfp, "0.1");
  EXPECT_EQ(parsed.options.n, " 20 ");
  EXPECT_EQ(parsed.options.r, "");
  EXPECT_EQ(parsed.options.format, OutputFormat::json);
}

TEST(Arguments, JIsLeftUnsetWhenNotGiven) {
  const auto parsed = parseArguments({"--dcfp", "0.1", "--n", "20", "--r", "5"});
  ASSERT_EQ(parsed.action, Action::run);
  EXPECT_FALSE(parsed.options.j.has_value());
  EXPECT_EQ(parsed.options.format, OutputFormat::text);
}

TEST(Arguments, BatchNeedsNoCaseOptions) {
  const auto parsed = parseArguments({"--batch", "-", "--format", "json"});
  ASSERT_EQ(parsed.action, Action::run) << message(parsed.error);
  EXPECT_EQ(parsed.options.batch, "-");
}

TEST(Arguments, HelpAndVersionWinOverWhatFollows) {
  EXPECT_EQ(parseArguments({"--help"}).action, Action::help);
  EXPECT_EQ(parseArguments({"-h", "--bogus"}).action, Action::help);
  EXPECT_EQ(parseArguments({"--version", "--n"}).action, Action::version);
  EXPECT_EQ(parseArguments({"--bogus", "--help"}).action, Action::usageError);
}

// Every command has its help, under the same rule: it ends the reading unless a problem came first.
TEST(Arguments, EachCommandHasItsHelp) {
  for (const char* command : {"design", "plan", "curves", "strategies", "evaluate"}) {
    const auto parsed = parseArguments({command, "--format", "json", "-h", "--bogus"});
    ASSERT_EQ(parsed.action, Action::help) << command;
    EXPECT_TRUE(usageText(parsed.command).starts_with(std::string("Usage: velmora-cli ") + command)) << command;
    EXPECT_EQ(parseArguments({command, "--bogus", "--help"}).action, Action::usageError) << command;
  }
  EXPECT_EQ(parseArguments({"--dcfp", "0.1", "plan", "--help"}).action, Action::usageError);  // a command is the first word
}

struct UsageErrorRow {
  const char* name;
  std::vector<std::string> args;
  const char* messagePart;
};

void PrintTo(const UsageErrorRow& row, std::ostream* os) { *os << row.name; }

class ArgumentsUsageError : public testing::TestWithParam<UsageErrorRow> {};

TEST_P(ArgumentsUsageError, IsReportedWithAReason) {
  const auto parsed = parseArguments(GetParam().args);
  ASSERT_EQ(parsed.action, Action::usageError);
  EXPECT_NE(message(parsed.error).find(GetParam().messagePart), std::string::npos) << message(parsed.error);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ArgumentsUsageError,
    testing::Values(
        UsageErrorRow{"NoArguments", {}, "missing --dcfp --n --r"},
        UsageErrorRow{"UnknownOption", {"--dcfp", "0.1", "--n", "20", "--r", "5", "--x", "1"}, "unknown option '--x'"},
        UsageErrorRow{"SingleDashOption", {"-n", "20"}, "unknown option '-n'"},
        UsageErrorRow{"Positional", {"0.1", "20", "5"}, "unexpected argument '0.1'"},
        UsageErrorRow{"MissingValueAtTheEnd", {"--dcfp", "0.1", "--n", "20", "--r"}, "--r needs a value"},
        UsageErrorRow{"MissingR", {"--dcfp", "0.1", "--n", "20"}, "missing --r"},
        UsageErrorRow{"OnlyJ", {"--j", "20"}, "missing --dcfp --n --r"},
        UsageErrorRow{"BadFormat", {"--batch", "-", "--format", "xml"}, "unknown format 'xml'"},
        UsageErrorRow{"FormatCase", {"--batch", "-", "--format", "JSON"}, "unknown format 'JSON'"},
        UsageErrorRow{"BatchWithCase", {"--batch", "-", "--n", "20"}, "--batch"},
        UsageErrorRow{"RepeatedOption", {"--dcfp", "0.1", "--n", "20", "--r", "5", "--n", "30"}, "--n given more"},
        UsageErrorRow{"MissingBatchName", {"--batch"}, "--batch needs a value"},
        // A flag is its exact word, and a command keeps every argument after its own.
        UsageErrorRow{"FlagWithValue", {"--dcfp", "0.1", "--n", "20", "--r", "5", "--audit=1"}, "unknown option '--audit'"},
        UsageErrorRow{"HelpCluster", {"-hx"}, "unknown option '-hx'"},
        UsageErrorRow{"CommandKeepsDashDash", {"plan", "--dcfp", "0.1", "--r", "5", "--", "--help"}, "unknown option '--'"},
        UsageErrorRow{"CommandKeepsPlusPlus", {"plan", "--dcfp", "0.1", "++", "--r", "5"}, "unexpected argument '++'"},
        UsageErrorRow{"CommandAfterOptions", {"--dcfp", "0.1", "plan"}, "unexpected argument 'plan'"}),
    [](const testing::TestParamInfo<UsageErrorRow>& row) { return std::string(row.param.name); });

TEST(Arguments, VersionIsTheProjectVersion) {
  EXPECT_EQ(versionText(), std::string("velmora-cli ") + VELMORA_PROJECT_VERSION + "\n");
}

TEST(Arguments, UsageNamesEveryOption) {
  const std::string usage = usageText();
  for (const char* option : {"--dcfp", "--n", "--r", "--j", "--batch", "--format", "--help", "--version"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace velmora::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of velmora-cli: the calculation's options, and the commands design and plan.

#include <optional>
#include <string>
#include <vector>

#include "velmora/cli/problem.h"
#include "velmora/cli/writers.h"

namespace velmora::cli {

// The most cases of a batch computed at once (--jobs): more threads than that only cost memory.
inline constexpr int kMaxJobs = 256;

// velmora-cli --dcfp TEXT --n TEXT --r TEXT [--j TEXT] | --batch FILE [--jobs N], [--format FORMAT] [--audit]
struct Options {
  std::optional<std::string> dcfp;
  std::optional<std::string> n;
  std::optional<std::string> r;
  std::optional<std::string> j;
  std::optional<std::string> batch;  // a file name, or "-" for standard input
  int jobs = 0;                      // --jobs: cases of a batch computed at once; 0 for one per core
  OutputFormat format = OutputFormat::text;
  bool audit = false;  // --audit: the exact audit of every accepted case
};

// velmora-cli design --wells W --constituents C --evaluations E [--swfpr A] [--n N [--j J] [--audit]]
//                    [--format text|json]
struct DesignOptions {
  std::optional<std::string> wells;
  std::optional<std::string> constituents;
  std::optional<std::string> evaluations;
  std::optional<std::string> swfpr;
  std::optional<std::string> n;
  std::optional<std::string> j;
  OutputFormat format = OutputFormat::text;
  bool audit = false;
};

// velmora-cli plan --dcfp D --r R [--rank K] [--test 1:T] [--format text|json]
struct PlanOptions {
  std::optional<std::string> dcfp;
  std::optional<std::string> r;
  std::optional<std::string> rank;
  std::optional<std::string> test;
  OutputFormat format = OutputFormat::text;
};

// velmora-cli curves --dcfp TEXT --n TEXT --r TEXT [--j TEXT] [--format csv|json]
struct CurvesOptions {
  std::optional<std::string> dcfp;
  std::optional<std::string> n;
  std::optional<std::string> r;
  std::optional<std::string> j;
  OutputFormat format = OutputFormat::csv;
};

struct ParsedArguments {
  enum class Action { run, help, version, usageError };
  enum class Command { calculate, design, plan, curves };
  Action action = Action::run;
  Command command = Command::calculate;  // design, plan and curves only as the first argument
  Options options;       // for Command::calculate
  DesignOptions design;  // for Command::design
  PlanOptions plan;      // for Command::plan
  CurvesOptions curves;  // for Command::curves
  Problem error;         // for Action::usageError
};

// Reads the arguments after the program name. An option's value is the next argument,
// whatever it holds (so "--r -3" passes the text -3 on to the checks), or follows an
// equals sign in the same argument ("--n= 20 ", "--r=" for the empty text). Each option
// may be given once; a flag is its exact word. The first problem in argument order is the
// one reported, and --help and --version end the reading where they stand.
[[nodiscard]] ParsedArguments parseArguments(const std::vector<std::string>& args);

[[nodiscard]] std::string usageText();
[[nodiscard]] std::string versionText();  // "velmora-cli <version>" with its line end

}  // namespace velmora::cli

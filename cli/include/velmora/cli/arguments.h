// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of velmora-cli: the calculation's options, and the commands design, plan,
// curves, strategies and evaluate.

#include <optional>
#include <string>
#include <vector>

#include "velmora/cli/problem.h"
#include "velmora/cli/writers.h"
#include "velmora/records/evaluate_output.h"
#include "velmora/records/tools.h"

namespace velmora::cli {

// The most cases of a batch computed at once (--jobs): more threads than that only cost memory.
inline constexpr int kMaxJobs = 256;

// velmora-cli --dcfp TEXT --n TEXT --r TEXT [--j TEXT] | --batch FILE [--jobs N] | --design FILE,
//             [--format FORMAT] [--audit]
struct Options {
  std::optional<std::string> dcfp;
  std::optional<std::string> n;
  std::optional<std::string> r;
  std::optional<std::string> j;
  std::optional<std::string> batch;  // a file name, or "-" for standard input
  std::optional<std::string> design;  // a design file saved by the window (.velmora): its four texts
  int jobs = 0;                      // --jobs: cases of a batch computed at once; 0 for one per core
  OutputFormat format = OutputFormat::text;
  bool audit = false;  // --audit: the exact audit of every accepted case
};

// The requests of the commands and their checks are the records library's, which the page
// shares (velmora/records/tools.h).
using records::CurvesOptions;
using records::DesignOptions;
using records::EvaluateOptions;
using records::PlanOptions;
using records::StrategiesOptions;

struct ParsedArguments {
  enum class Action { run, help, version, usageError };
  enum class Command { calculate, design, plan, curves, strategies, evaluate };
  Action action = Action::run;
  // A command only as the first argument; with Action::help, whose help was asked for.
  Command command = Command::calculate;
  Options options;                // for Command::calculate
  DesignOptions design;           // for Command::design
  PlanOptions plan;               // for Command::plan
  CurvesOptions curves;           // for Command::curves
  StrategiesOptions strategies;   // for Command::strategies
  EvaluateOptions evaluate;       // for Command::evaluate
  Problem error;                  // for Action::usageError
};

// Reads the arguments after the program name. An option's value is the next argument,
// whatever it holds (so "--r -3" passes the text -3 on to the checks), or follows an
// equals sign in the same argument ("--n= 20 ", "--r=" for the empty text). Each option
// may be given once; a flag is its exact word. The first problem in argument order is the
// one reported, and --help and --version end the reading where they stand.
[[nodiscard]] ParsedArguments parseArguments(const std::vector<std::string>& args);

// The whole usage (--help), and the help of one command (velmora-cli COMMAND --help).
[[nodiscard]] std::string usageText();
[[nodiscard]] std::string usageText(ParsedArguments::Command command);
[[nodiscard]] std::string versionText();  // "velmora-cli <version>" with its line end

}  // namespace velmora::cli

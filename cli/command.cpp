// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli as a whole: arguments in, records out, an exit status back.
#include "velmora/cli/command.h"

#include "velmora/cli/arguments.h"
#include "velmora/cli/commands.h"

namespace velmora::cli {

namespace {

// A run that went through (every case computed, or some refused) ends with the output
// written out; a failure there is the one thing left to report.
int finish(std::ostream& out, std::ostream& err, int status) {
  if (status != kExitOk && status != kExitRefused) return status;
  out.flush();
  if (!out) return report(err, Problem{ProblemKind::ioFailure, {"cannot write the output"}});
  return status;
}

}  // namespace

int runCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
               bool errIsTerminal) {
  const ParsedArguments parsed = parseArguments(args);
  switch (parsed.action) {
    case ParsedArguments::Action::help:
      out << usageText(parsed.command) << std::flush;
      return out ? kExitOk : kExitIoError;
    case ParsedArguments::Action::version:
      out << versionText() << std::flush;
      return out ? kExitOk : kExitIoError;
    case ParsedArguments::Action::usageError:
      return report(err, parsed.error);
    case ParsedArguments::Action::run:
      break;
  }
  switch (parsed.command) {
    case ParsedArguments::Command::calculate: return finish(out, err, runCalculation(parsed.options, in, out, err, {errIsTerminal}));
    case ParsedArguments::Command::design: return finish(out, err, records::runDesign(parsed.design, out, err));
    case ParsedArguments::Command::plan: return finish(out, err, runPlan(parsed.plan, out, err, {errIsTerminal}));
    case ParsedArguments::Command::curves: return finish(out, err, runCurves(parsed.curves, out, err, {errIsTerminal}));
    case ParsedArguments::Command::strategies: return finish(out, err, records::runStrategies(parsed.strategies, out, err));
    case ParsedArguments::Command::evaluate: return runEvaluate(parsed.evaluate, out, err);
  }
  return kExitUsage;
}

}  // namespace velmora::cli

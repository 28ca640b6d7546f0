// SPDX-License-Identifier: GPL-3.0-or-later
// What velmora-cli reports on standard error.
#include "velmora/records/tool_problem.h"

namespace velmora::records {

std::string message(const Problem& problem) {
  std::string out = "velmora-cli:";
  for (const std::string& line : problem.lines) out += " " + line;
  if (problem.kind == ProblemKind::usage) out += "\nTry 'velmora-cli --help' for more information.";
  return out + "\n";
}

int exitStatus(const Problem& problem) {
  switch (problem.kind) {
    case ProblemKind::usage:
    case ProblemKind::refusedRequest: return kExitUsage;
    case ProblemKind::refusedCase: return kExitRefused;
    case ProblemKind::unreadableData: return kExitUnreadableData;
    case ProblemKind::ioFailure: return kExitIoError;
  }
  return kExitUsage;
}

int report(std::ostream& err, const Problem& problem) {
  err << message(problem) << std::flush;
  return exitStatus(problem);
}

Problem withContext(std::string_view context, Problem problem) {
  if (problem.lines.empty()) problem.lines.emplace_back();
  problem.lines.front() = std::string(context) + " " + problem.lines.front();
  return problem;
}

}  // namespace velmora::records

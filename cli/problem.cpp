// SPDX-License-Identifier: GPL-3.0-or-later
// What velmora-cli reports on standard error.
#include "problem.h"

namespace velmora::cli {

std::string Problem::message() const {
  std::string out = "velmora-cli:";
  for (const std::string& line : lines) out += " " + line;
  if (kind == ProblemKind::usage) out += "\nTry 'velmora-cli --help' for more information.";
  return out + "\n";
}

int Problem::exitStatus() const {
  switch (kind) {
    case ProblemKind::usage:
    case ProblemKind::refusedRequest: return kExitUsage;
    case ProblemKind::refusedCase: return kExitRefused;
    case ProblemKind::ioFailure: return kExitIoError;
  }
  return kExitUsage;
}

int report(std::ostream& err, const Problem& problem) {
  err << problem.message() << std::flush;
  return problem.exitStatus();
}

}  // namespace velmora::cli

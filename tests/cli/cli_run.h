// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// velmora-cli run in process: the arguments (and standard input) in, the exit status and
// both streams out.

#include <sstream>
#include <string>
#include <vector>

#include "velmora/cli/command.h"

namespace velmora::cli {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline CliRun cli(const std::vector<std::string>& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.status = runCommand(args, in, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

}  // namespace velmora::cli

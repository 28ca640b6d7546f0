// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// velmora-cli as a whole: arguments in, records out, an exit status back.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "velmora/cli/problem.h"  // the exit statuses

namespace velmora::cli {

// Runs the command line `args` (without the program name). `in` is the standard input
// for "--batch -"; `errIsTerminal` lets a long batch show its progress on `err`.
[[nodiscard]] int runCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                             std::ostream& err, bool errIsTerminal = false);

}  // namespace velmora::cli

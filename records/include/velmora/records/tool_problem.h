// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What velmora-cli reports on standard error: the program's one shape of a problem (a kind
// and the message lines, velmora/engine/problem.h), and how the command line shows it.
//
// The kind fixes the exit status and how the message ends; the lines are joined by one
// blank after "velmora-cli: ", so that every message is one line that a script can match:
//
//   usage           the arguments cannot be read (64), followed by a line pointing to --help
//   refusedRequest  a design or plan request, or a batch file, that cannot be used (64)
//   refusedCase     a case the calculator refuses, or a batch line that holds no case (2)
//   unreadableData  a data file with a line that cannot be used (65)
//   ioFailure       the input or the output failed part-way (74)
//
// In the json format a refused case or batch line is a record of the output instead.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/engine/problem.h"

namespace velmora::records {

// Exit statuses (the usage and I/O values follow the BSD sysexits convention).
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 2;    // a case was refused or a batch line was malformed
inline constexpr int kExitUndecided = 2;  // evaluate: a well is undetermined or needs a resample (none fails)
inline constexpr int kExitWellFails = 3;  // evaluate: a well fails (whatever the others are)
inline constexpr int kExitUsage = 64;     // bad arguments, a refused request or an unreadable batch file
inline constexpr int kExitUnreadableData = 65;  // a data file with a line that cannot be used
inline constexpr int kExitIoError = 74;   // the input or output failed part-way
inline constexpr int kExitSoftware = 70;  // an internal failure (an exception escaped a command)

using velmora::Problem;
using velmora::ProblemKind;

// The text of a problem for standard error, with its line end.
[[nodiscard]] std::string message(const Problem& problem);
[[nodiscard]] int exitStatus(const Problem& problem);

// The problem with `context` ("plan:", say) put before its first line.
[[nodiscard]] Problem withContext(std::string_view context, Problem problem);

// Writes the problem's message on `err` and gives its exit status.
[[nodiscard]] int report(std::ostream& err, const Problem& problem);

}  // namespace velmora::records

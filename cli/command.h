#pragma once
// velmora-cli as a whole: arguments in, records out, an exit status back.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

// Exit statuses (the usage and I/O values follow the BSD sysexits convention).
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 2;    // a case was refused or a batch line was malformed
inline constexpr int kExitUsage = 64;     // bad arguments or an unreadable batch file
inline constexpr int kExitIoError = 74;   // the input or output failed part-way

// Runs the command line `args` (without the program name). `in` is the standard input
// for "--batch -".
int runCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli

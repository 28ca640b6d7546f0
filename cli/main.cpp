// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli: the calculator on the command line.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "velmora/cli/command.h"
#include "velmora/cli/problem.h"

int main(int argc, char* argv[]) {
  // The batch reader takes standard input byte by byte; unsynchronised streams keep that fast.
  std::ios::sync_with_stdio(false);
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return velmora::cli::runCommand(args, std::cin, std::cout, std::cerr, isatty(fileno(stderr)) == 1);
  } catch (const std::exception& e) {
    std::cerr << "velmora-cli: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "velmora-cli: unexpected failure\n";
  }
  return velmora::cli::kExitSoftware;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program cannot do for a request, in the one shape every room reports it in:
// its kind and the lines of its message, from the most telling to the least.
//
//   usage           the request cannot be read (a command line's arguments)
//   refusedRequest  a request read but refused: a design or plan request, a batch file
//   refusedCase     a case the calculator refuses, or a batch line that holds no case
//   ioFailure       the input or the output failed part-way
//
// The calculator's refusals of its input boxes keep the window's form as well (Refusal in
// input_checks.h: the title, the two lines of the message box and the box that gets the
// focus); where a front end reports one as text it becomes a Problem of kind refusedCase.
// How a front end shows a Problem is its own business: the command line joins the lines
// after its name and maps the kind to an exit status, a dialog shows the lines.

#include <string>
#include <vector>

namespace velmora {

enum class ProblemKind { usage, refusedRequest, refusedCase, ioFailure };

struct Problem {
  ProblemKind kind = ProblemKind::usage;
  std::vector<std::string> lines;
};

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program cannot do for a request, in the one shape every room reports it in, and
// the one way a function says so: it returns Expected<T>, which holds either its value or
// the Problem. No NaN, zero or other sentinel stands for "refused" anywhere.
//
//   usage           the request cannot be read (a command line's arguments)
//   refusedRequest  a request read but refused: a design, plan or strategy request
//   refusedCase     a case the calculator refuses, or a batch line that holds no case
//   unreadableData  a data file that cannot be used as it stands (a line that cannot be read)
//   ioFailure       the input or the output failed part-way
//
// How a front end shows a Problem is its own business: the command line joins the lines
// after its name and maps the kind to an exit status; a dialog shows the title and the lines
// and moves the focus to the box at fault.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The standard library's std::expected is C++23, which the WebAssembly toolchain's C++
// library does not have; tl::expected is the same class template, header only, everywhere.
#include <tl/expected.hpp>

#include "velmora/engine/inputs.h"

namespace velmora {

enum class ProblemKind { usage, refusedRequest, refusedCase, unreadableData, ioFailure };

struct Problem {
  Problem() = default;
  Problem(ProblemKind problemKind, std::vector<std::string> problemLines)
      : kind(problemKind), lines(std::move(problemLines)) {}

  ProblemKind kind = ProblemKind::usage;
  // What is wrong, from the most telling line to the least.
  std::vector<std::string> lines;
  // The heading a dialog shows ("Entry Error" for the calculator's checks); empty where the
  // front end chooses its own.
  std::string title;
  // The input box to correct (the calculator's checks), none where no box is at fault.
  std::optional<InputBox> box;
  // Which of the calculator's checks refused, 1..8 (0 for any other problem).
  int check = 0;
  // The line of an input file the problem concerns, from 1 (0 for none).
  std::size_t line = 0;
};

template <class T>
using Expected = tl::expected<T, Problem>;

// The failure of an Expected<T>: `return fail(ProblemKind::refusedRequest, "r must be ...");`.
[[nodiscard]] inline tl::unexpected<Problem> fail(Problem problem) {
  return tl::unexpected<Problem>(std::move(problem));
}
[[nodiscard]] inline tl::unexpected<Problem> fail(ProblemKind kind, std::string line) {
  return fail(Problem(kind, {std::move(line)}));
}

}  // namespace velmora

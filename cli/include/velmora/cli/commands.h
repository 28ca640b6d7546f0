// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of velmora-cli: what each writes is the records library's (velmora/records/tools.h);
// here the command line opens its files and shows progress on a terminal. Each writes its
// answer on `out` and its problems on `err`, and returns the exit status.

#include <chrono>
#include <istream>
#include <ostream>

#include "velmora/cli/arguments.h"
#include "velmora/cli/evaluate_command.h"

namespace velmora::cli {

// Whether a long command (a batch, a plan) shows its progress on `err` (on when standard
// error is a terminal), and after how long (cli/progress.h).
struct BatchProgress {
  bool enabled = false;
  std::chrono::milliseconds after{1000};
};

// One case from --dcfp, --n, --r and --j or from the design file of --design, or every case
// of --batch (`in` for "--batch -"). 0 when every case was computed, 2 when one was refused,
// 64 or 74 when the batch could not be read, 65 when the design file cannot be used.
[[nodiscard]] int runCalculation(const Options& options, std::istream& in, std::ostream& out, std::ostream& err,
                                 const BatchProgress& progress = {});

// plan and curves with their progress on `err` when that is a terminal (records::runPlan and
// records::runCurves, whose requests these are); design and strategies run as they are.
[[nodiscard]] int runPlan(const PlanOptions& options, std::ostream& out, std::ostream& err,
                          const BatchProgress& progress);
[[nodiscard]] int runCurves(const CurvesOptions& options, std::ostream& out, std::ostream& err,
                            const BatchProgress& progress);
using records::runDesign;
using records::runStrategies;

}  // namespace velmora::cli

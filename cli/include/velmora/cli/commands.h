// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of velmora-cli, one file each: the calculation (calculate_command.cpp),
// design (design_command.cpp), plan (plan_command.cpp) and curves (curves_command.cpp).
// Each writes its answer on `out` and its problems on `err`, and returns the exit status.

#include <chrono>
#include <istream>
#include <ostream>

#include "velmora/cli/arguments.h"

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

// r and the per-constituent DCFP of a monitoring program, and with --n the calculation on
// them: 0; 2 when the calculation refuses its inputs; 64 for a refused design.
[[nodiscard]] int runDesign(const DesignOptions& options, std::ostream& out, std::ostream& err);

// The smallest background size for a rank of each scheme, or of one retest strategy (--rule),
// to meet the DCFP: 0; 64 for a refused request.
[[nodiscard]] int runPlan(const PlanOptions& options, std::ostream& out, std::ostream& err,
                          const BatchProgress& progress = {});

// The curves behind the results of one case (curves_command.cpp): 0; 2 when the
// calculation refuses the texts (reported as the calculation reports it).
[[nodiscard]] int runCurves(const CurvesOptions& options, std::ostream& out, std::ostream& err,
                            const BatchProgress& progress = {});

// Every retest strategy of a list for one design, or at one rank (strategies_command.cpp):
// 0; 64 for a refused request.
[[nodiscard]] int runStrategies(const StrategiesOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli

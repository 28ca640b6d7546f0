// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// velmora-cli evaluate: the records library's evaluation (velmora/records/evaluate_output.h)
// of the data file named by --data.

#include <ostream>

#include "velmora/records/evaluate_output.h"
#include "velmora/cli/writers.h"

namespace velmora::cli {

using records::bestRankForDesign;
using records::DesignRank;
using records::EvaluateOptions;

// Opens the file of options.data (refused when it is a folder or cannot be opened) and
// evaluates it.
[[nodiscard]] int runEvaluate(const EvaluateOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Many calculations at once, for a batch of cases.

#include <string_view>
#include <vector>

#include "velmora/engine/calculation.h"

namespace velmora {

// What Calculation::calculate gives for every case alone, in the order of the cases. Up to
// `jobs` cases are calculated at the same time (parallelFor's limit: 0 for one per core),
// each in a record of its own; the results never depend on jobs (1: one after another).
[[nodiscard]] std::vector<Expected<CalculationResult>> calculateCases(const std::vector<InputTexts>& cases, int jobs,
                                                                      std::string_view decimalSymbol = ".");

}  // namespace velmora

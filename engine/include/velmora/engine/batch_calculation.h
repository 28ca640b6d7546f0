// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Many calculations at once, for a batch of cases.

#include <string_view>
#include <vector>

#include "velmora/engine/calculation.h"

namespace velmora {

// The outcome of every case, as Calculation::Calculate gives it for that case alone, in
// the order of the cases. Up to `jobs` cases are calculated at the same time, each in a
// record of its own; the outcomes never depend on jobs (1 or less: one after another).
[[nodiscard]] std::vector<Outcome> CalculateCases(const std::vector<InputTexts>& cases, int jobs,
                                                  std::string_view decimalSymbol = ".");

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/batch_calculation.h"

namespace velmora {

std::vector<Expected<CalculationResult>> calculateCases(const std::vector<InputTexts>& cases, int jobs,
                                                       std::string_view decimalSymbol) {
  std::vector<Expected<CalculationResult>> outcomes(cases.size());
  runOnJobs(cases.size(), jobs, [&](std::size_t i, std::size_t /*worker*/) {
    Calculation calculation;
    outcomes[i] = calculation.calculate(cases[i], decimalSymbol);
  });
  return outcomes;
}

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/batch_calculation.h"

#include "velmora/engine/parallel.h"

namespace velmora {

std::vector<Expected<CalculationResult>> calculateCases(const std::vector<InputTexts>& cases, int jobs,
                                                       std::string_view decimalSymbol) {
  std::vector<Expected<CalculationResult>> outcomes(cases.size());
  parallelFor(
      cases.size(),
      [&](std::size_t i) {
        Calculation calculation;
        outcomes[i] = calculation.calculate(cases[i], decimalSymbol);
      },
      jobs);
  return outcomes;
}

}  // namespace velmora

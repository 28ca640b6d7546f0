// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/calculation.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "velmora/engine/contract.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"

#include "rounding_points.h"

namespace velmora {

using steps::f64;
using steps::toFloat32;

// The whole run, in the fixed order of its steps.

Outcome Calculation::calculate(const InputTexts& texts, std::string_view decimalSymbol) {
  Outcome outcome;
  outcome.refusal = CheckInputs(texts);
  if (outcome.refusal) return outcome;
  outcome.captions = RunCalculation(texts, decimalSymbol);
  outcome.results = m_results;
  return outcome;
}

ResultCaptions Calculation::RunCalculation(const InputTexts& texts, std::string_view decimalSymbol) {
  CalculationState& s = m_state;
  s.dcfp = toFloat32(numericValue(texts.txtAL));
  // The checks have made sure that these three are whole and fit an int16.
  s.n = VELMORA_IN_RANGE(toInt16(numericValue(texts.txtN)));
  s.r = VELMORA_IN_RANGE(toInt16(numericValue(texts.txtR)));
  s.j = VELMORA_IN_RANGE(toInt16(numericValue(texts.txtMDET)));

  const int r = s.r;
  s.countLimit[2] = static_cast<std::int16_t>((r - 1) + 2);
  s.countLimit[3] = static_cast<std::int16_t>((r - 1) * 2 + 3);
  s.countLimit[4] = static_cast<std::int16_t>((r - 1) * 3 + 4);
  s.maxCount = s.countLimit[4];
  s.countProbData.assign(static_cast<std::size_t>(4) * s.maxCount, 0.0);

  FindRank1of1();
  FindRank1of2();
  FindRank1of3();
  FindRank1of4();
  keepSearchResults();
  ComputePowerAndRating();
  return ShowResults(decimalSymbol);
}

void Calculation::reset() {
  // The table keeps its storage, zeroed; the next run re-dimensions it anyway.
  std::vector<double> table = std::move(m_state.countProbData);
  std::fill(table.begin(), table.end(), 0.0);
  m_state = CalculationState{};
  m_state.countProbData = std::move(table);
  m_results = Results{};
}

}  // namespace velmora

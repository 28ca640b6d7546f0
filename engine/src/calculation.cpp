// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/calculation.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "velmora/engine/detail/contract.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"

#include "calculation_core.h"
#include "rounding_points.h"

namespace velmora {

using steps::toFloat32;

Calculation::Calculation() : m_core(std::make_unique<CalculationCore>()) {}
Calculation::~Calculation() = default;
Calculation::Calculation(Calculation&&) noexcept = default;
Calculation& Calculation::operator=(Calculation&&) noexcept = default;

Calculation::Calculation(const Calculation& other)
    : m_core(std::make_unique<CalculationCore>(other.m_core ? *other.m_core : CalculationCore{})) {}

Calculation& Calculation::operator=(const Calculation& other) {
  if (this != &other) *this = Calculation(other);
  return *this;
}

Expected<CalculationResult> Calculation::calculate(const InputTexts& texts, std::string_view decimalSymbol) {
  // (A calculation moved from starts afresh.)
  if (!m_core) m_core = std::make_unique<CalculationCore>();
  return m_core->calculate(texts, decimalSymbol);
}

void Calculation::reset() {
  if (m_core) m_core->reset();
}

// The whole run, in the fixed order of its steps.

Expected<CalculationResult> CalculationCore::calculate(const InputTexts& texts, std::string_view decimalSymbol) {
  if (Expected<void> checked = CheckInputs(texts); !checked) return fail(std::move(checked.error()));
  CalculationResult result;
  result.captions = RunCalculation(texts, decimalSymbol);
  result.results = m_results;
  return result;
}

void CalculationCore::loadSizes(int n, int r) {
  CalculationState& s = m_state;
  s.n = static_cast<std::int16_t>(n);
  s.r = static_cast<std::int16_t>(r);
  s.countLimit[2] = static_cast<std::int16_t>((r - 1) + 2);
  s.countLimit[3] = static_cast<std::int16_t>((r - 1) * 2 + 3);
  s.countLimit[4] = static_cast<std::int16_t>((r - 1) * 3 + 4);
  s.maxCount = s.countLimit[4];
  s.countProbData.assign(static_cast<std::size_t>(4) * s.maxCount, 0.0);
}

ResultCaptions CalculationCore::RunCalculation(const InputTexts& texts, std::string_view decimalSymbol) {
  CalculationState& s = m_state;
  s.dcfp = toFloat32(numericValue(texts.txtAL));
  // The checks have made sure that these three are whole and fit an int16.
  const std::int16_t n = VELMORA_IN_RANGE(toInt16(numericValue(texts.txtN)));
  const std::int16_t r = VELMORA_IN_RANGE(toInt16(numericValue(texts.txtR)));
  s.j = VELMORA_IN_RANGE(toInt16(numericValue(texts.txtMDET)));
  loadSizes(n, r);

  FindRank1of1();
  FindRank1of2();
  FindRank1of3();
  FindRank1of4();
  keepSearchResults();
  ComputePowerAndRating();
  return ShowResults(decimalSymbol);
}

void CalculationCore::reset() {
  // The table keeps its storage, zeroed; the next run re-dimensions it anyway.
  std::vector<double> table = std::move(m_state.countProbData);
  std::fill(table.begin(), table.end(), 0.0);
  m_state = CalculationState{};
  m_state.countProbData = std::move(table);
  m_results = Results{};
}

}  // namespace velmora

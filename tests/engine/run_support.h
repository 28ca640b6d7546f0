// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the engine tests: the four input texts and a whole run. Records and
// captions are compared with tests/support/record_compare.h.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/calculation.h"
#include "calculation_state.h"
#include "velmora/engine/input_checks.h"

namespace velmora::enginetest {

inline InputTexts texts(std::string dcfp, std::string n, std::string r, std::string j) {
  return InputTexts{std::move(dcfp), std::move(n), std::move(r), std::move(j)};
}

// A calculation after one accepted run (the record is large, so it lives on the heap).
struct EngineRun {
  std::unique_ptr<Calculation> calc = std::make_unique<Calculation>();
  ResultCaptions captions;
  const CalculationState& state() const { return CalculationSeam::state(*calc); }
};

inline EngineRun runOf(const InputTexts& texts, std::string_view decimalSymbol = ".") {
  EngineRun run;
  const Expected<CalculationResult> outcome = run.calc->calculate(texts, decimalSymbol);
  EXPECT_TRUE(outcome.has_value()) << "refused at step " << (outcome ? 0 : outcome.error().check);
  if (outcome) run.captions = outcome->captions;
  return run;
}

// Runs the four searches again on the loaded inputs: the achievable CFPs and percentiles
// are then the values before the power step's display rounding.
inline void repeatSearches(Calculation& calc) { CalculationSeam::repeatSearches(calc); }

}  // namespace velmora::enginetest

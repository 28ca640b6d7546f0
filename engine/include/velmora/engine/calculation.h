// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calculation: from the four input texts to the results of a run.
//
//   texts -> CheckInputs -> RunCalculation -> FindRank1of1 .. FindRank1of4
//         -> ComputePowerAndRating -> ShowResults -> results and captions
//
// Every front end (the window, velmora-cli, the page, the exact tools) makes the single
// call calculate(), so none of them can disagree with another. The steps communicate only
// through the calculation record, in the fixed order of RunCalculation; record and steps
// live in the engine (src/calculation_core.h), out of every front end's sight.

#include <memory>
#include <string_view>

#include "velmora/engine/input_checks.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/problem.h"
#include "velmora/engine/results.h"

namespace velmora {

class CalculationCore;

// The results of a completed run and the captions formatted from them.
struct CalculationResult {
  Results results;
  ResultCaptions captions;
};

class Calculation {
 public:
  Calculation();
  ~Calculation();
  Calculation(Calculation&&) noexcept;
  Calculation& operator=(Calculation&&) noexcept;
  // A copy holds the same record.
  Calculation(const Calculation& other);
  Calculation& operator=(const Calculation& other);

  // Checks the texts and, when they pass, runs the whole calculation; otherwise gives the
  // refusal of the checks (CheckInputs) and leaves the record exactly as it was.
  // decimalSymbol is what the fixed-decimal captions show between the whole and the
  // fractional digits.
  [[nodiscard]] Expected<CalculationResult> calculate(const InputTexts& texts, std::string_view decimalSymbol = ".");

  // Returns the record to its cleared state (as at creation).
  void reset();

 private:
  // The record and the steps (a record is some kilobytes; one allocation per calculation
  // object costs nothing beside a run). The core is its implementation's to reach.
  friend class CalculationCore;
  std::unique_ptr<CalculationCore> m_core;
};

}  // namespace velmora

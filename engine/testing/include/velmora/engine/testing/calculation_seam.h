// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test seam of the calculation: the one way for tests, benchmarks and fuzz targets to
// run the private steps of a run one at a time and to read the calculation record between
// them. It comes with the testing target (velmora_engine_testing), which no front end
// links; front ends call Calculation::calculate and read what it returns.

#include <string_view>

#include "velmora/engine/calculation.h"

#include "calculation_core.h"
#include "calculation_state.h"

namespace velmora {

struct CalculationSeam {
  static const CalculationState& state(const Calculation& c) { return CalculationCore::of(c).state(); }

  static ResultCaptions RunCalculation(Calculation& c, const InputTexts& texts, std::string_view decimalSymbol = ".") {
    return CalculationCore::of(c).RunCalculation(texts, decimalSymbol);
  }
  static void FindRank1of1(Calculation& c) { CalculationCore::of(c).FindRank1of1(); }
  static void FindRank1of2(Calculation& c) { CalculationCore::of(c).FindRank1of2(); }
  static void FindRank1of3(Calculation& c) { CalculationCore::of(c).FindRank1of3(); }
  static void FindRank1of4(Calculation& c) { CalculationCore::of(c).FindRank1of4(); }
  static void ComputePowerAndRating(Calculation& c) { CalculationCore::of(c).ComputePowerAndRating(); }
  static ResultCaptions ShowResults(Calculation& c, std::string_view decimalSymbol = ".") {
    return CalculationCore::of(c).ShowResults(decimalSymbol);
  }

  // The four searches again on the loaded inputs: the achievable CFPs and percentiles of
  // the record are then the values before the power step's display rounding.
  static void repeatSearches(Calculation& c) {
    CalculationCore& core = CalculationCore::of(c);
    core.FindRank1of1();
    core.FindRank1of2();
    core.FindRank1of3();
    core.FindRank1of4();
  }
};

}  // namespace velmora

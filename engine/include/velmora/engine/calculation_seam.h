// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The test seam of the calculation: the one way for tests, benchmarks and fuzz targets to
// run the private steps of a run one at a time and to read the calculation record between
// them. No front end includes this header; they call Calculation::Calculate and read its
// Outcome.

#include <string_view>

#include "velmora/engine/calculation.h"

namespace velmora {

struct CalculationSeam {
  static const CalculationState& state(const Calculation& c) { return c.m_state; }

  static ResultCaptions RunCalculation(Calculation& c, const InputTexts& texts, std::string_view decimalSymbol = ".") {
    return c.RunCalculation(texts, decimalSymbol);
  }
  static void FindRank1of1(Calculation& c) { c.FindRank1of1(); }
  static void FindRank1of2(Calculation& c) { c.FindRank1of2(); }
  static void FindRank1of3(Calculation& c) { c.FindRank1of3(); }
  static void FindRank1of4(Calculation& c) { c.FindRank1of4(); }
  static void ComputePowerAndRating(Calculation& c) { c.ComputePowerAndRating(); }
  static ResultCaptions ShowResults(Calculation& c, std::string_view decimalSymbol = ".") {
    return c.ShowResults(decimalSymbol);
  }

  // The four searches again on the loaded inputs: the achievable CFPs and percentiles of
  // the record are then the values before the power step's display rounding.
  static void repeatSearches(Calculation& c) {
    c.FindRank1of1();
    c.FindRank1of2();
    c.FindRank1of3();
    c.FindRank1of4();
  }
};

}  // namespace velmora

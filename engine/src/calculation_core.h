// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The inside of a Calculation: the calculation record and the steps of a run, each a
// method named as the calculator names it, in the order RunCalculation calls them. Only
// the engine's own sources see this header (and, through the testing target, the tests'
// seams).

#include <string_view>

#include "velmora/engine/calculation.h"

#include "calculation_state.h"

namespace velmora {

class CalculationCore {
 public:
  // The core of a calculation object.
  static CalculationCore& of(Calculation& calculation) { return *calculation.m_core; }
  static const CalculationCore& of(const Calculation& calculation) { return *calculation.m_core; }

  // Calculation::calculate and Calculation::reset.
  [[nodiscard]] Expected<CalculationResult> calculate(const InputTexts& texts, std::string_view decimalSymbol);
  void reset();

  [[nodiscard]] CalculationState& state() { return m_state; }
  [[nodiscard]] const CalculationState& state() const { return m_state; }

  // The steps of a run, in the order RunCalculation calls them.
  ResultCaptions RunCalculation(const InputTexts& texts, std::string_view decimalSymbol);
  void FindRank1of1();
  void FindRank1of2();
  void FindRank1of3();
  void FindRank1of4();
  void ComputePowerAndRating();
  ResultCaptions ShowResults(std::string_view decimalSymbol);

  // Sizes the record for background size n and r comparisons as a run loads them: the
  // count limits and a fresh table.
  void loadSizes(int n, int r);

  // The design CFP of candidate k of scheme 1:t, evaluated as the walk evaluates it and
  // left in the record as the walk leaves it. With carryRunProb the running probability of
  // candidate k - 1 (held in the record) is extended by one factor, which gives the same
  // float32 value as the product recomputed from the start.
  float evaluateRetestCandidate(int t, int k, bool carryRunProb);

  // The walk the searches 1:2 .. 1:4 take over their candidates: the calculation's own
  // (none given), or another that leaves the same record (the tests' walk of every
  // candidate, which the calculation's walk is held against).
  using RetestWalk = void (*)(CalculationCore& core, int t);
  void setRetestWalk(RetestWalk walk) { m_retestWalk = walk; }

 private:
  void findRankRetest(int t);

  // The results of the run as the steps complete them (the record holds the design's
  // fields; the unrounded CFPs and percentiles are kept here before the power step rounds
  // the record's copies for display).
  void keepSearchResults();

  CalculationState m_state;
  Results m_results;
  RetestWalk m_retestWalk = nullptr;
};

}  // namespace velmora

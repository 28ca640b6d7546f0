// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The retest searches' walk of every candidate, the reference that the walk of the
// calculation (which skips candidates it can prove pass) is held against. It comes with
// the testing target (reference_walk.cpp), for tests and benchmarks only.

#include <string_view>

#include "velmora/engine/calculation.h"

#include "calculation_core.h"

namespace velmora {

struct ReferenceWalkSeam {
  // The walk of every candidate of scheme 1:t, leaving the record as the calculation's
  // walk leaves it.
  static void walkEveryCandidate(CalculationCore& core, int t);

  // Calculate, with the retest searches walking every candidate.
  static Expected<CalculationResult> calculate(Calculation& c, const InputTexts& texts, std::string_view decimalSymbol = ".") {
    const WalkEveryCandidate walking(c, true);
    return c.calculate(texts, decimalSymbol);
  }
  // The searches of schemes 1:2 .. 1:4 again on the loaded inputs, walking every candidate
  // (reference) or as the calculation does.
  static void repeatRetestSearches(Calculation& c, bool reference) {
    const WalkEveryCandidate walking(c, reference);
    CalculationCore& core = CalculationCore::of(c);
    core.FindRank1of1();
    core.FindRank1of2();
    core.FindRank1of3();
    core.FindRank1of4();
  }

 private:
  // The calculation's retest searches walk every candidate while this lives.
  class WalkEveryCandidate {
   public:
    WalkEveryCandidate(Calculation& c, bool reference) : m_core(CalculationCore::of(c)) {
      if (reference) m_core.setRetestWalk(&walkEveryCandidate);
    }
    ~WalkEveryCandidate() { m_core.setRetestWalk(nullptr); }
    WalkEveryCandidate(const WalkEveryCandidate&) = delete;
    WalkEveryCandidate& operator=(const WalkEveryCandidate&) = delete;

   private:
    CalculationCore& m_core;
  };
};

}  // namespace velmora

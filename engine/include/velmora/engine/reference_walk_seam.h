// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The retest searches' walk of every candidate, the reference that the walk of the
// calculation (which skips candidates it can prove pass) is held against. For tests and
// benchmarks only; no front end includes this header.

#include <string_view>

#include "velmora/engine/calculation.h"

namespace velmora {

struct ReferenceWalkSeam {
  // Calculate, with the retest searches walking every candidate.
  static Outcome calculate(Calculation& c, const InputTexts& texts, std::string_view decimalSymbol = ".") {
    c.m_referenceWalk = true;
    Outcome outcome = c.calculate(texts, decimalSymbol);
    c.m_referenceWalk = false;
    return outcome;
  }
  // The searches of schemes 1:2 .. 1:4 again on the loaded inputs, walking every candidate
  // (reference) or as the calculation does.
  static void repeatRetestSearches(Calculation& c, bool reference) {
    c.m_referenceWalk = reference;
    c.FindRank1of1();
    c.FindRank1of2();
    c.FindRank1of3();
    c.FindRank1of4();
    c.m_referenceWalk = false;
  }
};

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/design_helper.h"

#include <cmath>
#include <utility>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"
#include "request_values.h"

namespace velmora::analysis {

namespace {

using detail::refused;

// Counts above a billion describe no monitoring program.
constexpr double kLargestCount = 1e9;

// The multiplication sign of the formulas.
constexpr const char* kTimes = "\u00d7";

// A count of the request: a whole number from 1 to `largest`. A count too large is told its
// bound ("at most"), never "above zero", which it already is; `bound` says why.
Expected<long> count(std::string_view text, double largest, const std::string& what, const std::string& bound) {
  if (isNumeric(text) && readNumericValue(text).value > largest) {
    return fail(refused("the number of " + what + " must be at most " + bound));
  }
  const std::optional<long> whole = detail::wholeNumberFromOne(text, largest);
  if (!whole) return fail(refused("the number of " + what + " must be a whole number above zero"));
  return *whole;
}

std::string significant(double value, int digits) { return formatSignificant(static_cast<long double>(value), digits); }

}  // namespace

Expected<MonitoringDesign> designMonitoringProgram(std::string_view wells, std::string_view constituents,
                                                   std::string_view evaluations, std::string_view swfpr,
                                                   std::string_view nText) {
  // The room a background leaves for r: n + 4r <= 32767 with n at least 2, or with the n given.
  const long smallestN = 2;
  long largestR = (kMaxBackgroundPlusFourComparisons - smallestN) / 4;
  std::string room = "n + 4r may not exceed 32767 with n at least 2";
  if (!nText.empty() && isNumeric(nText)) {
    const double n = readNumericValue(nText).value;
    if (n >= smallestN && n <= kMaxBackgroundPlusFourComparisons && n == std::floor(n)) {
      largestR = (kMaxBackgroundPlusFourComparisons - static_cast<long>(n)) / 4;
      room = "n + 4r may not exceed 32767 with n = " + formatInteger(static_cast<long>(n));
    }
  }
  // W and E are each at most r, the other being at least 1.
  const std::string rBound = formatInteger(largestR) + ", as r = W " + kTimes + " E and " + room;
  MonitoringDesign design;
  const Expected<long> w = count(wells, static_cast<double>(largestR), "wells", rBound);
  if (!w) return fail(w.error());
  const Expected<long> c = count(constituents, kLargestCount, "constituents",
                                 formatInteger(static_cast<long>(kLargestCount)));
  if (!c) return fail(c.error());
  const Expected<long> e = count(evaluations, static_cast<double>(largestR), "evaluations a year", rBound);
  if (!e) return fail(e.error());
  design.wells = *w;
  design.constituents = *c;
  design.evaluations = *e;
  if (!swfpr.empty()) {
    const NumericReading a = readNumericValue(swfpr);
    if (!isNumeric(swfpr) || !a.inRange || !(a.value > 0.0 && a.value < 1.0)) {
      return fail(refused("the site-wide false-positive rate must lie strictly between 0 and 1"));
    }
    design.swfpr = a.value;
  }

  // Both counts are at most 8191, so the product is exact in a long.
  const std::string product = "r = W " + std::string(kTimes) + " E = " + formatInteger(design.wells) + " " + kTimes +
                              " " + formatInteger(design.evaluations) + " = ";
  const long comparisons = design.wells * design.evaluations;
  if (comparisons > largestR) {
    return fail(refused("the comparisons " + product + formatInteger(comparisons) +
                        " are more than the calculator takes: at most " + formatInteger(largestR) + ", as " +
                        room));
  }
  design.r = comparisons;

  // 1 - (1 - A)^(1/C) without losing digits to the subtraction when A or 1/C is small.
  design.dcfp = -std::expm1(std::log1p(-design.swfpr) / static_cast<double>(design.constituents));
  design.dcfpText = significant(design.dcfp, kDesignDcfpDigits);
  design.rFormula = product + formatInteger(design.r);
  design.dcfpExpression = "DCFP = 1 - (1 - A)^(1/C) = 1 - (1 - " + significant(design.swfpr, 15) + ")^(1/" +
                          formatInteger(design.constituents) + ")";
  design.dcfpFormula = design.dcfpExpression + " = " + design.dcfpText;
  return design;
}

}  // namespace velmora::analysis

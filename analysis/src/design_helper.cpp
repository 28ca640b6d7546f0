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

std::optional<long> countAboveZero(std::string_view text) { return detail::wholeNumberFromOne(text, kLargestCount); }

std::string significant(double value, int digits) { return formatSignificant(static_cast<long double>(value), digits); }

}  // namespace

Expected<MonitoringDesign> designMonitoringProgram(std::string_view wells, std::string_view constituents,
                                                   std::string_view evaluations, std::string_view swfpr,
                                                   std::string_view nText) {
  MonitoringDesign design;
  const auto w = countAboveZero(wells);
  if (!w) {
    return fail(refused("the number of wells must be a whole number above zero"));
  }
  const auto c = countAboveZero(constituents);
  if (!c) {
    return fail(refused("the number of constituents must be a whole number above zero"));
  }
  const auto e = countAboveZero(evaluations);
  if (!e) {
    return fail(refused("the number of evaluations a year must be a whole number above zero"));
  }
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

  // Both counts are at most 1e9, so the product is exact in a double.
  const double comparisons = static_cast<double>(design.wells) * static_cast<double>(design.evaluations);
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
  if (comparisons > static_cast<double>(largestR)) {
    return fail(refused("r = W x E = " + formatInteger(design.wells) + " x " + formatInteger(design.evaluations) +
                        " = " + significant(comparisons, 15) + " comparisons is more than the calculator takes (at most " +
                        formatInteger(largestR) + ": " + room + ")"));
  }
  design.r = static_cast<long>(comparisons);

  // 1 - (1 - A)^(1/C) without losing digits to the subtraction when A or 1/C is small.
  design.dcfp = -std::expm1(std::log1p(-design.swfpr) / static_cast<double>(design.constituents));
  design.dcfpText = significant(design.dcfp, kDesignDcfpDigits);
  design.rFormula = "r = W x E = " + formatInteger(design.wells) + " x " + formatInteger(design.evaluations) +
                    " = " + formatInteger(design.r);
  design.dcfpFormula = "DCFP = 1 - (1 - A)^(1/C) = 1 - (1 - " + significant(design.swfpr, 15) + ")^(1/" +
                       formatInteger(design.constituents) + ") = " + design.dcfpText;
  return design;
}

}  // namespace velmora::analysis

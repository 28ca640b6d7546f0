// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/planner.h"

#include <algorithm>
#include <utility>

#include "velmora/engine/design_arithmetic.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"
#include "request_values.h"

namespace velmora {

namespace {

using analysis_detail::refused;

// A whole number above 0 that fits an int16.
std::optional<int> wholeAboveZero(std::string_view text) {
  const std::optional<long> whole = analysis_detail::wholeNumberFromOne(text, kInt16Max);
  if (!whole) return std::nullopt;
  return static_cast<int>(*whole);
}

}  // namespace

SampleSizePlan planSampleSize(std::string_view dcfpText, std::string_view rText, std::string_view rankText,
                              std::string_view testName) {
  SampleSizePlan plan;
  plan.dcfpText = std::string(dcfpText);
  const NumericReading dcfpReading = readNumericValue(dcfpText);
  if (!isNumeric(dcfpText) || !dcfpReading.inRange || dcfpReading.value <= 0.0 || dcfpReading.value > 1.0) {
    plan.error = refused("the DCFP must be a number greater than zero and at most 1");
    return plan;
  }
  const auto comparisons = wholeAboveZero(rText);
  if (!comparisons) {
    plan.error = refused("the number of comparisons r must be a whole number from 1 to 8191");
    return plan;
  }
  plan.r = *comparisons;
  if (!rankText.empty()) {
    const auto rank = wholeAboveZero(rankText);
    if (!rank) {
      plan.error = refused("the rank must be a whole number above zero");
      return plan;
    }
    plan.rank = *rank;
  }
  int onlyTest = 0;
  if (!testName.empty()) {
    for (int t = 1; t <= kSchemeCount; ++t) {
      if (testName == "1:" + std::to_string(t)) onlyTest = t;
    }
    if (onlyTest == 0) {
      plan.error = refused("the test must be one of 1:1, 1:2, 1:3 and 1:4");
      return plan;
    }
  }
  plan.smallestN = std::max(2, plan.rank);
  plan.largestN = kMaxBackgroundPlusFourComparisons - 4 * plan.r;
  if (plan.smallestN > plan.largestN) {
    plan.error = refused("no background size fits: n must be at least " + std::to_string(plan.smallestN) +
                 " and n + 4r at most 32767, so n at most " + std::to_string(plan.largestN));
    return plan;
  }

  const ExactDcfp dcfp(dcfpText);
  const float dcfpSingle = static_cast<float>(dcfpReading.value);  // as a run holds it
  const int r = plan.r;
  const int k = plan.rank;
  for (int t = 1; t <= kSchemeCount; ++t) {
    if (onlyTest != 0 && t != onlyTest) continue;
    SchemePlan scheme;
    scheme.test = t;
    scheme.exactN = smallestMeetingN(plan.smallestN, plan.largestN, [&](int n) {
      ++plan.evaluations;
      return dcfp.compare(n, r, t, k).meets;
    });
    scheme.exactCfp = exactCfp(scheme.exactN.value_or(plan.largestN), r, t, k);
    scheme.designN = smallestMeetingN(plan.smallestN, plan.largestN, [&](int n) {
      ++plan.evaluations;
      return !(designCfp(n, r, t, k).value() > dcfpSingle);
    });
    scheme.designCfp = designCfp(scheme.designN.value_or(plan.largestN), r, t, k).value();
    plan.schemes.push_back(scheme);
  }
  return plan;
}

}  // namespace velmora

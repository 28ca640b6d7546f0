// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/planner.h"

#include <algorithm>
#include <utility>

#include "velmora/engine/design_arithmetic.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"
#include "request_values.h"

namespace velmora::analysis {

namespace {

using detail::refused;

// A whole number above 0 that fits an int16.
std::optional<int> wholeAboveZero(std::string_view text) {
  const std::optional<long> whole = detail::wholeNumberFromOne(text, kInt16Max);
  if (!whole) return std::nullopt;
  return static_cast<int>(*whole);
}

}  // namespace

Expected<SampleSizePlan> planSampleSize(std::string_view dcfpText, std::string_view rText, std::string_view rankText,
                                        std::string_view testName) {
  SampleSizePlan plan;
  plan.dcfpText = std::string(dcfpText);
  const NumericReading dcfpReading = readNumericValue(dcfpText);
  if (!isNumeric(dcfpText) || !dcfpReading.inRange || dcfpReading.value <= 0.0 || dcfpReading.value > 1.0) {
    return fail(refused("the DCFP must be a number greater than zero and at most 1"));
  }
  const auto comparisons = wholeAboveZero(rText);
  if (!comparisons) {
    return fail(refused("the number of comparisons r must be a whole number from 1 to 8191"));
  }
  plan.r = *comparisons;
  if (!rankText.empty()) {
    const auto rank = wholeAboveZero(rankText);
    if (!rank) {
      return fail(refused("the rank must be a whole number above zero"));
    }
    plan.rank = *rank;
  }
  int onlyTest = 0;
  if (!testName.empty()) {
    for (int t = 1; t <= kSchemeCount; ++t) {
      if (testName == "1:" + std::to_string(t)) onlyTest = t;
    }
    if (onlyTest == 0) {
      return fail(refused("the test must be one of 1:1, 1:2, 1:3 and 1:4"));
    }
  }
  plan.smallestN = std::max(2, plan.rank);
  plan.largestN = kMaxBackgroundPlusFourComparisons - 4 * plan.r;
  if (plan.smallestN > plan.largestN) {
    return fail(refused("no background size fits: n must be at least " + std::to_string(plan.smallestN) +
                        " and n + 4r at most 32767, so n at most " + std::to_string(plan.largestN)));
  }

  const ExactDcfp dcfp(dcfpText);
  const float dcfpSingle = static_cast<float>(dcfpReading.value);  // as a run holds it
  const int r = plan.r;
  const int k = plan.rank;
  // Every size searched lies in the exact CFP's domain; were one refused, the plan is.
  std::optional<Problem> refusal;
  for (int t = 1; t <= kSchemeCount; ++t) {
    if (onlyTest != 0 && t != onlyTest) continue;
    SchemePlan scheme;
    scheme.test = t;
    scheme.exactN = smallestMeetingN(plan.smallestN, plan.largestN, [&](int n) {
      ++plan.evaluations;
      const Expected<ExactDcfp::Comparison> comparison = dcfp.compare(n, r, t, k);
      if (!comparison && !refusal) refusal = comparison.error();
      return comparison && comparison->meets;
    });
    if (refusal) return fail(std::move(*refusal));
    const Expected<long double> cfp = exactCfp(scheme.exactN.value_or(plan.largestN), r, t, k);
    if (!cfp) return fail(cfp.error());
    scheme.exactCfp = *cfp;
    scheme.designN = smallestMeetingN(plan.smallestN, plan.largestN, [&](int n) {
      ++plan.evaluations;
      return !(designCfp(n, r, t, k).value() > dcfpSingle);
    });
    scheme.designCfp = designCfp(scheme.designN.value_or(plan.largestN), r, t, k).value();
    plan.schemes.push_back(scheme);
  }
  return plan;
}

}  // namespace velmora::analysis

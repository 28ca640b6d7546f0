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

// The smallest background the calculator takes.
constexpr int kSmallestN = 2;

// A whole number from 1 to `largest`.
std::optional<int> wholeUpTo(std::string_view text, int largest) {
  const std::optional<long> whole = detail::wholeNumberFromOne(text, largest);
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
  // Each refusal names the bound the request breaks: r leaves room for a background of at
  // least 2 within n + 4r <= 32767, and the rank is at most n, which is at most 32767 - 4r.
  const int largestR = (kMaxBackgroundPlusFourComparisons - kSmallestN) / 4;
  const auto comparisons = wholeUpTo(rText, largestR);
  if (!comparisons) {
    return fail(refused("the number of comparisons r must be a whole number from 1 to " + std::to_string(largestR) +
                        ", as n + 4r may not exceed 32767 with n at least " + std::to_string(kSmallestN)));
  }
  plan.r = *comparisons;
  plan.largestN = kMaxBackgroundPlusFourComparisons - 4 * plan.r;
  if (!rankText.empty()) {
    const auto rank = wholeUpTo(rankText, plan.largestN);
    if (!rank) {
      return fail(refused("the rank must be a whole number from 1 to " + std::to_string(plan.largestN) +
                          ", as the rank is at most n and n + 4r may not exceed 32767 with r = " +
                          std::to_string(plan.r)));
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
  // Never above largestN: r and the rank were bounded for that above.
  plan.smallestN = std::max(kSmallestN, plan.rank);

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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/planner.h"

#include <algorithm>
#include <utility>

#include "velmora/engine/design_arithmetic.h"
#include "velmora/analysis/dcfp_fraction.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/strategy.h"
#include "velmora/analysis/strategy_arithmetic.h"
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

// The request every plan shares: the DCFP, r, the rank and the range of n they leave.
struct PlanRequest {
  NumericReading dcfp;
  int r = 0;
  int rank = 1;
  int smallestN = 0;
  int largestN = 0;
};

Expected<PlanRequest> readPlanRequest(std::string_view dcfpText, std::string_view rText, std::string_view rankText) {
  PlanRequest request;
  request.dcfp = readNumericValue(dcfpText);
  if (!isNumeric(dcfpText) || !request.dcfp.inRange || request.dcfp.value <= 0.0 || request.dcfp.value > 1.0) {
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
  request.r = *comparisons;
  request.largestN = kMaxBackgroundPlusFourComparisons - 4 * request.r;
  if (!rankText.empty()) {
    const auto rank = wholeUpTo(rankText, request.largestN);
    if (!rank) {
      return fail(refused("the rank must be a whole number from 1 to " + std::to_string(request.largestN) +
                          ", as the rank is at most n and n + 4r may not exceed 32767 with r = " +
                          std::to_string(request.r)));
    }
    request.rank = *rank;
  }
  // Never above largestN: r and the rank were bounded for that above.
  request.smallestN = std::max(kSmallestN, request.rank);
  return request;
}

// The CFP to 10 significant digits: the double quadrature's where its bound settles them,
// else 50 digits.
long double cfpDigits(const StrategyArithmetic& arithmetic, int n, int r, int k) {
  if (const std::optional<int> t = arithmetic.strategy().scheme()) return fastExactCfp(n, r, *t, k).value();
  const ExactProbability cfp = arithmetic.cfp(n, r, k).value();
  const long double spread = static_cast<long double>(cfp.value * cfp.relativeError);
  const long double value = static_cast<long double>(cfp.value);
  if (cfp.value > 0.0 && formatSignificant(value - spread) == formatSignificant(value + spread)) return value;
  return arithmetic.preciseCfp(n, r, k).value();
}

}  // namespace

Expected<RulePlan> planSampleSizeForRule(std::string_view dcfpText, std::string_view rText, std::string_view rankText,
                                         std::string_view ruleName, const PlanProgress& progress) {
  const Expected<PlanRequest> request = readPlanRequest(dcfpText, rText, rankText);
  if (!request) return fail(request.error());
  const Expected<Strategy> strategy = parseStrategy(ruleName);
  if (!strategy) return fail(strategy.error());
  const Expected<DcfpFraction> dcfp = DcfpFraction::read(dcfpText);
  if (!dcfp) return fail(dcfp.error());
  RulePlan plan;
  plan.dcfpText = std::string(dcfpText);
  plan.r = request->r;
  plan.rank = request->rank;
  plan.smallestN = request->smallestN;
  plan.largestN = request->largestN;
  plan.rule = strategy->canonicalName();
  plan.scheme = strategy->scheme();
  const StrategyArithmetic arithmetic(*strategy);
  // Every size searched lies in the strategies' domain (n >= 2, rank <= n, n + 4r <= 32767).
  plan.exactN = smallestMeetingN(plan.smallestN, plan.largestN, [&](int n) {
    const bool meets = arithmetic.meets(*dcfp, n, plan.r, plan.rank).value().meets;
    ++plan.evaluations;
    if (progress) progress(plan.evaluations);
    return meets;
  });
  plan.exactCfp = cfpDigits(arithmetic, plan.exactN.value_or(plan.largestN), plan.r, plan.rank);
  return plan;
}

Expected<SampleSizePlan> planSampleSize(std::string_view dcfpText, std::string_view rText, std::string_view rankText,
                                        std::string_view testName, const PlanProgress& progress) {
  const Expected<PlanRequest> request = readPlanRequest(dcfpText, rText, rankText);
  if (!request) return fail(request.error());
  SampleSizePlan plan;
  plan.dcfpText = std::string(dcfpText);
  const NumericReading dcfpReading = request->dcfp;
  plan.r = request->r;
  plan.rank = request->rank;
  plan.largestN = request->largestN;
  int onlyTest = 0;
  if (!testName.empty()) {
    for (int t = 1; t <= kSchemeCount; ++t) {
      if (testName == "1:" + std::to_string(t)) onlyTest = t;
    }
    if (onlyTest == 0) {
      return fail(refused("the test must be one of 1:1, 1:2, 1:3 and 1:4"));
    }
  }
  plan.smallestN = request->smallestN;

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
      if (progress) progress(plan.evaluations);
      const Expected<ExactDcfp::Comparison> comparison = dcfp.compare(n, r, t, k, false);
      if (!comparison && !refusal) refusal = comparison.error();
      return comparison && comparison->meets;
    });
    if (refusal) return fail(std::move(*refusal));
    const Expected<long double> cfp = fastExactCfp(scheme.exactN.value_or(plan.largestN), r, t, k);
    if (!cfp) return fail(cfp.error());
    scheme.exactCfp = *cfp;
    scheme.designN = smallestMeetingN(plan.smallestN, plan.largestN, [&](int n) {
      ++plan.evaluations;
      if (progress) progress(plan.evaluations);
      return !(designCfp(n, r, t, k).value() > dcfpSingle);
    });
    scheme.designCfp = designCfp(scheme.designN.value_or(plan.largestN), r, t, k).value();
    plan.schemes.push_back(scheme);
  }
  return plan;
}

}  // namespace velmora::analysis

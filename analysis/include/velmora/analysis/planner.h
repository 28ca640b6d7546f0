// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sample-size planner: the smallest background size n for which a fixed rank of a
// scheme meets the DCFP with r comparisons.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/analysis/monotone_search.h"
#include "velmora/engine/problem.h"

namespace velmora::analysis {

struct SchemePlan {
  int test = 0;  // t of scheme 1:t
  // Exact arithmetic: the smallest n whose exact CFP meets the DCFP as typed, and the exact
  // CFP there; with no such n, the exact CFP at the largest n.
  std::optional<int> exactN;
  long double exactCfp = 0.0L;
  // The design's arithmetic (the searches' float32 CFP against the float32 DCFP): the n
  // found by the same search, and the float32 CFP there (at the largest n when none).
  std::optional<int> designN;
  float designCfp = 0.0f;
};

struct SampleSizePlan {
  std::string dcfpText;
  int r = 0;
  int rank = 1;
  int smallestN = 0;  // the range searched: max(2, rank) ..
  int largestN = 0;   //   32767 - 4r
  std::vector<SchemePlan> schemes;
  int evaluations = 0;  // CFPs computed, exact and float32
};

// Called as each exact or float32 CFP of a search is computed, with the number computed so
// far, so that a long plan can show its progress.
using PlanProgress = std::function<void(int evaluations)>;

// `rankText` empty means rank 1 (the background maximum); `testName` empty means every
// scheme, otherwise one of "1:1" .. "1:4". The DCFP follows the calculator's own rule
// (numeric, 0 < DCFP <= 1); r and the rank are whole numbers above 0, r at most 8191 (room
// for n >= 2 within n + 4r <= 32767) and the rank at most 32767 - 4r (a rank at most n). A
// request outside these is refused (refusedRequest) in one sentence that names the bound.
//
// The search over n: the exact CFP of a fixed rank falls as n grows, so the planner
// gallops up from the smallest n and then bisects, a few dozen CFPs at most. The float32
// CFP follows the exact one to within a few units in its last place, so it may wobble
// where it is that close to the DCFP; the planner reads it as falling too and reports the
// n where the same search lands: there the float32 CFP meets the DCFP and at n - 1 it
// does not.
[[nodiscard]] Expected<SampleSizePlan> planSampleSize(std::string_view dcfpText, std::string_view rText,
                                                     std::string_view rankText = {}, std::string_view testName = {},
                                                     const PlanProgress& progress = {});

// The same search for one retest strategy of any rule (its exact CFP only: the design's
// float32 arithmetic has none but the schemes 1:1 to 1:4).
struct RulePlan {
  std::string dcfpText;
  int r = 0;
  int rank = 1;
  int smallestN = 0;
  int largestN = 0;
  std::string rule;  // canonical name: "1-of-2/median-3"
  // The calculator's scheme 1:t this rule is, when it is one (its answer is plain plan's).
  std::optional<int> scheme;
  std::optional<int> exactN;
  long double exactCfp = 0.0L;  // at exactN, or at the largest n when none meets; 10 digits right
  int evaluations = 0;          // exact decisions made
};

// The DCFP, r and rank are read and refused as by planSampleSize; `ruleName` as the retest
// strategies read it (refused with the grammar).
[[nodiscard]] Expected<RulePlan> planSampleSizeForRule(std::string_view dcfpText, std::string_view rText,
                                                       std::string_view rankText, std::string_view ruleName,
                                                       const PlanProgress& progress = {});

// The smallest n in [low, high] for which meets(n) holds, assuming it holds from some n
// on; empty when it does not hold at high. The search gallops up from low.
template <class Meets>
[[nodiscard]] std::optional<int> smallestMeetingN(int low, int high, Meets&& meets) {
  if (low > high) return std::nullopt;
  const std::optional<int> lastFailing = lastHolding(low, high, low, [&meets](int n) { return !meets(n); });
  if (!lastFailing) return low;
  if (*lastFailing == high) return std::nullopt;
  return *lastFailing + 1;
}

}  // namespace velmora::analysis

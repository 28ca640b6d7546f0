// SPDX-License-Identifier: GPL-3.0-or-later
// The design's float32 CFP of one candidate rank, and of many ranks at once (a CFP curve).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "velmora/engine/design_arithmetic.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/parallel.h"

#include "calculation_core.h"
#include "candidate_evaluation.h"
#include "rounding_points.h"

namespace velmora {

using steps::toFloat32;

namespace {

bool designInDomain(int n, int r, int t) {
  return t >= 1 && t <= kSchemeCount && n >= 2 && r >= 1 &&
         static_cast<long>(n) + 4L * r <= kMaxBackgroundPlusFourComparisons;
}

tl::unexpected<Problem> outsideTheDomain() {
  return fail(ProblemKind::refusedRequest,
              "the design's CFP needs 1 <= t <= 4, n >= 2, r >= 1, 1 <= k <= n and n + 4r <= 32767");
}

// The relative error of the float64 sum of the first false positives (candidate_evaluation.h,
// soundCfp), and room for the few roundings of the bounds formed here.
constexpr double kSoundSumError = 1.5e-11;
constexpr double kBoundRoundings = 1e-15;

// The float32 that soundCfp returns for a CFP within `estimate`'s error of its value, where
// every value there rounds to the same float32 (soundCfp clamps its sum to 1 first).
std::optional<float> settledByEstimate(const CfpEstimate& estimate) {
  const double spread = estimate.relativeError + kSoundSumError + kBoundRoundings;
  if (!(estimate.value > 0.0) || !(estimate.relativeError >= 0.0) || !(spread < 1e-3)) return std::nullopt;
  const float low = toFloat32(std::min(estimate.value * (1.0 - spread), 1.0));
  const float high = toFloat32(std::min(estimate.value * (1.0 + spread), 1.0));
  if (low != high) return std::nullopt;
  return low;
}

}  // namespace

Expected<float> designCfp(int n, int r, int t, int k) {
  if (!designInDomain(n, r, t) || k < 1 || k > n) return outsideTheDomain();

  CalculationCore calculation;
  calculation.loadSizes(n, r);
  CalculationState& s = calculation.state();

  if (t == 1) {
    // The 1:1 walk carries its running product from rank to rank. With DCFP 1 no rank
    // fails, and with j = k the walk stops after rank k + 1 (or at n) holding the CFP of
    // rank k as its achievable CFP, exactly as a run would compute it.
    s.dcfp = 1.0f;
    s.j = static_cast<std::int16_t>(k);
    calculation.FindRank1of1();
    return s.cfp[1][2];
  }
  return calculation.evaluateRetestCandidate(t, k, false);
}

Expected<std::vector<float>> designCfps(int n, int r, int t, std::span<const int> ranks) {
  return designCfps(n, r, t, ranks, {});
}

Expected<std::vector<float>> designCfps(int n, int r, int t, std::span<const int> ranks,
                                        std::span<const std::optional<CfpEstimate>> estimates) {
  if (!designInDomain(n, r, t)) return outsideTheDomain();
  if (!estimates.empty() && estimates.size() != ranks.size()) {
    return fail(ProblemKind::refusedRequest, "the design's CFPs need one estimate or none for each rank");
  }
  for (const int k : ranks) {
    if (k < 1 || k > n) return outsideTheDomain();
  }
  std::vector<float> cfps(ranks.size(), 0.0f);
  // The running probabilities of candidates 1 .. n. For 1:1 they are those of its own walk
  // (FindRank1of1: the same products with n + r), and its CFP is 1 - runProb(1).
  const std::vector<float> runProb = retest::runProbabilities(t, n, r);
  std::vector<std::size_t> rowed;  // the elements the searches' own arithmetic evaluates
  for (std::size_t i = 0; i < ranks.size(); ++i) {
    const int k = ranks[i];
    if (t == 1) {
      cfps[i] = toFloat32(1.0 - static_cast<double>(runProb[static_cast<std::size_t>(k)]));
      continue;
    }
    // A candidate whose running probability has left the float32 range takes the sum of
    // its first false positives (evaluateDesign), which an estimate may settle.
    const bool summed = !(runProb[static_cast<std::size_t>(k)] >= std::numeric_limits<float>::min());
    if (summed && !estimates.empty() && estimates[i]) {
      if (const std::optional<float> settled = settledByEstimate(*estimates[i])) {
        cfps[i] = *settled;
        continue;
      }
    }
    rowed.push_back(i);
  }
  // Each candidate evaluated as designCfp evaluates it (evaluateRetestCandidate without a
  // carried running probability forms the same products), costly ones side by side.
  parallelFor(
      rowed.size(),
      [&](std::size_t m) {
        const std::size_t i = rowed[m];
        const int k = ranks[i];
        cfps[i] = retest::evaluateDesign(t, n, r, k, runProb[static_cast<std::size_t>(k)]).cfp;
      },
      retest::candidateCost(t, r) >= 2e5 ? 0 : 1);
  return cfps;
}

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
// The design's float32 CFP of one candidate rank, and of many ranks at once (a CFP curve).
#include <algorithm>
#include <cstddef>
#include <cstdint>
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
  if (!designInDomain(n, r, t)) return outsideTheDomain();
  for (const int k : ranks) {
    if (k < 1 || k > n) return outsideTheDomain();
  }
  std::vector<float> cfps(ranks.size(), 0.0f);
  // The running probabilities of candidates 1 .. n. For 1:1 they are those of its own walk
  // (FindRank1of1: the same products with n + r), and its CFP is 1 - runProb(1).
  const std::vector<float> runProb = retest::runProbabilities(t, n, r);
  std::vector<std::size_t> rowed;  // the elements that need a coefficient row
  for (std::size_t i = 0; i < ranks.size(); ++i) {
    const int k = ranks[i];
    if (t == 1) {
      cfps[i] = toFloat32(1.0 - static_cast<double>(runProb[static_cast<std::size_t>(k)]));
    } else {
      rowed.push_back(i);
    }
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

// SPDX-License-Identifier: GPL-3.0-or-later
// The design's float32 CFP of one candidate rank, for the planner and the audit's tests.
#include <cstdint>
#include <limits>

#include "velmora/engine/calculation.h"
#include "velmora/engine/limits.h"

namespace velmora {

float Calculation::designCfp(int n, int r, int t, int k) {
  const bool inDomain = t >= 1 && t <= kSchemeCount && n >= 2 && r >= 1 && k >= 1 && k <= n &&
                        static_cast<long>(n) + 4L * r <= kMaxBackgroundPlusFourComparisons;
  if (!inDomain) return std::numeric_limits<float>::quiet_NaN();

  Calculation calculation;
  CalculationState& s = calculation.m_state;
  s.n = static_cast<std::int16_t>(n);
  s.r = static_cast<std::int16_t>(r);
  s.countLimit[2] = static_cast<std::int16_t>((r - 1) + 2);
  s.countLimit[3] = static_cast<std::int16_t>((r - 1) * 2 + 3);
  s.countLimit[4] = static_cast<std::int16_t>((r - 1) * 3 + 4);
  s.maxCount = s.countLimit[4];
  s.countProbData.assign(static_cast<std::size_t>(4) * s.maxCount, 0.0);

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

}  // namespace velmora

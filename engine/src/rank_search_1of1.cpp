// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/calculation.h"

#include <cstdint>

#include "calculation_core.h"
#include "rounding_points.h"

namespace velmora {

using steps::f64;
using steps::toFloat32;

// The 1:1 search: the largest rank whose CFP 1 - runProb(1) stays within the DCFP.

void CalculationCore::FindRank1of1() {
  CalculationState& s = m_state;
  const int n = s.n;
  const int r = s.r;
  const int j = s.j;

  s.optRank[1] = 1;
  const int nPlusR = n + r;
  s.runProb[1] = toFloat32(f64(n) / f64(nPlusR));
  s.cfp[1][1] = toFloat32(1.0 - static_cast<double>(s.runProb[1]));

  if (s.cfp[1][1] > s.dcfp) {
    // Even the background maximum fails.
    s.cfp[1][2] = s.cfp[1][1];
    s.dcfpStatus[1] = kStatusExceeded;
  } else {
    for (int k = 2; k <= n; ++k) {
      s.rankIdx = static_cast<std::int16_t>(k);
      s.optRank[1] = static_cast<std::int16_t>(k);
      const double product = f64(n - k + 1) * static_cast<double>(s.runProb[1]);
      s.runProb[1] = toFloat32(product / f64(nPlusR - k + 1));
      s.cfp[1][2] = toFloat32(1.0 - static_cast<double>(s.runProb[1]));

      if (s.cfp[1][2] > s.dcfp) {  // rank k fails: keep k - 1
        s.cfp[1][2] = s.cfp[1][1];
        s.optRank[1] = static_cast<std::int16_t>(k - 1);
        break;
      }
      if (k == j + 1) {  // rank k passes but lies beyond the minimum allowable rank
        s.optRank[1] = static_cast<std::int16_t>(k - 1);
        s.cfp[1][2] = s.cfp[1][1];
        break;
      }
      if (k == n) break;  // every rank up to n passes
      s.cfp[1][1] = s.cfp[1][2];
    }
    s.dcfpStatus[1] = kStatusOk1of1;
  }
  s.limitPercentile[1] = toFloat32((f64(n - s.optRank[1]) + 0.5) / f64(n));
}

}  // namespace velmora

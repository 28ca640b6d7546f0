// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The cumulative false-positive error of rank k of scheme 1:t summed as the
// probabilities of the first false positive. The calculation uses it (in float64) for
// the candidates whose float32 arithmetic has left its range, and the exact audit (in
// extended and quadruple precision) for every CFP it reports.
//
// The recurrence. Given W, the r comparisons are independent and one of them is a false
// positive when all t of its samples exceed the limit. Mixed over W ~ Beta(k, n - k + 1),
// the samples form a Polya urn: after s samples of which e exceeded, the next sample
// exceeds with probability (k + e) / (n + 1 + s). So the probability that the next
// comparison (t samples) brings exactly i exceedances is
//
//   p_i(e, s) = C(t, i) * (k + e)^(i) * (n - k + 1 + s - e)^(t - i) / (n + 1 + s)^(t)
//
// with x^(m) the rising product x (x + 1) ... (x + m - 1). The forward sum keeps q_v(e),
// the probability that the first v comparisons brought no false positive and e
// exceedances in all (e <= (t - 1) v), and adds up
//
//   CFP = sum over v = 0 .. r - 1 of sum over e of q_v(e) * p_t(e, t v),
//
// the probability that comparison v + 1 is the first false positive. Every term is a
// positive probability, so there is no cancellation and no term can overflow; a term too
// small for the number format is at most 1e-4900 and its loss is invisible against the
// smallest CFP of the domain (24 / (32764 * 32765 * 32766 * 32767), about 2.1e-17).
//
// Error bound, u the unit roundoff of the number format (2^-64 for the x87 extended
// format). All integers below stay under 6 * 32771^4 < 2^63, so the rising products,
// the binomial weights and their products are exact. Per comparison: the reciprocal of
// (n + 1 + s)^(t) costs one rounding, its product with a weighted numerator one more, the
// product with q_v(e) one more, and the sum of at most t contributions t - 1 more; as all
// terms are positive the relative errors add up without growth: q_v carries at most
// v (t + 2) u. A false-positive term adds 3u, the inner sum over at most (t - 1) v + 1
// states (t - 1) v u, and the outer sum over r comparisons (r - 1) u. In all
//
//   relative error of CFP <= ((2t + 2)(r - 1) + 3) u   (to first order),
//
// below 4.5e-15 for t = 4 and r = 8191. States at the edges of the exceedance range whose
// probability falls below 1e-60 are dropped; the mass lost over a whole run is below
// 8191 * 24574 * 1e-60 < 1e-51, a relative 1e-34 of the smallest CFP.
//
// In float64 (u = 2^-53) a product of four integers below 32772 no longer fits the
// significand: the pool's rising product, each rising product of the numerator and the
// weighted numerator cost at most three roundings more per contribution, so q_v carries
// at most v (t + 5) u and, with the same sums as above,
//
//   relative error of CFP <= ((2t + 8)(r - 1) + 6) u   (to first order),
//
// below 1.5e-11 for t = 4 and r = 8191: far inside the float32 resolution of any CFP.

#include <cstddef>
#include <vector>

namespace velmora {

// CFP_t(k) for n background values and r comparisons, carried in Real (float64 or wider),
// for 1 <= t <= 4, 1 <= k <= n, r >= 1 and n + 4r <= 32767.

// C(t, i) for t = 0 .. 4.
inline constexpr int kResampleBinomial[5][5] = {{1}, {1, 1}, {1, 2, 1}, {1, 3, 3, 1}, {1, 4, 6, 4, 1}};

// After a comparison: its next states become the current ones, t - 1 positions wider,
// less the states at either edge too unlikely to matter (below dropBelow).
template <class Real>
void advanceStates(std::vector<Real>& q, std::vector<Real>& next, int t, Real dropBelow, int& low, int& high) {
  q.swap(next);
  high += t - 1;
  while (low <= high && q[static_cast<std::size_t>(low)] < dropBelow) ++low;
  while (high >= low && q[static_cast<std::size_t>(high)] < dropBelow) --high;
}

template <class Real>
Real firstFalsePositiveSum(int n, int r, int t, int k) {
  const int size = (t - 1) * r + t + 1;
  std::vector<Real> q(static_cast<std::size_t>(size), Real(0));
  std::vector<Real> next(static_cast<std::size_t>(size), Real(0));
  q[0] = Real(1);
  int low = 0;
  int high = 0;
  Real total = Real(0);
  const Real dropBelow = Real(1e-60);

  for (int v = 0; v < r && low <= high; ++v) {
    const long s = static_cast<long>(t) * v;
    Real poolRise = Real(1);
    for (int h = 0; h < t; ++h) poolRise *= Real(n + 1 + s + h);
    const Real reciprocal = Real(1) / poolRise;

    for (int e = low; e <= high + t - 1; ++e) next[static_cast<std::size_t>(e)] = Real(0);
    Real firstFalsePositive = Real(0);
    for (int e = low; e <= high; ++e) {
      const Real qe = q[static_cast<std::size_t>(e)];
      const long above = k + e;                  // exceedance weight
      const long below = n - k + 1 + s - e;      // non-exceedance weight
      Real aboveRise[5];
      Real belowRise[5];
      aboveRise[0] = Real(1);
      belowRise[0] = Real(1);
      for (int h = 1; h <= t; ++h) {
        aboveRise[h] = aboveRise[h - 1] * Real(above + h - 1);
        belowRise[h] = belowRise[h - 1] * Real(below + h - 1);
      }
      for (int i = 0; i < t; ++i) {
        const Real weighted = Real(kResampleBinomial[t][i]) * aboveRise[i] * belowRise[t - i];
        next[static_cast<std::size_t>(e + i)] += qe * (weighted * reciprocal);
      }
      firstFalsePositive += qe * (aboveRise[t] * reciprocal);
    }
    total += firstFalsePositive;

    advanceStates(q, next, t, dropBelow, low, high);
  }
  return total;
}

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#include "walk_certificate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "velmora/engine/parallel.h"

#include "rank_walk_bounds.h"
#include "rounding_points.h"
#include "row_pool.h"

namespace velmora::retest {

using steps::f64;

int certifiedPassing(Candidates& candidates, float dcfp, int start, int kEnd,
                     std::shared_ptr<rows::CoefficientRow>& startRow) {
  const int t = candidates.t();
  const int n = candidates.n();
  const int r = candidates.r();
  if (dcfp >= 1.0f) return kEnd;  // every design CFP is at most 1

  constexpr int kShortest = 4;  // a jump shorter than this saves nothing
  const long double dcfpL = static_cast<long double>(dcfp);
  // What the estimate may be off by, relative to the smaller of the DCFP and its
  // complement (near 1 the estimate is as close to 1 - CFP as it is to small CFPs).
  const long double dcfpSlack = 1e-3L * std::min(dcfpL, 1.0L - dcfpL) + 1e-12L;
  // Where even the estimate of the shortest jump worth taking fails the DCFP, the search
  // below would end short of it: one estimate tells (typical designs walk a few
  // candidates, and proving nothing is then the cheaper way).
  if (start + kShortest > kEnd ||
      static_cast<long double>(walkbounds::estimateCfp(n, r, t, start + kShortest)) + dcfpSlack > dcfpL) {
    return start - 1;
  }
  const int lastNormal = candidates.lastNormal();
  const bool anyFloatPath = start <= lastNormal;
  const long double soundExcess = walkbounds::soundPathExcess(t, r);
  // The largest distance of a float32 running probability from the exact one over the
  // float32-path candidates from start to k.
  const auto runProbDeviation = [&](int k) {
    long double d = 0.0L;
    for (int c = start; c <= std::min(k, lastNormal); ++c) {
      d = std::max(d, walkbounds::runProbDeviation(candidates.runProb(c), candidates.runProbLongDouble(c), c));
    }
    return d;
  };
  const auto excess = [&](int k, long double flushedMass, long double sumExcess) {
    long double e = soundExcess;
    if (anyFloatPath) e = std::max(e, walkbounds::floatPathExcess(r, runProbDeviation(k), flushedMass, sumExcess));
    return e;
  };
  // What the float32 sums are likely to lose, for choosing K: the terms up to the bulk of
  // the exceedance count (the bound itself comes from K's row).
  const int positions = (t - 1) * r + 1;
  const auto likelySumExcess = [&](int k) {
    const double a = k;
    const double b = n - k + 1;
    const double spread = std::min(1.0, a / (a + b) + 6.0 * std::sqrt(a * b / ((a + b) * (a + b) * (a + b + 1.0))));
    const double bulk = std::min(f64(positions), std::ceil(f64(t * r) * spread) + 16.0);
    return walkbounds::crudeSumExcess(t, r) * static_cast<long double>(bulk / f64(positions));
  };
  // The largest k in [start, kEnd] whose estimated CFP plus `offset(k)` stays within the
  // DCFP, or start - 1 (the estimate rises with k).
  const auto largestWithin = [&](int high, auto&& offset) {
    int lo = start - 1;
    int hi = high;
    while (lo < hi) {
      const int mid = lo + (hi - lo + 1) / 2;
      if (static_cast<long double>(walkbounds::estimateCfp(n, r, t, mid)) + offset(mid) <= dcfpL) {
        lo = mid;
      } else {
        hi = mid - 1;
      }
    }
    return lo;
  };
  const long double upperLoss = static_cast<long double>(9 * r + (t - 1) * r + 1) * 0x1p-53L;
  int K = largestWithin(kEnd, [&](int k) { return excess(k, 0.0L, likelySumExcess(k)) + upperLoss + dcfpSlack; });

  for (int attempt = 0; attempt < 3 && K >= start + kShortest; ++attempt) {
    // Side by side: the flush-to-zero rows of start (unless known) and of K, and the
    // design rows of K and of the last float32-path candidate up to K.
    auto kRow = pooledRow();
    const bool needStart = anyFloatPath && !startRow;
    auto newStartRow = needStart ? pooledRow() : startRow;
    const bool kFloat = K <= lastNormal;
    const int lastFloat = std::min(K, lastNormal);  // the last candidate up to K on the float32 path
    std::vector<int> designs{K};
    if (anyFloatPath && lastFloat != K) designs.push_back(lastFloat);
    const int rowTasks = (needStart ? 1 : 0) + (kFloat ? 1 : 0);
    const auto task = [&](std::size_t which) {
      const int i = static_cast<int>(which);
      if (i < rowTasks && needStart && i == 0) {
        rows::buildRow(t, n, r, start, rows::RowMode::flushToZero, *newStartRow);
      } else if (i < rowTasks) {
        rows::buildRow(t, n, r, K, rows::RowMode::flushToZero, *kRow);
      } else {
        candidates.evaluate(designs);
      }
    };
    parallelFor(static_cast<std::size_t>(rowTasks) + 1, task, candidates.width() > 1 ? 0 : 1);
    startRow = newStartRow;
    long double flushedMass = 0.0L;
    long double sumExcess = 0.0L;
    if (anyFloatPath) {
      flushedMass = walkbounds::flushedPathMass(n, r, t, K, startRow->lowestFlushedSource);
      const Evaluation& last = candidates.get(lastFloat);
      sumExcess = walkbounds::sumExcess(last.row->last, last.row->limit, candidates.runProb(start));
    }
    const long double upper = kFloat ? walkbounds::cfpUpperFromFlushedRow(candidates.runProbLongDouble(K), rows::rowSum64(*kRow), t, r, K)
                                     : walkbounds::cfpUpperFromSound(candidates.get(K).soundSum, t, r);
    const long double bound = upper + excess(K, flushedMass, sumExcess);
    if (bound <= dcfpL) {
      if (kFloat) startRow = kRow;
      return K;
    }
    // Try a lower candidate. Where the flushed paths' mass spoils the bound, it is known
    // now for every stretch from start before the stretch's end is evaluated (it rises
    // with the end): the end becomes the largest whose estimate could pass with it, none
    // where even the shortest stretch could not (each futile try would cost a candidate).
    // Where the float32 sums' share spoils it, a stretch half as long; else one where the
    // bound, exceeding the estimate as much as here, would hold.
    if (flushedMass > sumExcess && flushedMass > 0.5L * (bound - dcfpL)) {
      const std::vector<int>& flushedSources = startRow->lowestFlushedSource;
      K = largestWithin(K - 1, [&](int k) {
        return excess(k, walkbounds::flushedPathMass(n, r, t, k, flushedSources), likelySumExcess(k)) + upperLoss +
               dcfpSlack;
      });
    } else if (sumExcess + flushedMass > 0.5L * (bound - dcfpL)) {
      K = start + (K - start) / 2;
    } else {
      const long double over = bound - static_cast<long double>(walkbounds::estimateCfp(n, r, t, K));
      K = largestWithin(K - 1, [&](int) { return over + dcfpSlack; });
    }
  }
  return start - 1;
}

}  // namespace velmora::retest

// SPDX-License-Identifier: GPL-3.0-or-later
// The retest searches' walk of every candidate, kept as the reference the calculation's
// walk (engine/src/retest_walk.cpp) is held against; tests and benchmarks reach it through
// ReferenceWalkSeam, and it ships with them, not in the engine: each candidate in turn,
// from the previous scheme's rank, its running probability carried from the candidate
// before, its coefficient row built in the record's table. Its decision tests repeat those
// of the calculation's walk on purpose instead of sharing them: a change to the walk's
// decisions must show as a difference against this reference, not change both at once.
#include "velmora/engine/testing/reference_walk_seam.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "velmora/engine/detail/contract.h"

#include "calculation_core.h"
#include "candidate_evaluation.h"
#include "rounding_points.h"

namespace velmora {

using steps::f64;
using steps::toFloat32;

namespace {

float soundCfp(const CalculationState& s, int t, int k) {
  double sum = 0.0;
  return retest::soundCfp(s.n, s.r, t, k, sum);
}

// Builds in row 1 of countProb the coefficient row c(1..countLimit(t)) of candidate k
// after all r comparisons: runProb(t) * c(m) is the probability that exactly m - 1 of
// the t*r samples exceed the limit while no comparison has all t of its samples above it.
void buildCoefficientRow(CalculationState& s, int t, int k) {
  const int r = s.r;
  const int N = s.poolSize[t];
  const int limit = s.countLimit[t];
  double* const table = s.countProbData.data();
  // Element (row, m) of the table; the first index varies fastest.
  auto c = [table](int m) -> double& { return table[(m - 1) * 4]; };
  auto row = [table](int rowIndex, int m) -> double& { return table[(m - 1) * 4 + (rowIndex - 1)]; };

  for (int m = 1; m <= limit; ++m) {
    for (int rowIndex = 1; rowIndex <= t; ++rowIndex) row(rowIndex, m) = 0.0;
  }

  // The row after the first comparison.
  c(1) = 1.0;
  if (t == 2) {
    c(2) = f64(2 * k) / f64(N);
  } else if (t == 3) {
    const double b1 = f64(k) / f64(N);
    const double b1Times3 = b1 * 3.0;
    c(2) = b1Times3;
    c(3) = (f64(k + 1) / f64(N - 1)) * b1Times3;
  } else {
    const double b1 = f64(k) / f64(N);
    const double b2 = f64(k + 1) / f64(N - 1);
    const double b3 = f64(k + 2) / f64(N - 2);
    c(2) = f64(4 * k) / f64(N);
    c(3) = b2 * (b1 * 6.0);
    c(4) = (b2 * (b1 * 4.0)) * b3;
  }

  // The weighted quotients of a position depend only on the candidate and the position,
  // not on the comparison, so they are formed once per candidate, with exactly the
  // operations (and their order) of one update:
  //   t = 2: w1 = (a1 * 2)
  //   t = 3: w1 = (a1 * 3),  w2 = ((a1 * 3) * a2)
  //   t = 4: w1 = (a1 * 4),  w2 = ((a1 * 6) * a2),  w3 = (((a1 * 4) * a2) * a3)
  // and one update stores w_i * c(m) at position m + i of row i + 1.
  const int lastPosition = (t - 1) * (r - 1) + 1;  // innerLow of the last update
  // (Scratch kept per thread from candidate to candidate: the walk builds thousands of rows.)
  thread_local std::vector<double> scratch;
  std::vector<double>& weights = scratch;
  weights.assign(static_cast<std::size_t>(3) * (lastPosition + 1), 0.0);
  auto weight = [&weights](int i, int m) -> double& { return weights[static_cast<std::size_t>(m) * 3 + (i - 1)]; };
  if (r >= 2) {
    for (int m = 1; m <= lastPosition; ++m) {
      const double a1 = f64(k + m - 1) / f64(N - m + 1);
      if (t == 2) {
        weight(1, m) = a1 * 2.0;
      } else if (t == 3) {
        const double a2 = f64(k + m) / f64(N - m);
        const double a1Times3 = a1 * 3.0;
        weight(1, m) = a1Times3;
        weight(2, m) = a1Times3 * a2;
      } else {
        const double a2 = f64(k + m) / f64(N - m);
        const double a3 = f64(k + m + 1) / f64(N - m - 1);
        const double a1Times4 = a1 * 4.0;
        weight(1, m) = a1Times4;
        weight(2, m) = (a1 * 6.0) * a2;
        weight(3, m) = (a1Times4 * a2) * a3;
      }
    }
  }

  // One update per further comparison. All contributions are formed from the row as it
  // stood before the update, then added in.
  for (int v = 2; v <= r; ++v) {
    const int innerLow = t + (t - 1) * (v - 2);
    const int innerHigh = t + (t - 1) * (v - 1);
    s.innerLow[t] = static_cast<std::int16_t>(innerLow);
    s.innerHigh[t] = static_cast<std::int16_t>(innerHigh);

    for (int m = 1; m <= innerLow; ++m) {
      const double cm = c(m);
      row(2, m + 1) = weight(1, m) * cm;
      if (t >= 3) row(3, m + 2) = weight(2, m) * cm;
      if (t == 4) row(4, m + 3) = weight(3, m) * cm;
    }
    for (int m = 1; m <= innerHigh; ++m) {
      if (t == 2) {
        c(m) = row(2, m) + c(m);
      } else if (t == 3) {
        c(m) = (row(2, m) + c(m)) + row(3, m);
      } else {
        c(m) = ((row(2, m) + c(m)) + row(3, m)) + row(4, m);
      }
    }
  }
}

// The CFP of candidate k of scheme 1:t. With carryRunProb the running probability of
// candidate k - 1 is extended by one factor, which gives the same float32 value as the
// product recomputed from the start.
float evaluateCandidate(CalculationState& s, int t, int k, bool carryRunProb) {
  const int n = s.n;
  const int nPlusTr = n + t * s.r;

  if (!carryRunProb) {
    s.runProb[t] = toFloat32(f64(n) / f64(nPlusTr));
    for (int m = 2; m <= k; ++m) {
      const double product = f64(n - m + 1) * static_cast<double>(s.runProb[t]);
      s.runProb[t] = toFloat32(product / f64(nPlusTr - m + 1));
    }
  } else {
    const double product = f64(n - k + 1) * static_cast<double>(s.runProb[t]);
    s.runProb[t] = toFloat32(product / f64(nPlusTr - k + 1));
  }

  if (!(s.runProb[t] >= std::numeric_limits<float>::min())) return soundCfp(s, t, k);

  s.poolSize[t] = static_cast<std::int16_t>(nPlusTr - k);
  buildCoefficientRow(s, t, k);

  const double* const table = s.countProbData.data();
  s.countSum[t] = 0.0f;
  for (int m = 1; m <= s.countLimit[t]; ++m) {
    s.countSum[t] = toFloat32(static_cast<double>(s.countSum[t]) + table[(m - 1) * 4]);
  }

  if (!std::isfinite(s.countSum[t])) return soundCfp(s, t, k);

  const float P = toFloat32(static_cast<double>(s.runProb[t]) * static_cast<double>(s.countSum[t]));
  return toFloat32(1.0 - static_cast<double>(P));
}

}  // namespace

void ReferenceWalkSeam::walkEveryCandidate(CalculationCore& core, int t) {
  CalculationState& s = core.state();
  const int n = s.n;
  const int j = s.j;
  const int start = s.optRank[t - 1];

  for (int k = start; k <= n; ++k) {
    s.rankIdx = static_cast<std::int16_t>(k);
    s.optRank[t] = static_cast<std::int16_t>(k);
    s.countSum[t] = 0.0f;
    const float cfpCur = evaluateCandidate(s, t, k, k > start);
    s.cfpCur[t] = cfpCur;
    // Every candidate's CFP is a number (the sound evaluation takes over where float32
    // cannot give one), so each test below decides by its comparison alone.
    VELMORA_ASSERT(std::isfinite(cfpCur));

    if (cfpCur > s.dcfp && k == 1) {  // the background maximum fails
      s.cfp[t][2] = cfpCur;
      s.dcfpStatus[t] = kStatusExceeded;
      break;
    }
    if (cfpCur <= s.dcfp && k == n) {  // every rank up to n passes
      s.cfp[t][2] = cfpCur;
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
    if (k < j + 1 && cfpCur <= s.dcfp) s.cfp[t][1] = cfpCur;
    if (cfpCur > s.dcfp) {  // rank k fails: keep k - 1
      if (k == start) {
        // The starting rank passed the previous scheme but fails this one. In exact
        // arithmetic it cannot (a retest scheme's CFP is the smaller one); in float32 it
        // can, at DCFPs too small for float32 to resolve below 1 (about 1e-8). No rank
        // of this walk has passed, so cfp(t, 1) would still hold a value from an earlier
        // run: the rank kept, k - 1, is evaluated instead, so that the CFP shown is its own.
        s.cfp[t][1] = evaluateCandidate(s, t, k - 1, false);
      }
      s.cfp[t][2] = s.cfp[t][1];
      s.optRank[t] = static_cast<std::int16_t>(k - 1);
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
    if (k == j) {  // rank j passes and is the minimum allowable rank
      s.cfp[t][2] = s.cfp[t][1];
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
  }
  s.limitPercentile[t] = toFloat32((f64(n - s.optRank[t]) + 0.5) / f64(n));
}

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#include "candidate_evaluation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "velmora/engine/detail/contract.h"

#include "first_false_positive_batch.h"
#include "rounding_points.h"
#include "row_pool.h"

namespace velmora::retest {

using steps::f64;
using steps::toFloat32;

std::vector<float> runProbabilities(int t, int n, int r) {
  const int nPlusTr = n + t * r;
  std::vector<float> runProb(static_cast<std::size_t>(n) + 1, 0.0f);
  runProb[1] = toFloat32(f64(n) / f64(nPlusTr));
  for (int k = 2; k <= n; ++k) {
    const double product = f64(n - k + 1) * static_cast<double>(runProb[static_cast<std::size_t>(k - 1)]);
    runProb[static_cast<std::size_t>(k)] = toFloat32(product / f64(nPlusTr - k + 1));
  }
  return runProb;
}

// Where the float32 arithmetic of a candidate has left its range its CFP is not a number
// the search can use: a running probability below the smallest normal float32 has lost
// significant bits with every factor (it sticks at the smallest subnormal while the
// factors exceed one half, or reaches 0), and a coefficient sum beyond the float32 range
// is infinite. Both happen together at high ranks of large designs, where the running
// probability falls far below 1e-38 (and below 1e-308) while the coefficients grow as its
// reciprocal. Such a candidate's CFP is then summed directly as the probabilities of the
// first false positive (first_false_positive.h, firstFalsePositiveSum64), whose terms are
// all probabilities: in float64 its relative error stays below 1.5e-11, so the float32
// CFP below is the exact CFP correctly rounded or one float32 step from it, and always in
// [0, 1]. Wherever the running probability is a normal float32 and the sum finite, the
// search's own arithmetic gives the CFP, digit for digit.
float soundCfp(int n, int r, int t, int k, double& sum) {
  sum = firstFalsePositiveSum64(n, r, t, k);
  VELMORA_ASSERT(sum >= 0.0 && sum <= 1.0 + 1e-9);
  return toFloat32(std::min(sum, 1.0));
}

Evaluation evaluateDesign(int t, int n, int r, int k, float runProb) {
  Evaluation e;
  e.k = k;
  e.runProb = runProb;
  if (!(runProb >= std::numeric_limits<float>::min())) {
    e.cfp = soundCfp(n, r, t, k, e.soundSum);
    return e;
  }
  auto row = pooledRow();
  rows::buildRow(t, n, r, k, rows::RowMode::design, *row);
  e.built = true;
  e.countSum = rows::rowSum(*row);
  e.row = std::move(row);
  if (!std::isfinite(e.countSum)) {
    e.cfp = soundCfp(n, r, t, k, e.soundSum);
    return e;
  }
  const float P = toFloat32(static_cast<double>(runProb) * static_cast<double>(e.countSum));
  e.cfp = toFloat32(1.0 - static_cast<double>(P));
  return e;
}

void commit(CalculationState& s, int t, const Evaluation& e) {
  s.runProb[t] = e.runProb;
  if (!e.built) return;
  const rows::CoefficientRow& row = *e.row;
  s.poolSize[t] = static_cast<std::int16_t>(row.poolSize);
  rows::writeTable(row, s.countProbData.data());
  if (row.r >= 2) {
    s.innerLow[t] = static_cast<std::int16_t>(t + (t - 1) * (row.r - 2));
    s.innerHigh[t] = static_cast<std::int16_t>(t + (t - 1) * (row.r - 1));
  }
  s.countSum[t] = e.countSum;
}

double candidateCost(int t, int r) { return 0.5 * f64(t - 1) * f64(t - 1) * f64(r) * f64(r) + f64(r); }

}  // namespace velmora::retest

// SPDX-License-Identifier: GPL-3.0-or-later
// The curves behind the results: the CFP by rank and the power by shift of every scheme.
#include "velmora/analysis/curves.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/exact_power.h"

namespace velmora::analysis {
namespace {

// The seconds one rank of scheme 1:t with r comparisons costs, roughly: the design's
// coefficient row, about (t - 1)^2 r^2 / 2 float64 operations, and the exact CFP's sum
// over the first false positive, about (t^2 - 1) r^2 / 2 extended-precision ones. The
// factors are this machine's order of magnitude (bench/curves_bench.cpp); the estimate
// only decides how many ranks a costly curve samples.
double RankSeconds(int t, int r) {
  const double rr = static_cast<double>(r) * static_cast<double>(r);
  const double tt = static_cast<double>(t);
  const double designOperations = 0.5 * (tt - 1.0) * (tt - 1.0) * rr + static_cast<double>(r);
  const double exactOperations = 0.5 * (tt * tt - 1.0) * rr + static_cast<double>(r);
  return 1e-9 * designOperations + 3e-9 * exactOperations;
}

int LargestChosenRank(const Results& results) {
  int largest = 1;
  for (const SchemeResult& scheme : results.schemes) largest = std::max(largest, scheme.rank);
  return largest;
}

int LastRank(const Results& results) {
  return std::min(results.inputs.n, LargestChosenRank(results) + kCurveRanksPastChosen);
}

int JBound(const Results& results) { return std::min(results.inputs.j, results.inputs.n); }

}  // namespace

std::vector<double> CurveShifts() {
  std::vector<double> shifts;
  shifts.reserve(kCurveShiftCount);
  for (int i = 0; i < kCurveShiftCount; ++i) shifts.push_back(kCurveShiftStep * static_cast<double>(i));
  return shifts;
}

std::vector<int> CurveRanks(const Results& results, int t) {
  const int last = LastRank(results);
  // Evenly spaced ranks: every rank when all of them fit in the count and the time.
  const double budgeted = std::floor(kCurveSecondsPerScheme / RankSeconds(t, results.inputs.r));
  const int spaced = static_cast<int>(std::clamp(budgeted, 2.0, static_cast<double>(kCurveAllRanksUpTo)));
  std::vector<int> ranks;
  if (last <= spaced) {
    for (int k = 1; k <= last; ++k) ranks.push_back(k);
    return ranks;
  }
  for (int i = 0; i < spaced; ++i) {
    const double at = 1.0 + static_cast<double>(last - 1) * static_cast<double>(i) / static_cast<double>(spaced - 1);
    ranks.push_back(static_cast<int>(std::lround(at)));
  }
  const auto keepWithNeighbours = [&](int k) {
    for (int m = k - 1; m <= k + 1; ++m) {
      if (m >= 1 && m <= last) ranks.push_back(m);
    }
  };
  for (const SchemeResult& scheme : results.schemes) keepWithNeighbours(scheme.rank);
  keepWithNeighbours(JBound(results));
  std::sort(ranks.begin(), ranks.end());
  ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
  return ranks;
}

CalculationCurves ComputeCurves(const Results& results) {
  CalculationCurves curves;
  const int n = results.inputs.n;
  const int r = results.inputs.r;
  curves.n = n;
  curves.r = r;
  curves.j = results.inputs.j;
  curves.dcfp = static_cast<double>(results.inputs.dcfp);
  curves.jBound = JBound(results);
  curves.lastRank = LastRank(results);

  const std::vector<double> shifts = CurveShifts();
  std::vector<double> reference;
  reference.reserve(shifts.size());
  for (const double shift : shifts) reference.push_back(ReferencePower(shift));

  for (const SchemeResult& result : results.schemes) {
    const int t = result.test;
    SchemeCurves& scheme = curves.schemes[static_cast<std::size_t>(t - 1)];
    scheme.test = t;
    scheme.rank = result.rank;
    scheme.exceeded = result.exceeded;

    const std::vector<int> ranks = CurveRanks(results, t);
    scheme.sampled = static_cast<int>(ranks.size()) < curves.lastRank;
    const std::vector<float> design = Calculation::DesignCfps(n, r, t, ranks);
    scheme.cfp.reserve(ranks.size());
    for (std::size_t i = 0; i < ranks.size(); ++i) {
      const int k = ranks[i];
      scheme.cfp.push_back({k, static_cast<double>(design[i]), static_cast<double>(ExactCfp(n, r, t, k)),
                            k == result.rank, k == curves.jBound});
    }

    scheme.power.reserve(shifts.size());
    for (std::size_t i = 0; i < shifts.size(); ++i) {
      const double shift = shifts[i];
      scheme.power.push_back({shift, static_cast<double>(Calculation::DesignPower(n, result.percentile, t, shift)),
                              ExactPower(n, result.rank, t, shift), reference[i]});
    }
  }
  return curves;
}

}  // namespace velmora::analysis

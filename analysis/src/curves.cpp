// SPDX-License-Identifier: GPL-3.0-or-later
// The curves behind the results: the CFP by rank and the power by shift of every scheme.
#include "velmora/analysis/curves.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <set>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/exact_power.h"
#include "velmora/engine/design_arithmetic.h"
#include "velmora/engine/parallel.h"

namespace velmora::analysis {
namespace {

// The seconds one rank of scheme 1:t with r comparisons costs, roughly: the design's
// coefficient row, about (t - 1)^2 r^2 / 2 float64 operations, and the exact CFP's sum
// over the first false positive, about (t^2 - 1) r^2 / 2 extended-precision ones. The
// factors are measured on a two-core machine, with room to spare (bench/curves_bench.cpp);
// the estimate only decides how many ranks a costly curve samples.
double rankSeconds(int t, int r) {
  const double rr = static_cast<double>(r) * static_cast<double>(r);
  const double tt = static_cast<double>(t);
  const double designOperations = 0.5 * (tt - 1.0) * (tt - 1.0) * rr + static_cast<double>(r);
  const double exactOperations = 0.5 * (tt * tt - 1.0) * rr + static_cast<double>(r);
  return 2e-9 * designOperations + 1e-8 * exactOperations;
}

// The exact CFPs of `ranks`, side by side on the processor's cores where they are costly.
// The sizes are checked first, so that no rank is refused on a worker.
Expected<std::vector<long double>> exactCfps(int n, int r, int t, const std::vector<int>& ranks) {
  for (const int k : ranks) {
    if (!inExactCfpDomain(n, r, t, k)) return fail(fastExactCfp(n, r, t, k).error());
  }
  std::vector<long double> cfps(ranks.size());
  const bool costly = rankSeconds(t, r) * static_cast<double>(ranks.size()) > 0.02;
  parallelFor(ranks.size(), [&](std::size_t i) { cfps[i] = fastExactCfp(n, r, t, ranks[i]).value(); }, costly ? 0 : 1);
  return cfps;
}

int largestChosenRank(const Results& results) {
  int largest = 1;
  for (const SchemeResult& scheme : results.schemes) largest = std::max(largest, scheme.rank);
  return largest;
}

int lastRank(const Results& results) {
  return std::min(results.inputs.n, largestChosenRank(results) + kCurveRanksPastChosen);
}

int jBound(const Results& results) { return std::min(results.inputs.j, results.inputs.n); }

}  // namespace

std::vector<double> curveShifts() {
  std::vector<double> shifts;
  shifts.reserve(kCurveShiftCount);
  for (int i = 0; i < kCurveShiftCount; ++i) shifts.push_back(kCurveShiftStep * static_cast<double>(i));
  return shifts;
}

std::vector<int> curveRanks(const Results& results, int t) {
  const int last = lastRank(results);
  // How many ranks the time allows: every rank when all of them fit in it and in the count.
  const double affordable = std::floor(kCurveSecondsPerScheme / rankSeconds(t, results.inputs.r));
  const int budget = static_cast<int>(std::min(affordable, 1e6));
  std::vector<int> ranks;
  if (last <= std::min(budget, kCurveAllRanksUpTo)) {
    for (int k = 1; k <= last; ++k) ranks.push_back(k);
    return ranks;
  }
  std::set<int> chosen;
  const auto addWithNeighbours = [&](std::vector<int>& to, int k) {
    for (int m = k - 1; m <= k + 1; ++m) {
      if (m >= 1 && m <= last) to.push_back(m);
    }
  };
  // The scheme's own chosen rank and its neighbours, whatever they cost.
  std::vector<int> own;
  addWithNeighbours(own, results.schemes[static_cast<std::size_t>(t - 1)].rank);
  chosen.insert(own.begin(), own.end());
  // Then, while the time allows, the other schemes' chosen ranks, the j bound (each with
  // its neighbours) and the ends, and last the evenly spaced ranks.
  std::vector<int> marks;
  for (const SchemeResult& scheme : results.schemes) addWithNeighbours(marks, scheme.rank);
  addWithNeighbours(marks, jBound(results));
  marks.push_back(1);
  marks.push_back(last);
  int room = budget - static_cast<int>(chosen.size());
  for (const int k : marks) {
    if (room <= 0) break;
    if (chosen.insert(k).second) --room;
  }
  const int spaced = std::min(room, kCurveAllRanksUpTo);
  for (int i = 0; spaced >= 2 && i < spaced; ++i) {
    const double at = 1.0 + static_cast<double>(last - 1) * static_cast<double>(i) / static_cast<double>(spaced - 1);
    chosen.insert(static_cast<int>(std::lround(at)));
  }
  return {chosen.begin(), chosen.end()};
}

Expected<CalculationCurves> computeCurves(const Results& results) {
  CalculationCurves curves;
  const int n = results.inputs.n;
  const int r = results.inputs.r;
  curves.n = n;
  curves.r = r;
  curves.j = results.inputs.j;
  curves.dcfp = static_cast<double>(results.inputs.dcfp);
  curves.jBound = jBound(results);
  curves.lastRank = lastRank(results);

  const std::vector<double> shifts = curveShifts();
  std::vector<double> reference;
  reference.reserve(shifts.size());
  for (const double shift : shifts) {
    const Expected<double> power = referencePower(shift);
    if (!power) return fail(power.error());
    reference.push_back(*power);
  }

  for (const SchemeResult& result : results.schemes) {
    const int t = result.test;
    SchemeCurves& scheme = curves.schemes[static_cast<std::size_t>(t - 1)];
    scheme.test = t;
    scheme.rank = result.rank;
    scheme.exceeded = result.exceeded;

    const std::vector<int> ranks = curveRanks(results, t);
    scheme.sampled = static_cast<int>(ranks.size()) < curves.lastRank;
    const Expected<std::vector<float>> design = designCfps(n, r, t, ranks);
    if (!design) return fail(design.error());
    const Expected<std::vector<long double>> exact = exactCfps(n, r, t, ranks);
    if (!exact) return fail(exact.error());
    scheme.cfp.reserve(ranks.size());
    for (std::size_t i = 0; i < ranks.size(); ++i) {
      const int k = ranks[i];
      scheme.cfp.push_back({k, static_cast<double>((*design)[i]), static_cast<double>((*exact)[i]),
                            k == result.rank, k == curves.jBound});
    }

    scheme.power.reserve(shifts.size());
    for (std::size_t i = 0; i < shifts.size(); ++i) {
      const double shift = shifts[i];
      const Expected<float> designed = designPower(n, result.percentile, t, shift);
      if (!designed) return fail(designed.error());
      const Expected<double> power = exactPower(n, result.rank, t, shift);
      if (!power) return fail(power.error());
      scheme.power.push_back({shift, static_cast<double>(*designed), *power, reference[i]});
    }
  }
  return curves;
}

}  // namespace velmora::analysis

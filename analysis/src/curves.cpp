// SPDX-License-Identifier: GPL-3.0-or-later
// The curves behind the results: the CFP by rank and the power by shift of every scheme.
#include "velmora/analysis/curves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <numeric>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/exact_power.h"
#include "velmora/analysis/strategy_arithmetic.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/engine/design_arithmetic.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/parallel.h"
#include "moment_sums.h"
#include "rank_powers.h"

namespace velmora::analysis {
namespace {

// The seconds one rank of scheme 1:t with r comparisons costs, roughly, on a two-core machine
// of this project's (bench/curves_bench.cpp, processor time), with room to spare: the
// design's coefficient row, about (t - 1)^2 r^2 / 2 float64 operations at some 0.08 ns each
// on the vector unit, and a few microseconds whatever its size; and FastExactCfp: the sum
// over the first false positive, about (t^2 - 1) r^2 / 2 extended-precision operations of
// some 1e-8 s each (for 1:1 about r steps of 2.5e-8 s), where that is cheap, otherwise the
// quadrature, under 1e-4 s at any size. The estimate only decides how many ranks a costly
// curve samples.
double designSeconds(int t, int r) {
  const double rr = static_cast<double>(r) * static_cast<double>(r);
  const double tt = static_cast<double>(t);
  return 1e-10 * (0.5 * (tt - 1.0) * (tt - 1.0) * rr + static_cast<double>(r)) + 2e-6;
}
double exactSeconds(int t, int r) {
  if (t == 1) return 2.5e-8 * static_cast<double>(r) + 2e-6;
  const double rr = static_cast<double>(r) * static_cast<double>(r);
  const double tt = static_cast<double>(t);
  return std::min(1e-8 * (0.5 * (tt * tt - 1.0) * rr + static_cast<double>(r)), 1e-4);
}
double rankSeconds(int t, int r) { return designSeconds(t, r) + exactSeconds(t, r); }

// The design's float32 CFPs computed for the latest sizes, by scheme and rank. The window asks
// the rows of every rank and then the charts, whose ranks are among them, and a strategy's
// curves ask a scheme's rows again; each value is a function of n, r, t and k alone (the
// engine's arithmetic, bit for bit), so it is computed once and handed to whoever asks. The
// rows and the charts may be computed on different threads: one lock guards the table, never
// held while the engine computes.
class DesignCfpMemo {
 public:
  Expected<std::vector<float>> cfps(int n, int r, int t, const std::vector<int>& ranks,
                                    const std::vector<std::optional<CfpEstimate>>& estimates) {
    std::vector<float> out(ranks.size(), 0.0f);
    std::vector<int> missing;
    std::vector<std::size_t> missingAt;
    std::vector<std::optional<CfpEstimate>> missingEstimates;
    {
      const std::lock_guard<std::mutex> lock(m_mutex);
      const Known& known = table(n, r, t);
      for (std::size_t i = 0; i < ranks.size(); ++i) {
        const int k = ranks[i];
        if (k >= 1 && k <= n && known.done[static_cast<std::size_t>(k)] != 0) {
          out[i] = known.cfp[static_cast<std::size_t>(k)];
        } else {
          missing.push_back(k);
          missingAt.push_back(i);
          if (!estimates.empty()) missingEstimates.push_back(estimates[i]);
        }
      }
    }
    if (missing.empty()) return out;
    // Refused here as designCfps refuses, whatever is known.
    const Expected<std::vector<float>> computed = designCfps(n, r, t, missing, missingEstimates);
    if (!computed) return fail(computed.error());
    const std::lock_guard<std::mutex> lock(m_mutex);
    Known& known = table(n, r, t);
    for (std::size_t j = 0; j < missing.size(); ++j) {
      out[missingAt[j]] = (*computed)[j];
      known.cfp[static_cast<std::size_t>(missing[j])] = (*computed)[j];
      known.done[static_cast<std::size_t>(missing[j])] = 1;
    }
    return out;
  }

 private:
  struct Known {
    std::vector<float> cfp;   // by rank, 1 .. n
    std::vector<char> done;  // whether cfp[k] is computed
  };
  // The table of scheme 1:t for these sizes, emptied when the sizes change (the lock held).
  Known& table(int n, int r, int t) {
    if (n != m_n || r != m_r) {
      m_n = n;
      m_r = r;
      for (Known& known : m_known) {
        known.cfp.assign(static_cast<std::size_t>(n) + 1, 0.0f);
        known.done.assign(static_cast<std::size_t>(n) + 1, 0);
      }
    }
    return m_known[static_cast<std::size_t>(t - 1)];
  }

  std::mutex m_mutex;
  int m_n = 0;
  int m_r = 0;
  std::array<Known, kSchemeCount> m_known;
};

// The design's CFPs of `ranks`, helped by the exact CFPs where they are known (`exact`, as
// many as ranks, or none): designCfps then forms the costly sum of a candidate beyond the
// float32 range only where the exact CFP leaves its float32 rounding in doubt.
Expected<std::vector<float>> knownDesignCfps(int n, int r, int t, const std::vector<int>& ranks,
                                             const std::vector<CfpEstimate>& exact = {}) {
  std::vector<std::optional<CfpEstimate>> estimates;
  if (exact.size() == ranks.size()) estimates.assign(exact.begin(), exact.end());
  // Sizes outside the domain are refused as the engine refuses them, before any table is sized.
  if (t < 1 || t > kSchemeCount || n < 2 || r < 1 || static_cast<long>(n) + 4L * r > kMaxBackgroundPlusFourComparisons) {
    return designCfps(n, r, t, ranks);
  }
  static DesignCfpMemo memo;
  return memo.cfps(n, r, t, ranks, estimates);
}

// The exact CFPs of `ranks`, with their error bounds, side by side on the processor's cores
// where they are costly. The sizes are checked first, so that no rank is refused on a worker.
Expected<std::vector<BoundedCfp>> exactCfps(int n, int r, int t, const std::vector<int>& ranks) {
  for (const int k : ranks) {
    if (!inExactCfpDomain(n, r, t, k)) return fail(fastExactCfp(n, r, t, k).error());
  }
  std::vector<BoundedCfp> cfps(ranks.size());
  const bool costly = rankSeconds(t, r) * static_cast<double>(ranks.size()) > 0.02;
  parallelFor(ranks.size(), [&](std::size_t i) { cfps[i] = fastExactCfpWithBound(n, r, t, ranks[i]).value(); }, costly ? 0 : 1);
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
  const int r = results.inputs.r;
  // Every rank while the schemes up to this one, every rank of each, fit in the time.
  double everyRankCost = 0.0;
  for (int u = 1; u <= t; ++u) everyRankCost += static_cast<double>(last) * rankSeconds(u, r);
  std::vector<int> ranks;
  if (everyRankCost <= kCurveEveryRankSeconds) {
    ranks.resize(static_cast<std::size_t>(last));
    std::iota(ranks.begin(), ranks.end(), 1);
    return ranks;
  }
  std::set<int> sample;
  const auto add = [&](int k) {
    if (k >= 1 && k <= last) sample.insert(k);
  };
  // The least sample, whatever it costs: where this scheme crosses the DCFP, and both ends.
  const int own = results.schemes[static_cast<std::size_t>(t - 1)].rank;
  for (int k = own - 1; k <= own + 1; ++k) add(k);
  add(1);
  add(last);
  // Then, while the time allows, every marked rank, and in turn an even grid of twice as
  // many ranks and one step farther around each marked rank, until the time is spent or
  // every rank is in.
  const double affordable = std::floor(kCurveSampleSeconds / rankSeconds(t, r));
  const std::size_t budget = static_cast<std::size_t>(std::min(affordable, static_cast<double>(last)));
  std::vector<int> centres{own};
  for (const SchemeResult& scheme : results.schemes) centres.push_back(scheme.rank);
  centres.push_back(jBound(results));
  const auto full = [&] { return sample.size() >= budget; };
  for (int step = 0, intervals = 1; !full() && static_cast<int>(sample.size()) < last; ++step, intervals *= 2) {
    for (int i = 1; i < intervals && !full(); ++i) {
      add(1 + static_cast<int>(std::lround(static_cast<double>(last - 1) * static_cast<double>(i) /
                                           static_cast<double>(intervals))));
    }
    for (const int centre : centres) {
      for (const int k : {centre - step, centre + step}) {
        if (!full()) add(k);
      }
    }
  }
  return {sample.begin(), sample.end()};
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
    const Expected<std::vector<BoundedCfp>> exact = exactCfps(n, r, t, ranks);
    if (!exact) return fail(exact.error());
    std::vector<CfpEstimate> estimates;
    estimates.reserve(exact->size());
    for (const BoundedCfp& cfp : *exact) {
      estimates.push_back({static_cast<double>(cfp.value), static_cast<double>(cfp.relativeError)});
    }
    const Expected<std::vector<float>> design = knownDesignCfps(n, r, t, ranks, estimates);
    if (!design) return fail(design.error());
    scheme.cfp.reserve(ranks.size());
    for (std::size_t i = 0; i < ranks.size(); ++i) {
      const int k = ranks[i];
      scheme.cfp.push_back({k, static_cast<double>((*design)[i]), static_cast<double>((*exact)[i].value),
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

namespace {

// The seconds one row of scheme 1:t costs, roughly: the design's CFP (as rankSeconds counts
// it) and the exact values: a CFP and its decision (a sum of Beta moments, some 1e-5 s, where
// D r <= 1000, else the quadrature, 1e-4 s) and three powers (from the grid of every rank,
// some 1e-5 s, for backgrounds of 256 or more, else 3e-4 s). It only sizes the chunks between
// which progress is told and a stop is heard, and weighs the rows against the other parts.
double rowSeconds(int t, int n, int r) {
  const double cfp = static_cast<long>(t) * r <= detail::kMomentDegreeLimit ? 1e-5 : 1e-4;
  const double powers = n >= 256 ? 1e-5 : 3e-4;
  return designSeconds(t, r) + cfp + powers;
}

// A quarter of a second of work between two reports, at least one row per core.
constexpr double kSecondsPerChunk = 0.25;
constexpr int kMostRowsPerChunk = 512;

// The exact values of one row; the powers from `grid` where it has them.
// `estimate` receives the exact CFP with its error bound.
Expected<void> fillExact(const StrategyArithmetic& arithmetic, const detail::RankPowers* grid, const DcfpFraction& dcfp,
                         int n, int r, RankRow& row, CfpEstimate& estimate) {
  const Expected<ExactProbability> cfp = arithmetic.cfp(n, r, row.rank);
  if (!cfp) return fail(cfp.error());
  estimate = {cfp->value, cfp->relativeError};
  const Expected<CfpDecision> decision = arithmetic.meets(dcfp, n, r, row.rank, *cfp);
  if (!decision) return fail(decision.error());
  row.exactCfp = cfp->value;
  row.meets = decision->meets;
  const std::optional<std::vector<double>> known = grid != nullptr ? grid->at(row.rank) : std::nullopt;
  for (std::size_t i = 0; i < kDesignShifts.size(); ++i) {
    if (known) {
      row.power[i] = (*known)[i];
      continue;
    }
    const Expected<double> power = arithmetic.power(n, row.rank, kDesignShifts[i]);
    if (!power) return fail(power.error());
    row.power[i] = *power;
  }
  row.rating = ratePowers(row.power[1], row.power[2]);
  return {};
}

// Ranks 1 to lastRank of one strategy, a chunk at a time: the exact values of its ranks side
// by side, then the design's CFPs of the chunk (a scheme of the calculator only), which the
// exact CFPs help.
Expected<std::optional<std::vector<RankRow>>> rankRows(const Strategy& strategy, const DcfpFraction& dcfp, int n, int r,
                                                      int lastRank, int chosenRank, int jBoundRank,
                                                      const RankProgress& progress) {
  const StrategyArithmetic arithmetic(strategy);
  const std::optional<int> scheme = strategy.scheme();
  // Thousands of ranks take their powers from one grid (rank_powers.h).
  std::optional<detail::RankPowers> grid;
  if (n <= kInt16Max && detail::RankPowers::worthwhile(n, lastRank)) {
    grid.emplace(arithmetic.polynomial(), n, std::vector<double>(kDesignShifts.begin(), kDesignShifts.end()));
  }
  std::vector<RankRow> rows(static_cast<std::size_t>(std::max(lastRank, 0)));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    RankRow& row = rows[i];
    row.rank = static_cast<int>(i) + 1;
    row.chosen = row.rank == chosenRank;
    row.jBound = row.rank == jBoundRank;
  }
  if (progress && !progress(0, lastRank)) return std::nullopt;
  const double perRow = rowSeconds(scheme.value_or(kSchemeCount), n, r);
  const int chunk = std::clamp(static_cast<int>(kSecondsPerChunk / perRow), parallelWidth(), kMostRowsPerChunk);
  for (int done = 0; done < lastRank;) {
    const int size = std::min(chunk, lastRank - done);
    std::vector<int> ranks(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) ranks[static_cast<std::size_t>(i)] = done + i + 1;
    std::vector<std::optional<Problem>> problems(ranks.size());
    std::vector<CfpEstimate> exact(ranks.size());
    parallelFor(ranks.size(), [&](std::size_t i) {
      Expected<void> filled =
          fillExact(arithmetic, grid ? &*grid : nullptr, dcfp, n, r, rows[static_cast<std::size_t>(done) + i], exact[i]);
      if (!filled) problems[i] = std::move(filled.error());
    });
    for (std::optional<Problem>& problem : problems) {
      if (problem) return fail(std::move(*problem));
    }
    if (scheme) {
      const Expected<std::vector<float>> design = knownDesignCfps(n, r, *scheme, ranks, exact);
      if (!design) return fail(design.error());
      for (std::size_t i = 0; i < ranks.size(); ++i) {
        rows[static_cast<std::size_t>(done) + i].designCfp = static_cast<double>((*design)[i]);
      }
    }
    done += size;
    if (progress && !progress(done, lastRank)) return std::nullopt;
  }
  return rows;
}

std::string rankText(int rank) { return std::to_string(rank); }

std::string schemeName(int t) { return "1:" + std::to_string(t); }

}  // namespace

std::array<std::string, kRankRowColumns.size()> rankRowTexts(const RankRow& row) {
  // Nine digits tell every float32 apart; the exact values carry ten.
  const auto exact = [](double value) { return formatSignificant(value, 10); };
  return {rankText(row.rank),
          row.designCfp ? formatSignificant(*row.designCfp, 9) : std::string(),
          exact(row.exactCfp),
          row.meets ? "true" : "false",
          exact(row.power[0]),
          exact(row.power[1]),
          exact(row.power[2]),
          ratingCaption(row.rating)};
}

int rankRowCount(const Results& results) { return lastRank(results); }

AnalysisCost estimatedCost(const Results& results, int t) {
  // The audit's few exact CFPs (a search of about four ranks), the curves' own ranks and the
  // rows; a hundredth of a second at least for each, so that no part weighs nothing.
  const int r = results.inputs.r;
  AnalysisCost cost;
  cost.audit = 0.01 + 4.0 * rankSeconds(t, r);
  cost.curves = 0.01 + static_cast<double>(curveRanks(results, t).size()) * rankSeconds(t, r);
  cost.rows = 0.01 + static_cast<double>(lastRank(results)) * rowSeconds(t, results.inputs.n, r);
  return cost;
}

Expected<std::optional<RankRows>> schemeRankRows(const Results& results, std::string_view dcfpText, int t,
                                                 const RankProgress& progress) {
  if (t < 1 || t > kSchemeCount) return fail(ProblemKind::refusedRequest, "the test must be one of 1:1 to 1:4");
  const Expected<DcfpFraction> dcfp = DcfpFraction::read(dcfpText);
  if (!dcfp) return fail(dcfp.error());
  const SchemeResult& result = results.schemes[static_cast<std::size_t>(t - 1)];
  const Expected<Strategy> strategy = parseStrategy("1-of-" + std::to_string(t));
  if (!strategy) return fail(strategy.error());
  Expected<std::optional<std::vector<RankRow>>> rows = rankRows(
      *strategy, *dcfp, results.inputs.n, results.inputs.r, lastRank(results), result.rank, jBound(results), progress);
  if (!rows) return fail(std::move(rows.error()));
  if (!*rows) return std::nullopt;
  RankRows out;
  out.rule = strategy->canonicalName();
  out.test = schemeName(t);
  out.rank = result.rank;
  out.exceeded = result.exceeded;
  out.rows = std::move(**rows);
  return out;
}

Expected<std::vector<PowerCurvePoint>> powerCurve(const Results& results, int t) {
  if (t < 1 || t > kSchemeCount) return fail(ProblemKind::refusedRequest, "the test must be one of 1:1 to 1:4");
  const SchemeResult& result = results.schemes[static_cast<std::size_t>(t - 1)];
  std::vector<PowerCurvePoint> points;
  for (const double shift : curveShifts()) {
    const Expected<float> designed = designPower(results.inputs.n, result.percentile, t, shift);
    if (!designed) return fail(designed.error());
    const Expected<double> power = exactPower(results.inputs.n, result.rank, t, shift);
    if (!power) return fail(power.error());
    const Expected<double> reference = referencePower(shift);
    if (!reference) return fail(reference.error());
    points.push_back({shift, static_cast<double>(*designed), *power, *reference});
  }
  return points;
}

Expected<RuleCurves> computeRuleCurves(const Strategy& strategy, std::string_view dcfpText, int n, int r, int j) {
  const Expected<DcfpFraction> dcfp = DcfpFraction::read(dcfpText);
  if (!dcfp) return fail(dcfp.error());
  const Expected<StrategyRow> design = designStrategy(strategy, *dcfp, n, r, j);
  if (!design) return fail(design.error());
  RuleCurves curves;
  curves.n = n;
  curves.r = r;
  curves.j = j;
  curves.jBound = std::min(j, n);
  curves.lastRank = std::min(n, design->rank + kCurveRanksPastChosen);
  curves.ranks.rule = design->rule;
  const std::optional<int> scheme = strategy.scheme();
  curves.ranks.test = scheme ? schemeName(*scheme) : design->rule;
  curves.ranks.rank = design->rank;
  curves.ranks.exceeded = design->exceeded;
  Expected<std::optional<std::vector<RankRow>>> rows =
      rankRows(strategy, *dcfp, n, r, curves.lastRank, design->rank, curves.jBound, {});
  if (!rows) return fail(std::move(rows.error()));
  curves.ranks.rows = std::move(**rows);  // nothing stops it

  const StrategyArithmetic arithmetic(strategy);
  for (const double shift : curveShifts()) {
    const Expected<double> power = arithmetic.power(n, design->rank, shift);
    if (!power) return fail(power.error());
    const Expected<double> reference = referencePower(shift);
    if (!reference) return fail(reference.error());
    curves.power.push_back({shift, *power, *reference});
  }
  return curves;
}

}  // namespace velmora::analysis

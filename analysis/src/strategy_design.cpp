// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/strategy_design.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/monotone_search.h"
#include "velmora/analysis/strategy_arithmetic.h"
#include "velmora/analysis/strategy_polynomial.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"
#include "request_values.h"

namespace velmora::analysis {
namespace {

using detail::refused;

// Exact decisions of one strategy against the DCFP, each made once.
class Probe {
 public:
  Probe(const StrategyArithmetic& arithmetic, const DcfpFraction& dcfp) : m_arithmetic(arithmetic), m_dcfp(dcfp) {}

  bool meets(int n, int r, int k) {
    const auto key = std::make_pair(n, k);
    if (const auto found = m_cache.find(key); found != m_cache.end()) return found->second;
    const Expected<CfpDecision> decision = m_arithmetic.meets(m_dcfp, n, r, k);
    const bool result = decision.has_value() && decision->meets;  // sizes are checked before
    m_cache.emplace(key, result);
    return result;
  }
  int evaluations() const { return static_cast<int>(m_cache.size()); }

 private:
  const StrategyArithmetic& m_arithmetic;
  const DcfpFraction& m_dcfp;
  std::map<std::pair<int, int>, bool> m_cache;
};

// A cheap estimate of CFP(k), 1 - g(W)^r at W = k / (n + 1), the mean of W: it only places the
// exact search's first step.
double estimatedCfp(const StrategyPolynomial& polynomial, int n, int r, int k) {
  const double w = static_cast<double>(k) / static_cast<double>(n + 1);
  double f = 0.0;
  for (int j = 0; j <= polynomial.degree; ++j) {
    const double c = polynomial.fail[static_cast<std::size_t>(j)].convert_to<double>();
    if (c > 0.0) f += c * std::pow(w, j) * std::pow(1.0 - w, polynomial.degree - j);
  }
  return -std::expm1(static_cast<double>(r) * std::log1p(-std::min(f, 1.0)));
}

int estimatedRank(const StrategyPolynomial& polynomial, double dcfp, int n, int r, int maxRank) {
  return lastHolding(1, maxRank, 1, [&](int k) { return estimatedCfp(polynomial, n, r, k) <= dcfp; }).value_or(1);
}

Expected<StrategyRow> describe(const StrategyArithmetic& arithmetic, int n, int r, int k, std::optional<int> shifted) {
  StrategyRow row;
  row.strategy = arithmetic.strategy();
  row.rule = row.strategy.canonicalName();
  row.rank = k;
  const Expected<ExactProbability> cfp = arithmetic.cfp(n, r, k);
  if (!cfp) return fail(cfp.error());
  row.cfp = cfp->value;
  // As the calculation forms the percentile and the results round it (float32 throughout).
  row.percentile = static_cast<float>((static_cast<double>(n - k) + 0.5) / static_cast<double>(n));
  const std::optional<std::int16_t> units = toInt16(static_cast<double>(row.percentile) * 10000.0);
  row.percentileShown = static_cast<float>(static_cast<double>(units.value_or(0)) / 10000.0);
  row.percentileText = formatFixed(static_cast<double>(row.percentileShown), 4);
  const Expected<double> samples = arithmetic.expectedSamples(n, r, k);
  if (!samples) return fail(samples.error());
  row.samples = *samples;
  for (std::size_t i = 0; i < kDesignShifts.size(); ++i) {
    const Expected<double> power = arithmetic.power(n, k, kDesignShifts[i]);
    if (!power) return fail(power.error());
    row.power[i] = *power;
  }
  row.rating = ratePowers(row.power[1], row.power[2]);
  if (shifted) {
    std::array<double, 3> powers{};
    for (std::size_t i = 0; i < kDesignShifts.size(); ++i) {
      const Expected<double> power = arithmetic.power(n, k, kDesignShifts[i], *shifted);
      if (!power) return fail(power.error());
      powers[i] = *power;
    }
    row.powerShifted = powers;
  }
  return row;
}

Expected<void> checkDesign(int n, int r, std::optional<int> shifted) {
  if (n < 2 || r < 1 || static_cast<long>(n) + 4L * r > kMaxBackgroundPlusFourComparisons) {
    return fail(refused("the background size n must be at least 2, r at least 1 and n + 4r at most 32767"));
  }
  if (shifted && (*shifted < 1 || *shifted > r)) {
    return fail(refused("the shifted comparisons must number from 1 to r (" + std::to_string(r) + ")"));
  }
  return {};
}

Expected<StrategyRow> design(const StrategyArithmetic& arithmetic, const DcfpFraction& dcfp, int n, int r, int j,
                             std::optional<int> shifted) {
  if (auto checked = checkDesign(n, r, shifted); !checked) return fail(std::move(checked.error()));
  if (j < 1) return fail(refused("the largest rank j must be at least 1"));
  const int maxRank = std::min(j, n);
  Probe probe(arithmetic, dcfp);
  const int hint = estimatedRank(arithmetic.polynomial(), dcfp.approx(), n, r, maxRank);
  const std::optional<int> best = lastHolding(1, maxRank, hint, [&](int k) { return probe.meets(n, r, k); });
  Expected<StrategyRow> row = describe(arithmetic, n, r, best.value_or(1), shifted);
  if (!row) return row;
  row->exceeded = !best;
  row->meets = best.has_value();
  row->evaluations = probe.evaluations();
  return row;
}

Expected<StrategyRow> atRank(const StrategyArithmetic& arithmetic, const DcfpFraction& dcfp, int n, int r, int rank,
                             std::optional<int> shifted) {
  if (auto checked = checkDesign(n, r, shifted); !checked) return fail(std::move(checked.error()));
  if (rank < 1 || rank > n) return fail(refused("the rank must be from 1 to n (" + std::to_string(n) + ")"));
  const Expected<CfpDecision> decision = arithmetic.meets(dcfp, n, r, rank);
  if (!decision) return fail(decision.error());
  Expected<StrategyRow> row = describe(arithmetic, n, r, rank, shifted);
  if (!row) return row;
  row->meets = decision->meets;
  row->evaluations = 1;
  return row;
}

}  // namespace

Expected<StrategyRow> designStrategy(const Strategy& strategy, const DcfpFraction& dcfp, int n, int r, int j,
                                     std::optional<int> shifted) {
  return design(StrategyArithmetic(strategy), dcfp, n, r, j, shifted);
}

Expected<StrategyRow> strategyAtRank(const Strategy& strategy, const DcfpFraction& dcfp, int n, int r, int rank,
                                     std::optional<int> shifted) {
  return atRank(StrategyArithmetic(strategy), dcfp, n, r, rank, shifted);
}

Expected<std::vector<StrategyRow>> strategyTable(std::span<const Strategy> strategies, const StrategyRequest& request) {
  Expected<std::optional<std::vector<StrategyRow>>> rows = strategyTable(strategies, request, {});
  if (!rows) return fail(std::move(rows.error()));
  return std::move(**rows);  // nothing stops it
}

Expected<std::optional<std::vector<StrategyRow>>> strategyTable(std::span<const Strategy> strategies,
                                                                const StrategyRequest& request,
                                                                const StrategyProgress& progress) {
  if (strategies.empty()) return fail(refused("name at least one retest strategy"));
  const Expected<DcfpFraction> dcfp = DcfpFraction::read(request.dcfpText);
  if (!dcfp) return fail(dcfp.error());
  const int total = static_cast<int>(strategies.size());
  std::vector<StrategyRow> rows;
  for (const Strategy& strategy : strategies) {
    if (progress && !progress(static_cast<int>(rows.size()), total)) return std::nullopt;
    const StrategyArithmetic arithmetic(strategy);
    Expected<StrategyRow> row = request.rank ? atRank(arithmetic, *dcfp, request.n, request.r, *request.rank, request.shifted)
                                             : design(arithmetic, *dcfp, request.n, request.r, request.j, request.shifted);
    if (!row) return fail(std::move(row.error()));
    for (const StrategyRow& earlier : rows) {
      if (sameTest(earlier.strategy, strategy)) {
        row->sameTestAs = earlier.rule;
        break;
      }
    }
    rows.push_back(std::move(*row));
  }
  if (progress && !progress(total, total)) return std::nullopt;
  return rows;
}

namespace {
// Ten significant digits: the exact values are good to about 1e-10 relative.
std::string exactText(double value) { return formatSignificant(static_cast<long double>(value), 10); }
}  // namespace

std::array<std::string, kStrategyRowColumns.size()> strategyRowTexts(const StrategyRow& row) {
  return {row.rule,
          std::to_string(row.rank),
          row.exceeded ? "true" : "false",
          row.meets ? "true" : "false",
          exactText(row.cfp),
          row.percentileText,
          exactText(row.samples),
          exactText(row.power[0]),
          exactText(row.power[1]),
          exactText(row.power[2]),
          ratingCaption(row.rating)};
}

std::optional<std::array<std::string, 3>> shiftedPowerTexts(const StrategyRow& row) {
  if (!row.powerShifted) return std::nullopt;
  return std::array<std::string, 3>{exactText((*row.powerShifted)[0]), exactText((*row.powerShifted)[1]),
                                    exactText((*row.powerShifted)[2])};
}

Expected<std::optional<int>> smallestBackground(const Strategy& strategy, const DcfpFraction& dcfp, int r, int rank) {
  if (r < 1 || rank < 1) return fail(refused("r and the rank must be at least 1"));
  const int low = std::max(2, rank);
  const long high = static_cast<long>(kMaxBackgroundPlusFourComparisons) - 4L * r;
  if (high < low) {
    return fail(refused("no background size fits: n must be at least " + std::to_string(low) +
                        " and n + 4r at most 32767"));
  }
  const StrategyArithmetic arithmetic(strategy);
  Probe probe(arithmetic, dcfp);
  const int highN = static_cast<int>(high);
  // The CFP falls as n grows: the sizes that fail form a run from the smallest.
  const std::optional<int> lastFailing = lastHolding(low, highN, low, [&](int n) { return !probe.meets(n, r, rank); });
  if (!lastFailing) return std::optional<int>(low);
  if (*lastFailing == highN) return std::optional<int>();
  return std::optional<int>(*lastFailing + 1);
}

}  // namespace velmora::analysis

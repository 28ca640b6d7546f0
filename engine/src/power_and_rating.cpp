// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/calculation.h"
#include "velmora/engine/design_arithmetic.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "velmora/engine/detail/contract.h"
#include "velmora/engine/numbers.h"

#include "calculation_core.h"
#include "normal_series.h"
#include "rounding_points.h"
#include "vector_dispatch.h"

namespace velmora {

using steps::f64;
using steps::toFloat32;

// Power at 2, 3 and 4 sigma and the rating of every scheme.
//
// The step's arithmetic is the calculator's own, operation for operation; what this file
// adds is that nothing is computed twice:
//   - the 1000 grid quantiles and the minimum densities t (1 - u)^(t - 1) never depend on
//     the inputs: they are computed once per process (GridTables);
//   - the quantile search of a limit percentile is a pure function of its float32
//     percentile: searched once, then kept (limitQuantile);
//   - schemes with the same limit share their 3000 detection probabilities;
//   - the statistics rise with the grid quantile, so those beyond 6 in magnitude, whose
//     series at the whole number 6 is far above 1 and clamped to 1, and those from
//     kSeriesClampFrom up to 6, whose series is provably at least 1 (normal_series.h),
//     are the two ends of the grid and cost nothing; the series of the others run as one
//     batch laid out for the vector unit (normalCdfBatch).
// The working fields the step leaves in the record (the grid weights of the last scheme
// and shift, the series terms of the last evaluation, the quantile search's last
// difference) are those the step-by-step evaluation leaves.

namespace {

constexpr int kSeriesTerms = 20;

// 1 / 6.2831854^0.5: the literal, not 2*pi to full precision. Every power 0.5 of the
// step is a correctly rounded square root (the C library's pow(x, 0.5) can differ from it
// in the last bit, for example for x = 2921).
double invSqrt2Pi() { return 1.0 / std::sqrt(6.2831854); }

struct GridTables {
  std::array<float, kGridSize + 1> z{};  // gridZ(1..1000)
  // The shifted grid quantiles gridZ(i) + sigma (rounded to float32) of the three shifts,
  // each value once, in increasing order; shiftedIndex[sigma - 2][i] is the place of
  // gridZ(i) + sigma among them. A statistic depends on its grid point only through it.
  std::vector<double> shifted;
  std::array<std::array<int, kGridSize + 1>, 3> shiftedIndex{};
  // t (1 - u_i)^(t - 1) for t = 1..4, as the step forms it.
  std::array<std::array<double, kGridSize + 1>, kSchemeCount + 1> minDensity{};
  double clampedCdf = 0.0;  // normalCdf(6, whole number)
};

const GridTables& tables() {
  static const GridTables kTables = [] {
    GridTables g;
    CalculationState scratch;
    for (int i = 1; i <= kGridSize; ++i) {
      const double u = (f64(i) - 0.5) / f64(kGridSize);
      g.z[static_cast<std::size_t>(i)] = toFloat32(normalQuantile(u, false, scratch));
      for (int t = 1; t <= kSchemeCount; ++t) {
        g.minDensity[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] = f64(t) * std::pow(1.0 - u, f64(t - 1));
      }
    }
    for (int sigma = 2; sigma <= 4; ++sigma) {
      for (int i = 1; i <= kGridSize; ++i) {
        g.shifted.push_back(static_cast<double>(toFloat32(static_cast<double>(g.z[static_cast<std::size_t>(i)]) + f64(sigma))));
      }
    }
    std::sort(g.shifted.begin(), g.shifted.end());
    g.shifted.erase(std::unique(g.shifted.begin(), g.shifted.end()), g.shifted.end());
    for (int sigma = 2; sigma <= 4; ++sigma) {
      for (int i = 1; i <= kGridSize; ++i) {
        const double value = static_cast<double>(toFloat32(static_cast<double>(g.z[static_cast<std::size_t>(i)]) + f64(sigma)));
        const auto place = std::lower_bound(g.shifted.begin(), g.shifted.end(), value);
        g.shiftedIndex[static_cast<std::size_t>(sigma - 2)][static_cast<std::size_t>(i)] = static_cast<int>(place - g.shifted.begin());
      }
    }
    g.clampedCdf = normalCdf(6.0, true, scratch);
    // The clamp to 1 below relies on it.
    VELMORA_ASSERT(g.clampedCdf > 1.0);
    return g;
  }();
  return kTables;
}

// The quantile search of a float32 limit percentile, and the last difference it leaves.
struct LimitQuantileValue {
  double z = 0.0;
  float searchDiff = 0.0f;
};

// A cache of a pure function's values, one per thread: no lock on the way of every run.
// The threads that calculate are few (the pool's, one fewer than the cores, and the
// threads that call it; parallel.h), so a percentile is searched a few times at most. It is
// bounded: when full it starts afresh.
LimitQuantileValue limitQuantile(float percentile) {
  thread_local std::unordered_map<std::uint32_t, LimitQuantileValue> cache;
  constexpr std::size_t kMaxEntries = 1u << 16;
  const std::uint32_t key = std::bit_cast<std::uint32_t>(percentile);
  if (const auto found = cache.find(key); found != cache.end()) return found->second;
  CalculationState scratch;
  LimitQuantileValue value;
  value.z = normalQuantile(static_cast<double>(percentile), true, scratch);
  value.searchDiff = scratch.searchDiff;
  if (cache.size() >= kMaxEntries) cache.clear();
  cache.emplace(key, value);
  return value;
}

}  // namespace

double normalCdf(double x, bool wholeArgument, CalculationState& s) {
  s.seriesTerm[0] = toFloat32(x);
  // The running sum S starts as x itself. For a whole-number x, x + a float32 term is a
  // float32, and so is every sum after it; otherwise S is a float64.
  float sumSingle = toFloat32(x);
  double sumDouble = x;
  const double xSquared = std::pow(x, 2.0);
  for (int k = 1; k <= kSeriesTerms; ++k) {
    const double q = ((-xSquared) * f64(2 * k - 1)) / f64((2 * k) * (2 * k + 1));
    s.seriesTerm[k] = toFloat32(q * static_cast<double>(s.seriesTerm[k - 1]));
    if (wholeArgument) {
      sumSingle = toFloat32(static_cast<double>(sumSingle) + static_cast<double>(s.seriesTerm[k]));
    } else {
      sumDouble = sumDouble + static_cast<double>(s.seriesTerm[k]);
    }
  }
  const double sum = wholeArgument ? static_cast<double>(sumSingle) : sumDouble;
  return sum * invSqrt2Pi() + 0.5;
}

double normalQuantile(double p, bool fromFloat32, CalculationState& s) {
  double target = p;
  bool reflect = false;
  if (target < 0.5) {
    target = 1.0 - target;
    if (fromFloat32) target = static_cast<double>(toFloat32(target));
    reflect = true;
  }

  // The trial point is a whole number (1, 2, 3, ...) until the step is first halved.
  bool whole = true;
  double searchBase = 0.0;
  double searchStep = 1.0;
  double searchX = 0.0;
  constexpr double kSearchTol = 0.0001;
  for (int searchIter = 1; searchIter <= 100; ++searchIter) {
    searchX = searchBase + searchStep;
    const double searchCdf = normalCdf(searchX, whole, s);
    s.searchDiff = toFloat32(searchCdf - target);
    if (std::fabs(static_cast<double>(s.searchDiff)) < kSearchTol) break;
    if (s.searchDiff < 0.0f) {
      searchBase = searchX;
    } else if (s.searchDiff > 0.0f) {
      searchStep = searchStep / 2.0;
      whole = false;
    }
  }
  return reflect ? -searchX : searchX;
}

namespace {

struct LimitTerms {
  double a = 0.0;     // (1 - 1 / (4 (n - 1))) limitT, rounded to float32
  double zDen = 0.0;  // (limitT^2 / (2 (n - 1)) + 1)^0.5
};

LimitTerms termsOf(double limitT, double fourDegFree, double twoDegFree) {
  LimitTerms terms;
  terms.a = static_cast<double>(toFloat32((1.0 - 1.0 / fourDegFree) * limitT));
  terms.zDen = std::sqrt(std::pow(limitT, 2.0) / twoDegFree + 1.0);
  return terms;
}

// The statistic of a shifted grid quantile for a limit, as the step forms it.
inline double statistic(double rootN, double shifted, const LimitTerms& terms) {
  return (rootN * shifted - terms.a) / terms.zDen;
}

// Working storage of the step, per thread (too large for every stack).
struct PowerWork {
  std::vector<double> zStat;                                 // per shifted value
  std::vector<double> cdf;
  std::array<std::vector<double>, kSchemeCount + 1> detect;  // [scheme][shifted value]
};

// The detection probabilities of every shifted grid quantile for one limit: the normal
// probability of the statistic's magnitude, min(max(normalCdf(|z|), 0), 1), mirrored for a
// negative statistic. A magnitude beyond 6 is evaluated at the whole number 6, where the
// series is far above 1 and so clamped to 1; one from kSeriesClampFrom up to 6 has a
// series of at least 1 (normal_series.h), clamped to the same 1. The statistic rises with
// the shifted value (each of its operations is monotone), so the magnitudes below
// kSeriesClampFrom, the only ones whose series is needed, are one run of them.
VELMORA_VECTOR_CLONES
void detectionProbabilities(const GridTables& g, double rootN, const LimitTerms& terms, PowerWork& work,
                            std::vector<double>& detect) {
  const std::size_t count = g.shifted.size();
  work.zStat.resize(count);
  work.cdf.resize(count);
  detect.resize(count);
  double* const zStat = work.zStat.data();
  const double* const shifted = g.shifted.data();
  // The first shifted value whose statistic lies above -kSeriesClampFrom, and the first
  // at kSeriesClampFrom or above.
  const auto firstWhere = [&](std::size_t from, auto&& isAfter) {
    std::size_t lo = from;
    std::size_t hi = count;
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (isAfter(statistic(rootN, shifted[mid], terms))) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  };
  const std::size_t low = firstWhere(0, [](double z) { return z > -kSeriesClampFrom; });
  const std::size_t high = firstWhere(low, [](double z) { return z >= kSeriesClampFrom; });
  double* const cdf = work.cdf.data();
  for (std::size_t u = low; u < high; ++u) {
    zStat[u] = statistic(rootN, shifted[u], terms);
    cdf[u] = std::fabs(zStat[u]);
  }
  normalCdfBatch(cdf + low, static_cast<int>(high - low), cdf + low);
  const double clamped = std::min(std::max(g.clampedCdf, 0.0), 1.0);
  double* const out = detect.data();
  for (std::size_t u = 0; u < low; ++u) out[u] = 1.0 - clamped;
  // min(max(p, 0), 1) is the step's clamp: p above 1 becomes 1, below 0 becomes 0. The
  // negative statistics come first (they rise with u), and are mirrored.
  std::size_t positive = low;
  while (positive < high && zStat[positive] < 0.0) ++positive;
  for (std::size_t u = low; u < positive; ++u) out[u] = 1.0 - std::min(std::max(cdf[u], 0.0), 1.0);
  for (std::size_t u = positive; u < high; ++u) out[u] = std::min(std::max(cdf[u], 0.0), 1.0);
  for (std::size_t u = high; u < count; ++u) detect[u] = clamped;
}

// The grid weights fl32(minimum density * detection probability) of the twelve powers,
// column (sigma - 2) + 3 (t - 1), and their float32 sums of weight * 0.001 in the order of
// the grid points. The twelve sums advance together, one grid point at a time, so that
// their additions run across the vector unit; each sum's operations and their order are
// those of summing it on its own. The weights of the last power (1:4 at 4 sigma) stay in
// the record.
VELMORA_VECTOR_CLONES
void sumGridWeights(const GridTables& g, const std::array<const double*, kSchemeCount>& detect,
                    std::array<float, kPowerCount>& power, std::array<float, kGridSize + 1>& lastWeights) {
  const double gridStep = 1.0 / f64(kGridSize);  // 0.001 in float64
  float sums[kPowerCount] = {};
  for (int i = 1; i <= kGridSize; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    float weight[kPowerCount];
    for (int t = 1; t <= kSchemeCount; ++t) {
      const double density = g.minDensity[static_cast<std::size_t>(t)][at];
      for (int sigma = 2; sigma <= 4; ++sigma) {
        const int place = g.shiftedIndex[static_cast<std::size_t>(sigma - 2)][at];
        weight[(sigma - 2) + 3 * (t - 1)] =
            toFloat32(density * detect[static_cast<std::size_t>(t - 1)][static_cast<std::size_t>(place)]);
      }
    }
    for (int column = 0; column < kPowerCount; ++column) {
      sums[column] = toFloat32(static_cast<double>(sums[column]) + static_cast<double>(weight[column]) * gridStep);
    }
    lastWeights[at] = weight[kPowerCount - 1];
  }
  for (int column = 0; column < kPowerCount; ++column) power[static_cast<std::size_t>(column)] = sums[column];
}

}  // namespace

void CalculationCore::ComputePowerAndRating() {
  CalculationState& s = m_state;
  const GridTables& g = tables();
  const int n = s.n;

  s.critPower3 = toFloat32(kPowerCriterion3Sigma);
  s.critPower4 = toFloat32(kPowerCriterion4Sigma);
  s.degFree = toFloat32(f64(n - 1));
  const double rootN = std::sqrt(f64(n));

  s.gridZ = g.z;
  for (int t = 1; t <= kSchemeCount; ++t) {
    const LimitQuantileValue q = limitQuantile(s.limitPercentile[t]);
    s.limitZ[t] = toFloat32(q.z);
    s.searchDiff = q.searchDiff;
  }
  for (int t = 1; t <= kSchemeCount; ++t) {
    s.limitT[t] = toFloat32(rootN * static_cast<double>(s.limitZ[t]));
  }

  // A whole number times a float32 is a float32; n - 1 is small enough that 4 and 2
  // times it are exact.
  const double fourDegFree = static_cast<double>(toFloat32(4.0 * static_cast<double>(s.degFree)));
  const double twoDegFree = static_cast<double>(toFloat32(2.0 * static_cast<double>(s.degFree)));

  // Detection probabilities per distinct limit (schemes with the same limit share them).
  thread_local PowerWork work;
  std::array<int, kSchemeCount + 1> source{};  // the scheme whose probabilities scheme t uses
  for (int t = 1; t <= kSchemeCount; ++t) {
    source[static_cast<std::size_t>(t)] = t;
    for (int earlier = 1; earlier < t; ++earlier) {
      if (std::bit_cast<std::uint32_t>(s.limitT[earlier]) == std::bit_cast<std::uint32_t>(s.limitT[t])) {
        source[static_cast<std::size_t>(t)] = earlier;
        break;
      }
    }
    if (source[static_cast<std::size_t>(t)] != t) continue;
    const LimitTerms terms = termsOf(static_cast<double>(s.limitT[t]), fourDegFree, twoDegFree);
    detectionProbabilities(g, rootN, terms, work, work.detect[static_cast<std::size_t>(t)]);
  }

  // The grid weights of the twelve powers and their twelve float32 sums, side by side
  // (each sum's additions in the order of its grid points, as one sum after another).
  std::array<const double*, kSchemeCount> detect{};
  for (int t = 1; t <= kSchemeCount; ++t) {
    detect[static_cast<std::size_t>(t - 1)] = work.detect[static_cast<std::size_t>(source[static_cast<std::size_t>(t)])].data();
  }
  std::array<float, kPowerCount> power{};
  sumGridWeights(g, detect, power, s.gridWeight);
  for (int column = 0; column < kPowerCount; ++column) {
    float p = power[static_cast<std::size_t>(column)];
    if (p > 1.0f) {
      p = 1.0f;
    } else if (p < 0.0f) {
      p = 0.0f;
    }
    const int thousandths = VELMORA_IN_RANGE(toInt16(static_cast<double>(p) * 1000.0));
    s.power[column + 1] = toFloat32(f64(thousandths) / 1000.0);
  }
  // The series terms of the last power's last grid point stay in the record.
  {
    const LimitTerms terms = termsOf(static_cast<double>(s.limitT[4]), fourDegFree, twoDegFree);
    const double shifted = g.shifted[static_cast<std::size_t>(g.shiftedIndex[2][kGridSize])];
    double zStat = statistic(rootN, shifted, terms);
    const bool clamped = std::fabs(zStat) > 6.0;
    if (clamped) zStat = 6.0;
    static_cast<void>(normalCdf(std::fabs(zStat), clamped, s));
  }

  for (int t = 1; t <= kSchemeCount; ++t) {
    const float p3 = s.power[3 * t - 1];
    const float p4 = s.power[3 * t];
    const Rating rating = rateByCriteria(p3, p4);
    s.powerRating[t] = ratingCaption(rating);
    m_results.schemes[static_cast<std::size_t>(t - 1)].rating = rating;
  }

  // Display rounding, after the powers have used the unrounded percentiles.
  for (int t = 1; t <= kSchemeCount; ++t) {
    const int cfpUnits = VELMORA_IN_RANGE(toInt32(static_cast<double>(s.cfp[t][2]) * 100000.0));
    s.cfp[t][2] = toFloat32(f64(cfpUnits) / 100000.0);
    const int percentileUnits = VELMORA_IN_RANGE(toInt16(static_cast<double>(s.limitPercentile[t]) * 10000.0));
    s.limitPercentile[t] = toFloat32(f64(percentileUnits) / 10000.0);
  }
}

Expected<float> designPower(int n, float percentile, int t, double shift) {
  const bool inDomain = n >= 2 && n <= kInt16Max && t >= 1 && t <= kSchemeCount && percentile > 0.0f &&
                        percentile < 1.0f && std::isfinite(shift);
  if (!inDomain) {
    return fail(ProblemKind::refusedRequest,
                "the design's power needs 2 <= n <= 32767, 1 <= t <= 4, 0 < percentile < 1 and a finite shift");
  }
  const GridTables& g = tables();

  // The limit as the step forms it from the percentile.
  const double rootN = std::sqrt(f64(n));
  const float limitZ = toFloat32(limitQuantile(percentile).z);
  const float limitT = toFloat32(rootN * static_cast<double>(limitZ));
  const float degFree = toFloat32(f64(n - 1));
  const double fourDegFree = static_cast<double>(toFloat32(4.0 * static_cast<double>(degFree)));
  const double twoDegFree = static_cast<double>(toFloat32(2.0 * static_cast<double>(degFree)));
  const LimitTerms terms = termsOf(static_cast<double>(limitT), fourDegFree, twoDegFree);

  // The statistic of every shifted grid quantile; the series of the magnitudes up to 6
  // (detectionProbabilities: beyond 6 the series at the whole number 6, clamped to 1).
  std::array<double, kGridSize> zStat{};
  std::array<double, kGridSize> magnitude{};
  std::array<int, kGridSize> inSeries{};  // the grid points whose magnitude is at most 6
  int count = 0;
  for (int i = 1; i <= kGridSize; ++i) {
    const double shifted = static_cast<double>(toFloat32(static_cast<double>(g.z[static_cast<std::size_t>(i)]) + shift));
    const double z = statistic(rootN, shifted, terms);
    zStat[static_cast<std::size_t>(i - 1)] = z;
    if (z >= -6.0 && z <= 6.0) {
      magnitude[static_cast<std::size_t>(count)] = std::fabs(z);
      inSeries[static_cast<std::size_t>(count)] = i - 1;
      ++count;
    }
  }
  std::array<double, kGridSize> series{};
  normalCdfBatch(magnitude.data(), count, series.data());
  std::array<double, kGridSize> detect{};
  const double clamped = std::min(std::max(g.clampedCdf, 0.0), 1.0);
  for (int i = 0; i < kGridSize; ++i) {
    const double z = zStat[static_cast<std::size_t>(i)];
    detect[static_cast<std::size_t>(i)] = z < -6.0 ? 1.0 - clamped : clamped;
  }
  for (int m = 0; m < count; ++m) {
    const std::size_t i = static_cast<std::size_t>(inSeries[static_cast<std::size_t>(m)]);
    const double detectProb = std::min(std::max(series[static_cast<std::size_t>(m)], 0.0), 1.0);
    detect[i] = zStat[i] < 0.0 ? 1.0 - detectProb : detectProb;
  }

  // The grid weights and their float32 sum, in the order of the grid points, then the clamp.
  const double gridStep = 1.0 / f64(kGridSize);
  const double* const minDensity = g.minDensity[static_cast<std::size_t>(t)].data();
  float power = 0.0f;
  for (int i = 1; i <= kGridSize; ++i) {
    const float weight = toFloat32(minDensity[i] * detect[static_cast<std::size_t>(i - 1)]);
    power = toFloat32(static_cast<double>(power) + static_cast<double>(weight) * gridStep);
  }
  if (power > 1.0f) {
    power = 1.0f;
  } else if (power < 0.0f) {
    power = 0.0f;
  }
  return power;
}

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
// The reference power curve: a 99% normal-theory prediction limit for one future value from
// a background of 10 values.
//
// The limit is mean + K s with K = t(0.99; 9) sqrt(1 + 1/10). A future value delta standard
// deviations above the background mean exceeds it when (x - mean) / (s sqrt(1 + 1/10)),
// a noncentral t with 9 degrees of freedom and noncentrality delta / sqrt(1 + 1/10),
// exceeds K / sqrt(1 + 1/10).

#include <cmath>
#include <map>
#include <mutex>

#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/distributions/students_t.hpp>

#include "velmora/analysis/exact_power.h"

namespace velmora::analysis {

namespace {

double computedReferencePower(double delta) {
  constexpr double kBackground = 10.0;
  constexpr double kDegrees = kBackground - 1.0;
  static const double kScale = std::sqrt(1.0 + 1.0 / kBackground);
  static const double kLimitFactor = boost::math::quantile(boost::math::students_t(kDegrees), 0.99) * kScale;
  // The upper tail directly, so that small powers (negative shifts) keep their digits.
  return boost::math::cdf(boost::math::complement(boost::math::non_central_t(kDegrees, delta / kScale),
                                                  kLimitFactor / kScale));
}

}  // namespace

Expected<double> referencePower(double delta) {
  if (!std::isfinite(delta)) return fail(ProblemKind::refusedRequest, "the shift of the reference power must be a finite number");
  // The curve is the same for every design and every scheme, and its noncentral t is costly
  // (in the page's WebAssembly, whose long double is a software type, a tenth of a
  // millisecond a point): each shift is computed once, and the table kept, bounded.
  static std::mutex mutex;
  static std::map<double, double> known;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto found = known.find(delta); found != known.end()) return found->second;
  }
  const double power = computedReferencePower(delta);
  const std::lock_guard<std::mutex> lock(mutex);
  if (known.size() >= 4096) known.clear();
  known.emplace(delta, power);
  return power;
}

}  // namespace velmora::analysis

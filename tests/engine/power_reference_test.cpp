// SPDX-License-Identifier: GPL-3.0-or-later
// The power step against its step-by-step form: every grid quantile searched afresh, every
// statistic's series evaluated one at a time, in the order of the loops. The record after
// the step must be the same, bit for bit, for generated inputs across the domain.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "normal_series.h"
#include "run_support.h"
#include "record_compare.h"
#include "velmora/engine/detail/contract.h"
#include "velmora/engine/numbers.h"

namespace velmora {
namespace {

float f32(double x) { return static_cast<float>(x); }
double f64(int x) { return static_cast<double>(x); }

// The power step as one loop per quantity (the rating and display rounding follow it in
// the record as in the step).
void stepByStepPower(CalculationState& s) {
  const int n = s.n;
  s.critPower3 = f32(kPowerCriterion3Sigma);
  s.critPower4 = f32(kPowerCriterion4Sigma);
  s.degFree = f32(f64(n - 1));
  const double gridStep = 1.0 / f64(kGridSize);
  const double rootN = std::sqrt(f64(n));
  for (int i = 1; i <= kGridSize; ++i) s.gridZ[i] = f32(normalQuantile((f64(i) - 0.5) / f64(kGridSize), false, s));
  for (int t = 1; t <= 4; ++t) s.limitZ[t] = f32(normalQuantile(static_cast<double>(s.limitPercentile[t]), true, s));
  for (int t = 1; t <= 4; ++t) s.limitT[t] = f32(rootN * static_cast<double>(s.limitZ[t]));
  const double fourDegFree = static_cast<double>(f32(4.0 * static_cast<double>(s.degFree)));
  const double twoDegFree = static_cast<double>(f32(2.0 * static_cast<double>(s.degFree)));
  for (int t = 1; t <= 4; ++t) {
    for (int sigma = 2; sigma <= 4; ++sigma) {
      const int powIdx = (sigma - 1) + 3 * (t - 1);
      const double limitT = static_cast<double>(s.limitT[t]);
      const float a = f32((1.0 - 1.0 / fourDegFree) * limitT);
      const double zDen = std::sqrt(std::pow(limitT, 2.0) / twoDegFree + 1.0);
      for (int i = 1; i <= kGridSize; ++i) {
        const double u = (f64(i) - 0.5) / f64(kGridSize);
        const float shifted = f32(static_cast<double>(s.gridZ[i]) + f64(sigma));
        double zStat = (rootN * static_cast<double>(shifted) - static_cast<double>(a)) / zDen;
        bool reflect = false;
        if (zStat < 0.0) {
          zStat = std::fabs(zStat);
          reflect = true;
        }
        bool whole = false;
        if (zStat > 6.0) {
          zStat = 6.0;
          whole = true;
        }
        double p = normalCdf(zStat, whole, s);
        if (p > 1.0) {
          p = 1.0;
        } else if (p < 0.0) {
          p = 0.0;
        }
        if (reflect) p = 1.0 - p;
        s.gridWeight[i] = f32(f64(t) * std::pow(1.0 - u, f64(t - 1)) * p);
        if (i == 1) s.power[powIdx] = 0.0f;
        s.power[powIdx] = f32(static_cast<double>(s.power[powIdx]) + static_cast<double>(s.gridWeight[i]) * gridStep);
      }
      if (s.power[powIdx] > 1.0f) {
        s.power[powIdx] = 1.0f;
      } else if (s.power[powIdx] < 0.0f) {
        s.power[powIdx] = 0.0f;
      }
      s.power[powIdx] = f32(f64(VELMORA_IN_RANGE(toInt16(static_cast<double>(s.power[powIdx]) * 1000.0))) / 1000.0);
    }
  }
  for (int t = 1; t <= 4; ++t) {
    s.powerRating[t] = ratingCaption(rateByCriteria(s.power[3 * t - 1], s.power[3 * t]));
    s.cfp[t][2] = f32(f64(VELMORA_IN_RANGE(toInt32(static_cast<double>(s.cfp[t][2]) * 100000.0))) / 100000.0);
    s.limitPercentile[t] = f32(f64(VELMORA_IN_RANGE(toInt16(static_cast<double>(s.limitPercentile[t]) * 10000.0))) / 10000.0);
  }
}

TEST(PowerStep, SameRecordAsTheStepByStepForm) {
  std::mt19937 rng(5150u);
  auto between = [&rng](int low, int high) { return low + static_cast<int>(rng() % static_cast<std::uint32_t>(high - low + 1)); };
  for (int c = 0; c < 60; ++c) {
    // Background sizes from 2 to the domain's end; ranks anywhere, often shared by schemes.
    const int n = c < 10 ? 2 + c : (c % 3 == 0 ? between(2, 32000) : between(2, 200));
    const int r = between(1, std::min(40, (32767 - n) / 4));
    const std::string dcfp = c % 4 == 0 ? "1" : "0." + std::to_string(between(1, 999));
    const std::string j = c % 5 == 0 ? std::to_string(between(1, n)) : std::to_string(n);
    SCOPED_TRACE("DCFP " + dcfp + " n " + std::to_string(n) + " r " + std::to_string(r) + " j " + j);
    auto calc = std::make_unique<Calculation>();
    ASSERT_TRUE(calc->calculate({dcfp, std::to_string(n), std::to_string(r), j}).has_value());
    CalculationSeam::repeatSearches(*calc);
    auto expected = std::make_unique<CalculationState>(CalculationSeam::state(*calc));
    CalculationSeam::ComputePowerAndRating(*calc);
    stepByStepPower(*expected);
    const char* differs = testsupport::firstDifference(CalculationSeam::state(*calc), *expected);
    EXPECT_EQ(differs, nullptr) << differs;
  }
}

}  // namespace
}  // namespace velmora

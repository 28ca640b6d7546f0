// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/calculation.h"

#include <cmath>

#include "velmora/engine/contract.h"
#include "velmora/engine/numbers.h"

#include "rounding_points.h"

namespace velmora {

using steps::F64;
using steps::ToFloat32;

// Power at 2, 3 and 4 sigma and the rating of every scheme.

namespace {

// 1 / 6.2831854^0.5: the literal, not 2*pi to full precision. Every power 0.5 of the
// step is a correctly rounded square root (the C library's pow(x, 0.5) can differ from it
// in the last bit, for example for x = 2921).
double InvSqrt2Pi() { return 1.0 / std::sqrt(6.2831854); }

}  // namespace

double normalCdf(double x, bool wholeArgument, CalculationState& s) {
  s.seriesTerm[0] = ToFloat32(x);
  // The running sum S starts as x itself. For a whole-number x, x + a float32 term is a
  // float32, and so is every sum after it; otherwise S is a float64.
  float sumSingle = ToFloat32(x);
  double sumDouble = x;
  const double xSquared = std::pow(x, 2.0);
  for (int k = 1; k <= 20; ++k) {
    const double q = ((-xSquared) * F64(2 * k - 1)) / F64((2 * k) * (2 * k + 1));
    s.seriesTerm[k] = ToFloat32(q * static_cast<double>(s.seriesTerm[k - 1]));
    if (wholeArgument) {
      sumSingle = ToFloat32(static_cast<double>(sumSingle) + static_cast<double>(s.seriesTerm[k]));
    } else {
      sumDouble = sumDouble + static_cast<double>(s.seriesTerm[k]);
    }
  }
  const double sum = wholeArgument ? static_cast<double>(sumSingle) : sumDouble;
  return sum * InvSqrt2Pi() + 0.5;
}

double normalQuantile(double p, bool fromFloat32, CalculationState& s) {
  double target = p;
  bool reflect = false;
  if (target < 0.5) {
    target = 1.0 - target;
    if (fromFloat32) target = static_cast<double>(ToFloat32(target));
    reflect = true;
  }

  // The trial point is a whole number (1, 2, 3, ...) until the step is first halved.
  bool whole = true;
  double searchBase = 0.0;
  double searchStep = 1.0;
  double searchX = 0.0;
  constexpr double searchTol = 0.0001;
  for (int searchIter = 1; searchIter <= 100; ++searchIter) {
    searchX = searchBase + searchStep;
    const double searchCdf = normalCdf(searchX, whole, s);
    s.searchDiff = ToFloat32(searchCdf - target);
    if (std::fabs(static_cast<double>(s.searchDiff)) < searchTol) break;
    if (s.searchDiff < 0.0f) {
      searchBase = searchX;
    } else if (s.searchDiff > 0.0f) {
      searchStep = searchStep / 2.0;
      whole = false;
    }
  }
  return reflect ? -searchX : searchX;
}

void Calculation::ComputePowerAndRating() {
  CalculationState& s = state_;
  const int n = s.n;

  s.critPower3 = ToFloat32(kPowerCriterion3Sigma);
  s.critPower4 = ToFloat32(kPowerCriterion4Sigma);
  s.degFree = ToFloat32(F64(n - 1));
  const double gridStep = 1.0 / F64(kGridSize);  // 0.001 in float64
  const double rootN = std::sqrt(F64(n));

  for (int i = 1; i <= kGridSize; ++i) {
    const double u = (F64(i) - 0.5) / F64(kGridSize);
    s.gridZ[i] = ToFloat32(normalQuantile(u, false, s));
  }
  for (int t = 1; t <= kSchemeCount; ++t) {
    s.limitZ[t] = ToFloat32(normalQuantile(static_cast<double>(s.limitPercentile[t]), true, s));
  }
  for (int t = 1; t <= kSchemeCount; ++t) {
    s.limitT[t] = ToFloat32(rootN * static_cast<double>(s.limitZ[t]));
  }

  // A whole number times a float32 is a float32; n - 1 is small enough that 4 and 2
  // times it are exact.
  const double fourDegFree = static_cast<double>(ToFloat32(4.0 * static_cast<double>(s.degFree)));
  const double twoDegFree = static_cast<double>(ToFloat32(2.0 * static_cast<double>(s.degFree)));

  for (int t = 1; t <= kSchemeCount; ++t) {
    for (int sigma = 2; sigma <= 4; ++sigma) {
      const int powIdx = (sigma - 1) + 3 * (t - 1);
      const double limitT = static_cast<double>(s.limitT[t]);
      const float a = ToFloat32((1.0 - 1.0 / fourDegFree) * limitT);
      const double zDen = std::sqrt(std::pow(limitT, 2.0) / twoDegFree + 1.0);

      for (int i = 1; i <= kGridSize; ++i) {
        const double u = (F64(i) - 0.5) / F64(kGridSize);
        const float shifted = ToFloat32(static_cast<double>(s.gridZ[i]) + F64(sigma));
        const double zNum = rootN * static_cast<double>(shifted) - static_cast<double>(a);
        double zStat = zNum / zDen;

        bool reflect = false;
        if (zStat < 0.0) {
          zStat = std::fabs(zStat);
          reflect = true;
        }
        bool whole = false;
        if (zStat > 6.0) {  // evaluated at the whole number 6, where the series is far above 1
          zStat = 6.0;
          whole = true;
        }
        double detectProb = normalCdf(zStat, whole, s);
        if (detectProb > 1.0) {
          detectProb = 1.0;
        } else if (detectProb < 0.0) {
          detectProb = 0.0;
        }
        if (reflect) detectProb = 1.0 - detectProb;

        const double minDensity = F64(t) * std::pow(1.0 - u, F64(t - 1));
        s.gridWeight[i] = ToFloat32(minDensity * detectProb);
        if (i == 1) s.power[powIdx] = 0.0f;
        s.power[powIdx] = ToFloat32(static_cast<double>(s.power[powIdx]) +
                                    static_cast<double>(s.gridWeight[i]) * gridStep);
      }
      if (s.power[powIdx] > 1.0f) {
        s.power[powIdx] = 1.0f;
      } else if (s.power[powIdx] < 0.0f) {
        s.power[powIdx] = 0.0f;
      }
      const int thousandths = Expected(ToInt16(static_cast<double>(s.power[powIdx]) * 1000.0));
      s.power[powIdx] = ToFloat32(F64(thousandths) / 1000.0);
    }
  }

  for (int t = 1; t <= kSchemeCount; ++t) {
    const float p3 = s.power[3 * t - 1];
    const float p4 = s.power[3 * t];
    const Rating rating = RateByCriteria(p3, p4);
    s.powerRating[t] = RatingCaption(rating);
    results_.schemes[static_cast<std::size_t>(t - 1)].rating = rating;
  }

  // Display rounding, after the powers have used the unrounded percentiles.
  for (int t = 1; t <= kSchemeCount; ++t) {
    const int cfpUnits = Expected(ToInt32(static_cast<double>(s.cfp[t][2]) * 100000.0));
    s.cfp[t][2] = ToFloat32(F64(cfpUnits) / 100000.0);
    const int percentileUnits = Expected(ToInt16(static_cast<double>(s.limitPercentile[t]) * 10000.0));
    s.limitPercentile[t] = ToFloat32(F64(percentileUnits) / 10000.0);
  }
}

}  // namespace velmora

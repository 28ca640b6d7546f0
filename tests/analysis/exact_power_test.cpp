// SPDX-License-Identifier: GPL-3.0-or-later
// Exact power against what is known of it independently: its moments at no shift, the
// maximum test's own formula, and the same expectation in 34-digit arithmetic; the rating
// rule where rounding to thousandths decides it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>

#include "velmora/analysis/exact_power.h"

namespace velmora::analysis {
namespace {

// Ten significant digits with room to spare; the worst case found is about 2e-12.
constexpr double kRelativeTolerance = 1e-11;

struct Case {
  int n;
  int k;
  int t;
  double delta;
};

// With no shift Phi(Phi^-1(W))^t = W^t, and the moments of a beta variable are exact products.
TEST(ExactPower, NoShiftGivesTheBetaMoments) {
  for (const int n : {2, 3, 10, 100, 1000, 32767}) {
    for (const int k : {1, 2, n / 2, n / 2 + 1, n - 1, n}) {
      if (k < 1) continue;
      for (int t = 1; t <= 4; ++t) {
        double moment = 1.0;
        for (int i = 0; i < t; ++i) moment *= static_cast<double>(k + i) / static_cast<double>(n + 1 + i);
        EXPECT_NEAR(exactPower(n, k, t, 0.0).value() / moment, 1.0, kRelativeTolerance)
            << "n " << n << " k " << k << " t " << t;
      }
    }
  }
}

// One sample against the background maximum: detection is Y > max of the n background values,
// Y ~ N(delta, 1), so the power is the integral of Phi(y)^n phi(y - delta) over y.
TEST(ExactPower, MaximumTestOfOneSampleMatchesItsOwnIntegral) {
  using Quadrature = boost::math::quadrature::gauss_kronrod<double, 21>;
  for (const int n : {2, 7, 100, 5000, 32767}) {
    const auto integrand = [n](double y, double delta) {
      const double below = 0.5 * std::erfc(-y / std::sqrt(2.0));
      return std::exp(n * std::log(below) - 0.5 * (y - delta) * (y - delta)) / std::sqrt(2.0 * std::numbers::pi);
    };
    for (const double delta : {0.5, 2.0, 4.0, 6.0}) {
      double power = 0.0;
      for (double y = -10.0; y < 16.0; y += 0.25) {
        power += Quadrature::integrate([&](double x) { return integrand(x, delta); }, y, y + 0.25, 10, 1e-14);
      }
      EXPECT_NEAR(exactPower(n, 1, 1, delta).value() / power, 1.0, kRelativeTolerance) << "n " << n << " delta " << delta;
    }
  }
}

// The same expectation over the limit's density, n!/((k-1)!(n-k)!) Phi(-x)^(k-1) Phi(x)^(n-k)
// phi(x), in 34-digit arithmetic (113-bit significand; 50 digits agree with it to 20 and take
// eight times as long) over an interval found by scanning the integrand on a fine grid.
using Wide = boost::multiprecision::cpp_bin_float_quad;

Wide widePower(const Case& c) {
  const double n = c.n, k = c.k, t = c.t;
  const auto logDouble = [&](double x) {
    const auto logCdf = [](double z) { return std::log(0.5 * std::erfc(-z / std::sqrt(2.0))); };
    return t * logCdf(c.delta - x) + (k - 1.0) * logCdf(-x) + (n - k) * logCdf(x) - 0.5 * x * x;
  };
  constexpr double kStep = 1e-3;
  std::vector<double> grid;
  for (double x = -12.0; x <= 12.0; x += kStep) grid.push_back(logDouble(x));
  const double peak = *std::max_element(grid.begin(), grid.end());
  std::size_t first = 0, last = grid.size() - 1;
  while (grid[first] < peak - 60.0) ++first;
  while (grid[last] < peak - 60.0) --last;
  const double lo = -12.0 + kStep * (static_cast<double>(first) - 1.0);
  const double hi = -12.0 + kStep * (static_cast<double>(last) + 1.0);

  const Wide root2 = boost::multiprecision::sqrt(Wide(2));
  const Wide logConstant = boost::math::lgamma(Wide(n + 1.0)) - boost::math::lgamma(Wide(k)) -
                           boost::math::lgamma(Wide(n - k + 1.0)) -
                           boost::multiprecision::log(2 * boost::math::constants::pi<Wide>()) / 2;
  const auto integrand = [&](const Wide& x) {
    // log Phi(z) and log Phi(-z), the smaller tail straight from erfc.
    const auto logTails = [&](const Wide& z) {
      const Wide small = boost::math::erfc(abs(z) / root2) / 2;
      const Wide logSmall = log(small), logLarge = log1p(-small);
      return z >= 0 ? std::pair{logLarge, logSmall} : std::pair{logSmall, logLarge};
    };
    const auto [logBelow, logAbove] = logTails(x);
    const Wide logG =
        logConstant + t * logTails(c.delta - x).first + (k - 1.0) * logAbove + (n - k) * logBelow - x * x / 2;
    return Wide(exp(logG));
  };
  constexpr int kPieces = 16;
  Wide sum = 0;
  for (int i = 0; i < kPieces; ++i) {
    const Wide a = lo + (hi - lo) * i / kPieces;
    const Wide b = lo + (hi - lo) * (i + 1) / kPieces;
    sum += boost::math::quadrature::gauss_kronrod<Wide, 31>::integrate(integrand, a, b, 6, Wide(1e-20));
  }
  return sum;
}

TEST(ExactPower, AgreesWithWideArithmetic) {
  const Case cases[] = {
      {2, 1, 1, 3.0},       {2, 2, 4, 0.5},     {10, 3, 2, 2.0},         {50, 1, 4, 6.0},
      {100, 7, 3, 4.0},     {32000, 1, 4, 2.5}, {32000, 2, 1, 6.0},      {32000, 16000, 2, 3.0},
      {32000, 31999, 3, 1.0}, {32767, 32767, 4, 0.25},
  };
  for (const Case& c : cases) {
    const double wide = static_cast<double>(widePower(c));
    EXPECT_NEAR(exactPower(c.n, c.k, c.t, c.delta).value() / wide, 1.0, kRelativeTolerance)
        << "n " << c.n << " k " << c.k << " t " << c.t << " delta " << c.delta;
  }
}

TEST(ExactPower, RefusedOutsideItsDomain) {
  const Case outside[] = {{1, 1, 1, 2.0},  {32768, 1, 1, 2.0}, {10, 0, 1, 2.0},   {10, 11, 1, 2.0},
                          {10, 1, 0, 2.0}, {10, 1, 5, 2.0},    {10, 1, 1, -0.1}, {10, 1, 1, 6.1},
                          {10, 1, 1, NAN}};
  for (const Case& c : outside) {
    const Expected<double> power = exactPower(c.n, c.k, c.t, c.delta);
    ASSERT_FALSE(power.has_value()) << c.n << " " << c.k;
    EXPECT_EQ(power.error().kind, ProblemKind::refusedRequest);
  }
  // The three shifts and the rating of a size outside the domain are refused with it.
  EXPECT_FALSE(exactPowers(1, 1, 1).has_value());
  EXPECT_FALSE(exactRating(10, 11, 1).has_value());
}

// Exact binary halves of a thousandth: 0.5385 * 1000 is 538.5 in float64, and so on.
TEST(RatePowers, PowersRoundedToThousandthsHalvesToEvenThenCompared) {
  EXPECT_EQ(powerThousandths(0.5385), 538);
  EXPECT_EQ(powerThousandths(0.8135), 814);
  EXPECT_EQ(ratePowers(0.5385, 0.8145), Rating::acceptable);  // 538 misses, 814 meets
  EXPECT_EQ(ratePowers(0.5395, 0.8135), Rating::good);        // 540 and 814
  EXPECT_EQ(ratePowers(0.5385, 0.8125), Rating::low);         // 538 and 812
  EXPECT_EQ(ratePowers(0.539, 0.8134), Rating::acceptable);   // exactly .539 meets, 813 misses
  EXPECT_STREQ(ratingCaption(Rating::good), "Good");
  EXPECT_STREQ(ratingCaption(Rating::acceptable), "Acceptable");
  EXPECT_STREQ(ratingCaption(Rating::low), "Low");
}

}  // namespace
}  // namespace velmora::analysis

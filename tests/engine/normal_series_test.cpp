// SPDX-License-Identifier: GPL-3.0-or-later
// The batch series against normalCdf, argument for argument, on random arguments of the
// power step's range and on arguments one of whose terms, formed with the reciprocal of
// its divisor instead of the division, would lie next to a float32 rounding boundary
// (where a batch that saved the division would round it differently).
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "velmora/engine/calculation.h"
#include "velmora/engine/calculation_state.h"
#include "velmora/engine/normal_series.h"

namespace velmora {
namespace {

// Whether a term of x's series, formed without the division, lies so close to a float32
// rounding boundary that the batch cannot tell its rounding.
bool NearABoundary(double x) {
  const double minusSquare = -(x * x);
  double term = static_cast<double>(static_cast<float>(x));
  for (int k = 1; k <= 20; ++k) {
    const double p = (minusSquare * (static_cast<double>(2 * k - 1) / static_cast<double>((2 * k) * (2 * k + 1)))) * term;
    if (static_cast<float>(p * (1.0 - 0x1p-49)) != static_cast<float>(p * (1.0 + 0x1p-49))) return true;
    term = static_cast<double>(static_cast<float>(p));
  }
  return false;
}

TEST(NormalCdfBatch, SameAsTheSeriesOneArgumentAtATime) {
  std::mt19937_64 rng(424242u);
  std::uniform_real_distribution<double> range(0.0, 6.0);
  std::vector<double> x = {0.0, 1e-17, 6.0, 1.0, 2.0, 0.5};
  std::vector<double> nearBoundary;
  while (nearBoundary.size() < 3) {
    const double candidate = range(rng);
    if (NearABoundary(candidate)) nearBoundary.push_back(candidate);
  }
  for (int i = 0; i < 20000; ++i) x.push_back(range(rng));
  x.insert(x.begin() + 300, nearBoundary.begin(), nearBoundary.end());

  std::vector<double> out(x.size());
  NormalCdfBatch(x.data(), static_cast<int>(x.size()), out.data());
  CalculationState s;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double expected = normalCdf(x[i], false, s);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(out[i]), std::bit_cast<std::uint64_t>(expected)) << "x = " << x[i];
  }
}

}  // namespace
}  // namespace velmora

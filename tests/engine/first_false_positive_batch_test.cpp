// SPDX-License-Identifier: GPL-3.0-or-later
// The vector form of the first-false-positive sum against the one-state-at-a-time form,
// bit for bit, for every scheme, across ranks and sizes (states trimmed at both edges).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

#include "velmora/engine/detail/first_false_positive.h"
#include "first_false_positive_batch.h"

namespace velmora {
namespace {

TEST(FirstFalsePositiveSum64, SameAsTheStateByStateSum) {
  std::mt19937 rng(8191u);
  auto between = [&rng](int low, int high) { return low + static_cast<int>(rng() % static_cast<std::uint32_t>(high - low + 1)); };
  int checked = 0;
  for (int c = 0; c < 120; ++c) {
    const int r = c < 100 ? between(1, 300) : between(1000, 2500);
    const int n = between(2, std::min(32767 - 4 * r, c % 2 == 0 ? 200 : 20000));
    const int t = 1 + c % 4;
    const int k = between(1, n);
    const double expected = firstFalsePositiveSum<double>(n, r, t, k);
    const double got = firstFalsePositiveSum64(n, r, t, k);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected))
        << "n " << n << " r " << r << " t " << t << " k " << k;
    ++checked;
  }
  EXPECT_EQ(checked, 120);
}

}  // namespace
}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
// The coefficient rows' design updates as BuildRow runs them (the vector kernels, a large
// row tile by tile) against the portable loops one whole update after another, bit for
// bit: rows that fit the first-level cache and rows of thousands of positions, every
// scheme, ranks near both ends, and lengths that leave a partial last block of the vector.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <iostream>
#include <string>

#include "coefficient_row.h"

namespace velmora::rows {
namespace {

struct RowCase {
  int t;
  int n;
  int r;
  int k;
};

// The first position where two rows differ, or 0.
int firstDifference(const double* expected, const double* got, int positions) {
  for (int m = 1; m <= positions; ++m) {
    if (std::bit_cast<std::uint64_t>(expected[m]) != std::bit_cast<std::uint64_t>(got[m])) return m;
  }
  return 0;
}

TEST(RowKernels, TiledAndVectorUpdatesBuildTheRowsOfOneUpdateAfterAnother) {
  const RowCase cases[] = {{2, 20, 1, 3},     {3, 20, 2, 5},     {4, 30, 7, 11},     {4, 100, 100, 9},
                           {2, 100, 1500, 50}, {3, 300, 700, 4}, {4, 3715, 517, 200}, {4, 297, 8077, 18},
                           {3, 41, 8191, 41}};
  for (const UpdateKernel kind : {UpdateKernel::portable, UpdateKernel::avx2, UpdateKernel::avx512}) {
    if (!kernelRuns(kind)) {
      std::cout << "this processor does not run kernel " << static_cast<int>(kind) << "\n";
      continue;
    }
    for (const RowCase& c : cases) {
      const std::string label = "kernel " + std::to_string(static_cast<int>(kind)) + ", t " + std::to_string(c.t) +
                                ", n " + std::to_string(c.n) + ", r " + std::to_string(c.r) + ", k " + std::to_string(c.k);
      CoefficientRow portable;
      CoefficientRow vector;
      buildDesignRowWith(UpdateKernel::portable, false, c.t, c.n, c.r, c.k, portable);
      buildDesignRowWith(kind, true, c.t, c.n, c.r, c.k, vector);
      EXPECT_EQ(firstDifference(portable.last, vector.last, portable.limit), 0) << label;
      if (c.r >= 2) EXPECT_EQ(firstDifference(portable.previous, vector.previous, (c.t - 1) * (c.r - 1) + 1), 0) << label;
      EXPECT_EQ(std::bit_cast<std::uint32_t>(rowSum(portable)), std::bit_cast<std::uint32_t>(rowSum(vector))) << label;
    }
  }
}

}  // namespace
}  // namespace velmora::rows

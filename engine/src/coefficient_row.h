// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The coefficient row of a retest candidate, built outside the record: the arithmetic of
// the row that the walk of every candidate builds in the record's table (the tests'
// reference walk, every element's operations in their order), laid out so that the
// updates run across the vector unit, with the candidate's own storage so that candidates
// can be evaluated side by side, on several threads.
//
// Positions m = 1 .. (t - 1) r + 1 of the row hold c(m): runProb * c(m) is the probability
// that exactly m - 1 of the t r samples exceed the limit while no comparison has all t of
// its samples above it (the row as paths: rank_walk_bounds.cpp, 2).

#include <vector>

#include "row_kernels.h"

namespace velmora::rows {

// How the row's products are rounded.
enum class RowMode {
  design,       // as the searches round them
  flushToZero,  // a product below the smallest normal float64 becomes 0 (for the bounds of
                // rank_walk_bounds.h; never a result)
};

// A candidate's row and what the record keeps of it.
struct CoefficientRow {
  int t = 0;
  int r = 0;
  int limit = 0;     // (t - 1) r + 1 positions
  int poolSize = 0;  // n + t r - k
  // The row after all r comparisons, and before the last one (the record keeps the last
  // update's products in its rows 2..t).
  const double* last = nullptr;      // last[m], m = 1 .. limit
  const double* previous = nullptr;  // previous[m], valid when r >= 2
  // The weights of the updates by source position (w1 for t >= 2, w2 for t >= 3, w3 for
  // t = 4), valid when r >= 2.
  const double* w1 = nullptr;
  const double* w2 = nullptr;
  const double* w3 = nullptr;
  // Flush-to-zero rows only: per update v = 2 .. r, the lowest position m of the row
  // before the update from which a product fell below the smallest normal float64
  // (0 where none did).
  std::vector<int> lowestFlushedSource;

  // Storage: padded so that positions -2 .. 0 read as 0.
  std::vector<double> bufferA;
  std::vector<double> bufferB;
  std::vector<double> weight1;
  std::vector<double> weight2;
  std::vector<double> weight3;
  std::vector<double> quotient;  // (k + m - 1) / (N - m + 1)
};

inline constexpr int kRowPad = 8;

// Builds the row of candidate k of scheme 1:t (n background values, r comparisons) into
// `row`, reusing its storage.
void buildRow(int t, int n, int r, int k, RowMode mode, CoefficientRow& row);

// buildRow in RowMode::design with the given kind of kernel (where it cannot run, the
// portable loops; buildRow takes the widest there is), and with a large row's updates tile
// by tile as buildRow goes, or one whole update after another (for tests).
void buildDesignRowWith(UpdateKernel kind, bool tiles, int t, int n, int r, int k, CoefficientRow& row);

// The searches' float32 sum of the row, c(1) first.
float rowSum(const CoefficientRow& row);

// The float64 sum of the row, c(1) first (for the bounds).
double rowSum64(const CoefficientRow& row);

// Writes what the searches' table holds after building this row: positions 1 .. limit of
// rows 1 .. t (first index fastest: element (row, m) at (m - 1) * 4 + row - 1).
void writeTable(const CoefficientRow& row, double* table);

}  // namespace velmora::rows

// SPDX-License-Identifier: GPL-3.0-or-later
#include "coefficient_row.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstddef>
#include <limits>

#include "rounding_points.h"
#include "row_kernels.h"
#include "vector_dispatch.h"


namespace velmora::rows {

using steps::f64;
using steps::toFloat32;

// The row of candidate k, as the retest walk builds it (retest_walk.cpp), and as the walk of
// every candidate builds it in the record's table (the tests' reference walk, whose table
// layout writeTable reproduces):
//
//   c(1) = 1 and c(2 .. t) after the first comparison;
//   per further comparison v = 2 .. r, with innerLow = t + (t - 1)(v - 2) and
//   innerHigh = innerLow + t - 1, for m = 1 .. innerHigh
//     t = 2: c(m) <- w1(m - 1) c(m - 1) + c(m)
//     t = 3: c(m) <- (w1(m - 1) c(m - 1) + c(m)) + w2(m - 2) c(m - 2)
//     t = 4: c(m) <- ((w1(m - 1) c(m - 1) + c(m)) + w2(m - 2) c(m - 2)) + w3(m - 3) c(m - 3)
//   every product formed from the row before the update.
//
// The searches' table holds the products of an update in its rows 2..t and adds them
// there; a product whose source lies beyond the row before the update (above innerLow, or
// below position 1) is a table element no update has written, a zero. Here the row is
// kept in two buffers, one read and one written per update, with zeros around it: such a
// product is w * 0 = +0 with a finite weight, and x + 0 = x for every x >= 0, so every
// element gets the same sum of the same products in the same order. The weights of a
// position depend only on the candidate and the position and are formed once; the
// quotient (k + m) / (N - m), which the searches form as a2 at position m and as a1 at
// position m + 1, is formed once, with the same operands.

namespace {

// Positions -kRowPad .. size + kRowPad - 1 of a row's storage, positions -kRowPad .. 0
// zero, placed so that position `aligned` starts a 64-byte line (the updates read
// eight values at a time from there; the values do not depend on it). A row reused for
// another candidate keeps what it held above that: buildRow zeroes the positions it reads
// before writing them.
double* padded(std::vector<double>& storage, int size, int aligned = 1) {
  constexpr std::size_t kLine = 64 / sizeof(double);
  const std::size_t needed = static_cast<std::size_t>(size + 2 * kRowPad) + kLine - 1;
  if (storage.size() < needed) storage.assign(needed, 0.0);
  const auto address = reinterpret_cast<std::uintptr_t>(storage.data() + kRowPad + aligned) / sizeof(double);
  const std::size_t shift = (kLine - address % kLine) % kLine;
  double* const zero = storage.data() + shift + kRowPad;
  std::fill(zero - kRowPad, zero + 1, 0.0);
  return zero;
}

// Zeroes positions from .. from + 3 of a padded storage (the positions a row's next
// reads need, at most t - 1 of them, and a few more, all within its padding).
inline void clearFour(double* padded, int from) {
  padded[from] = 0.0;
  padded[from + 1] = 0.0;
  padded[from + 2] = 0.0;
  padded[from + 3] = 0.0;
}

// One flush-to-zero update: next[m] for m = 1 .. high from the row `row`, every product
// below the smallest normal float64 taken as 0.
VELMORA_VECTOR_CLONES
void flushUpdate(int t, int high, const double* w1, const double* w2, const double* w3, const double* row,
                 double* next) {
  const auto flushed = [](double p) { return p < DBL_MIN ? 0.0 : p; };
  if (t == 2) {
    for (int m = 1; m <= high; ++m) next[m] = flushed(w1[m - 1] * row[m - 1]) + row[m];
  } else if (t == 3) {
    for (int m = 1; m <= high; ++m) {
      next[m] = (flushed(w1[m - 1] * row[m - 1]) + row[m]) + flushed(w2[m - 2] * row[m - 2]);
    }
  } else {
    for (int m = 1; m <= high; ++m) {
      next[m] = ((flushed(w1[m - 1] * row[m - 1]) + row[m]) + flushed(w2[m - 2] * row[m - 2])) +
                flushed(w3[m - 3] * row[m - 3]);
    }
  }
}

// The lowest source position m = 1 .. low of `row` with a product below the smallest
// normal float64, or 0. A position whose element is at least `safe` (the smallest normal
// float64 over the smallest weight) has none, which one comparison tells.
VELMORA_VECTOR_CLONES
int lowestFlushedSource(int t, int low, double safe, const double* w1, const double* w2, const double* w3,
                        const double* row) {
  constexpr int kChunk = 64;
  for (int from = 1; from <= low; from += kChunk) {
    const int to = std::min(low, from + kChunk - 1);
    int any = 0;
    for (int m = from; m <= to; ++m) any |= static_cast<int>(row[m] < safe);
    if (any == 0) continue;
    for (int m = from; m <= to; ++m) {
      double p = w1[m] * row[m];
      if (t >= 3) p = std::min(p, w2[m] * row[m]);
      if (t == 4) p = std::min(p, w3[m] * row[m]);
      if (p < DBL_MIN) return m;
    }
  }
  return 0;
}

void build(UpdateKernel kind, bool tiles, int t, int n, int r, int k, RowMode mode, CoefficientRow& row);

}  // namespace

void buildRow(int t, int n, int r, int k, RowMode mode, CoefficientRow& row) {
  // (The kernel's kind, chosen once per process, matters to the design rows only.)
  static const UpdateKernel kWidest = widestKernel();
  build(kWidest, true, t, n, r, k, mode, row);
}

void buildDesignRowWith(UpdateKernel kind, bool tiles, int t, int n, int r, int k, CoefficientRow& row) {
  build(kind, tiles, t, n, r, k, RowMode::design, row);
}

namespace {

void build(UpdateKernel kind, bool tiles, int t, int n, int r, int k, RowMode mode, CoefficientRow& row) {
  const int N = n + t * r - k;
  const int limit = (t - 1) * r + 1;
  row.t = t;
  row.r = r;
  row.limit = limit;
  row.poolSize = N;

  double* a = padded(row.bufferA, limit + 1);
  double* b = padded(row.bufferB, limit + 1);

  // The row after the first comparison.
  a[1] = 1.0;
  if (t == 2) {
    a[2] = f64(2 * k) / f64(N);
  } else if (t == 3) {
    const double b1 = f64(k) / f64(N);
    const double b1Times3 = b1 * 3.0;
    a[2] = b1Times3;
    a[3] = (f64(k + 1) / f64(N - 1)) * b1Times3;
  } else {
    const double b1 = f64(k) / f64(N);
    const double b2 = f64(k + 1) / f64(N - 1);
    const double b3 = f64(k + 2) / f64(N - 2);
    a[2] = f64(4 * k) / f64(N);
    a[3] = b2 * (b1 * 6.0);
    a[4] = (b2 * (b1 * 4.0)) * b3;
  }
  // The first update reads up to position 2t - 1.
  clearFour(a, t + 1);

  row.lowestFlushedSource.assign(static_cast<std::size_t>(r) + 1, 0);
  if (r < 2) {
    row.last = a;
    row.previous = nullptr;
    return;
  }

  // Weights, as one update forms them:
  //   t = 2: w1 = (a1 * 2)
  //   t = 3: w1 = (a1 * 3),  w2 = ((a1 * 3) * a2)
  //   t = 4: w1 = (a1 * 4),  w2 = ((a1 * 6) * a2),  w3 = (((a1 * 4) * a2) * a3)
  // with a1 = (k + m - 1) / (N - m + 1), a2 = (k + m) / (N - m), a3 = (k + m + 1) / (N - m - 1).
  const int lastPosition = (t - 1) * (r - 1) + 1;  // innerLow of the last update
  double* const q = padded(row.quotient, lastPosition + 3);
  for (int m = 1; m <= lastPosition + t - 1; ++m) q[m] = f64(k + m - 1) / f64(N - m + 1);
  // Placed so that the updates' reads w1(m - 1), w2(m - 2), w3(m - 3) start lines with m = 1.
  double* const w1 = padded(row.weight1, limit + 1, 0);
  double* const w2 = padded(row.weight2, t >= 3 ? limit + 1 : 0, -1);
  double* const w3 = padded(row.weight3, t == 4 ? limit + 1 : 0, -2);
  row.w1 = w1;
  row.w2 = w2;
  row.w3 = w3;
  // The last update reads the weights up to position lastPosition + t - 2, where its
  // sources are zero: those weights are zero too.
  clearFour(w1, lastPosition + 1);
  if (t >= 3) clearFour(w2, lastPosition + 1);
  if (t == 4) clearFour(w3, lastPosition + 1);
  if (t == 2) {
    for (int m = 1; m <= lastPosition; ++m) w1[m] = q[m] * 2.0;
  } else if (t == 3) {
    for (int m = 1; m <= lastPosition; ++m) {
      const double a1Times3 = q[m] * 3.0;
      w1[m] = a1Times3;
      w2[m] = a1Times3 * q[m + 1];
    }
  } else {
    for (int m = 1; m <= lastPosition; ++m) {
      const double a1Times4 = q[m] * 4.0;
      w1[m] = a1Times4;
      w2[m] = (q[m] * 6.0) * q[m + 1];
      w3[m] = (a1Times4 * q[m + 1]) * q[m + 2];
    }
  }

  const bool flush = mode == RowMode::flushToZero;
  double smallestWeight = std::numeric_limits<double>::infinity();
  if (flush) {
    for (int m = 1; m <= lastPosition; ++m) {
      smallestWeight = std::min(smallestWeight, w1[m]);
      if (t >= 3) smallestWeight = std::min(smallestWeight, w2[m]);
      if (t == 4) smallestWeight = std::min(smallestWeight, w3[m]);
    }
  }
  // Where the smallest weight is itself below 1, DBL_MIN / it may round down; the test
  // of the products themselves decides in that case anyway, so `safe` only needs to be
  // no smaller than the true quotient, which rounding up by two steps ensures.
  const double safe = std::nextafter(std::nextafter(DBL_MIN / smallestWeight, INFINITY), INFINITY);
  if (!flush) {
    std::fill(a + t + 1, a + limit + 1, 0.0);
    std::fill(b + 1, b + limit + 1, 0.0);
    row.last = designUpdates(kind, tiles, t, r, w1, w2, w3, a, b);
    row.previous = row.last == a ? b : a;
    return;
  }
  for (int v = 2; v <= r; ++v) {
    const int innerLow = t + (t - 1) * (v - 2);
    const int innerHigh = innerLow + t - 1;
    row.lowestFlushedSource[static_cast<std::size_t>(v)] = lowestFlushedSource(t, innerLow, safe, w1, w2, w3, a);
    flushUpdate(t, innerHigh, w1, w2, w3, a, b);
    // As the next update's source the row is read up to innerHigh + t - 1.
    clearFour(b, innerHigh + 1);
    std::swap(a, b);
  }
  row.last = a;
  row.previous = b;
}

}  // namespace

float rowSum(const CoefficientRow& row) {
  float sum = 0.0f;
  for (int m = 1; m <= row.limit; ++m) sum = toFloat32(static_cast<double>(sum) + row.last[m]);
  return sum;
}

double rowSum64(const CoefficientRow& row) {
  double sum = 0.0;
  for (int m = 1; m <= row.limit; ++m) sum += row.last[m];
  return sum;
}

void writeTable(const CoefficientRow& row, double* table) {
  const int t = row.t;
  for (int m = 1; m <= row.limit; ++m) {
    double* const element = table + static_cast<std::size_t>(m - 1) * 4;
    element[0] = row.last[m];
    // Rows 2 .. t (written out: as a loop the compiler calls memset for three values).
    element[1] = 0.0;
    if (t >= 3) element[2] = 0.0;
    if (t == 4) element[3] = 0.0;
  }
  if (row.r < 2) return;
  // The products of the last update, at the positions it wrote them.
  const int innerLow = t + (t - 1) * (row.r - 2);
  const double* const w1 = row.w1;
  const double* const w2 = row.w2;
  const double* const w3 = row.w3;
  for (int m = 1; m <= innerLow; ++m) {
    const double cm = row.previous[m];
    table[static_cast<std::size_t>(m) * 4 + 1] = w1[m] * cm;
    if (t >= 3) table[static_cast<std::size_t>(m + 1) * 4 + 2] = w2[m] * cm;
    if (t == 4) table[static_cast<std::size_t>(m + 2) * 4 + 3] = w3[m] * cm;
  }
}

}  // namespace velmora::rows

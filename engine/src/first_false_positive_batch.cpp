// SPDX-License-Identifier: GPL-3.0-or-later
#include "first_false_positive_batch.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "velmora/engine/detail/first_false_positive.h"

#include "vector_dispatch.h"

namespace velmora {

// firstFalsePositiveSum<double> forms, per comparison and per state e, the contributions
// q(e) * (C(t, i) aboveRise(i) belowRise(t - i) * reciprocal) to next(e + i) and the false
// positive q(e) * (aboveRise(t) * reciprocal), adding them in the order of e. Here the
// contributions of all states are formed first, state by state across the vector unit
// (AVX-512 or AVX2 where the processor has them, chosen at run time), with the same
// operations in the same order; then each next(j) adds its contributions from
// e = j - t + 1 up to e = j, which is the order in which they arrive there (a state outside
// low .. high contributes nothing, here +0, and x + 0 = x for these non-negative numbers);
// the false positives are added one after another in the order of e. The trimming of the
// state range is the same. That sum of the false positives is one chain of additions,
// each waiting for the one before, and it was a third of the time: it now goes piece by
// piece between the pieces of the next comparison's contributions (which do not depend on
// it), so that the processor runs both at once; the comparisons' sums still reach the
// total in their order.

namespace {

// The contributions of states low .. high (count of them) of comparison v: contribution[i]
// and falsePositive indexed from 0 for state low. (The rising products are written out
// one factor at a time, aboveRise(h) = aboveRise(h - 1) (above + h - 1) from
// aboveRise(0) = 1, so that the loop runs across the vector unit.)
template <int T>
__attribute__((always_inline)) inline void contributionsOf(int n, int k, long s, int low, int count, double reciprocal,
                                                           const double* __restrict q, double* __restrict c0,
                                                           double* __restrict c1, double* __restrict c2,
                                                           double* __restrict c3, double* __restrict falsePositive) {
  const double aboveBase = static_cast<double>(k + low);
  const double belowBase = static_cast<double>(n - k + 1 + s - low);
  for (int i = 0; i < count; ++i) {
    const double qe = q[i];
    const double above = aboveBase + static_cast<double>(i);  // k + e, exactly
    const double below = belowBase - static_cast<double>(i);  // n - k + 1 + s - e, exactly
    const double a1 = 1.0 * above;
    const double a2 = a1 * (above + 1.0);
    const double a3 = a2 * (above + 2.0);
    const double a4 = a3 * (above + 3.0);
    const double b1 = 1.0 * below;
    const double b2 = b1 * (below + 1.0);
    const double b3 = b2 * (below + 2.0);
    const double b4 = b3 * (below + 3.0);
    constexpr auto& C = kResampleBinomial[T];
    if constexpr (T == 1) {
      c0[i] = qe * ((static_cast<double>(C[0]) * 1.0 * b1) * reciprocal);
      falsePositive[i] = qe * (a1 * reciprocal);
    } else if constexpr (T == 2) {
      c0[i] = qe * ((static_cast<double>(C[0]) * 1.0 * b2) * reciprocal);
      c1[i] = qe * ((static_cast<double>(C[1]) * a1 * b1) * reciprocal);
      falsePositive[i] = qe * (a2 * reciprocal);
    } else if constexpr (T == 3) {
      c0[i] = qe * ((static_cast<double>(C[0]) * 1.0 * b3) * reciprocal);
      c1[i] = qe * ((static_cast<double>(C[1]) * a1 * b2) * reciprocal);
      c2[i] = qe * ((static_cast<double>(C[2]) * a2 * b1) * reciprocal);
      falsePositive[i] = qe * (a3 * reciprocal);
    } else {
      c0[i] = qe * ((static_cast<double>(C[0]) * 1.0 * b4) * reciprocal);
      c1[i] = qe * ((static_cast<double>(C[1]) * a1 * b3) * reciprocal);
      c2[i] = qe * ((static_cast<double>(C[2]) * a2 * b2) * reciprocal);
      c3[i] = qe * ((static_cast<double>(C[3]) * a3 * b1) * reciprocal);
      falsePositive[i] = qe * (a4 * reciprocal);
    }
    static_cast<void>(c1);
    static_cast<void>(c2);
    static_cast<void>(c3);
  }
}

VELMORA_VECTOR_CLONES
void contributions(int t, int n, int k, long s, int low, int count, double reciprocal, const double* q,
                   double* const* contribution, double* falsePositive) {
  double* const c[4] = {contribution[0], contribution[1], contribution[2], contribution[3]};
  switch (t) {
    case 1: contributionsOf<1>(n, k, s, low, count, reciprocal, q, c[0], c[1], c[2], c[3], falsePositive); break;
    case 2: contributionsOf<2>(n, k, s, low, count, reciprocal, q, c[0], c[1], c[2], c[3], falsePositive); break;
    case 3: contributionsOf<3>(n, k, s, low, count, reciprocal, q, c[0], c[1], c[2], c[3], falsePositive); break;
    default: contributionsOf<4>(n, k, s, low, count, reciprocal, q, c[0], c[1], c[2], c[3], falsePositive); break;
  }
}

// next(j) for the targets j = 0 .. count + t - 2 (relative to low): the contributions of
// states j - t + 1 .. j in that order. The contribution arrays are read t - 1 places
// before and after their states, where they hold zeros.
VELMORA_VECTOR_CLONES
void gather(int t, int targets, double* const* contribution, double* __restrict next) {
  if (t == 1) {
    for (int j = 0; j < targets; ++j) next[j] = 0.0 + contribution[0][j];
  } else if (t == 2) {
    for (int j = 0; j < targets; ++j) next[j] = (0.0 + contribution[1][j - 1]) + contribution[0][j];
  } else if (t == 3) {
    for (int j = 0; j < targets; ++j) {
      next[j] = ((0.0 + contribution[2][j - 2]) + contribution[1][j - 1]) + contribution[0][j];
    }
  } else {
    for (int j = 0; j < targets; ++j) {
      next[j] = (((0.0 + contribution[3][j - 3]) + contribution[2][j - 2]) + contribution[1][j - 1]) + contribution[0][j];
    }
  }
}

// sum + terms[from] + ... + terms[to - 1], one addition after another.
inline double addInOrder(double sum, const double* terms, int from, int to) {
  for (int i = from; i < to; ++i) sum += terms[i];
  return sum;
}

}  // namespace

double firstFalsePositiveSum64(int n, int r, int t, int k) {
  const int size = (t - 1) * r + t + 1;
  std::vector<double> q(static_cast<std::size_t>(size), 0.0);
  std::vector<double> next(static_cast<std::size_t>(size), 0.0);
  constexpr int kPad = 4;
  std::vector<double> storage(static_cast<std::size_t>(4) * (size + 2 * kPad), 0.0);
  double* contribution[4];
  for (int i = 0; i < 4; ++i) contribution[i] = storage.data() + static_cast<std::size_t>(i) * (size + 2 * kPad) + kPad;
  // The false positives of this comparison and of the one before, whose sum is still going.
  std::vector<double> falsePositive(static_cast<std::size_t>(2) * size, 0.0);
  double* current = falsePositive.data();
  double* pending = current + size;
  int pendingCount = 0;
  int pendingAt = 0;
  double pendingSum = 0.0;
  q[0] = 1.0;
  int low = 0;
  int high = 0;
  double total = 0.0;
  const double dropBelow = 1e-60;
  // States a piece: small enough that the processor runs a piece of the sum of the
  // previous comparison's false positives (one addition after another) alongside it.
  constexpr int kPiece = 64;

  for (int v = 0; v < r && low <= high; ++v) {
    const long s = static_cast<long>(t) * v;
    double poolRise = 1.0;
    for (int h = 0; h < t; ++h) poolRise *= static_cast<double>(n + 1 + s + h);
    const double reciprocal = 1.0 / poolRise;

    const int count = high - low + 1;
    // Zeros around the states' contributions (earlier comparisons may have left values).
    for (int i = 0; i < t; ++i) {
      for (int p = 1; p < t; ++p) {
        contribution[i][-p] = 0.0;
        contribution[i][count - 1 + p] = 0.0;
      }
    }
    int gathered = 0;
    for (int from = 0; from < count; from += kPiece) {
      const int to = std::min(count, from + kPiece);
      double* const piece[4] = {contribution[0] + from, contribution[1] + from, contribution[2] + from,
                                contribution[3] + from};
      contributions(t, n, k, s, low + from, to - from, reciprocal, q.data() + low + from, piece, current + from);
      // next(j) needs the contributions of states j - t + 1 .. j: all there up to to - 1.
      const int gatherTo = to == count ? count + t - 1 : to;
      double* const fromGathered[4] = {contribution[0] + gathered, contribution[1] + gathered,
                                       contribution[2] + gathered, contribution[3] + gathered};
      gather(t, gatherTo - gathered, fromGathered, next.data() + low + gathered);
      gathered = gatherTo;
      const int end = std::min(pendingCount, pendingAt + kPiece);
      pendingSum = addInOrder(pendingSum, pending, pendingAt, end);
      pendingAt = end;
    }
    pendingSum = addInOrder(pendingSum, pending, pendingAt, pendingCount);
    if (v > 0) total += pendingSum;
    std::swap(current, pending);
    pendingCount = count;
    pendingAt = 0;
    pendingSum = 0.0;

    advanceStates(q, next, t, dropBelow, low, high);
  }
  total += addInOrder(pendingSum, pending, pendingAt, pendingCount);
  return total;
}

}  // namespace velmora

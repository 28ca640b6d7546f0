// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the retest walk may skip: bounds on the searches' float32 CFP of candidates it does
// not evaluate. The proof is in rank_walk_bounds.cpp.

#include <vector>

namespace velmora::walkbounds {

// D(k) - CFP(k) <= floatPathExcess(...) for every candidate k0 <= k <= K whose float32
// arithmetic stays in range (a normal running probability and a finite sum), where
// runProbDeviation is the largest runProbDeviation of those candidates, flushedMass bounds
// the probability of the coefficient paths through products that the flush-to-zero row of
// k0 flushed (flushedPathMass), and sumExcess is sumExcess of the last such candidate's row
// or, without it, crudeSumExcess.
long double floatPathExcess(int r, long double runProbDeviation, long double flushedMass, long double sumExcess);

// The relative distance of candidate k's float32 running probability from the exact one,
// given that product formed in long double (as the walk's candidates form it,
// Candidates::runProbLongDouble in candidates.h).
long double runProbDeviation(float runProb, long double runProbLongDouble, int k);

// What the float32 sums of candidates k0 .. K may lose: from K's design row c(1..limit)
// and the running probability of k0.
long double sumExcess(const double* row, int limit, float firstRunProb);
long double crudeSumExcess(int t, int r);

// D(k) - CFP(k) <= soundPathExcess(t, r) for every candidate evaluated as first-false-
// positive probabilities in float64 (a running probability below the float32 range, or
// an infinite sum).
long double soundPathExcess(int t, int r);

// An upper bound on the probability of the coefficient paths of any candidate k <= kHigh
// that pass through a product flushed in the flush-to-zero row of the walk's first
// candidate; lowestFlushedSource as CoefficientRow::lowestFlushedSource of that row.
long double flushedPathMass(int n, int r, int t, int kHigh, const std::vector<int>& lowestFlushedSource);

// CFP(k) <= the bound, from candidate k's flush-to-zero row summed in float64 (rowSum64)
// and its running probability formed in long double.
long double cfpUpperFromFlushedRow(long double runProbLongDouble, double rowSum64, int t, int r, int k);

// CFP(k) <= the bound, from candidate k's first-false-positive sum in float64.
long double cfpUpperFromSound(double firstFalsePositiveSum, int t, int r);

// CFP(k) estimated by quadrature (for choosing which candidate to try, never a result).
double estimateCfp(int n, int r, int t, int k);

}  // namespace velmora::walkbounds

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One candidate rank of a retest search: its running probability, its coefficient row,
// its CFP, and what the calculation record keeps of it.

#include <memory>
#include <vector>

#include "calculation_state.h"
#include "coefficient_row.h"

namespace velmora::retest {

// A candidate's CFP and what the record keeps of it.
struct Evaluation {
  int k = 0;
  float runProb = 0.0f;
  bool built = false;       // the running probability is a normal float32: the row was built
  float countSum = 0.0f;    // the row's float32 sum, when built
  float cfp = 0.0f;
  double soundSum = -1.0;   // the first-false-positive sum, where the sound path was taken
  std::shared_ptr<const rows::CoefficientRow> row;  // when built
};

// The running probabilities of every candidate 1 .. n of scheme 1:t (element k for
// candidate k), as the walk carries them from candidate to candidate (and as a candidate
// recomputes it from the start: the same products in the same order).
[[nodiscard]] std::vector<float> runProbabilities(int t, int n, int r);

// The CFP of candidate k summed as the probabilities of the first false positive in
// float64, rounded to float32, and the sum itself in `sum`: where the float32 arithmetic
// of a candidate has left its range (candidate_evaluation.cpp says why).
float soundCfp(int n, int r, int t, int k, double& sum);

// Candidate k of scheme 1:t with its running probability, evaluated as the searches do.
[[nodiscard]] Evaluation evaluateDesign(int t, int n, int r, int k, float runProb);

// What evaluating candidate e leaves in the record: the running probability, and where
// the row was built, its pool size, the table, the last update's positions and the sum.
void commit(CalculationState& s, int t, const Evaluation& e);

// The float64 operations of one candidate, roughly.
[[nodiscard]] double candidateCost(int t, int r);

}  // namespace velmora::retest

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The candidates of one retest walk: each evaluated once and kept while the walk may still
// need it, several at a time where a candidate is costly.

#include <cstddef>
#include <map>
#include <vector>

#include "candidate_evaluation.h"

namespace velmora::retest {

// The design CFPs of one scheme's candidates, each evaluated once, several at a time
// where a candidate is costly.
class Candidates {
 public:
  Candidates(int t, int n, int r, int kMax);

  float runProb(int k) const { return m_runProb[static_cast<std::size_t>(k)]; }
  // The exact running probability of candidate k, to a relative 4k 2^-64: the same
  // product in long double.
  long double runProbLongDouble(int k) const;
  // The last candidate whose running probability is a normal float32 (0 if none).
  int lastNormal() const { return m_lastNormal; }
  // How many candidates are evaluated at a time where each is costly.
  int width() const { return m_width; }

  // The candidates evaluated alongside one on the float32 path stop at the last such
  // candidate (where the walk will try to prove the first-false-positive ones instead).
  void stopLookaheadAtLastNormal() { m_lookaheadStop = lastNormal(); }

  // Candidate k, with the candidates after it up to the batch's width evaluated alongside.
  const Evaluation& get(int k);

  // Evaluates those of `ks` not evaluated yet, side by side.
  void evaluate(const std::vector<int>& ks);

  // Forgets the rows of candidates below k (the walk has passed them).
  void forgetBelow(int k);

  int t() const { return m_t; }
  int n() const { return m_n; }
  int r() const { return m_r; }

 private:
  int m_t;
  int m_n;
  int m_r;
  int m_kMax;
  std::vector<float> m_runProb;
  mutable std::vector<long double> m_runProbLd;
  int m_width;
  int m_lastNormal = 0;
  int m_lookaheadStop = 0;
  std::map<int, Evaluation> m_done;
};

}  // namespace velmora::retest

// SPDX-License-Identifier: GPL-3.0-or-later
// The retest searches 1:2, 1:3 and 1:4: for every scheme 1:t a walk over the candidate
// ranks from the previous scheme's rank, each candidate's CFP formed from its running
// probability and coefficient row (coefficient_row.h), the same float32 and float64
// arithmetic as the walk of every candidate (the tests' reference walk). The walk decides
// exactly as that one does, candidate by candidate, but it does not evaluate the
// candidates that the walk's certificate (walk_certificate.cpp) proves to pass, and it
// evaluates the candidates it needs side by side on the processor's cores. Its record is
// the reference walk's, field for field: the candidates that leave something in the record
// (the last one, and the last one whose row was built) are the same, and their values are
// the same.
#include "velmora/engine/calculation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "velmora/engine/detail/contract.h"

#include "calculation_core.h"
#include "candidate_evaluation.h"
#include "candidates.h"
#include "rounding_points.h"
#include "walk_certificate.h"

namespace velmora {

using retest::Candidates;
using retest::candidateCost;
using retest::certifiedPassing;
using retest::commit;
using retest::Evaluation;
using retest::evaluateDesign;
using steps::f64;
using steps::toFloat32;

void CalculationCore::FindRank1of2() { findRankRetest(2); }
void CalculationCore::FindRank1of3() { findRankRetest(3); }
void CalculationCore::FindRank1of4() { findRankRetest(4); }

float CalculationCore::evaluateRetestCandidate(int t, int k, bool carryRunProb) {
  CalculationState& s = m_state;
  const int n = s.n;
  const int nPlusTr = n + t * s.r;
  float runProb = 0.0f;
  if (!carryRunProb) {
    runProb = toFloat32(f64(n) / f64(nPlusTr));
    for (int m = 2; m <= k; ++m) {
      const double product = f64(n - m + 1) * static_cast<double>(runProb);
      runProb = toFloat32(product / f64(nPlusTr - m + 1));
    }
  } else {
    const double product = f64(n - k + 1) * static_cast<double>(s.runProb[t]);
    runProb = toFloat32(product / f64(nPlusTr - k + 1));
  }
  const Evaluation e = evaluateDesign(t, n, s.r, k, runProb);
  commit(s, t, e);
  return e.cfp;
}

void CalculationCore::findRankRetest(int t) {
  if (m_retestWalk != nullptr) {
    m_retestWalk(*this, t);
    return;
  }
  CalculationState& s = m_state;
  const int n = s.n;
  const int r = s.r;
  const int j = s.j;
  const int start = s.optRank[t - 1];
  const int kEnd = std::min(j, n);

  Candidates candidates(t, n, r, kEnd);
  // Every candidate from start to `certified` passes; the walk starts at the last of them
  // (whose CFP it needs), or at start.
  int certified = start - 1;
  // Proving a stretch costs a few candidates and some estimates: worth it for long walks
  // of costly candidates.
  const bool longWalk = kEnd - start + 1 >= 8 && candidateCost(t, r) >= 2e4 && f64(kEnd - start) * candidateCost(t, r) >= 5e5;
  // Where the walk reaches the first candidate of the first-false-positive sums with at
  // least eight candidates left, it tries to prove a stretch of those.
  const bool proveFromFirstSum = longWalk && kEnd - candidates.lastNormal() >= 8;
  if (proveFromFirstSum) candidates.stopLookaheadAtLastNormal();
  std::shared_ptr<rows::CoefficientRow> fromRow;
  // Each certified stretch ends at a candidate whose flush-to-zero row starts the next.
  for (int from = start; longWalk && from < kEnd;) {
    const int further = certifiedPassing(candidates, s.dcfp, from, kEnd, fromRow);
    if (further < from) break;
    certified = further;
    if (further < from + 8) break;
    from = further;
  }

  // The walk, deciding exactly as the walk of every candidate does (the candidates it
  // jumps over all pass, and none of them is its last). `walked` lists the
  // candidates whose evaluation the record would show, in order; the flag marks the walk's
  // own candidates (whose coefficient sum the walk clears first).
  std::vector<std::pair<Evaluation, bool>> walked;
  const int initialCertified = certified;
  for (int k = std::max(start, certified); k <= n; ++k) {
    // Where the walk reaches the first candidate of the first-false-positive sums, the
    // bound of those alone may carry it further.
    if (proveFromFirstSum && k == candidates.lastNormal() + 1 && k > certified) {
      std::shared_ptr<rows::CoefficientRow> none;
      for (int from = k;;) {
        const int further = certifiedPassing(candidates, s.dcfp, from, kEnd, none);
        if (further < from) break;
        certified = further;
        k = further;
        if (further < from + 8 || further >= kEnd) break;
        from = further;
      }
    }
    s.rankIdx = static_cast<std::int16_t>(k);
    s.optRank[t] = static_cast<std::int16_t>(k);
    const Evaluation& e = candidates.get(k);
    // Only the last candidate whose row was built and those after it can show in the record.
    if (e.built) walked.clear();
    if (walked.size() >= 2 && !walked.back().first.built) walked.pop_back();
    walked.emplace_back(e, true);
    candidates.forgetBelow(k);
    const float cfpCur = e.cfp;
    s.cfpCur[t] = cfpCur;
    VELMORA_ASSERT(std::isfinite(cfpCur));
    // A certified candidate passes: anything else is a fault of the bound.
    VELMORA_ASSERT(k > certified || cfpCur <= s.dcfp);

    if (cfpCur > s.dcfp && k == 1) {  // the background maximum fails
      s.cfp[t][2] = cfpCur;
      s.dcfpStatus[t] = kStatusExceeded;
      break;
    }
    if (cfpCur <= s.dcfp && k == n) {  // every rank up to n passes
      s.cfp[t][2] = cfpCur;
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
    if (k < j + 1 && cfpCur <= s.dcfp) s.cfp[t][1] = cfpCur;
    if (cfpCur > s.dcfp) {  // rank k fails: keep k - 1
      if (k == start) {
        // The starting rank passed the previous scheme but fails this one. In exact
        // arithmetic it cannot (a retest scheme's CFP is the smaller one); in float32 it
        // can, at DCFPs too small for float32 to resolve below 1 (about 1e-8). No rank
        // of this walk has passed, so cfp(t, 1) would still hold a value from an earlier
        // run: the rank kept, k - 1, is evaluated instead, so that the CFP shown is its own.
        Evaluation kept = evaluateDesign(t, n, r, k - 1, candidates.runProb(k - 1));
        s.cfp[t][1] = kept.cfp;
        walked.emplace_back(std::move(kept), false);
      }
      s.cfp[t][2] = s.cfp[t][1];
      s.optRank[t] = static_cast<std::int16_t>(k - 1);
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
    if (k == j) {  // rank j passes and is the minimum allowable rank
      s.cfp[t][2] = s.cfp[t][1];
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
  }
  s.limitPercentile[t] = toFloat32((f64(n - s.optRank[t]) + 0.5) / f64(n));

  // The record as the walk of every candidate leaves it: from the last candidate whose row
  // was built on, each candidate's evaluation in turn. Where the walk's own candidates
  // built none, the last such candidate may be one the walk passed over (its running
  // probability is the last normal one).
  std::size_t from = walked.size();
  while (from > 0 && !walked[from - 1].first.built) --from;
  if (from == 0) {
    const int skippedBuilder = std::min(initialCertified - 1, candidates.lastNormal());
    if (skippedBuilder >= start) {
      s.countSum[t] = 0.0f;
      commit(s, t, evaluateDesign(t, n, r, skippedBuilder, candidates.runProb(skippedBuilder)));
    }
  } else {
    --from;
  }
  for (std::size_t i = from; i < walked.size(); ++i) {
    if (walked[i].second) s.countSum[t] = 0.0f;
    commit(s, t, walked[i].first);
  }
}

}  // namespace velmora

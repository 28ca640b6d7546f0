// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/calculation.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <future>
#include <limits>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "velmora/engine/contract.h"
#include "velmora/engine/first_false_positive_batch.h"

#include "coefficient_row.h"
#include "rank_walk_bounds.h"
#include "rounding_points.h"

namespace velmora {

using steps::f64;
using steps::toFloat32;

// The retest searches 1:2, 1:3 and 1:4: for every scheme 1:t a walk over the candidate
// ranks from the previous scheme's rank, each candidate's CFP formed from its running
// probability and coefficient row (coefficient_row.h), the same float32 and float64
// arithmetic as the walk of every candidate in retest_reference.cpp. The walk decides
// exactly as that one does, candidate by candidate, but it does not evaluate the
// candidates that rank_walk_bounds.cpp proves to pass, and it evaluates the candidates
// it needs side by side on the processor's cores. Its record is the reference walk's,
// field for field: the candidates that leave something in the record (the last one, and
// the last one whose row was built) are the same, and their values are the same.

void Calculation::FindRank1of2() { findRankRetest(2); }
void Calculation::FindRank1of3() { findRankRetest(3); }
void Calculation::FindRank1of4() { findRankRetest(4); }

namespace {

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

// The running probabilities of every candidate 1 .. n, as the walk carries them from
// candidate to candidate (and as a candidate recomputes it from the start: the same
// products in the same order).
std::vector<float> runProbabilities(int t, int n, int r) {
  const int nPlusTr = n + t * r;
  std::vector<float> runProb(static_cast<std::size_t>(n) + 1, 0.0f);
  runProb[1] = toFloat32(f64(n) / f64(nPlusTr));
  for (int k = 2; k <= n; ++k) {
    const double product = f64(n - k + 1) * static_cast<double>(runProb[static_cast<std::size_t>(k - 1)]);
    runProb[static_cast<std::size_t>(k)] = toFloat32(product / f64(nPlusTr - k + 1));
  }
  return runProb;
}

// Where the float32 arithmetic of a candidate has left its range its CFP is not a number
// the search can use: a running probability below the smallest normal float32 has lost
// significant bits with every factor (it sticks at the smallest subnormal while the
// factors exceed one half, or reaches 0), and a coefficient sum beyond the float32 range
// is infinite. Both happen together at high ranks of large designs, where the running
// probability falls far below 1e-38 (and below 1e-308) while the coefficients grow as its
// reciprocal. Such a candidate's CFP is then summed directly as the probabilities of the
// first false positive (first_false_positive.h, FirstFalsePositiveSum64), whose terms are all probabilities: in
// float64 its relative error stays below 1.5e-11, so the float32 CFP below is the exact
// CFP correctly rounded or one float32 step from it, and always in [0, 1]. Wherever the
// running probability is a normal float32 and the sum finite, the search's own
// arithmetic gives the CFP, digit for digit.
float soundCfp(int n, int r, int t, int k, double& sum) {
  sum = firstFalsePositiveSum64(n, r, t, k);
  VELMORA_ASSERT(sum >= 0.0 && sum <= 1.0 + 1e-9);
  return toFloat32(std::min(sum, 1.0));
}

// A row for a candidate. A walk builds many rows of one size, each a few allocations of
// up to (t - 1) r + 1 values: the storage of the rows it has let go is kept for the next
// ones (per thread, a handful of rows of moderate size), so building a row seldom
// allocates. Rows keep no values from one candidate to the next (BuildRow). A row lives
// only within the run that built it, so it is always let go before its thread ends.
class RowStore {
 public:
  static std::shared_ptr<rows::CoefficientRow> New() {
    Spares& spares = threadSpares();
    std::unique_ptr<rows::CoefficientRow> row;
    if (!spares.empty()) {
      row = std::move(spares.back());
      spares.pop_back();
    } else {
      row = std::make_unique<rows::CoefficientRow>();
    }
    return {row.release(), [](rows::CoefficientRow* done) { keep(done); }};
  }

 private:
  static constexpr std::size_t kSpares = 8;
  // Values per buffer: larger rows cost far more to build than to allocate.
  static constexpr std::size_t kLargestKept = 1u << 13;
  using Spares = std::vector<std::unique_ptr<rows::CoefficientRow>>;
  static Spares& threadSpares() {
    thread_local Spares spares;
    return spares;
  }
  static void keep(rows::CoefficientRow* done) {
    std::unique_ptr<rows::CoefficientRow> row(done);
    Spares& spares = threadSpares();
    if (spares.size() < kSpares && row->bufferA.capacity() <= kLargestKept) spares.push_back(std::move(row));
  }
};

Evaluation evaluateDesign(int t, int n, int r, int k, float runProb) {
  Evaluation e;
  e.k = k;
  e.runProb = runProb;
  if (!(runProb >= std::numeric_limits<float>::min())) {
    e.cfp = soundCfp(n, r, t, k, e.soundSum);
    return e;
  }
  auto row = RowStore::New();
  rows::buildRow(t, n, r, k, rows::RowMode::design, *row);
  e.built = true;
  e.countSum = rows::rowSum(*row);
  e.row = std::move(row);
  if (!std::isfinite(e.countSum)) {
    e.cfp = soundCfp(n, r, t, k, e.soundSum);
    return e;
  }
  const float P = toFloat32(static_cast<double>(runProb) * static_cast<double>(e.countSum));
  e.cfp = toFloat32(1.0 - static_cast<double>(P));
  return e;
}

// What evaluating candidate e leaves in the record: the running probability, and where
// the row was built, its pool size, the table, the last update's positions and the sum.
void commit(CalculationState& s, int t, const Evaluation& e) {
  s.runProb[t] = e.runProb;
  if (!e.built) return;
  const rows::CoefficientRow& row = *e.row;
  s.poolSize[t] = static_cast<std::int16_t>(row.poolSize);
  rows::writeTable(row, s.countProbData.data());
  if (row.r >= 2) {
    s.innerLow[t] = static_cast<std::int16_t>(t + (t - 1) * (row.r - 2));
    s.innerHigh[t] = static_cast<std::int16_t>(t + (t - 1) * (row.r - 1));
  }
  s.countSum[t] = e.countSum;
}

// The float64 operations of one candidate, roughly.
double candidateCost(int t, int r) { return 0.5 * f64(t - 1) * f64(t - 1) * f64(r) * f64(r) + f64(r); }

// WebAssembly built without its threads option has no threads to start: there std::async
// starts none and its future waits for ever, so the tasks run one after another. Each task
// writes only its own results, so the order changes no value.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kThreads = false;
#else
constexpr bool kThreads = true;
#endif

// Runs task(i) for i < count, side by side on the processor's cores (the standard
// library's threads; a handful of tasks, each far longer than starting a thread).
template <class Task>
void runSideBySide(int count, const Task& task) {
  if (count <= 1 || !kThreads) {
    for (int i = 0; i < count; ++i) task(i);
    return;
  }
  std::vector<std::future<void>> others;
  others.reserve(static_cast<std::size_t>(count - 1));
  for (int i = 1; i < count; ++i) others.push_back(std::async(std::launch::async, [&task, i] { task(i); }));
  task(0);
  for (std::future<void>& other : others) other.get();
}

int sideBySide() {
  if (!kThreads) return 1;
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, 4u));
}

// The design CFPs of one scheme's candidates, each evaluated once, several at a time
// where a candidate is costly.
class Candidates {
 public:
  Candidates(int t, int n, int r, int kMax)
      : m_t(t), m_n(n), m_r(r), m_kMax(kMax), m_runProb(runProbabilities(t, n, r)),
        m_width(candidateCost(t, r) >= 2e5 ? sideBySide() : 1) {
    while (m_lastNormal < m_n && m_runProb[static_cast<std::size_t>(m_lastNormal) + 1] >= std::numeric_limits<float>::min()) {
      ++m_lastNormal;
    }
  }

  float runProb(int k) const { return m_runProb[static_cast<std::size_t>(k)]; }
  // The exact running probability of candidate k, to a relative 4k 2^-64: the same
  // product in long double.
  long double runProbLongDouble(int k) const {
    if (m_runProbLd.empty()) {
      const int nPlusTr = m_n + m_t * m_r;
      m_runProbLd.assign(static_cast<std::size_t>(m_n) + 1, 0.0L);
      long double p = 1.0L;
      for (int m = 1; m <= m_n; ++m) {
        p = p * static_cast<long double>(m_n - m + 1) / static_cast<long double>(nPlusTr - m + 1);
        m_runProbLd[static_cast<std::size_t>(m)] = p;
      }
    }
    return m_runProbLd[static_cast<std::size_t>(k)];
  }
  // The last candidate whose running probability is a normal float32 (0 if none).
  int lastNormal() const { return m_lastNormal; }
  int width() const { return m_width; }

  // The candidates evaluated alongside one on the float32 path stop at the last such
  // candidate (where the walk will try to prove the first-false-positive ones instead).
  void stopLookaheadAtLastNormal() { m_lookaheadStop = lastNormal(); }

  // Candidate k, with the candidates after it up to the batch's width evaluated alongside.
  const Evaluation& get(int k) {
    if (!m_done.contains(k)) {
      std::vector<int> batch{k};
      const int last = k <= m_lookaheadStop ? std::min(m_lookaheadStop, m_kMax) : m_kMax;
      for (int c = k + 1; c <= last && static_cast<int>(batch.size()) < m_width; ++c) {
        if (!m_done.contains(c)) batch.push_back(c);
      }
      evaluate(batch);
    }
    return m_done.at(k);
  }

  void evaluate(const std::vector<int>& ks) {
    std::vector<int> todo;
    for (const int k : ks) {
      if (!m_done.contains(k) && std::find(todo.begin(), todo.end(), k) == todo.end()) todo.push_back(k);
    }
    std::vector<Evaluation> results(todo.size());
    runSideBySide(static_cast<int>(todo.size()), [&](int i) {
      const int k = todo[static_cast<std::size_t>(i)];
      results[static_cast<std::size_t>(i)] = evaluateDesign(m_t, m_n, m_r, k, runProb(k));
    });
    for (Evaluation& e : results) m_done.emplace(e.k, std::move(e));
  }

  // Forgets the rows of candidates below k (the walk has passed them).
  void forgetBelow(int k) {
    for (auto it = m_done.begin(); it != m_done.end() && it->first < k;) it = m_done.erase(it);
  }

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

// The largest candidate K >= start such that every candidate from start to K provably
// passes (rank_walk_bounds.cpp), or start - 1. startRow is the flush-to-zero row of start
// where one was built before (else null); on success it becomes K's, so that the walk can
// go on from K.
int certifiedPassing(Candidates& candidates, float dcfp, int start, int kEnd,
                     std::shared_ptr<rows::CoefficientRow>& startRow) {
  const int t = candidates.t();
  const int n = candidates.n();
  const int r = candidates.r();
  if (dcfp >= 1.0f) return kEnd;  // every design CFP is at most 1

  constexpr int kShortest = 4;  // a jump shorter than this saves nothing
  const long double dcfpL = static_cast<long double>(dcfp);
  // What the estimate may be off by, relative to the smaller of the DCFP and its
  // complement (near 1 the estimate is as close to 1 - CFP as it is to small CFPs).
  const long double dcfpSlack = 1e-3L * std::min(dcfpL, 1.0L - dcfpL) + 1e-12L;
  // Where even the estimate of the shortest jump worth taking fails the DCFP, the search
  // below would end short of it: one estimate tells (typical designs walk a few
  // candidates, and proving nothing is then the cheaper way).
  if (start + kShortest > kEnd ||
      static_cast<long double>(walkbounds::estimateCfp(n, r, t, start + kShortest)) + dcfpSlack > dcfpL) {
    return start - 1;
  }
  const int lastNormal = candidates.lastNormal();
  const bool anyFloatPath = start <= lastNormal;
  const long double soundExcess = walkbounds::soundPathExcess(t, r);
  // The largest distance of a float32 running probability from the exact one over the
  // float32-path candidates from start to k.
  const auto runProbDeviation = [&](int k) {
    long double d = 0.0L;
    for (int c = start; c <= std::min(k, lastNormal); ++c) {
      d = std::max(d, walkbounds::runProbDeviation(candidates.runProb(c), candidates.runProbLongDouble(c), c));
    }
    return d;
  };
  const auto excess = [&](int k, long double flushedMass, long double sumExcess) {
    long double e = soundExcess;
    if (anyFloatPath) e = std::max(e, walkbounds::floatPathExcess(r, runProbDeviation(k), flushedMass, sumExcess));
    return e;
  };
  // What the float32 sums are likely to lose, for choosing K: the terms up to the bulk of
  // the exceedance count (the bound itself comes from K's row).
  const int positions = (t - 1) * r + 1;
  const auto likelySumExcess = [&](int k) {
    const double a = k;
    const double b = n - k + 1;
    const double spread = std::min(1.0, a / (a + b) + 6.0 * std::sqrt(a * b / ((a + b) * (a + b) * (a + b + 1.0))));
    const double bulk = std::min(f64(positions), std::ceil(f64(t * r) * spread) + 16.0);
    return walkbounds::crudeSumExcess(t, r) * static_cast<long double>(bulk / f64(positions));
  };
  // The largest k in [start, kEnd] whose estimated CFP plus `offset(k)` stays within the
  // DCFP, or start - 1 (the estimate rises with k).
  const auto largestWithin = [&](int high, auto&& offset) {
    int lo = start - 1;
    int hi = high;
    while (lo < hi) {
      const int mid = lo + (hi - lo + 1) / 2;
      if (static_cast<long double>(walkbounds::estimateCfp(n, r, t, mid)) + offset(mid) <= dcfpL) {
        lo = mid;
      } else {
        hi = mid - 1;
      }
    }
    return lo;
  };
  const long double upperLoss = static_cast<long double>(9 * r + (t - 1) * r + 1) * 0x1p-53L;
  int K = largestWithin(kEnd, [&](int k) { return excess(k, 0.0L, likelySumExcess(k)) + upperLoss + dcfpSlack; });

  for (int attempt = 0; attempt < 3 && K >= start + kShortest; ++attempt) {
    // Side by side: the flush-to-zero rows of start (unless known) and of K, and the
    // design rows of K and of the last float32-path candidate up to K.
    auto kRow = RowStore::New();
    const bool needStart = anyFloatPath && !startRow;
    auto newStartRow = needStart ? RowStore::New() : startRow;
    const bool kFloat = K <= lastNormal;
    const int lastFloat = std::min(K, lastNormal);  // the last candidate up to K on the float32 path
    std::vector<int> designs{K};
    if (anyFloatPath && lastFloat != K) designs.push_back(lastFloat);
    const int rowTasks = (needStart ? 1 : 0) + (kFloat ? 1 : 0);
    const auto task = [&](int i) {
      if (i < rowTasks && needStart && i == 0) {
        rows::buildRow(t, n, r, start, rows::RowMode::flushToZero, *newStartRow);
      } else if (i < rowTasks) {
        rows::buildRow(t, n, r, K, rows::RowMode::flushToZero, *kRow);
      } else {
        candidates.evaluate(designs);
      }
    };
    if (candidates.width() > 1) {
      runSideBySide(rowTasks + 1, task);
    } else {
      for (int i = 0; i <= rowTasks; ++i) task(i);
    }
    startRow = newStartRow;
    long double flushedMass = 0.0L;
    long double sumExcess = 0.0L;
    if (anyFloatPath) {
      flushedMass = walkbounds::flushedPathMass(n, r, t, K, startRow->lowestFlushedSource);
      const Evaluation& last = candidates.get(lastFloat);
      sumExcess = walkbounds::sumExcess(last.row->last, last.row->limit, candidates.runProb(start));
    }
    const long double upper = kFloat ? walkbounds::cfpUpperFromFlushedRow(candidates.runProbLongDouble(K), rows::rowSum64(*kRow), t, r, K)
                                     : walkbounds::cfpUpperFromSound(candidates.get(K).soundSum, t, r);
    const long double bound = upper + excess(K, flushedMass, sumExcess);
    if (bound <= dcfpL) {
      if (kFloat) startRow = kRow;
      return K;
    }
    // Try a lower candidate. Where the flushed paths' mass spoils the bound, it is known
    // now for every stretch from start before the stretch's end is evaluated (it rises
    // with the end): the end becomes the largest whose estimate could pass with it, none
    // where even the shortest stretch could not (each futile try would cost a candidate).
    // Where the float32 sums' share spoils it, a stretch half as long; else one where the
    // bound, exceeding the estimate as much as here, would hold.
    if (flushedMass > sumExcess && flushedMass > 0.5L * (bound - dcfpL)) {
      const std::vector<int>& flushedSources = startRow->lowestFlushedSource;
      K = largestWithin(K - 1, [&](int k) {
        return excess(k, walkbounds::flushedPathMass(n, r, t, k, flushedSources), likelySumExcess(k)) + upperLoss +
               dcfpSlack;
      });
    } else if (sumExcess + flushedMass > 0.5L * (bound - dcfpL)) {
      K = start + (K - start) / 2;
    } else {
      const long double over = bound - static_cast<long double>(walkbounds::estimateCfp(n, r, t, K));
      K = largestWithin(K - 1, [&](int) { return over + dcfpSlack; });
    }
  }
  return start - 1;
}

}  // namespace

float Calculation::evaluateRetestCandidate(int t, int k, bool carryRunProb) {
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

float Calculation::evaluateRetestCandidateSound(int t, int k) const {
  double sum = 0.0;
  return soundCfp(m_state.n, m_state.r, t, k, sum);
}

void Calculation::findRankRetest(int t) {
  if (m_referenceWalk) {
    findRankRetestReference(t);
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

namespace velmora {

std::vector<float> Calculation::designCfps(int n, int r, int t, std::span<const int> ranks) {
  std::vector<float> cfps(ranks.size(), std::numeric_limits<float>::quiet_NaN());
  const bool inDomain = t >= 1 && t <= kSchemeCount && n >= 2 && r >= 1 &&
                        static_cast<long>(n) + 4L * r <= kMaxBackgroundPlusFourComparisons;
  if (!inDomain) return cfps;
  // The running probabilities of candidates 1 .. n. For 1:1 they are those of its own walk
  // (FindRank1of1: the same products with n + r), and its CFP is 1 - runProb(1).
  const std::vector<float> runProb = runProbabilities(t, n, r);
  std::vector<std::size_t> retest;  // the elements that need a coefficient row
  for (std::size_t i = 0; i < ranks.size(); ++i) {
    const int k = ranks[i];
    if (k < 1 || k > n) continue;
    if (t == 1) {
      cfps[i] = toFloat32(1.0 - static_cast<double>(runProb[static_cast<std::size_t>(k)]));
    } else {
      retest.push_back(i);
    }
  }
  // Each candidate evaluated as DesignCfp evaluates it (EvaluateRetestCandidate without a
  // carried running probability forms the same products), costly ones side by side.
  const std::size_t lanes = std::min<std::size_t>(retest.size(), candidateCost(t, r) >= 2e5 ? static_cast<std::size_t>(sideBySide()) : 1u);
  runSideBySide(static_cast<int>(lanes), [&](int lane) {
    for (std::size_t m = static_cast<std::size_t>(lane); m < retest.size(); m += lanes) {
      const std::size_t i = retest[m];
      const int k = ranks[i];
      cfps[i] = evaluateDesign(t, n, r, k, runProb[static_cast<std::size_t>(k)]).cfp;
    }
  });
  return cfps;
}

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#include "candidates.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "velmora/engine/parallel.h"

namespace velmora::retest {

namespace {

// Candidates evaluated side by side at most: the walk needs one of them, and the later
// ones only if every one before them passes.
constexpr int kMostSideBySide = 4;

}  // namespace

Candidates::Candidates(int t, int n, int r, int kMax)
    : m_t(t), m_n(n), m_r(r), m_kMax(kMax), m_runProb(runProbabilities(t, n, r)),
      m_width(candidateCost(t, r) >= 2e5 ? std::min(parallelWidth(), kMostSideBySide) : 1) {
  while (m_lastNormal < m_n && m_runProb[static_cast<std::size_t>(m_lastNormal) + 1] >= std::numeric_limits<float>::min()) {
    ++m_lastNormal;
  }
}

long double Candidates::runProbLongDouble(int k) const {
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

const Evaluation& Candidates::get(int k) {
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

void Candidates::evaluate(const std::vector<int>& ks) {
  std::vector<int> todo;
  for (const int k : ks) {
    if (!m_done.contains(k) && std::find(todo.begin(), todo.end(), k) == todo.end()) todo.push_back(k);
  }
  std::vector<Evaluation> results(todo.size());
  parallelFor(todo.size(), [&](std::size_t i) { results[i] = evaluateDesign(m_t, m_n, m_r, todo[i], runProb(todo[i])); });
  for (Evaluation& e : results) m_done.emplace(e.k, std::move(e));
}

void Candidates::forgetBelow(int k) {
  for (auto it = m_done.begin(); it != m_done.end() && it->first < k;) it = m_done.erase(it);
}

}  // namespace velmora::retest

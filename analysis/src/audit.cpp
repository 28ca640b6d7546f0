// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/audit.h"

#include <algorithm>
#include <map>

#include "velmora/analysis/exact_power.h"
#include "velmora/analysis/monotone_search.h"
#include "velmora/engine/numbers.h"

namespace velmora::analysis {
namespace {

// Exact comparisons of one scheme's ranks against the DCFP, each computed once. The caller
// checks the sizes first (checkSizes), so every rank from 1 to n lies in the domain.
class RankProbe {
 public:
  RankProbe(const ExactDcfp& dcfp, int n, int r, int t) : m_dcfp(dcfp), m_n(n), m_r(r), m_t(t) {}

  Expected<void> checkSizes() const {
    if (inExactCfpDomain(m_n, m_r, m_t, 1)) return {};
    return fail(ProblemKind::refusedRequest,
                "the exact audit needs a test from 1:1 to 1:4, r at least 1, n at least 1 and n + 4r at most 32767");
  }

  // Rank k's comparison with its CFP and margin to 10 significant digits, for 1 <= k <= n.
  ExactDcfp::Comparison at(int k) {
    const ExactDcfp::Comparison comparison = m_dcfp.compare(m_n, m_r, m_t, k).value();
    m_cache.insert_or_assign(k, comparison.meets);
    return comparison;
  }
  // Only the decision: the search needs no digits (and saves the 50-digit passes near a tie).
  bool meets(int k) {
    auto found = m_cache.find(k);
    if (found == m_cache.end()) found = m_cache.emplace(k, m_dcfp.compare(m_n, m_r, m_t, k, false).value().meets).first;
    return found->second;
  }
  // The ranks whose CFP was computed.
  int evaluations() const { return static_cast<int>(m_cache.size()); }

  // The largest rank in 1..maxRank (maxRank <= n) that meets the DCFP, none when none does.
  // The exact CFP rises with the rank, so the ranks that meet it form a prefix.
  std::optional<int> lastMeetingRank(int maxRank, int hint) {
    return lastHolding(1, maxRank, hint, [this](int k) { return meets(k); });
  }

 private:
  const ExactDcfp& m_dcfp;
  int m_n;
  int m_r;
  int m_t;
  std::map<int, bool> m_cache;  // rank -> meets
};

}  // namespace

Expected<std::optional<int>> findExactRank(const ExactDcfp& dcfp, int n, int r, int t, int maxRank, int hint,
                                           int* evaluations) {
  RankProbe probe(dcfp, n, r, t);
  if (auto sizes = probe.checkSizes(); !sizes) return fail(std::move(sizes.error()));
  if (maxRank < 1) return fail(ProblemKind::refusedRequest, "the largest rank must be at least 1");
  const std::optional<int> rank = probe.lastMeetingRank(std::min(maxRank, n), hint);
  if (evaluations != nullptr) *evaluations = probe.evaluations();
  return rank;
}

Expected<CalculationAudit> auditCalculation(const Results& results, std::string_view dcfpText,
                                           const std::function<void(const SchemeAudit&)>& schemeDone) {
  const ExactDcfp dcfp(dcfpText);
  const int n = results.inputs.n;
  const int r = results.inputs.r;
  const int maxRank = std::min(results.inputs.j, n);

  CalculationAudit audit;
  for (const SchemeResult& result : results.schemes) {
    const int t = result.test;
    RankProbe probe(dcfp, n, r, t);
    if (auto sizes = probe.checkSizes(); !sizes) return fail(std::move(sizes.error()));
    if (result.rank < 1 || result.rank > n) return fail(ProblemKind::refusedRequest, "the chosen rank must lie from 1 to n");
    const Expected<std::array<double, 3>> powers = exactPowers(n, result.rank, t);
    if (!powers) return fail(powers.error());
    SchemeAudit& scheme = audit.schemes[static_cast<std::size_t>(t - 1)];
    scheme.test = t;
    scheme.rank = result.rank;
    scheme.exceeded = result.exceeded;
    scheme.cfpShown = formatFixed(static_cast<double>(result.cfpShown), 5);

    const ExactDcfp::Comparison chosen = probe.at(scheme.rank);
    scheme.cfpExact = chosen.cfp;
    scheme.margin = chosen.margin;
    if (!scheme.exceeded && scheme.rank < maxRank) {
      scheme.nextRank = scheme.rank + 1;
      scheme.nextCfpExact = probe.at(scheme.rank + 1).cfp;
    }
    const std::optional<int> exact = probe.lastMeetingRank(maxRank, scheme.rank);
    scheme.exactExceeded = !exact;
    scheme.exactRank = exact.value_or(1);
    scheme.powerExact = *powers;
    scheme.ratingExact = ratePowers(scheme.powerExact[1], scheme.powerExact[2]);
    scheme.rating = result.rating;
    audit.evaluations += probe.evaluations();
    if (schemeDone) schemeDone(scheme);
  }
  return audit;
}

}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact audit of a calculation: for each scheme, the design's chosen rank set against
// the CFP computed to full precision and the DCFP as typed.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "velmora/engine/calculation.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/engine/limits.h"

namespace velmora::analysis {

struct SchemeAudit {
  int test = 0;                 // t of scheme 1:t
  int rank = 0;                 // the design's chosen rank
  bool exceeded = false;        // the design says "DCFP exceeded at max ="
  std::string cfpShown;         // the design's achievable CFP as shown (five decimals)
  long double cfpExact = 0.0L;  // exact CFP of the chosen rank
  // The first rank the walk refused: the rank after the chosen one. None when the walk
  // stopped at min(j, n), and none in the exceeded case, where the refused rank is the
  // chosen rank 1 itself and cfpExact is its CFP.
  std::optional<int> nextRank;
  std::optional<long double> nextCfpExact;
  long double margin = 0.0L;    // DCFP (as typed) - cfpExact
  // The largest rank <= min(j, n) whose exact CFP is at most the DCFP as typed; rank 1
  // with exactExceeded when even rank 1 fails.
  int exactRank = 0;
  bool exactExceeded = false;
  // The exact power of the chosen rank at 2, 3 and 4 standard deviations (ExactPower), and
  // the rating those powers earn under the design's rule (RatePowers: each rounded to
  // thousandths as the design rounds its powers, then the same criteria), beside the
  // design's own rating. The design's power is a normal-theory model of the same test, so
  // a difference between the two ratings is model error and arithmetic error together.
  std::array<double, 3> powerExact{};
  Rating ratingExact = Rating::low;
  Rating rating = Rating::low;  // the design's rating of the scheme

  bool ratingAgrees() const { return ratingExact == rating; }

  bool agrees() const { return exactRank == rank && exactExceeded == exceeded; }
};

struct CalculationAudit {
  std::array<SchemeAudit, kSchemeCount> schemes;  // element t - 1 for scheme 1:t
  int evaluations = 0;                            // exact CFPs computed
  bool agrees() const {
    for (const SchemeAudit& scheme : schemes) {
      if (!scheme.agrees()) return false;
    }
    return true;
  }
};

// Audits the results of a completed run. `dcfpText` is the DCFP text of that run, read
// exactly. Refused when the results lie outside the exact tools' domain, which those of a
// run the calculator accepted never do.
// `schemeDone`, when given, is told each scheme's audit as soon as it is complete (a window
// shows them as they arrive).
[[nodiscard]] Expected<CalculationAudit> auditCalculation(
    const Results& results, std::string_view dcfpText,
    const std::function<void(const SchemeAudit&)>& schemeDone = {});

// The largest rank <= maxRank whose exact CFP meets the DCFP, none when rank 1 fails, by
// galloping from `hint` (a rank expected to lie near the answer) and bisection on the
// rising CFP, so that it costs a few exact CFPs rather than a walk. `evaluations`, when
// given, receives the number of exact CFPs computed. Refused outside the exact CFP's domain
// (and for maxRank below 1).
[[nodiscard]] Expected<std::optional<int>> findExactRank(const ExactDcfp& dcfp, int n, int r, int t, int maxRank,
                                                         int hint = 1, int* evaluations = nullptr);

}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The design's arithmetic outside a run: the float32 CFP the rank searches compute for a
// candidate rank, and the float32 power the power step computes for a limit, at any
// design and shift, for the exact tools' curves, audits and plans. Each runs the
// calculation's own code path, so its digits are those of a run.

#include <optional>
#include <span>
#include <vector>

#include "velmora/engine/problem.h"

namespace velmora {

// The float32 CFP that the rank search of scheme 1:t computes for candidate rank k, with
// background size n and r comparisons: the searches' own code path, run in a record of its
// own. Refused unless 1 <= t <= 4, n >= 2, r >= 1, 1 <= k <= n and n + 4r <= 32767.
[[nodiscard]] Expected<float> designCfp(int n, int r, int t, int k);

// designCfp of every rank in `ranks`, element for element and bit for bit, with the
// running probabilities formed once for all of them (and costly candidates evaluated side
// by side): the design's CFP curve of scheme 1:t. Refused where designCfp would refuse any
// of the ranks.
[[nodiscard]] Expected<std::vector<float>> designCfps(int n, int r, int t, std::span<const int> ranks);

// A CFP known from elsewhere (the exact tools) to within a relative error.
struct CfpEstimate {
  double value = 0.0;
  double relativeError = 0.0;
};

// designCfps, bit for bit, taking help from estimates of the exact CFPs (estimates[i] for
// ranks[i], none where it is empty; as many estimates as ranks). Where the searches' own
// float32 products leave the float32 range, the design's CFP is the float32 rounding of a
// float64 sum within 1.5e-11 of the exact CFP, which costs as much as a coefficient row;
// where every value within that and the estimate's error of the estimate rounds to one
// float32, that is the design's CFP, and the sum is not formed. So an estimate whose error
// bound is wrong can change a digit; one without a bound belongs nowhere here.
[[nodiscard]] Expected<std::vector<float>> designCfps(int n, int r, int t, std::span<const int> ranks,
                                                      std::span<const std::optional<CfpEstimate>> estimates);

// The power step's arithmetic at an arbitrary shift: the float32 power of scheme 1:t whose
// limit lies at the float32 percentile `percentile` of a background of n (the search's
// unrounded percentile, SchemeResult::percentile), against values `shift` standard
// deviations above the background mean. The operations are those of the step's 2, 3 and 4
// sigma cells, with gridZ(i) + shift rounded to float32 in place of gridZ(i) + sigma, up to
// the power's clamp to [0, 1] and before its rounding to thousandths; so at shifts 2, 3 and
// 4 it is the value whose rounding the results hold. Refused unless 2 <= n <= 32767,
// 1 <= t <= 4, 0 < percentile < 1 and the shift is finite.
[[nodiscard]] Expected<float> designPower(int n, float percentile, int t, double shift);

}  // namespace velmora

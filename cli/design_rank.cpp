// SPDX-License-Identifier: GPL-3.0-or-later
// The best rank of a strategy for a design, for evaluate --dcfp: the one place that asks the
// exact arithmetic of the strategies for it. That arithmetic is not in yet, so this refuses
// and says what to give instead; replacing the body is all that --dcfp needs.
#include "velmora/cli/evaluate_command.h"

namespace velmora::cli {

Expected<DesignRank> bestRankForDesign(const analysis::Strategy& strategy, std::string_view /*dcfp*/, std::size_t /*n*/,
                                       std::string_view /*r*/, std::optional<std::string_view> /*j*/) {
  return fail(ProblemKind::refusedRequest, "the best rank of " + strategy.canonicalName() +
                                               " for a design (--dcfp, --r, --j) is not available yet: give --rank K");
}

}  // namespace velmora::cli

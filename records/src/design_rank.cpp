// SPDX-License-Identifier: GPL-3.0-or-later
// The best rank of a strategy for a design, for evaluate --dcfp: the design of the strategies
// command (designStrategy) with n = the background values the file holds.
#include <charconv>
#include <climits>

#include "number_text.h"
#include "velmora/analysis/dcfp_fraction.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/records/evaluate_output.h"

namespace velmora::records {

namespace {

// Ten significant digits, as the strategies command shows a CFP.
constexpr int kCfpDigits = 10;

Expected<int> wholeNumber(const char* name, std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  const std::string_view trimmed =
      begin == std::string_view::npos ? std::string_view() : text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
  int value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size() || value < 1) {
    return fail(ProblemKind::refusedRequest,
                std::string(name) + " must be a whole number from 1 up, not \"" + std::string(text) + "\"");
  }
  return value;
}

}  // namespace

Expected<DesignRank> bestRankForDesign(const analysis::Strategy& strategy, std::string_view dcfp, std::size_t n,
                                       std::string_view r, std::optional<std::string_view> j) {
  const Expected<int> comparisons = wholeNumber("--r", r);
  if (!comparisons) return fail(comparisons.error());
  const Expected<int> largestRank = j ? wholeNumber("--j", *j) : Expected<int>(static_cast<int>(std::min<std::size_t>(n, INT_MAX)));
  if (!largestRank) return fail(largestRank.error());
  if (n > INT_MAX) return fail(ProblemKind::refusedRequest, "the background has too many values for a design");
  const Expected<analysis::DcfpFraction> design = analysis::DcfpFraction::read(dcfp);
  if (!design) return fail(design.error());
  const Expected<analysis::StrategyRow> row =
      analysis::designStrategy(strategy, *design, static_cast<int>(n), *comparisons, *largestRank);
  if (!row) return fail(row.error());
  const std::string cfp = generalText(row->cfp, kCfpDigits);
  // Even the largest background value would not hold the false positives to the DCFP: a
  // limit from it would not be the design asked for, so no verdict is given on it.
  if (row->exceeded) {
    return fail(ProblemKind::refusedRequest,
                "no rank of " + row->rule + " meets DCFP " + std::string(dcfp) + " with n = " + std::to_string(n) +
                    " and r = " + std::to_string(*comparisons) + " (rank 1 gives CFP " + cfp +
                    "): give --rank K, or use more background values");
  }
  return DesignRank{row->rank, cfp};
}

}  // namespace velmora::records

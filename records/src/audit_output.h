// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact audit in the three output formats (velmora-cli --audit).

#include <string>
#include <string_view>

#include "json_values.h"
#include "velmora/analysis/audit.h"

namespace velmora::records {

// Significant digits of the exact values.
inline constexpr int kAuditDigits = 10;

inline constexpr const char* kCsvAuditColumns =
    "cfp_exact,next_rank,next_cfp_exact,margin,exact_rank,exact_exceeded,agrees,"
    "power_exact_2sigma,power_exact_3sigma,power_exact_4sigma,rating_exact";

// {"cfp_exact": "...", "next_rank": 3 or null, "next_cfp_exact": "..." or null, "margin": "...",
//  "exact_rank": 2, "exact_exceeded": false, "agrees": true,
//  "power_exact": ["...", "...", "..."], "rating_exact": "Good"}
[[nodiscard]] Json auditRecord(const analysis::SchemeAudit& audit);

// The cells of kCsvAuditColumns, joined by commas; a missing next rank leaves two empty cells.
[[nodiscard]] std::string csvAuditCells(const analysis::SchemeAudit& audit);

// The audit block under the result grid, with one line per scheme whose exact rank differs
// from the design's and one per scheme whose exact rating differs from the design's.
[[nodiscard]] std::string textAudit(const analysis::CalculationAudit& audit, std::string_view dcfpText);

}  // namespace velmora::records

// SPDX-License-Identifier: GPL-3.0-or-later
// The exact audit in the three output formats.
#include "audit_output.h"

#include <nlohmann/json.hpp>

#include "number_text.h"
#include "text_table.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/records/case_output.h"

namespace velmora::records {

namespace {

using analysis::CalculationAudit;
using analysis::formatSignificant;
using analysis::SchemeAudit;

std::string exact(long double value) { return formatSignificant(value, kAuditDigits); }

std::string exact(double value) { return exact(static_cast<long double>(value)); }

std::string rankText(int rank, bool exceeded) {
  return std::to_string(rank) + (exceeded ? " (exceeded)" : "");
}

const char* schemeName(const SchemeAudit& a) { return kSchemeNames[static_cast<std::size_t>(a.test - 1)]; }

}  // namespace

Json auditRecord(const SchemeAudit& a) {
  return Json::object({{"cfp_exact", exact(a.cfpExact)},
                       {"next_rank", a.nextRank ? Json(*a.nextRank) : Json(nullptr)},
                       {"next_cfp_exact", a.nextCfpExact ? Json(exact(*a.nextCfpExact)) : Json(nullptr)},
                       {"margin", exact(a.margin)},
                       {"exact_rank", a.exactRank},
                       {"exact_exceeded", a.exactExceeded},
                       {"agrees", a.agrees()},
                       {"power_exact", Json::array({exact(a.powerExact[0]), exact(a.powerExact[1]), exact(a.powerExact[2])})},
                       {"rating_exact", ratingCaption(a.ratingExact)}});
}

std::string csvAuditCells(const SchemeAudit& a) {
  return exact(a.cfpExact) + "," + (a.nextRank ? std::to_string(*a.nextRank) : std::string()) + "," +
         (a.nextCfpExact ? exact(*a.nextCfpExact) : std::string()) + "," + exact(a.margin) + "," +
         std::to_string(a.exactRank) + "," + booleanText(a.exactExceeded) + "," + booleanText(a.agrees()) + "," +
         exact(a.powerExact[0]) + "," + exact(a.powerExact[1]) + "," + exact(a.powerExact[2]) + "," +
         ratingCaption(a.ratingExact);
}

std::string textAudit(const CalculationAudit& audit, std::string_view dcfpText) {
  TextTable table({"Test", "Rank", "Design CFP", "Exact CFP", "Next rank", "Next exact CFP", "Margin", "Exact rank",
                   "Exact power 2Sig 3Sig 4Sig", "Exact rating"});
  for (const SchemeAudit& a : audit.schemes) {
    table.addRow({schemeName(a), rankText(a.rank, a.exceeded), a.cfpShown, exact(a.cfpExact),
                  a.nextRank ? std::to_string(*a.nextRank) : "-", a.nextCfpExact ? exact(*a.nextCfpExact) : "-",
                  exact(a.margin), rankText(a.exactRank, a.exactExceeded),
                  exact(a.powerExact[0]) + " " + exact(a.powerExact[1]) + " " + exact(a.powerExact[2]),
                  ratingCaption(a.ratingExact)});
  }
  std::string out = "Exact audit against the DCFP as typed (" + quotedText(dcfpText) +
                    "); margin = DCFP - exact CFP of the chosen rank; exact power of the chosen rank at "
                    "2, 3 and 4 standard deviations, and the rating it earns\n" +
                    table.render();
  bool allAgree = true;
  for (const SchemeAudit& a : audit.schemes) {
    if (a.agrees()) continue;
    allAgree = false;
    out += std::string("The exact rank of ") + schemeName(a) + " differs: " + rankText(a.exactRank, a.exactExceeded) +
           " by exact arithmetic, " + rankText(a.rank, a.exceeded) + " in the design.\n";
  }
  if (allAgree) out += "Every exact rank agrees with the design's.\n";
  bool allRatingsAgree = true;
  for (const SchemeAudit& a : audit.schemes) {
    if (a.ratingAgrees()) continue;
    allRatingsAgree = false;
    out += std::string("The exact rating of ") + schemeName(a) + " differs: " + ratingCaption(a.ratingExact) +
           " by the exact power, " + ratingCaption(a.rating) +
           " in the design (whose power is a normal-theory model: the difference is model error and arithmetic "
           "error together).\n";
  }
  if (allRatingsAgree) out += "Every exact rating agrees with the design's.\n";
  return out;
}

}  // namespace velmora::records

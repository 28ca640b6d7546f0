// The exact audit in the three output formats.
#include "audit_output.h"

#include <algorithm>
#include <array>
#include <vector>

#include "velmora/exact_cfp.h"
#include "writers.h"

namespace velmora::cli {

namespace {

std::string Exact(long double value) { return FormatSignificant(value, kAuditDigits); }

std::string RankText(int rank, bool exceeded) {
  return std::to_string(rank) + (exceeded ? " (exceeded)" : "");
}

const char* Boolean(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string jsonAudit(const SchemeAudit& a) {
  std::string out = "{\"cfp_exact\": " + jsonString(Exact(a.cfpExact));
  out += ", \"next_rank\": " + (a.nextRank ? std::to_string(*a.nextRank) : std::string("null"));
  out += ", \"next_cfp_exact\": " + (a.nextCfpExact ? jsonString(Exact(*a.nextCfpExact)) : std::string("null"));
  out += ", \"margin\": " + jsonString(Exact(a.margin));
  out += ", \"exact_rank\": " + std::to_string(a.exactRank);
  out += std::string(", \"exact_exceeded\": ") + Boolean(a.exactExceeded);
  out += std::string(", \"agrees\": ") + Boolean(a.agrees()) + "}";
  return out;
}

std::string csvAuditCells(const SchemeAudit& a) {
  return Exact(a.cfpExact) + "," + (a.nextRank ? std::to_string(*a.nextRank) : std::string()) + "," +
         (a.nextCfpExact ? Exact(*a.nextCfpExact) : std::string()) + "," + Exact(a.margin) + "," +
         std::to_string(a.exactRank) + "," + Boolean(a.exactExceeded) + "," + Boolean(a.agrees());
}

std::string textAudit(const CalculationAudit& audit, std::string_view dcfpText) {
  constexpr std::size_t kColumns = 8;
  using Row = std::array<std::string, kColumns>;
  std::vector<Row> rows = {
      {"Test", "Rank", "Design CFP", "Exact CFP", "Next rank", "Next exact CFP", "Margin", "Exact rank"}};
  for (const SchemeAudit& a : audit.schemes) {
    rows.push_back({kSchemeNames[static_cast<std::size_t>(a.test - 1)], RankText(a.rank, a.exceeded), a.cfpShown,
                    Exact(a.cfpExact), a.nextRank ? std::to_string(*a.nextRank) : "-",
                    a.nextCfpExact ? Exact(*a.nextCfpExact) : "-", Exact(a.margin),
                    RankText(a.exactRank, a.exactExceeded)});
  }
  std::array<std::size_t, kColumns> width{};
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < kColumns; ++i) width[i] = std::max(width[i], row[i].size());
  }
  std::string out = "Exact audit against the DCFP as typed (" + quotedText(dcfpText) +
                    "); margin = DCFP - exact CFP of the chosen rank\n";
  for (const Row& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < kColumns; ++i) {
      line += row[i];
      if (i + 1 < kColumns) line.append(width[i] + 2 - row[i].size(), ' ');
    }
    out += line + "\n";
  }
  bool allAgree = true;
  for (const SchemeAudit& a : audit.schemes) {
    if (a.agrees()) continue;
    allAgree = false;
    out += std::string("The exact rank of ") + kSchemeNames[static_cast<std::size_t>(a.test - 1)] + " differs: " +
           RankText(a.exactRank, a.exactExceeded) + " by exact arithmetic, " + RankText(a.rank, a.exceeded) +
           " in the design.\n";
  }
  if (allAgree) out += "Every exact rank agrees with the design's.\n";
  return out;
}

}  // namespace velmora::cli

// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli strategies: every retest strategy of a list for one design (or at one rank), by
// exact arithmetic, as a table (text), one row per strategy (csv) or one object (json).
#include <nlohmann/json.hpp>

#include <charconv>
#include <optional>
#include <string_view>

#include "json_values.h"
#include "number_text.h"
#include "text_table.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/records/tools.h"
#include "velmora/records/case_output.h"

namespace velmora::records {

namespace {

using analysis::StrategyRow;

// Ten significant digits: the exact values are good to about 1e-10 relative.
constexpr int kStrategyDigits = 10;

std::string number(double value) { return generalText(value, kStrategyDigits); }

// A whole number as given, blanks around it aside; none for anything else.
std::optional<int> wholeNumber(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return std::nullopt;
  text = text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

Expected<int> wholeOption(const char* name, const std::string& text) {
  const std::optional<int> value = wholeNumber(text);
  if (!value) return fail(ProblemKind::refusedRequest, std::string(name) + " needs a whole number, not " + quotedText(text));
  return *value;
}

Expected<analysis::StrategyRequest> request(const StrategiesOptions& options) {
  analysis::StrategyRequest request;
  request.dcfpText = options.dcfp.value_or("");
  const Expected<int> n = wholeOption("--n", options.n.value_or(""));
  if (!n) return fail(n.error());
  const Expected<int> r = wholeOption("--r", options.r.value_or(""));
  if (!r) return fail(r.error());
  request.n = *n;
  request.r = *r;
  request.j = *n;
  if (options.j) {
    const Expected<int> j = wholeOption("--j", *options.j);
    if (!j) return fail(j.error());
    request.j = *j;
  }
  if (options.rank) {
    const Expected<int> rank = wholeOption("--rank", *options.rank);
    if (!rank) return fail(rank.error());
    request.rank = *rank;
  }
  if (options.shifted) {
    const Expected<int> shifted = wholeOption("--shifted", *options.shifted);
    if (!shifted) return fail(shifted.error());
    request.shifted = *shifted;
  }
  return request;
}

std::string rankText(const StrategyRow& row) { return std::to_string(row.rank) + (row.exceeded ? " (exceeded)" : ""); }

std::array<std::string, 3> powers(const std::array<double, 3>& values) {
  return {number(values[0]), number(values[1]), number(values[2])};
}

std::string heading(const analysis::StrategyRequest& request) {
  std::string out = "Retest strategies for DCFP " + quotedText(request.dcfpText) + ", n = " + std::to_string(request.n) +
                    ", r = " + std::to_string(request.r);
  if (request.rank) return out + ", every strategy at rank " + std::to_string(*request.rank) + "\n";
  return out + ", j = " + std::to_string(request.j) + ": the largest rank <= min(j, n) whose exact CFP meets the DCFP\n";
}

std::string textTable(const analysis::StrategyRequest& request, const std::vector<StrategyRow>& rows) {
  TextTable::Row headings = {"", "Rule", "Rank", "CFP", "Ind P", "# of Samps", "Power 2Sig", "3Sig", "4Sig", "Rating"};
  if (request.shifted) headings.push_back("Power, " + std::to_string(*request.shifted) + " shifted: 2Sig 3Sig 4Sig");
  TextTable table(std::move(headings));
  bool sameTest = false;
  for (const StrategyRow& row : rows) {
    const std::array<std::string, 3> power = powers(row.power);
    TextTable::Row cells = {row.meets ? "*" : "",
                            row.rule + (row.sameTestAs ? " (= " + *row.sameTestAs + ")" : ""),
                            rankText(row),
                            number(row.cfp),
                            row.percentileText,
                            number(row.samples),
                            power[0],
                            power[1],
                            power[2],
                            ratingCaption(row.rating)};
    if (row.powerShifted) {
      const std::array<std::string, 3> shifted = powers(*row.powerShifted);
      cells.push_back(shifted[0] + " " + shifted[1] + " " + shifted[2]);
    }
    sameTest = sameTest || row.sameTestAs.has_value();
    table.addRow(std::move(cells));
  }
  std::string out = heading(request) + table.render() + "* meets the DCFP (exact CFP <= DCFP as typed)\n";
  if (sameTest) out += "(= rule): the same test as that rule, whatever its name\n";
  return out;
}

std::string csvTable(const analysis::StrategyRequest& request, const std::vector<StrategyRow>& rows) {
  std::string out;
  for (const char* column : analysis::kStrategyRowColumns) out += std::string(out.empty() ? "" : ",") + column;
  if (request.shifted) out += ",shifted,shifted_power_2sigma,shifted_power_3sigma,shifted_power_4sigma";
  out += "\n";
  for (const StrategyRow& row : rows) {
    std::string line;
    for (const std::string& text : analysis::strategyRowTexts(row)) line += (line.empty() ? "" : ",") + text;
    if (const std::optional<std::array<std::string, 3>> shifted = analysis::shiftedPowerTexts(row)) {
      line += "," + std::to_string(*request.shifted) + "," + (*shifted)[0] + "," + (*shifted)[1] + "," + (*shifted)[2];
    }
    out += line + "\n";
  }
  return out;
}

std::string jsonTable(const analysis::StrategyRequest& request, const std::vector<StrategyRow>& rows) {
  Json strategies = Json::array();
  for (const StrategyRow& row : rows) {
    const std::array<std::string, 3> power = powers(row.power);
    Json item = Json::object({{"rule", row.rule},
                              {"rank", row.rank},
                              {"exceeded", row.exceeded},
                              {"meets", row.meets},
                              {"cfp", number(row.cfp)},
                              {"percentile", row.percentileText},
                              {"samples", number(row.samples)},
                              {"power", Json::array({power[0], power[1], power[2]})},
                              {"rating", ratingCaption(row.rating)}});
    if (row.powerShifted) {
      const std::array<std::string, 3> shifted = powers(*row.powerShifted);
      item["power_shifted"] = Json::array({shifted[0], shifted[1], shifted[2]});
    }
    strategies.push_back(std::move(item));
  }
  Json record = Json::object({{"dcfp", request.dcfpText}, {"n", request.n}, {"r", request.r}, {"j", request.j}});
  record["rank"] = request.rank ? Json(*request.rank) : Json(nullptr);
  record["shifted"] = request.shifted ? Json(*request.shifted) : Json(nullptr);
  record["strategies"] = std::move(strategies);
  return jsonText(record) + "\n";
}

}  // namespace

int runStrategies(const StrategiesOptions& options, std::ostream& out, std::ostream& err) {
  const Expected<analysis::StrategyRequest> asked = request(options);
  if (!asked) return report(err, withContext("strategies:", asked.error()));
  Expected<std::vector<analysis::Strategy>> strategies =
      options.rules ? analysis::parseStrategyList(*options.rules) : analysis::defaultStrategies();
  if (!strategies) return report(err, withContext("strategies:", strategies.error()));
  const Expected<std::vector<StrategyRow>> rows = analysis::strategyTable(*strategies, *asked);
  if (!rows) return report(err, withContext("strategies:", rows.error()));
  switch (options.format) {
    case OutputFormat::text: out << textTable(*asked, *rows); break;
    case OutputFormat::csv: out << csvTable(*asked, *rows); break;
    case OutputFormat::json: out << jsonTable(*asked, *rows); break;
  }
  return kExitOk;
}

}  // namespace velmora::records

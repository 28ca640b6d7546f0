// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli curves: the curves behind the results of one case (analysis/curves.h), or of
// one retest strategy (--rule), as text tables per test, a csv table of rows or one json
// object. The rows of every rank are those of the analysis window's table.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json_values.h"
#include "velmora/records/case_result.h"
#include "velmora/records/tools.h"
#include "number_text.h"
#include "text_table.h"
#include "velmora/analysis/curves.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/strategy.h"
#include "velmora/records/case_output.h"

namespace velmora::records {

namespace {

// The audit's digits for the exact values.
constexpr int kExactDigits = 10;
constexpr int kShiftDigits = 6;

std::string designText(double value) { return generalText(value, kFloat32Digits); }
std::string exactText(double value) { return analysis::formatSignificant(static_cast<long double>(value), kExactDigits); }
std::string shiftText(double shift) { return generalText(shift, kShiftDigits); }

// The curves of one test as the command writes them: the rows of every rank and the power
// of the chosen rank by shift (the calculator's power only for the calculation's tests).
struct TestCurves {
  analysis::RankRows ranks;
  std::vector<analysis::PowerCurvePoint> power;
  bool designPower = true;
};

struct CurvesOutput {
  InputTexts texts;
  std::optional<std::string> rule;  // curves --rule
  int jBound = 0;
  int lastRank = 0;
  std::vector<TestCurves> tests;
};

constexpr const char* kCsvColumns =
    "dcfp,n,r,j,test,curve,rank,shift,design,exact,reference,chosen,j_bound,meets,power_2sd,power_3sd,power_4sd,"
    "rating\n";

using RowTexts = std::array<std::string, analysis::kRankRowColumns.size()>;
enum RowColumn { rankColumn, designColumn, exactColumn, meetsColumn, power2Column, power3Column, power4Column, ratingColumn };

// One row per rank of every test ("cfp": a rank, no shift or reference, then whether it meets
// the DCFP, its exact powers and rating), then the power curve's rows ("power": the chosen
// rank, a shift, no marks), test after test.
std::string curvesCsv(const CurvesOutput& curves) {
  const std::string inputs = csvInputFields(curves.texts) + ",";
  std::string out = kCsvColumns;
  for (const TestCurves& test : curves.tests) {
    const std::string lead = inputs + csvField(test.ranks.test) + ",";
    for (const analysis::RankRow& row : test.ranks.rows) {
      const RowTexts t = analysis::rankRowTexts(row);
      out += lead + "cfp," + t[rankColumn] + ",," + t[designColumn] + "," + t[exactColumn] + ",," +
             booleanText(row.chosen) + "," + booleanText(row.jBound) + "," + t[meetsColumn] + "," + t[power2Column] + "," +
             t[power3Column] + "," + t[power4Column] + "," + t[ratingColumn] + "\n";
    }
    for (const analysis::PowerCurvePoint& p : test.power) {
      out += lead + "power," + std::to_string(test.ranks.rank) + "," + shiftText(p.shift) + "," +
             (test.designPower ? designText(p.designPower) : std::string()) + "," + exactText(p.exactPower) + "," +
             exactText(p.referencePower) + ",,,,,,,\n";
    }
  }
  return out;
}

// Per test: every rank's CFPs, decision, powers and rating, the chosen rank and the j bound
// marked, then the power of the chosen rank by shift.
std::string curvesText(const CurvesOutput& curves) {
  const InputTexts& in = curves.texts;
  std::string out = "Curves for DCFP " + quotedText(in.txtAL) + ", n " + quotedText(in.txtN) + ", r " +
                    quotedText(in.txtR) + ", j " + quotedText(in.txtMDET) +
                    (curves.rule ? ", rule " + *curves.rule : std::string()) + "; j bound min(j, n) = " +
                    std::to_string(curves.jBound) + "\n";
  for (const TestCurves& test : curves.tests) {
    out += "\n" + test.ranks.test + ": chosen rank " + std::to_string(test.ranks.rank) +
           (test.ranks.exceeded ? " (DCFP exceeded at max = 1)" : "") + "\n";
    TextTable cfp({"Rank", "Design CFP", "Exact CFP", "Meets", "Power 2SD", "3SD", "4SD", "Rating", ""});
    for (const analysis::RankRow& row : test.ranks.rows) {
      const RowTexts t = analysis::rankRowTexts(row);
      const std::string marks = std::string(row.chosen ? "chosen" : "") + (row.chosen && row.jBound ? ", " : "") +
                                (row.jBound ? "j bound" : "");
      cfp.addRow({t[rankColumn], t[designColumn].empty() ? "-" : t[designColumn], t[exactColumn],
                  row.meets ? "yes" : "no", t[power2Column], t[power3Column], t[power4Column], t[ratingColumn], marks});
    }
    out += cfp.render();
    TextTable power({"Shift", "Design power", "Exact power", "Reference"});
    for (const analysis::PowerCurvePoint& p : test.power) {
      power.addRow({shiftText(p.shift), test.designPower ? designText(p.designPower) : "-", exactText(p.exactPower),
                    exactText(p.referencePower)});
    }
    out += "Power of rank " + std::to_string(test.ranks.rank) + " by shift (standard deviations):\n" + power.render();
  }
  return out;
}

Json curvesRecord(const CurvesOutput& curves) {
  Json tests = Json::array();
  for (const TestCurves& test : curves.tests) {
    Json cfp = Json::array();
    for (const analysis::RankRow& row : test.ranks.rows) {
      const RowTexts t = analysis::rankRowTexts(row);
      cfp.push_back(Json::object({{"rank", row.rank},
                                  {"design", row.designCfp ? Json(t[designColumn]) : Json(nullptr)},
                                  {"exact", t[exactColumn]},
                                  {"chosen", row.chosen},
                                  {"j_bound", row.jBound},
                                  {"meets", row.meets},
                                  {"power", Json::array({t[power2Column], t[power3Column], t[power4Column]})},
                                  {"rating", t[ratingColumn]}}));
    }
    Json power = Json::array();
    for (const analysis::PowerCurvePoint& p : test.power) {
      power.push_back(Json::object({{"shift", p.shift},
                                    {"design", test.designPower ? Json(designText(p.designPower)) : Json(nullptr)},
                                    {"exact", exactText(p.exactPower)},
                                    {"reference", exactText(p.referencePower)}}));
    }
    // Every rank is a row: "sampled" stays for the readers that look at it, always false.
    tests.push_back(Json::object({{"test", test.ranks.test},
                                  {"rank", test.ranks.rank},
                                  {"exceeded", test.ranks.exceeded},
                                  {"sampled", false},
                                  {"cfp", std::move(cfp)},
                                  {"power", std::move(power)},
                                  {"rule", test.ranks.rule}}));
  }
  Json record = inputsRecord(curves.texts);
  if (curves.rule) record["rule"] = *curves.rule;
  record["j_bound"] = curves.jBound;
  record["last_rank"] = curves.lastRank;
  record["tests"] = std::move(tests);
  return record;
}

void write(const CurvesOutput& curves, OutputFormat format, std::ostream& out) {
  switch (format) {
    case OutputFormat::text: out << curvesText(curves); break;
    case OutputFormat::csv: out << curvesCsv(curves); break;
    case OutputFormat::json: out << jsonText(curvesRecord(curves)) << "\n"; break;
  }
}

// A whole number as given, blanks around it aside (as the strategies command reads its sizes).
Expected<int> wholeOption(const char* name, std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  const std::string_view digits =
      begin == std::string_view::npos ? std::string_view() : text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    return fail(ProblemKind::refusedRequest, std::string(name) + " needs a whole number, not " + quotedText(text));
  }
  return value;
}

// curves --rule: the strategy's own design, read as the strategies command reads one.
int runRuleCurves(const CurvesOptions& options, std::ostream& out, std::ostream& err) {
  const Expected<analysis::Strategy> strategy = analysis::parseStrategy(*options.rule);
  if (!strategy) return report(err, withContext("curves:", strategy.error()));
  const Expected<int> n = wholeOption("--n", *options.n);
  if (!n) return report(err, withContext("curves:", n.error()));
  const Expected<int> r = wholeOption("--r", *options.r);
  if (!r) return report(err, withContext("curves:", r.error()));
  const Expected<int> j = options.j ? wholeOption("--j", *options.j) : Expected<int>(*n);
  if (!j) return report(err, withContext("curves:", j.error()));
  const Expected<analysis::RuleCurves> rule = analysis::computeRuleCurves(*strategy, *options.dcfp, *n, *r, *j);
  if (!rule) return report(err, withContext("curves:", rule.error()));
  CurvesOutput curves;
  curves.texts = boxTexts(*options.dcfp, *options.n, *options.r, options.j);
  curves.rule = rule->ranks.rule;
  curves.jBound = rule->jBound;
  curves.lastRank = rule->lastRank;
  TestCurves test;
  test.ranks = rule->ranks;
  test.designPower = false;
  for (const analysis::RulePowerPoint& p : rule->power) test.power.push_back({p.shift, 0.0, p.exactPower, p.referencePower});
  curves.tests.push_back(std::move(test));
  write(curves, options.format, out);
  return kExitOk;
}

}  // namespace

int runCurves(const CurvesOptions& options, std::ostream& out, std::ostream& err, const ToolProgress& progress) {
  if (options.rule) return runRuleCurves(options, out, err);
  const InputTexts texts = boxTexts(*options.dcfp, *options.n, *options.r, options.j);
  Calculation calculation;
  const CaseResult result = computeCase(calculation, texts);
  const bool json = options.format == OutputFormat::json;
  if (!result.outcome) {
    // Exactly as the calculation reports the case: the message on standard error, or in
    // the json format the case's record with its "error".
    makeRecordWriter(json ? OutputFormat::json : OutputFormat::text, out, err)->writeCase(result, 0);
    return kExitRefused;
  }
  const Results& results = result.outcome->results;
  CurvesOutput curves;
  curves.texts = texts;
  curves.jBound = std::min(results.inputs.j, results.inputs.n);
  curves.lastRank = analysis::rankRowCount(results);
  // Every rank of a large design can take seconds: the caller is told which test and rank.
  for (int t = 1; t <= kSchemeCount; ++t) {
    const auto step = [&progress, t](int done, int total) {
      if (progress) {
        const double fraction = (t - 1 + (total > 0 ? static_cast<double>(done) / total : 1.0)) / kSchemeCount;
        progress(fraction, "curves: 1:" + std::to_string(t) + ", rank " + std::to_string(done) + " of " +
                               std::to_string(total));
      }
      return true;
    };
    Expected<std::optional<analysis::RankRows>> rows = analysis::schemeRankRows(results, texts.txtAL, t, step);
    if (!rows) return report(err, withContext("curves:", rows.error()));
    Expected<std::vector<analysis::PowerCurvePoint>> power = analysis::powerCurve(results, t);
    if (!power) return report(err, withContext("curves:", power.error()));
    curves.tests.push_back({std::move(**rows), std::move(*power), true});
  }
  write(curves, options.format, out);
  return kExitOk;
}

}  // namespace velmora::records

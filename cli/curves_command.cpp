// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli curves: the curves behind the results of one case (analysis/curves.h), as a
// text table per test, a csv table of points or one json object.
#include <nlohmann/json.hpp>

#include <string>

#include "json_values.h"
#include "velmora/cli/case_result.h"
#include "velmora/cli/commands.h"
#include "number_text.h"
#include "table.h"
#include "velmora/analysis/curves.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/cli/writers.h"

namespace velmora::cli {

namespace {

// Enough digits to tell every float32 apart (the design's values), and the audit's digits
// for the exact ones.
constexpr int kFloat32Digits = 9;
constexpr int kExactDigits = 10;
constexpr int kShiftDigits = 6;

std::string designText(double value) { return generalText(value, kFloat32Digits); }
std::string exactText(double value) { return analysis::formatSignificant(static_cast<long double>(value), kExactDigits); }
std::string shiftText(double shift) { return generalText(shift, kShiftDigits); }
const char* boolean(bool value) { return value ? "true" : "false"; }
const char* schemeName(const analysis::SchemeCurves& scheme) {
  return kSchemeNames[static_cast<std::size_t>(scheme.test - 1)];
}

constexpr const char* kCsvColumns = "dcfp,n,r,j,test,curve,rank,shift,design,exact,reference,chosen,j_bound\n";

// One row per point: the CFP curve's rows ("cfp": a rank, no shift or reference) and then
// the power curve's ("power": the chosen rank, a shift, no marks), test after test.
std::string curvesCsv(const InputTexts& in, const analysis::CalculationCurves& curves) {
  const std::string inputs = csvInputFields(in) + ",";
  std::string out = kCsvColumns;
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    const std::string test = inputs + schemeName(scheme) + ",";
    for (const analysis::CfpCurvePoint& p : scheme.cfp) {
      out += test + "cfp," + std::to_string(p.rank) + ",," + designText(p.designCfp) + "," + exactText(p.exactCfp) +
             ",," + boolean(p.chosen) + "," + boolean(p.jBound) + "\n";
    }
    for (const analysis::PowerCurvePoint& p : scheme.power) {
      out += test + "power," + std::to_string(scheme.rank) + "," + shiftText(p.shift) + "," +
             designText(p.designPower) + "," + exactText(p.exactPower) + "," + exactText(p.referencePower) + ",,\n";
    }
  }
  return out;
}

// Per test: the CFP by rank, the chosen rank and the j bound marked, then the power of the
// chosen rank by shift.
std::string curvesText(const InputTexts& in, const analysis::CalculationCurves& curves) {
  std::string out = "Curves for DCFP " + quotedText(in.txtAL) + ", n " + quotedText(in.txtN) + ", r " +
                    quotedText(in.txtR) + ", j " + quotedText(in.txtMDET) + "; j bound min(j, n) = " +
                    std::to_string(curves.jBound) + "\n";
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    out += "\n" + std::string(schemeName(scheme)) + ": chosen rank " + std::to_string(scheme.rank) +
           (scheme.exceeded ? " (DCFP exceeded at max = 1)" : "") +
           (scheme.sampled ? "; a sample of the ranks up to " + std::to_string(curves.lastRank) : "") + "\n";
    TextTable cfp({"Rank", "Design CFP", "Exact CFP", ""});
    for (const analysis::CfpCurvePoint& p : scheme.cfp) {
      const std::string marks = std::string(p.chosen ? "chosen" : "") + (p.chosen && p.jBound ? ", " : "") +
                                (p.jBound ? "j bound" : "");
      cfp.addRow({std::to_string(p.rank), designText(p.designCfp), exactText(p.exactCfp), marks});
    }
    out += cfp.render();
    TextTable power({"Shift", "Design power", "Exact power", "Reference"});
    for (const analysis::PowerCurvePoint& p : scheme.power) {
      power.addRow({shiftText(p.shift), designText(p.designPower), exactText(p.exactPower), exactText(p.referencePower)});
    }
    out += "Power of rank " + std::to_string(scheme.rank) + " by shift (standard deviations):\n" + power.render();
  }
  return out;
}

Json curvesRecord(const InputTexts& in, const analysis::CalculationCurves& curves) {
  Json tests = Json::array();
  for (const analysis::SchemeCurves& scheme : curves.schemes) {
    Json cfp = Json::array();
    for (const analysis::CfpCurvePoint& p : scheme.cfp) {
      cfp.push_back(Json::object({{"rank", p.rank},
                                  {"design", designText(p.designCfp)},
                                  {"exact", exactText(p.exactCfp)},
                                  {"chosen", p.chosen},
                                  {"j_bound", p.jBound}}));
    }
    Json power = Json::array();
    for (const analysis::PowerCurvePoint& p : scheme.power) {
      power.push_back(Json::object({{"shift", p.shift},
                                    {"design", designText(p.designPower)},
                                    {"exact", exactText(p.exactPower)},
                                    {"reference", exactText(p.referencePower)}}));
    }
    tests.push_back(Json::object({{"test", schemeName(scheme)},
                                  {"rank", scheme.rank},
                                  {"exceeded", scheme.exceeded},
                                  {"sampled", scheme.sampled},
                                  {"cfp", std::move(cfp)},
                                  {"power", std::move(power)}}));
  }
  Json record = inputsRecord(in);
  record["j_bound"] = curves.jBound;
  record["last_rank"] = curves.lastRank;
  record["tests"] = std::move(tests);
  return record;
}

}  // namespace

int runCurves(const CurvesOptions& options, std::ostream& out, std::ostream& err) {
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
  const Expected<analysis::CalculationCurves> curves = analysis::computeCurves(result.outcome->results);
  if (!curves) return report(err, withContext("curves:", curves.error()));
  switch (options.format) {
    case OutputFormat::text: out << curvesText(texts, *curves); break;
    case OutputFormat::csv: out << curvesCsv(texts, *curves); break;
    case OutputFormat::json: out << jsonText(curvesRecord(texts, *curves)) << "\n"; break;
  }
  return kExitOk;
}

}  // namespace velmora::cli

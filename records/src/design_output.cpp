// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli design: r and the per-constituent DCFP of a monitoring program, and with --n
// the calculation on them.
#include <nlohmann/json.hpp>

#include <optional>

#include "velmora/records/case_result.h"
#include "velmora/records/tools.h"
#include "json_values.h"
#include "number_text.h"
#include "velmora/analysis/design_helper.h"
#include "velmora/records/case_output.h"

namespace velmora::records {

namespace {

// Significant digits of the site-wide rate as it is echoed.
constexpr int kRateDigits = 15;

// The design's record, with the calculation's record (the case record of the json format)
// as its last member.
std::string designRecord(const analysis::MonitoringDesign& design, const std::string& rate,
                         const std::optional<CaseResult>& result) {
  const Json record = Json::object({{"wells", design.wells},
                              {"constituents", design.constituents},
                              {"evaluations", design.evaluations},
                              {"swfpr", rate},
                              {"r", design.r},
                              {"dcfp", design.dcfpText},
                              {"formulas", Json::array({design.rFormula, design.dcfpFormula})}});
  std::string line = jsonText(record);
  if (result) line.insert(line.size() - 1, ", \"calculation\": " + jsonRecord(*result));
  return line;
}

std::string designText(const analysis::MonitoringDesign& design, const std::string& rate) {
  return "Monitoring program: " + std::to_string(design.wells) + " wells, " + std::to_string(design.constituents) +
         " constituents, " + std::to_string(design.evaluations) +
         " evaluations a year, site-wide annual false-positive rate A = " + rate + "\n" + design.rFormula +
         " comparisons per constituent per year\n" + design.dcfpFormula + " per constituent\n";
}

// One row: the design's numbers; with --n, the calculation's csv rows (one per test), each
// after the program's numbers.
std::string designCsv(const analysis::MonitoringDesign& design, const std::string& rate,
                      const std::optional<CaseResult>& result, bool audit) {
  const std::string program = std::to_string(design.wells) + "," + std::to_string(design.constituents) + "," +
                              std::to_string(design.evaluations) + "," + rate + ",";
  if (!result) {
    return "wells,constituents,evaluations,swfpr,r,dcfp\n" + program + std::to_string(design.r) + "," +
           csvField(design.dcfpText) + "\n";
  }
  std::string out = "wells,constituents,evaluations,swfpr," + csvHeader(audit);
  if (!result->outcome) return out;
  const std::string rows = csvRows(*result);
  for (std::size_t begin = 0; begin < rows.size();) {
    const std::size_t end = rows.find('\n', begin) + 1;
    out += program + rows.substr(begin, end - begin);
    begin = end;
  }
  return out;
}

}  // namespace

int runDesign(const DesignOptions& options, std::ostream& out, std::ostream& err) {
  const Expected<analysis::MonitoringDesign> designed = analysis::designMonitoringProgram(
      options.wells.value_or(""), options.constituents.value_or(""), options.evaluations.value_or(""),
      options.swfpr.value_or(""), options.n.value_or(""));
  if (!designed) return report(err, withContext("design:", designed.error()));
  const analysis::MonitoringDesign& design = *designed;
  const std::string rate = generalText(design.swfpr, kRateDigits);

  std::optional<CaseResult> result;
  if (options.n) {
    const InputTexts texts = boxTexts(design.dcfpText, *options.n, std::to_string(design.r), options.j);
    Calculation calculation;
    result = computeCase(calculation, texts, options.audit);
  }

  if (options.format == OutputFormat::json) {
    out << designRecord(design, rate, result) << "\n";
  } else if (options.format == OutputFormat::csv) {
    out << designCsv(design, rate, result, options.audit);
    if (result && !result->outcome) {
      out.flush();
      err << refusalMessage(*result, 0) << std::flush;
    }
  } else {
    out << designText(design, rate);
    if (result) {
      if (result->outcome) out << "\n";
      makeRecordWriter(OutputFormat::text, out, err)->writeCase(*result, 0);
    }
  }
  return result && !result->outcome ? kExitRefused : kExitOk;
}

}  // namespace velmora::records

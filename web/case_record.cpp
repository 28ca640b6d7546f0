// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's json records from the engine's outcome. The batch is read by the
// command line's own CSV reader and line rules (cli/csv_reader.cpp, cli/batch.cpp) and
// written by its own json writer (cli/json_output.cpp), compiled into this module; only the
// record of a case is put together here, because the command line's writer also carries
// the exact audit. The conformance cases hold the two to the same bytes.
#include "case_record.h"

#include <cstddef>
#include <utility>

#include "velmora/cli/batch.h"
#include "velmora/records/csv_reader.h"
#include "velmora/cli/json_output.h"
#include "velmora/cli/problem.h"

namespace velmora::web {

namespace {

using cli::Json;

constexpr std::array<const char*, kSchemeCount> kSchemeNames = {"1:1", "1:2", "1:3", "1:4"};

Json caseJson(const InputTexts& texts, const Expected<CalculationResult>& outcome) {
  Json record = Json::object({{"dcfp", texts.txtAL}, {"n", texts.txtN}, {"r", texts.txtR}, {"j", texts.txtMDET}});
  if (!outcome) {
    const Problem& refusal = outcome.error();
    record["error"] = Json::object({{"title", refusal.title},
                                    {"lines", Json::array({refusal.lines.at(0), refusal.lines.at(1)})},
                                    {"focus", inputBoxName(refusal.box.value())}});
    return record;
  }
  const ResultCaptions& c = outcome->captions;
  Json tests = Json::array();
  for (std::size_t t = 0; t < kSchemeCount; ++t) {
    tests.push_back(Json::object({{"test", kSchemeNames[t]},
                                  {"status", c.lblCU[t]},
                                  {"rating", c.lblPOW[t]},
                                  {"samples", c.lblENT[t]},
                                  {"percentile", c.lblP[t]},
                                  {"cfp", c.lblQ[t]},
                                  {"power", Json::array({c.lblPW[3 * t], c.lblPW[3 * t + 1], c.lblPW[3 * t + 2]})}}));
  }
  record["tests"] = std::move(tests);
  return record;
}

std::string problemRecord(const cli::BatchProblem& problem) {
  return cli::jsonText(Json::object(
      {{"line", problem.line},
       {"fields", problem.fields},
       {"error", Json::object({{"title", cli::kBatchErrorTitle},
                               {"lines", Json::array({problem.lines[0], problem.lines[1]})}})}}));
}

}  // namespace

std::string caseRecord(const InputTexts& texts, const Expected<CalculationResult>& outcome) {
  return cli::jsonText(caseJson(texts, outcome));
}

BatchOutput batchRecords(std::string_view csv) {
  BatchOutput output;
  // One record reused from case to case, as each job of the command line reuses its own.
  Calculation calculation;
  for (records::CsvRecord& record : records::parseCsv(csv)) {
    cli::BatchEntry entry = cli::classifyRecord(std::move(record));
    switch (entry.kind) {
      case cli::BatchEntry::Kind::blank:
        continue;
      case cli::BatchEntry::Kind::problem:
        output.lines += problemRecord(entry.problem) + "\n";
        output.status = cli::kExitRefused;
        continue;
      case cli::BatchEntry::Kind::computable:
        break;
    }
    // Command-line output is for files and programs: the decimal symbol is always ".".
    const Expected<CalculationResult> outcome = calculation.calculate(entry.texts, ".");
    output.lines += caseRecord(entry.texts, outcome) + "\n";
    if (!outcome) output.status = cli::kExitRefused;
  }
  return output;
}

}  // namespace velmora::web

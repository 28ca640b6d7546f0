// SPDX-License-Identifier: GPL-3.0-or-later
// The engine and the exact tools as a WebAssembly module. Three calls:
//
//   calculate(dcfp, n, r, j, decimalSymbol)  one case: the json record of the command line
//                                             (captions with the given decimal symbol)
//   batch(csvText)                           a whole CSV batch: {lines, status}, as
//                                             `velmora-cli --batch - --format json` prints
//                                             and ends
//   runTool(tool, optionsJson[, onProgress]) one exact tool (tool_request.h): the JSON text
//                                             {"exit", "output", "error"} of velmora-cli's
//                                             exit status, standard output and standard error
//                                             for the same request
//
// Nothing escapes as a C++ exception: a failure inside the engine comes back as a record
// {"internal_error": "..."} (one call), as status 70 with the message (a batch), or as exit
// 70 (a tool), the command line's answer to the same failure.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "velmora/engine/calculation.h"
#include "velmora/records/batch.h"
#include "velmora/records/case_record.h"
#include "velmora/records/csv_reader.h"
#include "velmora/records/json_text.h"
#include "tool_request.h"

namespace {

// The command line's exit statuses for a batch (velmora/cli/problem.h): 2 when a case or a
// line was refused, 70 for an internal failure.
constexpr int kExitRefused = 2;
constexpr int kExitInternalError = 70;

// Command-line output is for files and programs: the decimal symbol is always ".".
constexpr const char* kBatchDecimalSymbol = ".";

std::string internalErrorRecord(const std::string& what) {
  return "{\"internal_error\": " + velmora::records::jsonString(what) + "}";
}

// The outcome of the whole of a CSV batch, as `velmora-cli --batch - --format json` writes it.
struct BatchOutput {
  std::string lines;  // one record a line, each ending in "\n"
  int status = 0;     // the command line's exit status: 0, or 2 when a case or line was refused
};

// The command line's batch with its own reader, line rules and records (the records
// library), one case after the other.
BatchOutput batchRecords(std::string_view csv) {
  namespace records = velmora::records;
  BatchOutput output;
  // One calculation reused from case to case, as each job of the command line reuses its own.
  velmora::Calculation calculation;
  for (records::CsvRecord& record : records::parseCsv(csv)) {
    records::BatchEntry entry = records::classifyRecord(std::move(record));
    switch (entry.kind) {
      case records::BatchEntry::Kind::blank:
        continue;
      case records::BatchEntry::Kind::problem:
        output.lines += records::batchProblemLine(entry.problem) + "\n";
        output.status = kExitRefused;
        continue;
      case records::BatchEntry::Kind::computable:
        break;
    }
    const velmora::Expected<velmora::CalculationResult> outcome = calculation.calculate(entry.texts, kBatchDecimalSymbol);
    output.lines += records::caseRecordLine(entry.texts, outcome) + "\n";
    if (!outcome) output.status = kExitRefused;
  }
  return output;
}

std::string calculate(const std::string& dcfp, const std::string& n, const std::string& r, const std::string& j,
                      const std::string& decimalSymbol) {
  try {
    const velmora::InputTexts texts{dcfp, n, r, j};
    velmora::Calculation calculation;
    const velmora::Expected<velmora::CalculationResult> outcome = calculation.calculate(texts, decimalSymbol);
    return velmora::records::caseRecordLine(texts, outcome);
  } catch (const std::exception& e) {
    return internalErrorRecord(e.what());
  } catch (...) {
    return internalErrorRecord("unexpected failure");
  }
}

emscripten::val batch(const std::string& csv) {
  emscripten::val result = emscripten::val::object();
  try {
    const BatchOutput output = batchRecords(csv);
    result.set("lines", output.lines);
    result.set("status", output.status);
  } catch (const std::exception& e) {
    result.set("lines", std::string());
    result.set("status", kExitInternalError);
    result.set("message", std::string(e.what()));
  } catch (...) {
    result.set("lines", std::string());
    result.set("status", kExitInternalError);
    result.set("message", std::string("unexpected failure"));
  }
  return result;
}

// onProgress(fraction, stage), when the page or Node gave a function.
std::string runTool(const std::string& tool, const std::string& optionsJson, emscripten::val onProgress) {
  velmora::records::ToolProgress progress;
  if (onProgress.typeOf().as<std::string>() == "function") {
    progress = [onProgress](double fraction, const std::string& stage) { onProgress(fraction, stage); };
  }
  const velmora::web::ToolOutcome outcome = velmora::web::runToolRequest(tool, optionsJson, progress);
  return "{\"exit\": " + std::to_string(outcome.exit) + ", \"output\": " + velmora::records::jsonString(outcome.output) +
         ", \"error\": " + velmora::records::jsonString(outcome.error) + "}";
}

}  // namespace

EMSCRIPTEN_BINDINGS(velmora) {
  emscripten::function("calculate", &calculate);
  emscripten::function("batch", &batch);
  emscripten::function("runToolEntry", &runTool);  // runTool in run_tool.js
}

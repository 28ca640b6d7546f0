// SPDX-License-Identifier: GPL-3.0-or-later
// The engine as a WebAssembly module. Two calls:
//
//   calculate(dcfp, n, r, j, decimalSymbol)  one case: the json record of the command line
//                                             (captions with the given decimal symbol)
//   batch(csvText)                           a whole CSV batch: {lines, status}, as
//                                             `velmora-cli --batch - --format json` prints
//                                             and ends
//
// Nothing escapes as a C++ exception: a failure inside the engine comes back as a record
// {"internal_error": "..."} (one call) or as status 70 with the message (a batch), the
// command line's answer to the same failure.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <exception>
#include <string>

#include "case_record.h"
#include "velmora/cli/json_output.h"

namespace {

constexpr int kExitInternalError = 70;

std::string internalErrorRecord(const std::string& what) {
  return "{\"internal_error\": " + velmora::cli::jsonString(what) + "}";
}

std::string calculate(const std::string& dcfp, const std::string& n, const std::string& r, const std::string& j,
                      const std::string& decimalSymbol) {
  try {
    const velmora::InputTexts texts{dcfp, n, r, j};
    velmora::Calculation calculation;
    const velmora::Expected<velmora::CalculationResult> outcome = calculation.calculate(texts, decimalSymbol);
    return velmora::web::caseRecord(texts, outcome);
  } catch (const std::exception& e) {
    return internalErrorRecord(e.what());
  } catch (...) {
    return internalErrorRecord("unexpected failure");
  }
}

emscripten::val batch(const std::string& csv) {
  emscripten::val result = emscripten::val::object();
  try {
    const velmora::web::BatchOutput output = velmora::web::batchRecords(csv);
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

}  // namespace

EMSCRIPTEN_BINDINGS(velmora) {
  emscripten::function("calculate", &calculate);
  emscripten::function("batch", &batch);
}

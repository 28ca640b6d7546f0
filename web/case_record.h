// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records of the WebAssembly module: the command line's json records, built from the
// engine's outcome (without the exact audit, which needs GMP and is not part of this build).

#include <string>
#include <string_view>

#include "velmora/engine/calculation.h"

namespace velmora::web {

// One case as one line of `velmora-cli --format json`, without the line end: the four
// input texts, then the four tests or the refusal as "error".
[[nodiscard]] std::string caseRecord(const InputTexts& texts, const Expected<CalculationResult>& outcome);

// The outcome of the whole of a CSV batch, as `velmora-cli --batch - --format json` writes it.
struct BatchOutput {
  std::string lines;  // one record a line, each ending in "\n"
  int status = 0;     // the command line's exit status: 0, or 2 when a case or line was refused
};
[[nodiscard]] BatchOutput batchRecords(std::string_view csv);

}  // namespace velmora::web

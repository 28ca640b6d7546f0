// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One case of the command line: its four texts and what the engine made of them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "velmora/analysis/audit.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/input_checks.h"
#include "velmora/engine/limits.h"

namespace velmora::records {

struct CaseResult {
  InputTexts texts;
  Expected<CalculationResult> outcome;
  // The exact audit of an accepted case, when asked for (--audit).
  std::optional<analysis::CalculationAudit> audit;
};

// The decimal symbol of every command-line caption: output is for files and programs,
// so it does not follow the regional settings.
inline constexpr const char* kDecimalSymbol = ".";

// The four box texts of a case given as options. Without j the rank box holds the n text,
// as leaving the n box would set it.
[[nodiscard]] InputTexts boxTexts(const std::string& dcfp, const std::string& n, const std::string& r,
                                  const std::optional<std::string>& j);

// Runs one case through the engine. The calculation object is reused between cases;
// each call starts from the texts alone.
// With `audit` an accepted case is also audited exactly.
[[nodiscard]] CaseResult computeCase(Calculation& calculation, const InputTexts& texts, bool audit = false);

}  // namespace velmora::records

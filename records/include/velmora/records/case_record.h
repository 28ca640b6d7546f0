// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The json record of one case, written once for every front end: one line of
// `velmora-cli --format json` and of the page's batch, without the line end.
//
//   {"dcfp": TEXT, "n": TEXT, "r": TEXT, "j": TEXT, "tests": [{"test": "1:1", "status", "rating",
//    "samples", "percentile", "cfp", "power": [TEXT, TEXT, TEXT] (, "audit": {...})}, ...]}
//   {"dcfp", "n", "r", "j", "error": {"title", "lines": [TEXT, TEXT], "focus": BOX}}   a refusal
//   {"line": N, "fields": [TEXT...], "error": {"title": "Batch Error", "lines": [...]}} a batch line

#include <array>
#include <span>
#include <string>

#include "velmora/engine/calculation.h"
#include "velmora/engine/input_checks.h"
#include "velmora/records/batch.h"

namespace velmora::records {

// Scheme names, element t - 1 for scheme 1:t.
inline constexpr std::array<const char*, kSchemeCount> kSchemeNames = {"1:1", "1:2", "1:3", "1:4"};

// The record of a case: its four input texts, then its tests or the refusal as "error".
// `audits`, when not empty, holds one json object per test (its text, as the command line's
// exact audit writes it), put into that test's record as "audit".
[[nodiscard]] std::string caseRecordLine(const InputTexts& texts, const Expected<CalculationResult>& outcome,
                                         std::span<const std::string> audits = {});

// The record of a batch line that holds no case.
[[nodiscard]] std::string batchProblemLine(const BatchProblem& problem);

}  // namespace velmora::records

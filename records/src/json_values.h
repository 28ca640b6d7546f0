// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The json records of the commands (design, plan, curves, strategies, evaluate, the audit):
// built as nlohmann::ordered_json values (keys in the order they are set) and written one
// record a line. Private to the command line, and only nlohmann's declarations here: the
// .cpp files that build values include the library itself. The record of a case is the
// records library's (velmora/records/case_record.h).

#include <nlohmann/json_fwd.hpp>

#include <string>

#include "velmora/engine/input_checks.h"

namespace velmora::records {

using Json = nlohmann::ordered_json;

// A value as one line of the json format, without the line end: one blank after every
// comma and colon, as {"test": "1:1", "power": ["0.524", "0.840", "0.973"]}, its strings
// as every json record writes them (records::jsonString).
[[nodiscard]] std::string jsonText(const Json& value);

// The four input texts of a case: the first keys of its json records.
[[nodiscard]] Json inputsRecord(const InputTexts& texts);

}  // namespace velmora::records

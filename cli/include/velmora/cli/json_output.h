// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records of the json format: built as nlohmann::ordered_json values (keys in the order
// they are set), written one record a line.

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace velmora::cli {

using Json = nlohmann::ordered_json;

// A value as one line of the json format, without the line end: one blank after every
// comma and colon, as {"test": "1:1", "power": ["0.524", "0.840", "0.973"]}.
[[nodiscard]] std::string jsonText(const Json& value);

// A JSON string literal, quotes included. Bytes that are not valid UTF-8 become
// \ufffd (one per maximal invalid sequence), so any input gives valid JSON.
[[nodiscard]] std::string jsonString(std::string_view text);
// The same literal appended to `out`.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace velmora::cli

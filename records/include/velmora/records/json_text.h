// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JSON string literals as every json record writes them: valid UTF-8 as it came, the
// escapes of the JSON serialiser, and \ufffd for each maximal invalid byte sequence, so that
// any input gives valid JSON.

#include <string>
#include <string_view>

namespace velmora::records {

// A JSON string literal, quotes included.
[[nodiscard]] std::string jsonString(std::string_view text);
// The same literal appended to `out`.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace velmora::records

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The values of the exact tools' requests (the planner's and the design helper's), read
// as the calculator's boxes read theirs, and their refusal.

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "velmora/engine/numbers.h"
#include "velmora/engine/problem.h"

namespace velmora::analysis::detail {

// A whole number from 1 to `largest`: numeric as the boxes take it, its value whole.
inline std::optional<long> wholeNumberFromOne(std::string_view text, double largest) {
  if (!isNumeric(text)) return std::nullopt;
  const NumericReading reading = readNumericValue(text);
  if (!reading.inRange || !(reading.value >= 1.0 && reading.value <= largest)) return std::nullopt;
  if (reading.value != std::floor(reading.value)) return std::nullopt;
  return static_cast<long>(reading.value);
}

// The text without the blanks and tabs around it.
inline std::string_view withoutBlanks(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// A request refused, in one sentence.
inline Problem refused(std::string sentence) { return Problem{ProblemKind::refusedRequest, {std::move(sentence)}}; }

}  // namespace velmora::analysis::detail

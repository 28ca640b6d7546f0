// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Measured concentrations as exact decimal numbers, compared exactly as their texts read.
//
// A limit and a compliance value are compared in reports as decimals: 0.2, "0.20" and
// "2e-1" are the same number, and a value equal to the limit passes. A double would
// already round 0.1 + 0.2 style texts to different neighbours of the decimal, and a value
// equal to the limit could then fall a hair above it. A Decimal keeps the number that the
// text reads, exactly: significand x 10^exponent, normalised so that each number has one
// form, and compares by that form alone.
//
// Why not a library type: the only operation needed is comparison; Boost.Multiprecision's
// decimal floats round silently past their precision and take several times the memory
// per value (a monitoring file can hold a million of them), and its rationals would have
// to build 10^1000000 for "1e1000000". The normalised pair below is exact, compares in a
// few integer operations, and needs no bound on the magnitude beyond the exponent range.

#include <compare>
#include <cstdint>
#include <string_view>

#include "velmora/engine/problem.h"

namespace velmora::analysis {

// The most significant digits a Decimal holds (every 19-digit number fits a uint64). A lab
// reports three or four; a text with more is refused, never rounded.
inline constexpr int kMaxDecimalDigits = 19;
// The largest decimal exponent a Decimal holds, either way.
inline constexpr std::int64_t kMaxDecimalExponent = 999'999'999;

struct Decimal {
  // The value is significand x 10^exponent. The significand has no trailing zero (they are
  // counted in the exponent), and zero is 0 x 10^0, so equal numbers have equal fields.
  std::uint64_t significand = 0;
  std::int32_t exponent = 0;

  friend bool operator==(const Decimal&, const Decimal&) = default;
  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
};

// The non-negative decimal that a text reads: blanks around it aside, an optional sign,
// digits with at most one full stop, and an optional exponent (E or e, an optional sign,
// digits), the grammar of velmora/engine/numbers.h's IsNumeric. refused (unreadableData,
// one line saying why, to follow the text in a message): an empty text, a text that is
// not such a number (NaN, inf, "1,5", "0x1"), a negative number ("-0" is zero), one with
// more than kMaxDecimalDigits significant digits, or one beyond the exponent range.
[[nodiscard]] Expected<Decimal> parseDecimal(std::string_view text);

}  // namespace velmora::analysis

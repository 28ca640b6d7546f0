// SPDX-License-Identifier: GPL-3.0-or-later
// Exact decimal numbers from texts, and their order.
#include "velmora/analysis/decimal.h"

#include <array>
#include <bit>
#include <string>

#include "request_values.h"
#include "velmora/engine/numbers.h"

namespace velmora::analysis {

namespace {

// 10^0 .. 10^19, every power of ten a uint64 holds.
constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
  std::array<std::uint64_t, 20> powers{};
  std::uint64_t power = 1;
  for (std::uint64_t& p : powers) {
    p = power;
    power *= 10;
  }
  return powers;
}();

// The decimal digits of a significand above 0. A monitoring file's background is sorted by
// these comparisons (a million values take some twenty million), so no division: the bit
// length times log10(2) (1233 / 4096) is the digit count or one below it.
int digitCount(std::uint64_t value) {
  const auto guess = static_cast<std::size_t>((std::bit_width(value) * 1233) >> 12);
  return static_cast<int>(guess) + (value >= kPowersOfTen[guess] ? 1 : 0);
}

std::uint64_t powerOfTen(int exponent) { return kPowersOfTen[static_cast<std::size_t>(exponent)]; }

using detail::withoutBlanks;

}  // namespace

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  if (a.significand == 0 || b.significand == 0) return (a.significand != 0) <=> (b.significand != 0);
  // The decimal position of the leading digit orders numbers of different magnitude.
  const int digitsA = digitCount(a.significand);
  const int digitsB = digitCount(b.significand);
  const std::int64_t leadA = std::int64_t{a.exponent} + digitsA;
  const std::int64_t leadB = std::int64_t{b.exponent} + digitsB;
  if (leadA != leadB) return leadA <=> leadB;
  // Same leading position: line the digits up (both have at most 19, so neither overflows).
  if (digitsA < digitsB) return a.significand * powerOfTen(digitsB - digitsA) <=> b.significand;
  return a.significand <=> b.significand * powerOfTen(digitsA - digitsB);
}

Expected<Decimal> parseDecimal(std::string_view text) {
  const std::string_view number = withoutBlanks(text);
  if (number.empty()) return fail(ProblemKind::unreadableData, "is empty");
  // One grammar of numbers for the whole program: the calculator's own reader's.
  if (!isNumeric(number)) return fail(ProblemKind::unreadableData, "is not a decimal number");
  const NumericParts parts = scanNumericValue(number);

  const std::size_t first = parts.digits.find_first_not_of('0');
  if (first == std::string::npos) return Decimal{};  // zero, "-0" included
  if (parts.negative) return fail(ProblemKind::unreadableData, "is negative (a concentration is never below zero)");
  const std::size_t last = parts.digits.find_last_not_of('0');
  const std::size_t significant = last - first + 1;
  if (significant > static_cast<std::size_t>(kMaxDecimalDigits)) {
    return fail(ProblemKind::unreadableData,
                "has more than " + std::to_string(kMaxDecimalDigits) + " significant digits");
  }
  Decimal decimal;
  for (std::size_t i = first; i <= last; ++i) {
    decimal.significand = decimal.significand * 10 + static_cast<std::uint64_t>(parts.digits[i] - '0');
  }
  // The scanner saturates the written exponent at +-1e9: a saturated one is refused here,
  // since what it stood for is lost.
  const auto outOfRange = [] {
    return fail(ProblemKind::unreadableData, "is beyond the range of numbers read (a decimal exponent within +-" +
                                                 std::to_string(kMaxDecimalExponent) + ")");
  };
  if (parts.exponent > kMaxDecimalExponent || parts.exponent < -kMaxDecimalExponent) return outOfRange();
  // The digits after `last` are zeros moved into the exponent; the fraction digits move it down.
  const std::int64_t trailingZeros = static_cast<std::int64_t>(parts.digits.size() - 1 - last);
  const std::int64_t exponent = parts.exponent - parts.fractionDigits + trailingZeros;
  if (exponent > kMaxDecimalExponent || exponent < -kMaxDecimalExponent) return outOfRange();
  decimal.exponent = static_cast<std::int32_t>(exponent);
  return decimal;
}

}  // namespace velmora::analysis

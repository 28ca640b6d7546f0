// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/numbers.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>

#include <fast_float/fast_float.h>
#include <fmt/compile.h>
#include <fmt/format.h>

#include "velmora/engine/limits.h"

namespace velmora {
namespace {

bool isSkippedInValue(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// The characters of the text that the numeric value reads, blanks, tabs and line feeds
// taken out wherever they stand.
std::string withoutSkipped(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (!isSkippedInValue(c)) kept.push_back(c);
  }
  return kept;
}

NumericReading readRadixInteger(const std::string& digits, int radix) {
  double value = 0.0;
  for (char c : digits) value = value * radix + digitValue(c);
  return {value, std::isfinite(value)};
}

constexpr long long kExponentSaturation = 1'000'000'000LL;

}  // namespace

NumericParts scanNumericValue(std::string_view text) {
  const std::string s = withoutSkipped(text);
  NumericParts parts;
  if (s.size() >= 2 && s[0] == '&') {
    parts.radix = (s[1] == 'H' || s[1] == 'h') ? 16 : (s[1] == 'O' || s[1] == 'o') ? 8 : 0;
    for (std::size_t i = 2; parts.radix != 0 && i < s.size() && digitValue(s[i]) < parts.radix; ++i) {
      parts.digits.push_back(s[i]);
    }
    return parts;
  }

  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) parts.negative = s[i++] == '-';
  while (i < s.size() && isDigit(s[i])) parts.digits.push_back(s[i++]);
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) {
      parts.digits.push_back(s[i++]);
      ++parts.fractionDigits;
    }
  }
  if (parts.digits.empty()) return parts;
  // An exponent counts only with at least one digit ("1e" and "1e+" read as 1).
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t e = i + 1;
    bool exponentNegative = false;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) exponentNegative = s[e++] == '-';
    long long exponent = 0;
    for (; e < s.size() && isDigit(s[e]); ++e) {
      exponent = std::min(exponent * 10 + (s[e] - '0'), kExponentSaturation);
    }
    parts.exponent = exponentNegative ? -exponent : exponent;
  }
  return parts;
}

NumericReading readNumericValue(std::string_view text) {
  const NumericParts parts = scanNumericValue(text);
  if (parts.radix != 10) return readRadixInteger(parts.digits, parts.radix == 0 ? 10 : parts.radix);
  if (parts.digits.empty()) return {};

  // Correctly rounded and independent of the user's locale (fast_float, as std::from_chars
  // would, on every build; see cmake/NumberLibraries.cmake). fast_float reports no range
  // errors: a value beyond the float64 range reads as infinity, one below the smallest
  // subnormal as zero, and both are told apart below as std::from_chars's errors were.
  std::string literal = parts.digits;
  literal.insert(literal.size() - static_cast<std::size_t>(parts.fractionDigits), 1, '.');
  literal += 'e';
  literal += std::to_string(parts.exponent);
  double value = 0.0;
  const auto result = fast_float::from_chars(literal.data(), literal.data() + literal.size(), value,
                                             fast_float::chars_format::general);
  if (result.ec == std::errc() && std::isfinite(value)) return {parts.negative ? -value : value, true};

  // Out of range: overflow or underflow, told apart by the decimal magnitude of the first
  // significant digit. One too small for the smallest subnormal reads as zero; one beyond
  // the float64 range as +-infinity, marked out of range.
  const std::size_t firstSignificant = parts.digits.find_first_not_of('0');
  const long long integerDigits = static_cast<long long>(parts.digits.size()) - parts.fractionDigits;
  const long long magnitude = integerDigits - static_cast<long long>(firstSignificant) - 1 + parts.exponent;
  if (firstSignificant == std::string::npos || magnitude < 0) return {parts.negative ? -0.0 : 0.0, true};
  const double infinite = std::numeric_limits<double>::infinity();
  return {parts.negative ? -infinite : infinite, false};
}

double numericValue(std::string_view text) { return readNumericValue(text).value; }

bool isNumeric(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  const std::string_view s = text.substr(begin, end - begin);

  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) { ++i; ++digits; }
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < s.size() && isDigit(s[i])) { ++i; ++exponentDigits; }
    if (exponentDigits == 0) return false;
  }
  return i == s.size();
}

double roundHalfEven(double x) {
  // nearbyint rounds in the current rounding mode, which is round-to-nearest-even.
  return std::nearbyint(x);
}

std::optional<std::int16_t> toInt16(double x) {
  if (!std::isfinite(x)) return std::nullopt;
  const double rounded = roundHalfEven(x);
  if (rounded < kInt16Min || rounded > kInt16Max) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> toInt32(double x) {
  if (!std::isfinite(x)) return std::nullopt;
  const double rounded = roundHalfEven(x);
  if (rounded < INT32_MIN || rounded > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::string formatFixed(double value, int decimals, std::string_view decimalSymbol) {
  if (value == 0.0) value = 0.0;  // never print a negative zero
  // {fmt} rounds the exact binary value correctly and, unlike printf, never takes the
  // decimal mark from the C library's locale (which the window's toolkit sets).
  // The format is compiled (no parse per call) into a buffer on the stack that grows only
  // for the widest values.
  fmt::memory_buffer digits;
  fmt::format_to(std::back_inserter(digits), FMT_COMPILE("{:.{}f}"), value, std::max(decimals, 0));
  std::string text(digits.data(), digits.size());
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, decimalSymbol);
  return text;
}

std::string formatSigned(long value) {
  std::string text = value < 0 ? std::string() : std::string(1, ' ');
  text += std::to_string(value);
  return text;
}

std::string formatInteger(long value) { return std::to_string(value); }

bool readsAsFloat32(std::string_view text, float value) { return static_cast<float>(numericValue(text)) == value; }

std::string shortestFloat32Text(float value) {
  std::string text;
  for (int digits = 1; digits <= 9; ++digits) {
    text = fmt::format(FMT_COMPILE("{:.{}g}"), static_cast<double>(value), digits);
    if (readsAsFloat32(text, value)) break;
  }
  return text;
}

}  // namespace velmora

#include "velmora/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "velmora/limits.h"

namespace velmora {
namespace {

bool IsSkippedInValue(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// The characters of the text that the numeric value reads, blanks, tabs and line feeds
// taken out wherever they stand.
std::string WithoutSkipped(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (!IsSkippedInValue(c)) kept.push_back(c);
  }
  return kept;
}

// Correctly rounded conversion of a clean decimal literal (sign, digits with at most one
// full stop, optional exponent), independent of the user's locale. A literal beyond the
// float64 range reads as +-infinity and is marked out of range; one too small for the
// smallest subnormal reads as zero.
NumericReading ConvertLiteral(const std::string& literal) {
  const char* first = literal.data();
  const char* last = first + literal.size();
  const bool negative = !literal.empty() && literal[0] == '-';
  if (!literal.empty() && (literal[0] == '+' || literal[0] == '-')) ++first;  // from_chars takes no '+'
  double value = 0.0;
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc()) return {negative ? -value : value, true};

  // Out of range: decide between overflow and underflow from the decimal magnitude of
  // the first significant digit, exponent saturated.
  long long magnitude = 0;
  long long integerDigits = 0;
  long long position = 0;
  long long firstSignificant = -1;
  std::size_t i = static_cast<std::size_t>(first - literal.data());
  bool inFraction = false;
  for (; i < literal.size() && literal[i] != 'e'; ++i) {
    if (literal[i] == '.') { inFraction = true; continue; }
    if (!inFraction) ++integerDigits;
    if (firstSignificant < 0 && literal[i] != '0') firstSignificant = position;
    ++position;
  }
  long long exponent = 0;
  if (i < literal.size()) {
    ++i;
    const bool exponentNegative = i < literal.size() && literal[i] == '-';
    if (i < literal.size() && (literal[i] == '+' || literal[i] == '-')) ++i;
    for (; i < literal.size(); ++i) {
      exponent = std::min<long long>(exponent * 10 + (literal[i] - '0'), 1'000'000'000LL);
    }
    if (exponentNegative) exponent = -exponent;
  }
  magnitude = integerDigits - firstSignificant - 1 + exponent;
  if (firstSignificant < 0 || magnitude < 0) return {negative ? -0.0 : 0.0, true};
  const double infinite = std::numeric_limits<double>::infinity();
  return {negative ? -infinite : infinite, false};
}

NumericReading ReadRadixInteger(std::string_view digits, int radix) {
  double value = 0.0;
  for (char c : digits) {
    const int d = DigitValue(c);
    if (d >= radix) break;
    value = value * radix + d;
  }
  return {value, std::isfinite(value)};
}

}  // namespace

NumericReading ReadNumericValue(std::string_view text) {
  const std::string s = WithoutSkipped(text);
  std::size_t i = 0;
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return ReadRadixInteger(std::string_view(s).substr(2), 16);
    if (s[1] == 'O' || s[1] == 'o') return ReadRadixInteger(std::string_view(s).substr(2), 8);
    return {};
  }

  // Collect sign, mantissa and exponent into a clean literal for the exact conversion.
  std::string literal;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) literal.push_back(s[i++]);
  std::size_t mantissaDigits = 0;
  while (i < s.size() && IsDigit(s[i])) { literal.push_back(s[i++]); ++mantissaDigits; }
  if (i < s.size() && s[i] == '.') {
    literal.push_back(s[i++]);
    while (i < s.size() && IsDigit(s[i])) { literal.push_back(s[i++]); ++mantissaDigits; }
  }
  if (mantissaDigits == 0) return {};
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t e = i + 1;
    std::string exponent = "e";
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) exponent.push_back(s[e++]);
    const std::size_t firstDigit = e;
    while (e < s.size() && IsDigit(s[e])) exponent.push_back(s[e++]);
    if (e > firstDigit) literal += exponent;
  }

  return ConvertLiteral(literal);
}

double NumericValue(std::string_view text) { return ReadNumericValue(text).value; }

bool IsNumeric(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  const std::string_view s = text.substr(begin, end - begin);

  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) { ++i; ++digits; }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) { ++i; ++digits; }
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < s.size() && IsDigit(s[i])) { ++i; ++exponentDigits; }
    if (exponentDigits == 0) return false;
  }
  return i == s.size();
}

double RoundHalfEven(double x) {
  // nearbyint rounds in the current rounding mode, which is round-to-nearest-even.
  return std::nearbyint(x);
}

std::optional<std::int16_t> ToInt16(double x) {
  if (!std::isfinite(x)) return std::nullopt;
  const double rounded = RoundHalfEven(x);
  if (rounded < kInt16Min || rounded > kInt16Max) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> ToInt32(double x) {
  if (!std::isfinite(x)) return std::nullopt;
  const double rounded = RoundHalfEven(x);
  if (rounded < INT32_MIN || rounded > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

std::string FormatFixed(double value, int decimals, std::string_view decimalSymbol) {
  if (value == 0.0) value = 0.0;  // never print a negative zero
  // to_chars rounds the exact binary value correctly and, unlike printf, never takes the
  // decimal mark from the C library's locale (which the window's toolkit sets).
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, decimalSymbol);
  return text;
}

std::string FormatSigned(long value) {
  std::string text = value < 0 ? std::string() : std::string(1, ' ');
  text += std::to_string(value);
  return text;
}

std::string FormatInteger(long value) { return std::to_string(value); }

}  // namespace velmora

#include "velmora/numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

  // Collect sign, mantissa and exponent into a clean literal for strtod, which rounds
  // correctly to the nearest float64.
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

  errno = 0;
  const double value = std::strtod(literal.c_str(), nullptr);
  return {value, std::isfinite(value)};
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
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text(buffer);
  if (decimalSymbol != ".") {
    const std::size_t point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, decimalSymbol);
  }
  return text;
}

std::string FormatSigned(long value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string FormatInteger(long value) { return std::to_string(value); }

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: text to number and number to text on arbitrary bytes.
//
// The whole input is one box text for ReadNumericValue, NumericValue and IsNumeric; its
// first eight bytes are also taken as the bits of a float64 (any value, NaN and the
// infinities included) for the conversions and FormatFixed.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"

namespace {

[[noreturn]] void fail(const char* what, double x) {
  std::fprintf(stderr, "invariant violated: %s (x = %.17g)\n", what, x);
  std::abort();
}

// The whole-number conversions round halves to even and refuse what does not fit.
void checkConversions(double x) {
  const auto to16 = velmora::toInt16(x);
  const auto to32 = velmora::toInt32(x);
  if (!std::isfinite(x)) {
    if (to16 || to32) fail("a conversion of a value that is not finite", x);
    return;
  }
  const double rounded = velmora::roundHalfEven(x);
  if (std::fabs(rounded - x) > 0.5) fail("RoundHalfEven moved more than a half", x);
  if (rounded != std::nearbyint(x)) fail("RoundHalfEven differs from round-to-nearest-even", x);
  const bool fits16 = rounded >= velmora::kInt16Min && rounded <= velmora::kInt16Max;
  if (to16.has_value() != fits16) fail("ToInt16 accepts a value that does not fit, or refuses one that does", x);
  if (to16 && *to16 != rounded) fail("ToInt16 differs from the rounded value", x);
  const bool fits32 = rounded >= INT32_MIN && rounded <= INT32_MAX;
  if (to32.has_value() != fits32) fail("ToInt32 accepts a value that does not fit, or refuses one that does", x);
  if (to32 && *to32 != rounded) fail("ToInt32 differs from the rounded value", x);
}

// FormatFixed: "d…d.ddd" with exactly `decimals` digits after the point, reading back to
// the value within half a unit of the last decimal. Checked for the magnitudes a caption
// can hold (and far beyond: below 1e15).
void checkFormatFixed(double x, int decimals) {
  const std::string text = velmora::formatFixed(x, decimals);
  if (!std::isfinite(x) || std::fabs(x) >= 1e15) return;  // ran for memory safety only
  const std::size_t point = text.find('.');
  const bool wellPlaced = decimals == 0 ? point == std::string::npos
                                        : point != std::string::npos && text.size() - point - 1 == static_cast<std::size_t>(decimals);
  if (!wellPlaced) fail("FormatFixed has the wrong number of decimals", x);
  if (text.find_first_not_of("-0123456789.") != std::string::npos) fail("FormatFixed wrote a stray character", x);
  if (text == "-0." + std::string(static_cast<std::size_t>(decimals), '0') && x == 0.0) {
    fail("FormatFixed wrote a negative zero", x);
  }
  const double back = std::strtod(text.c_str(), nullptr);
  const double halfUnit = 0.5 * std::pow(10.0, -decimals);
  if (std::fabs(back - x) > halfUnit * (1.0 + 1e-9) + std::fabs(x) * 1e-15) fail("FormatFixed misrounds", x);
  const std::string comma = velmora::formatFixed(x, decimals, ",");
  std::string expected = text;
  if (point != std::string::npos) expected[point] = ',';
  if (comma != expected) fail("FormatFixed with another decimal symbol differs", x);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const velmora::NumericReading reading = velmora::readNumericValue(text);
  const double value = velmora::numericValue(text);
  if (reading.inRange) {
    if (!std::isfinite(reading.value)) fail("an in-range reading that is not finite", reading.value);
    if (std::memcmp(&value, &reading.value, sizeof value) != 0) fail("NumericValue differs from the reading", value);
  } else if (!std::isinf(value)) {
    fail("a reading beyond the float64 range that is not infinite", value);
  }
  if (std::isnan(value)) fail("a text read as NaN", value);

  const bool numeric = velmora::isNumeric(text);
  if (numeric && text.find_first_not_of(" \t\n") == std::string_view::npos) fail("a blank text is numeric", value);
  if (numeric && (text.find("&H") != std::string_view::npos || text.find("&O") != std::string_view::npos)) {
    fail("a prefixed integer is numeric", value);
  }

  // A numeric text reads as the number it shows, correctly rounded.
  if (numeric && reading.inRange) {
    std::string plain(text);
    while (!plain.empty() && (plain.back() == ' ' || plain.back() == '\t' || plain.back() == '\n')) plain.pop_back();
    const double expected = std::strtod(plain.c_str(), nullptr);
    if (std::isfinite(expected) && value != expected) fail("a numeric text reads as another number", value);
  }

  checkConversions(value);
  checkFormatFixed(value, 4);

  if (size >= 9) {
    double bits = 0.0;
    std::memcpy(&bits, data, sizeof bits);
    const int decimals = data[8] % 8;
    checkConversions(bits);
    checkFormatFixed(bits, decimals);
  }
  return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text to number and number to text, as the calculator's input boxes and result
// cells need them, plus the rounding conversions of the calculation.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Outcome of reading the leading number of a text.
struct NumericReading {
  double value = 0.0;
  // False when the digits name a number beyond the float64 range (such as 1e400).
  bool inRange = true;
};

// The numeric value of a text's leading characters: blanks, tabs and line feeds are
// skipped wherever they stand; then an optional sign, digits with at most one full
// stop as the decimal point (whatever the locale), and an optional exponent (E or e,
// an optional sign, digits). Reading stops at the first character that does not fit.
// The prefixes &H and &O read a hexadecimal or octal integer. A text without a
// leading number reads as 0.
NumericReading readNumericValue(std::string_view text);

// The parts of the number that the numeric value of a text reads (see readNumericValue),
// before any conversion, so that every reader of a box (float64 here, exact fractions in
// the audit) reads the same number.
struct NumericParts {
  int radix = 10;                // 16 after &H, 8 after &O; 0 after any other '&'
  bool negative = false;
  std::string digits;            // the mantissa's digits, decimal point left out
  long long fractionDigits = 0;  // how many of the digits follow the decimal point
  long long exponent = 0;        // decimal exponent, saturated at +-1e9
};
NumericParts scanNumericValue(std::string_view text);

// readNumericValue(text).value; a value beyond the float64 range reads as +-infinity.
double numericValue(std::string_view text);

// True when the whole text, leading and trailing blanks aside, is one number: an
// optional sign, digits with at most one decimal mark (at least one digit in all),
// and an optional exponent (E or e, an optional sign, at least one digit). The empty
// text and a text of blanks are not numeric. The decimal mark is the full stop, the
// mark that numericValue reads, so that every numeric text reads as the number shown.
bool isNumeric(std::string_view text);

// Conversion to a 16-bit or 32-bit integer, rounding halves to the even neighbour.
// Empty when the rounded value lies outside the integer's range (or x is not finite).
std::optional<std::int16_t> toInt16(double x);
std::optional<std::int32_t> toInt32(double x);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double x);

// Fixed-decimal pattern "0.000…": at least one digit before the decimal symbol and
// exactly `decimals` digits after it, the value rounded to that many decimals.
std::string formatFixed(double value, int decimals, std::string_view decimalSymbol = ".");

// Signed conversion of a whole number: a blank before a number that is not negative
// ("5" -> " 5"), a minus sign otherwise.
std::string formatSigned(long value);

// Plain integer text, no blank and no filler.
std::string formatInteger(long value);

// Whether a box's text reads as `value`: its numeric value (numericValue) rounded to
// float32, as a run loads the DCFP box.
bool readsAsFloat32(std::string_view text, float value);

// The shortest text that reads as `value` in a box (readsAsFloat32): the fewest
// significant digits, 1 to 9, in the form of printf's %g with a full stop whatever the
// locale ("0.0104807", "1e-05"). Nine digits name every float32.
std::string shortestFloat32Text(float value);

}  // namespace velmora

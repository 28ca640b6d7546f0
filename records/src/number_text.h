// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers as text for files and programs: never in the regional settings' style.

#include <string>

namespace velmora::records {

// `significantDigits` digits in the shorter of plain decimal and exponent form, as printf's
// %.<digits>g writes it in the "C" locale: "0.1", "0.0980392098", "1e-07".
[[nodiscard]] std::string generalText(double value, int significantDigits);

// Enough significant digits to tell every float32 apart (the design's values).
inline constexpr int kFloat32Digits = 9;

// A yes or no in a csv row or a json value.
[[nodiscard]] constexpr const char* booleanText(bool value) { return value ? "true" : "false"; }

}  // namespace velmora::records

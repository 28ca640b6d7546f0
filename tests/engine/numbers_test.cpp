// SPDX-License-Identifier: GPL-3.0-or-later
// Text to number and number to text: the numeric value against the whole-text test, the
// correctly rounded decimal reading, the integer conversions with ties to even, and the
// caption patterns.
#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <cmath>
#include <limits>
#include <string>

#include "named_rows.h"
#include "velmora/engine/numbers.h"

namespace velmora {
namespace {

// ---------------------------------------------------------------------------------
// Numeric value and is-numeric are different functions.

struct TextCase : testsupport::NamedRow {
  const char* text;
  double value;
  bool numeric;
};

const TextCase kTextCases[] = {
    {"LeadingNumberThenLetters", "0.5abc", 0.5, false},  // leading number read, the rest ignored
    {"Letters", "abc", 0.0, false},                      // no leading number
    {"BlankBetweenDigits", "2 0", 20.0, false},          // the blank is skipped by the value only
    {"BlankAfterSign", "- 20", -20.0, false},
    {"ExponentWithoutDigits", "2e", 2.0, false},         // exponent without digits: not read, not numeric
    {"LeadingTab", "\t5", 5.0, false},                   // only blanks are trimmed by the whole-text test
    {"TrailingLineFeed", "5\n", 5.0, false},
    {"ThousandsComma", "1,000", 1.0, false},
    {"CurrencySign", "$5", 0.0, false},
    {"TrailingLetter", "0.05x", 0.05, false},
    {"Empty", "", 0.0, false},
    {"OnlyBlanks", "   ", 0.0, false},
    {"OnlyPoint", ".", 0.0, false},
    {"NegativeExponent", "1e-3", 0.001, true},
    {"TrailingPoint", "20.", 20.0, true},
    {"LeadingPoint", ".5", 0.5, true},
    {"PlusSign", "+5", 5.0, true},
    {"MinusSign", "-3", -3.0, true},
    {"SurroundingBlanks", " 20 ", 20.0, true},
    {"Decimal", "20.0", 20.0, true},
    {"CapitalExponentWithPlus", "1E+2", 100.0, true},
    {"DecimalWithExponent", "2.5e-1", 0.25, true},
};

class NumericText : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumericText, ValueAndWholeTextTestDisagreeWhereTheyShould) {
  const TextCase& c = GetParam();
  EXPECT_EQ(numericValue(c.text), c.value);
  EXPECT_EQ(isNumeric(c.text), c.numeric);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumericText, ::testing::ValuesIn(kTextCases), testsupport::RowName());

TEST(NumericText, BlanksTabsAndLineFeedsAreSkippedAnywhereInTheValue) {
  EXPECT_EQ(numericValue(" 1 2 . 5 e 1"), 125.0);
  EXPECT_EQ(numericValue("\t\n-\t0.\n2 5"), -0.25);
  EXPECT_EQ(numericValue("1\t0\n0"), 100.0);
  // Any other character ends the reading.
  EXPECT_EQ(numericValue("1\r00"), 1.0);
}

TEST(NumericText, HexadecimalAndOctalPrefixes) {
  EXPECT_EQ(numericValue("&H1F"), 31.0);
  EXPECT_EQ(numericValue("&O17"), 15.0);
  EXPECT_EQ(numericValue("&HFF zz"), 255.0);
  EXPECT_EQ(numericValue("&O19"), 1.0);  // 9 is no octal digit
  EXPECT_FALSE(isNumeric("&H1F"));
}

TEST(NumericText, ValuesBeyondTheFloat64RangeAreMarked) {
  const NumericReading big = readNumericValue("1e400");
  EXPECT_FALSE(big.inRange);
  EXPECT_TRUE(std::isinf(big.value) && big.value > 0);
  const NumericReading negative = readNumericValue("-1e400");
  EXPECT_FALSE(negative.inRange);
  EXPECT_TRUE(std::isinf(negative.value) && negative.value < 0);
  EXPECT_TRUE(isNumeric("1e400"));  // well formed; the checks refuse it by its range

  // Too small for the smallest subnormal: zero, and in range.
  const NumericReading tiny = readNumericValue("1e-400");
  EXPECT_TRUE(tiny.inRange);
  EXPECT_EQ(tiny.value, 0.0);
  // Subnormals are read, not flushed.
  EXPECT_EQ(numericValue("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(numericValue("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_FALSE(readNumericValue("1.8e308").inRange);
  // An exponent too long for any integer type still decides by its sign.
  EXPECT_FALSE(readNumericValue("1e99999999999999999999").inRange);
  EXPECT_EQ(numericValue("1e-99999999999999999999"), 0.0);
}

TEST(NumericText, FiveThousandDigitNumbers) {
  const NumericReading nines = readNumericValue(std::string(5000, '9'));
  EXPECT_FALSE(nines.inRange);
  EXPECT_TRUE(isNumeric(std::string(5000, '9')));

  // 5000 mantissa digits scaled back by the exponent.
  EXPECT_EQ(numericValue("1" + std::string(4999, '0') + "e-4999"), 1.0);
  EXPECT_EQ(numericValue("0." + std::string(4990, '0') + "25e4991"), 2.5);
  const NumericReading small = readNumericValue("0." + std::string(4998, '0') + "1");
  EXPECT_TRUE(small.inRange);
  EXPECT_EQ(small.value, 0.0);
}

TEST(NumericText, DecimalReadingIsCorrectlyRounded) {
  EXPECT_EQ(numericValue("0.1"), 0.1);
  EXPECT_EQ(numericValue("0.05"), 0.05);
  EXPECT_EQ(numericValue("2.2250738585072011e-308"), 2.2250738585072011e-308);
  // Halfway between two doubles: ties to even.
  EXPECT_EQ(numericValue("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(numericValue("9007199254740995"), 9007199254740996.0);
  // 1 + 2^-53 exactly is a tie and rounds to 1; one more digit far behind breaks the
  // tie upward. Only a reading that looks at every digit gets both right.
  const std::string half = "1.00000000000000011102230246251565404236316680908203125";
  EXPECT_EQ(numericValue(half), 1.0);
  EXPECT_EQ(numericValue(half + std::string(4940, '0') + "1"), std::nextafter(1.0, 2.0));
  EXPECT_EQ(numericValue(half + std::string(4940, '0')), 1.0);
}

// Some locale whose decimal mark is the comma, if the system has one.
bool useCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr && std::string(std::localeconv()->decimal_point) == ",") {
      return true;
    }
  }
  std::setlocale(LC_ALL, "C");
  return false;
}

class CommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!useCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, ReadingIgnoresTheLocale) {
  EXPECT_EQ(numericValue("0.05"), 0.05);
  EXPECT_TRUE(isNumeric("0.05"));
  EXPECT_EQ(numericValue("1.5e2"), 150.0);
  EXPECT_EQ(numericValue("0,05"), 0.0);
}

TEST_F(CommaLocale, PatternsPrintTheCommaTheyAreGiven) {
  EXPECT_EQ(formatFixed(0.975, 4, ","), "0,9750");
  EXPECT_EQ(formatFixed(1.0, 3, ","), "1,000");
}

// The window's toolkit sets the C locale from the environment; the patterns must not follow it.
TEST_F(CommaLocale, PatternsPrintAFullStopWhenGivenOne) {
  EXPECT_EQ(formatFixed(0.975, 4, "."), "0.9750");
  EXPECT_EQ(formatFixed(0.0605, 5, "."), "0.06050");
}

// ---------------------------------------------------------------------------------
// Integer conversions: halves to the even neighbour, and the ranges.

TEST(IntegerConversion, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(toInt16(2.5), 2);
  EXPECT_EQ(toInt16(3.5), 4);
  EXPECT_EQ(toInt16(-2.5), -2);
  EXPECT_EQ(toInt16(-3.5), -4);
  EXPECT_EQ(toInt16(0.5), 0);
  EXPECT_EQ(toInt16(2.5000001), 3);
  EXPECT_EQ(toInt32(1000.5), 1000);
  EXPECT_EQ(toInt32(1001.5), 1002);
  EXPECT_EQ(roundHalfEven(9687.5), 9688.0);
  EXPECT_EQ(roundHalfEven(9062.5), 9062.0);
}

TEST(IntegerConversion, Int16Limits) {
  EXPECT_EQ(toInt16(32767.0), 32767);
  EXPECT_EQ(toInt16(32767.4999), 32767);
  EXPECT_FALSE(toInt16(32767.5).has_value());  // rounds to 32768
  EXPECT_FALSE(toInt16(40000.0).has_value());
  EXPECT_EQ(toInt16(-32768.0), -32768);
  EXPECT_EQ(toInt16(-32768.5), -32768);  // the tie goes to the even -32768
  EXPECT_FALSE(toInt16(-32768.6).has_value());
  EXPECT_FALSE(toInt16(-32769.5).has_value());
  EXPECT_FALSE(toInt16(std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(toInt16(std::numeric_limits<double>::quiet_NaN()).has_value());
}

TEST(IntegerConversion, Int32Limits) {
  EXPECT_EQ(toInt32(2147483647.4), 2147483647);
  EXPECT_FALSE(toInt32(2147483647.5).has_value());
  EXPECT_EQ(toInt32(-2147483648.5), -2147483647 - 1);
  EXPECT_FALSE(toInt32(-2147483648.6).has_value());
  EXPECT_FALSE(toInt32(-std::numeric_limits<double>::infinity()).has_value());
}

// ---------------------------------------------------------------------------------
// Number to text.

TEST(NumberText, FixedDecimalPatterns) {
  EXPECT_EQ(formatFixed(static_cast<double>(0.975f), 4), "0.9750");
  EXPECT_EQ(formatFixed(1.0, 3), "1.000");
  EXPECT_EQ(formatFixed(0.0, 3), "0.000");
  EXPECT_EQ(formatFixed(-0.0, 5), "0.00000");  // never a negative zero
  EXPECT_EQ(formatFixed(static_cast<double>(0.06052f), 5), "0.06052");
  EXPECT_EQ(formatFixed(static_cast<double>(0.539f), 3), "0.539");
  EXPECT_EQ(formatFixed(static_cast<double>(0.9062f), 4), "0.9062");
  EXPECT_EQ(formatFixed(static_cast<double>(0.975f), 4, ","), "0,9750");
  EXPECT_EQ(formatFixed(1.0, 3, ","), "1,000");
}

TEST(NumberText, SignedAndPlainIntegers) {
  EXPECT_EQ(formatSigned(5), " 5");
  EXPECT_EQ(formatSigned(0), " 0");
  EXPECT_EQ(formatSigned(12), " 12");
  EXPECT_EQ(formatSigned(-3), "-3");
  EXPECT_EQ(formatSigned(20000), " 20000");
  EXPECT_EQ(formatInteger(7), "7");
  EXPECT_EQ(formatInteger(32767), "32767");
}

// The shortest text of a float32 reads back as it, over float32s spread across (0, 1]; and
// it is the shortest even where seven digits of the value would read as another text than
// the shortest one (just above 2^-30).
TEST(NumberText, ShortestFloat32TextReadsBackAsItsValue) {
  EXPECT_EQ(shortestFloat32Text(0.1f), "0.1");
  EXPECT_EQ(shortestFloat32Text(0.0104807f), "0.0104807");
  EXPECT_EQ(shortestFloat32Text(1e-5f), "1e-05");
  EXPECT_EQ(shortestFloat32Text(1.0f), "1");
  EXPECT_EQ(shortestFloat32Text(9.31409949e-10f), "9.3141e-10");
  EXPECT_FALSE(readsAsFloat32("9.314e-10", 9.31409949e-10f));
  for (std::uint32_t bits = 0x30000000u; bits <= 0x3f800000u; bits += 0x3ff1u) {
    const float value = std::bit_cast<float>(bits);
    EXPECT_TRUE(readsAsFloat32(shortestFloat32Text(value), value)) << shortestFloat32Text(value);
  }
}

}  // namespace
}  // namespace velmora

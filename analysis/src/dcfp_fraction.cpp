// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/dcfp_fraction.h"

#include <boost/multiprecision/cpp_bin_float.hpp>

#include <limits>

#include "velmora/engine/numbers.h"

namespace velmora::analysis {
namespace {

namespace mp = boost::multiprecision;

// 50 digits then one rounding to double: within a unit in the last place, and no overflow of
// the numerator or denominator on the way (a fraction's own conversion divides two doubles).
// (Through decimal text: GCC 12 takes Boost's direct conversion for a read of uninitialised limbs.)
mp::cpp_bin_float_50 toFloat(const mp::cpp_rational& x) {
  return mp::cpp_bin_float_50(mp::numerator(x).str()) / mp::cpp_bin_float_50(mp::denominator(x).str());
}

}  // namespace

Expected<DcfpFraction> DcfpFraction::read(std::string_view text) {
  // The calculator's own check of the DCFP box, so that every exact tool accepts what a run
  // accepts.
  const NumericReading reading = readNumericValue(text);
  if (!isNumeric(text) || !reading.inRange || reading.value <= 0.0 || reading.value > 1.0) {
    return fail(ProblemKind::refusedRequest, "the DCFP must be a number greater than zero and at most 1");
  }
  // IsNumeric admits neither &H/&O integers nor a text without digits, so the parts are a
  // decimal mantissa and exponent. Their size is bounded by the text's length: a value in
  // (0, 1] written with L digits has a decimal scale of at most L + 324.
  const NumericParts parts = scanNumericValue(text);
  // Leading zeros dropped: the fraction's reader takes a leading 0 for an octal number.
  const std::size_t first = parts.digits.find_first_not_of('0');
  const mp::cpp_int mantissa(first == std::string::npos ? std::string("0") : parts.digits.substr(first));
  const long long scale = parts.exponent - parts.fractionDigits;
  const mp::cpp_int power = mp::pow(mp::cpp_int(10), static_cast<unsigned>(scale < 0 ? -scale : scale));
  DcfpFraction dcfp;
  dcfp.m_value = scale >= 0 ? mp::cpp_rational(mantissa * power) : mp::cpp_rational(mantissa, power);
  if (parts.negative) dcfp.m_value = -dcfp.m_value;
  dcfp.m_text = std::string(text);
  dcfp.m_approx = toFloat(dcfp.m_value).convert_to<double>();
  const mp::cpp_bin_float_50 complement = toFloat(1 - dcfp.m_value);
  dcfp.m_complement = complement.convert_to<double>();
  dcfp.m_logComplement =
      complement > 0 ? mp::log(complement).convert_to<double>() : -std::numeric_limits<double>::infinity();
  return dcfp;
}

}  // namespace velmora::analysis

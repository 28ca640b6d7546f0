// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled with -std=gnu++20 (analysis/CMakeLists.txt): Boost's float128 and the quadrature
// rules' binary128 constants need GCC's __float128 and its Q literals. Where the build found
// libquadmath but the compiler reading this finds no quadmath.h (clang-tidy, which takes the
// GCC tree's compile commands), the pass that settles nothing is read instead.
#include "quad_limit.h"

#include <limits>

// WebAssembly has no __float128: there the pass is Boost.Multiprecision's own 113-bit binary
// float, whose exp and log carry its 113 bits and for which Boost.Math's erfc, log1p and
// expm1 take their 113-bit approximations. It costs some ten times libquadmath's type, and a
// fraction of the 50-digit pass it spares (that one runs Boost.Math's generic series).
#if defined(VELMORA_QUAD_PRECISION) && __has_include(<quadmath.h>)
#define VELMORA_QUAD_PASS 1
#elif defined(__EMSCRIPTEN__)
#define VELMORA_QUAD_PASS 1
#define VELMORA_SOFT_QUAD 1
#endif

#if defined(VELMORA_SOFT_QUAD)
#include <boost/multiprecision/cpp_bin_float.hpp>
#elif defined(VELMORA_QUAD_PASS)
#include <boost/multiprecision/float128.hpp>
#endif
#if defined(VELMORA_QUAD_PASS)
#include <string>

#include "limit_integral.h"
#endif

namespace velmora::analysis::detail {

#if defined(VELMORA_QUAD_PASS)

#if defined(VELMORA_SOFT_QUAD)
using Quad = boost::multiprecision::cpp_bin_float_quad;
#else
using Quad = boost::multiprecision::float128;
#endif

// Followed to e^-70 = 4e-31 below the peak, each piece refined to 1e-28: the truncated tails
// stay far below the tolerance, as in the other precisions, and the bound of some 1e-28 still
// settles a DCFP typed to 25 digits; 61 points as for 50 digits.
template <>
struct Accuracy<Quad> {
  static constexpr double kDrop = 70.0;
  static constexpr unsigned kPoints = 61;
  static Quad tolerance() { return Quad(1e-28); }
};

#if !defined(VELMORA_SOFT_QUAD)
// libquadmath's own log1p, expm1 and erfc, each to a unit or two in the last place like its exp
// and log: Boost.Math's generic series for them were half the pass's time.
template <>
Quad erfcOf<Quad>(const Quad& x) {
  return boost::multiprecision::erfc(x);
}
template <>
Quad log1pOf<Quad>(const Quad& x) {
  return boost::multiprecision::log1p(x);
}
template <>
Quad expm1Of<Quad>(const Quad& x) {
  return boost::multiprecision::expm1(x);
}
#endif

namespace {

// A unit roundoff of binary128, and the long double's (the x87 extended format's natively).
const Quad kQuadUnit = boost::multiprecision::ldexp(Quad(1), -112);
constexpr long double kLongUnit = std::numeric_limits<long double>::epsilon();

long double roundedUp(const Quad& error) { return error.convert_to<long double>() * 1.01L; }

}  // namespace

QuadCfp quadCfp(const StrategyPolynomial& polynomial, int n, int r, int k, bool byFail, std::string_view dcfpDigits,
                std::string_view complementDigits) {
  const PolynomialTerms<Quad> terms(polynomial);
  const IntegralValue<Quad> side = integrateLimit<Quad>(terms, n, k, Quad(0), r, byFail ? Side::fail : Side::pass);
  using boost::multiprecision::fabs;
  const Quad value = exp(side.logValue);
  // The integral's bound, and exp's rounding of a logarithm carried to a unit in its last place.
  const Quad valueError = value * (side.relativeError + (fabs(side.logValue) + 4) * kQuadUnit) * Quad(1.01);
  // The texts are within 1e-39 of their values, and their reading within a unit more.
  const Quad textError = Quad(1e-39) + 2 * kQuadUnit;
  QuadCfp quad;
  Quad cfp;
  Quad cfpError;
  Quad margin;
  Quad marginError;
  if (byFail) {
    const Quad dcfp(std::string(dcfpDigits).c_str());
    cfp = value;
    cfpError = valueError;
    margin = dcfp - value;
    marginError = valueError + dcfp * textError + kQuadUnit * fabs(margin);
  } else {
    // CFP = 1 - P and DCFP - CFP = P - (1 - DCFP), neither formed from a rounded DCFP near 1.
    const Quad complement(std::string(complementDigits).c_str());
    cfp = 1 - value;
    cfpError = valueError + kQuadUnit;
    margin = value - complement;
    marginError = valueError + complement * textError + kQuadUnit * fabs(margin);
  }
  quad.cfp = cfp.convert_to<long double>();
  quad.margin = margin.convert_to<long double>();
  // The roundings to long double are counted in the bounds the caller reads.
  quad.cfpError = roundedUp(cfpError + Quad(kLongUnit) * fabs(cfp));
  quad.marginError = roundedUp(marginError + Quad(kLongUnit) * fabs(margin));
  return quad;
}

#else

// Without binary128 nothing is settled here: infinite errors send every question on.
QuadCfp quadCfp(const StrategyPolynomial& /*polynomial*/, int /*n*/, int /*r*/, int /*k*/, bool /*byFail*/,
                std::string_view /*dcfpDigits*/, std::string_view /*complementDigits*/) {
  constexpr long double kUnknown = std::numeric_limits<long double>::infinity();
  return QuadCfp{0.0L, kUnknown, 0.0L, kUnknown};
}

#endif

}  // namespace velmora::analysis::detail

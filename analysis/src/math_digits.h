// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The significant bits that a long double result of the C library's math functions (exp,
// log, log1p, lgamma, ...) carries: the unit of the exact tools' error bounds, which decide
// by fractions whatever those bounds cannot.
//
// On x86-64 (glibc) they are the type's 64. WebAssembly's long double has 113 bits, but its C
// library (musl) computes those functions in double, so their results carry double's 53 bits
// (less one for the last place they may miss): a bound from the type's digits would be too
// tight there, and a tie with the DCFP would be decided by rounding instead of by fractions.
#include <cfloat>
#include <cmath>
#include <limits>
#include <type_traits>

namespace velmora::analysis {

#if defined(__EMSCRIPTEN__)
inline constexpr int kLongDoubleMathDigits = DBL_MANT_DIG - 1;
#else
inline constexpr int kLongDoubleMathDigits = LDBL_MANT_DIG;
#endif

// The relative rounding of a step of Real's arithmetic with those functions in it: the type's
// epsilon, but for long double the math functions' own.
template <class Real>
[[nodiscard]] Real mathEpsilon() {
  if constexpr (std::is_same_v<Real, long double>) {
    return std::ldexp(1.0L, -(kLongDoubleMathDigits - 1));
  } else {
    return std::numeric_limits<Real>::epsilon();
  }
}

}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The limit integral (limit_integral.h) carried in binary128, the step between extended
// precision and 50 digits: a relative error bound of some 1e-28 even at 8191 comparisons of
// the longest rules, where extended precision's is some 1e-13, at a thirtieth of the 50-digit
// pass's cost. A DCFP typed to the CFP's first 16 to 25 significant digits is decided here.
//
// Its own file because the binary128 type (GCC's __float128, through Boost.Multiprecision's
// float128 and libquadmath) needs the GNU dialect of C++, which only this file is compiled
// in; the interface below takes and gives only standard types. In WebAssembly the type is
// Boost.Multiprecision's own 113-bit float.

#include <string_view>

#include "velmora/analysis/strategy_polynomial.h"

namespace velmora::analysis::detail {

// CFP(k) and DCFP - CFP(k) at 113 bits, rounded to long double, each with a bound on its
// absolute error that covers the integral's bound, the DCFP's own rounding and the final
// roundings. `byFail`: from the fail side E[1 - g^r] (CFP itself), otherwise from the pass
// side E[g^r] (1 - CFP; the margin is then E[g^r] - (1 - DCFP)), the side of the smaller of
// CFP and 1 - CFP. `dcfpDigits` and `complementDigits` are the DCFP and 1 - DCFP as decimal
// texts of at least 40 significant digits (each within 1e-39 of its value, relatively).
// The sizes are the caller's to check (inStrategyDomain).
struct QuadCfp {
  long double cfp = 0.0L;
  long double cfpError = 0.0L;
  long double margin = 0.0L;  // DCFP - CFP(k)
  long double marginError = 0.0L;
};
[[nodiscard]] QuadCfp quadCfp(const StrategyPolynomial& polynomial, int n, int r, int k, bool byFail,
                              std::string_view dcfpDigits, std::string_view complementDigits);

}  // namespace velmora::analysis::detail

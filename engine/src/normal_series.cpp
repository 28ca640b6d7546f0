// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/normal_series.h"

#include <cmath>

#include "rounding_points.h"
#include "vector_clones.h"

namespace velmora {

using steps::F64;

namespace {

constexpr int kSeriesTerms = 20;

// The quotient of series term k to term k - 1 for the argument x, as normalCdf forms it.
inline double SeriesQuotient(double xSquared, int k) {
  return ((-xSquared) * F64(2 * k - 1)) / F64((2 * k) * (2 * k + 1));
}

}  // namespace

// The same series as normalCdf's, one term after another for a block of arguments so that
// each term's operations run across the vector unit (AVX-512 or AVX2 where the processor
// has them, chosen at run time; SSE2 otherwise).
//
// Every term is the one normalCdf forms, though one operation is reached differently. A
// term is fl32(p) with p = fl64(q T), T the previous term, q = fl64(fl64(-X (2k - 1)) / c),
// X = fl64(x^2) and c = 2k (2k + 1); q itself is never kept. The batch forms
// q' = fl64(-X fl64((2k - 1) / c)) and p' = fl64(q' T) instead, without a division. With
// u = 2^-53, |di| <= u and q* = -X (2k - 1) / c: q = q* (1 + d1)(1 + d2) and
// q' = q* (1 + d3)(1 + d4), so |q' - q| < 4.1u |q'|; then
// |p' - p| <= |q' - q| |T| + u |q T| + u |q' T| < 6.2u |q' T| < 7u |p'| (all these values lie
// far above the float64 underflow: the power step's arguments are 0 or above 1e-17, and
// T is a float32). The float64 numbers fl64(p' (1 - 2^-49)) and fl64(p' (1 + 2^-49)) lie
// more than 14u |p'| on either side of p', so p lies between them, and float32 rounding
// is monotone: when both round to the same float32, so does p, and that float32 is the
// term. A block in which any term lies that close to a float32 rounding boundary (about
// one term in ten million) is evaluated again with the division, exactly as normalCdf
// evaluates it.
VELMORA_VECTOR_CLONES
void NormalCdfBatch(const double* x, int count, double* out) {
  constexpr int kBlock = 256;
  constexpr double kBelow = 1.0 - 0x1p-49;
  constexpr double kAbove = 1.0 + 0x1p-49;
  // 1 / 6.2831854^0.5, as normalCdf forms it.
  const double invSqrt2Pi = 1.0 / std::sqrt(6.2831854);
  double ratio[kSeriesTerms + 1];
  for (int k = 1; k <= kSeriesTerms; ++k) ratio[k] = F64(2 * k - 1) / F64((2 * k) * (2 * k + 1));
  double term[kBlock];  // each a float32, held as float64
  double sum[kBlock];
  double minusSquare[kBlock];
  for (int base = 0; base < count; base += kBlock) {
    const int size = count - base < kBlock ? count - base : kBlock;
    const double* const xb = x + base;
    for (int i = 0; i < size; ++i) {
      term[i] = static_cast<double>(static_cast<float>(xb[i]));
      sum[i] = xb[i];
      minusSquare[i] = -std::pow(xb[i], 2.0);
    }
    // The vectoriser keeps the rounding-boundary test a vector operation only when each
    // term's test is gathered on its own.
    int unsure = 0;
    for (int k = 1; k <= kSeriesTerms; ++k) {
      const double r = ratio[k];
      int unsureHere = 0;
      for (int i = 0; i < size; ++i) {
        const double p = (minusSquare[i] * r) * term[i];
        const float rounded = static_cast<float>(p);
        unsureHere |= static_cast<int>(static_cast<float>(p * kBelow) != static_cast<float>(p * kAbove));
        term[i] = static_cast<double>(rounded);
        sum[i] = sum[i] + term[i];
      }
      unsure |= unsureHere;
    }
    if (unsure != 0) {
      for (int i = 0; i < size; ++i) {
        term[i] = static_cast<double>(static_cast<float>(xb[i]));
        sum[i] = xb[i];
      }
      for (int k = 1; k <= kSeriesTerms; ++k) {
        for (int i = 0; i < size; ++i) {
          term[i] = static_cast<double>(static_cast<float>(SeriesQuotient(std::pow(xb[i], 2.0), k) * term[i]));
          sum[i] = sum[i] + term[i];
        }
      }
    }
    for (int i = 0; i < size; ++i) out[base + i] = sum[i] * invSqrt2Pi + 0.5;
  }
}

}  // namespace velmora

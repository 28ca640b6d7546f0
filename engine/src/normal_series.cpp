// SPDX-License-Identifier: GPL-3.0-or-later
#include "normal_series.h"

#include <cmath>

#include "rounding_points.h"
#include "vector_dispatch.h"

namespace velmora {

using steps::f64;

namespace {

constexpr int kSeriesTerms = 20;

}  // namespace

// The same series as normalCdf's, one term after another for a block of arguments so that
// each term's operations run across the vector unit (AVX-512 or AVX2 where the processor
// has them, chosen at run time; SSE2 otherwise). Every operation is normalCdf's, in its
// order: the quotient fl64(fl64(-x^2 (2k - 1)) / (2k (2k + 1))), the term
// fl32(quotient * previous term) and the float64 running sum, so every value is the one
// normalCdf gives. The division stays: on this class of processor a vector of divisions
// costs less than proving, term by term, that a product by the reciprocal rounds the same.
VELMORA_VECTOR_CLONES
void normalCdfBatch(const double* x, int count, double* out) {
  constexpr int kBlock = 256;
  // 1 / 6.2831854^0.5, as normalCdf forms it.
  const double invSqrt2Pi = 1.0 / std::sqrt(6.2831854);
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
    for (int k = 1; k <= kSeriesTerms; ++k) {
      const double odd = f64(2 * k - 1);
      const double divisor = f64((2 * k) * (2 * k + 1));
      for (int i = 0; i < size; ++i) {
        term[i] = static_cast<double>(static_cast<float>(((minusSquare[i] * odd) / divisor) * term[i]));
        sum[i] = sum[i] + term[i];
      }
    }
    for (int i = 0; i < size; ++i) out[base + i] = sum[i] * invSqrt2Pi + 0.5;
  }
}

}  // namespace velmora

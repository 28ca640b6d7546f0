// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// firstFalsePositiveSum<double> (first_false_positive.h), laid out for the vector unit.

namespace velmora {

// The same value as firstFalsePositiveSum<double>(n, r, t, k), bit for bit.
double firstFalsePositiveSum64(int n, int r, int t, int k);

}  // namespace velmora

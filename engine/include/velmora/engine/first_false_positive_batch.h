// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FirstFalsePositiveSum<double> (first_false_positive.h), laid out for the vector unit.

namespace velmora {

// The same value as FirstFalsePositiveSum<double>(n, r, t, k), bit for bit.
double firstFalsePositiveSum64(int n, int r, int t, int k);

}  // namespace velmora

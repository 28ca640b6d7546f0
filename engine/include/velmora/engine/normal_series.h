// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The truncated normal series of the power step for many arguments at once.

namespace velmora {

// out[i] = normalCdf(x[i], false, state) for i < count, digit for digit, without touching a
// record's series terms (calculation.h). out may be x.
void NormalCdfBatch(const double* x, int count, double* out);

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The storage of coefficient rows, kept per thread from one candidate to the next.

#include <memory>

#include "coefficient_row.h"

namespace velmora::retest {

// A row for a candidate. A walk builds many rows of one size, each a few allocations of
// up to (t - 1) r + 1 values: the storage of the rows it has let go is kept for the next
// ones (per thread, a handful of rows of moderate size), so building a row seldom
// allocates. Rows keep no values from one candidate to the next (buildRow). A row lives
// only within the run that built it, so it is always let go before its thread ends.
[[nodiscard]] std::shared_ptr<rows::CoefficientRow> pooledRow();

}  // namespace velmora::retest

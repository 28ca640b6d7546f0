// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The walk's certificate: a stretch of candidates proved to pass without evaluating them.

#include <memory>

#include "candidates.h"
#include "coefficient_row.h"

namespace velmora::retest {

// The largest candidate K >= start such that every candidate from start to K provably
// passes (rank_walk_bounds.cpp), or start - 1. startRow is the flush-to-zero row of start
// where one was built before (else null); on success it becomes K's, so that the walk can
// go on from K.
int certifiedPassing(Candidates& candidates, float dcfp, int start, int kEnd,
                     std::shared_ptr<rows::CoefficientRow>& startRow);

}  // namespace velmora::retest

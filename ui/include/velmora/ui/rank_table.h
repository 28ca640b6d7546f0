// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window's table of every rank: for each test and every rank from 1 to the
// curves' last rank, the design's and the exact CFP, whether it meets the DCFP, the exact
// powers and their rating (analysis::RankRow, in the texts velmora-cli curves writes). It
// always carries the inputs its rows belong to, and says when it is incomplete.
#pragma once

#include <QString>

#include "velmora/ui/results_table.h"

namespace velmora::ui {

struct AnalysisData;

/// A row per test and rank of the tests whose rows are computed, as the window shows them.
ResultsTable rankTableOf(const AnalysisData& data);

/// "Rows for DCFP 0.1, n 20, r 5, j 20", and when stopped what is missing: the line above the
/// table and the first line of what is copied or exported.
QString rankTableHeading(const AnalysisData& data);

/// The heading line (one quoted field), a header and a row per test and rank, in the texts
/// and column names of velmora-cli curves' csv.
QString rankTableCsv(const AnalysisData& data);

}  // namespace velmora::ui

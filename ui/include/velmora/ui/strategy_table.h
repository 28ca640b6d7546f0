// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window's table of retest strategies: for each strategy chosen, its design for
// the run (the largest rank that meets the DCFP), in the texts velmora-cli strategies writes
// (analysis::strategyRowTexts). The window, its Copy and the report all take it.
#pragma once

#include <QString>

#include "velmora/ui/results_table.h"

namespace velmora::ui {

struct AnalysisData;

/// A row per strategy whose design is computed, as the window shows it: the rule, the rank,
/// "Yes"/"No" for exceeded and meets, the exact values, the rating and a note naming an
/// earlier row that is the same test.
ResultsTable strategyTableOf(const AnalysisData& data);

/// "Retest strategies for DCFP 0.1, n 20, r 5, j 20", or what is missing when stopped: the
/// line above the table and the first line of what is copied.
QString strategyTableHeading(const AnalysisData& data);

}  // namespace velmora::ui

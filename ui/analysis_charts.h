// SPDX-License-Identifier: GPL-3.0-or-later
// The two charts of the analysis window and the report, drawn from the curves' data: the CFP
// by rank against the DCFP, and the power by shift against the reference power curve.
//
// Each scheme keeps one colour of a palette that colour-blind readers tell apart (blue,
// orange, bluish green, reddish purple) and one line style (solid, dashed, dotted,
// dash-dotted) and one mark shape, so the charts stay readable printed in grey: the design's
// values are lines, the exact values marks on them.
#pragma once

#include <QColor>
#include <QString>

#include "velmora/analysis/curves.h"

class QChart;

namespace velmora::ui {

enum class CfpAxis { linear, logarithmic };

/// The colour of scheme 1:t.
QColor schemeColour(int t);

/// A new chart (owned by the caller): per scheme the design's and the exact CFP against the
/// rank, the DCFP as a line, each scheme's chosen rank marked and the j bound drawn.
QChart* makeCfpChart(const analysis::CalculationCurves& curves, CfpAxis axis);

/// A new chart (owned by the caller): per scheme at its chosen rank the design's and the
/// exact power against the shift, the reference power curve and the rating criteria.
QChart* makePowerChart(const analysis::CalculationCurves& curves);

}  // namespace velmora::ui

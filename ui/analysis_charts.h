// SPDX-License-Identifier: GPL-3.0-or-later
// The two charts of the analysis window and the report, drawn from the curves' data: the CFP
// by rank against the DCFP, and the power by shift against the reference power curve.
//
// Each test keeps one colour of a palette that colour-blind readers tell apart (blue,
// orange, bluish green, reddish purple), one line style (solid, dashed, dotted, dash-dotted)
// and one mark shape (circle, square, triangle, diamond), so the charts stay readable printed
// in grey: the design's values are lines, the exact values hollow marks on them. The DCFP
// (black long dashes) and the j bound (grey dash-dot-dot) take styles and colours no test
// uses. A chart joins only ranks evaluated next to each other: where the curves' data is a
// sample, the design's values at lone ranks are small filled marks, never a line across
// ranks not computed. A test's chosen rank is its mark, large and filled; a test whose
// rank 1 already exceeds the DCFP has a star there instead, labelled, and no chosen mark.
// The axes tick at 1, 2 or 5 times a power of ten, and the ranges leave room for every mark.
//
// A retest strategy chosen in the analysis window is drawn beside them in a colour no test
// uses (sky blue, pale enough to read as light grey in print), a thicker solid line and a
// pentagon mark: its exact values only (it has no design arithmetic of its own).
//
// The legend is drawn beside the plot by the chart itself, with samples long enough to show
// each line style (the toolkit's own legend draws a line sample of a few pixels).
#pragma once

#include <QColor>
#include <QString>

#include "velmora/analysis/curves.h"

class QChart;

namespace velmora::ui {

enum class CfpAxis { linear, logarithmic };

/// The colour of test 1:t.
QColor schemeColour(int t);

/// The step between ticks for `span` with at most `maxTicks` intervals: 1, 2 or 5 times a
/// power of ten, at least `smallest`.
double niceTickStep(double span, int maxTicks, double smallest = 0.0);

/// A new chart (owned by the caller): per test the design's and the exact CFP against the
/// rank, the DCFP as a line, each test's chosen rank (or its exceeded DCFP) marked and the
/// j bound drawn. Its series are named by object name for what they show: "design-T",
/// "sampledDesign-T", "exact-T", "chosen-T", "exceeded-T" (T the test's t), "dcfp", "jBound";
/// with `strategy`, its exact CFP by rank "strategy", its marks "strategyMarks" and its chosen
/// rank "strategyChosen".
QChart* makeCfpChart(const analysis::CalculationCurves& curves, CfpAxis axis,
                     const analysis::RuleCurves* strategy = nullptr);

/// A new chart (owned by the caller): per test at its chosen rank the design's and the
/// exact power against the shift, the reference power curve and the rating criteria; with
/// `strategy`, its exact power at its chosen rank ("strategy", "strategyMarks").
QChart* makePowerChart(const analysis::CalculationCurves& curves, const analysis::RuleCurves* strategy = nullptr);

/// The one line for a screen reader on what a chart of makeCfpChart or makePowerChart shows
/// (the chart carries it); empty for any other chart.
QString chartDescription(const QChart* chart);

}  // namespace velmora::ui

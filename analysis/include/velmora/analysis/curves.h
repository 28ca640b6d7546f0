// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The curves behind the results of an accepted calculation, as plain numbers for any front
// end to draw or write (velmora-cli curves, the analysis window): for each scheme 1:t
//
//   (a) the CFP by rank, k = 1 up to kCurveRanksPastChosen ranks past the largest chosen
//       rank of the four schemes (at most n): the design's float32 CFP, the search's own
//       arithmetic (Calculation::DesignCfps), beside the exact CFP (ExactCfp), with the
//       scheme's chosen rank and the j bound min(j, n) marked;
//   (b) the power by shift delta = 0, 0.25, ..., 5 at the chosen rank: the design's power
//       arithmetic at that shift (Calculation::DesignPower, on the search's unrounded
//       percentile, so that at 2, 3 and 4 it is the value the result cells show rounded
//       to thousandths) beside the exact power (ExactPower) and the reference power curve
//       (ReferencePower), the same for every scheme.
//
// The design's power is a normal-theory model of the test and the exact power the test
// itself, so the difference between the two curves is model error and arithmetic error
// together.
//
// Every rank is evaluated while that costs under kCurveEveryRankSeconds, estimated from n and
// r (a rank of scheme 1:t costs about (t r)^2 operations, whatever the rank): the schemes
// in turn from 1:1, the cheapest, each with every rank while the total of those so far
// stays within it. A scheme beyond that gets a sample costing about kCurveSampleSeconds:
// its own chosen rank and its two neighbours and the first and the last rank whatever
// they cost (at r = 8000 a rank of 1:4 alone takes seconds), then, while the time allows,
// ranks ever farther around every scheme's chosen rank and the j bound (a dense stretch
// about each) and an ever finer even grid over the whole range, alternately. A chart joins
// only ranks evaluated next to each other, so the sample's gaps stay visible.
//
// No toolkit, no I/O: plain structs of ints, doubles and bools.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/analysis/dcfp_fraction.h"
#include "velmora/analysis/strategy.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/problem.h"

namespace velmora::analysis {

// Ranks drawn past the largest chosen rank (so that the curve shows where the DCFP is crossed).
inline constexpr int kCurveRanksPastChosen = 5;
// The shifts of the power curves: kCurveShiftCount of them, kCurveShiftStep apart from 0 (0 .. 5).
inline constexpr double kCurveShiftStep = 0.25;
inline constexpr int kCurveShiftCount = 21;
// The estimated time within which every rank of the CFP curves is evaluated, in seconds.
inline constexpr double kCurveEveryRankSeconds = 1.0;
// The estimated time of a sampled scheme's CFP curve, in seconds (more where its least
// sample, the chosen rank, its neighbours and the two ends, costs more).
inline constexpr double kCurveSampleSeconds = 1.0;

// One rank of a CFP curve.
struct CfpCurvePoint {
  int rank = 0;
  double designCfp = 0.0;  // the design's float32 CFP of this rank (exactly as a double)
  double exactCfp = 0.0;   // the exact CFP (ExactCfp, rounded to double)
  bool chosen = false;     // the scheme's chosen rank
  bool jBound = false;     // the j bound, min(j, n): the largest rank the search may choose
};

// One shift of a power curve, at the scheme's chosen rank.
struct PowerCurvePoint {
  double shift = 0.0;           // delta, in standard deviations
  double designPower = 0.0;     // the design's float32 power at delta (before rounding to thousandths)
  double exactPower = 0.0;      // power_t(rank, delta), ExactPower
  double referencePower = 0.0;  // the reference power curve at delta, ReferencePower
};

struct SchemeCurves {
  int test = 0;           // t of scheme 1:t
  int rank = 0;           // the chosen rank
  bool exceeded = false;  // the design says "DCFP exceeded at max =" (rank 1 fails the DCFP)
  bool sampled = false;   // some ranks from 1 to CalculationCurves::lastRank are left out
  std::vector<CfpCurvePoint> cfp;      // increasing ranks, from 1 to CalculationCurves::lastRank
  std::vector<PowerCurvePoint> power;  // increasing shifts, kCurveShiftCount of them
};

struct CalculationCurves {
  int n = 0;
  int r = 0;
  int j = 0;
  double dcfp = 0.0;     // the DCFP the design compares against: the box's value as a float32
  int jBound = 0;        // min(j, n)
  int lastRank = 0;      // the last rank of the CFP curves: min(n, largest chosen rank + kCurveRanksPastChosen)
  std::array<SchemeCurves, kSchemeCount> schemes;  // element t - 1 for scheme 1:t
};

// The shifts of the power curves: 0, 0.25, ..., 5.
[[nodiscard]] std::vector<double> curveShifts();

// The ranks of scheme 1:t's CFP curve for these results (increasing, from 1 to lastRank).
[[nodiscard]] std::vector<int> curveRanks(const Results& results, int t);

// The curves of a completed run (Outcome::results of an accepted calculation). Refused when
// the results lie outside the exact tools' domain, which those of an accepted run never do.
[[nodiscard]] Expected<CalculationCurves> computeCurves(const Results& results);

// ---- The table of every rank --------------------------------------------------------------
//
// For a test and every rank from 1 to the last rank of the curves (none left out, unlike the
// charts' sample): the design's CFP, the exact CFP, whether it meets the DCFP as typed
// (decided exactly), the exact power of one shifted comparison at 2, 3 and 4 standard
// deviations and the rating those powers earn. The window's table, its Copy and Export and
// velmora-cli curves all take these rows and their texts (rankRowTexts), so that they show the
// same digits. The exact values come from the retest strategies' arithmetic
// (StrategyArithmetic), one for every strategy, so that a scheme 1:t and the rule 1-of-t
// give the same rows, and any other rule its own (curves --rule).

struct RankRow {
  int rank = 0;
  std::optional<double> designCfp;  // the design's float32 CFP; only a scheme 1:t of the calculator has one
  double exactCfp = 0.0;            // relative error below kCfpRelativeErrorBound
  bool meets = false;               // exact CFP <= the DCFP as typed, decided exactly
  std::array<double, 3> power{};    // one comparison shifted by 2, 3 and 4 standard deviations
  Rating rating = Rating::low;      // the calculator's rule on the powers at 3 and 4 (RatePowers)
  bool chosen = false;              // the test's chosen rank
  bool jBound = false;              // min(j, n)
};

struct RankRows {
  std::string rule;         // the strategy's canonical name: "1-of-2", "modified-california"
  std::string test;         // "1:2" for a scheme of the calculator, else the rule
  int rank = 0;             // the chosen rank
  bool exceeded = false;    // "DCFP exceeded at max = 1": even rank 1 fails the DCFP
  std::vector<RankRow> rows;  // ranks 1 .. the last rank, increasing
};

// Told the ranks done of `total` as they are done (on the calling thread, never from two
// threads at once); returns false to stop the work.
using RankProgress = std::function<bool(int done, int total)>;

// The columns of rankRowTexts, as csv names them.
inline constexpr std::array<const char*, 8> kRankRowColumns{
    "rank", "design_cfp", "exact_cfp", "meets", "power_2sd", "power_3sd", "power_4sd", "rating"};

// A row as text, locale-free, one text per kRankRowColumns: the design's CFP with the nine
// digits that tell float32 values apart (empty where there is none), the exact values to ten
// significant digits, "true"/"false", the rating's caption.
[[nodiscard]] std::array<std::string, kRankRowColumns.size()> rankRowTexts(const RankRow& row);

// The rows of scheme 1:t of an accepted run, ranks 1 to CalculationCurves::lastRank, the
// DCFP read from `dcfpText` (the run's text). None when `progress` stops the work.
[[nodiscard]] Expected<std::optional<RankRows>> schemeRankRows(const Results& results, std::string_view dcfpText, int t,
                                                               const RankProgress& progress = {});

// Scheme 1:t's power curve alone (SchemeCurves::power), for a front end that takes the CFP
// by rank from the rows.
[[nodiscard]] Expected<std::vector<PowerCurvePoint>> powerCurve(const Results& results, int t);

// The ranks of a run's rows (1 to CalculationCurves::lastRank), for a progress total.
[[nodiscard]] int rankRowCount(const Results& results);

// Rough seconds of the parts of scheme 1:t's analysis: the audit, the curves and the rows.
// Only a progress bar's weights, never a result.
struct AnalysisCost {
  double audit = 0.0;
  double curves = 0.0;
  double rows = 0.0;
};
[[nodiscard]] AnalysisCost estimatedCost(const Results& results, int t);

// A retest strategy's curves for a design: its chosen rank (the largest rank <= min(j, n)
// whose exact CFP meets the DCFP, as the strategies command chooses it), the rows of ranks 1
// to kCurveRanksPastChosen past it (at most n), and the exact power of the chosen rank by
// shift beside the reference power curve.
struct RulePowerPoint {
  double shift = 0.0;
  double exactPower = 0.0;      // StrategyArithmetic::power, one shifted comparison
  double referencePower = 0.0;  // ReferencePower
};

struct RuleCurves {
  int n = 0;
  int r = 0;
  int j = 0;
  int jBound = 0;    // min(j, n)
  int lastRank = 0;  // min(n, chosen rank + kCurveRanksPastChosen)
  RankRows ranks;
  std::vector<RulePowerPoint> power;  // kCurveShiftCount shifts, 0 .. 5
};

// Refused as the strategies command refuses a design (sizes, the DCFP's text).
[[nodiscard]] Expected<RuleCurves> computeRuleCurves(const Strategy& strategy, std::string_view dcfpText, int n, int r,
                                                     int j);

}  // namespace velmora::analysis

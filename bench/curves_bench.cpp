// SPDX-License-Identifier: GPL-3.0-or-later
// What the audit's exact power and the curves add to a typical calculation: the exact
// powers of the four chosen ranks at 2, 3 and 4 standard deviations with their ratings
// (target: at most 5 ms), and the curves of every scheme (target: at most 100 ms). Also
// a costly design, whose curves are sampled to keep each scheme's curve near its budget.
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "velmora/analysis/curves.h"
#include "velmora/analysis/exact_power.h"
#include "velmora/engine/calculation.h"

namespace {

// Typical designs: DCFP, n, r.
struct Design {
  const char* dcfp;
  int n;
  int r;
};
constexpr std::array<Design, 4> kDesigns = {{{"0.1", 20, 5}, {"0.05", 50, 10}, {"0.01", 100, 20}, {"0.05", 1000, 1000}}};

velmora::Results resultsOf(const Design& design) {
  const std::string n = std::to_string(design.n);
  velmora::Calculation calculation;
  return calculation.calculate({design.dcfp, n, std::to_string(design.r), n})->results;
}

void label(benchmark::State& state, const Design& design) {
  state.SetLabel(std::string("DCFP ") + design.dcfp + ", n " + std::to_string(design.n) + ", r " +
                 std::to_string(design.r));
}

// The exact powers and ratings of the four schemes at their chosen ranks, as the audit adds them.
void BM_AuditExactPowers(benchmark::State& state) {
  const Design& design = kDesigns[static_cast<std::size_t>(state.range(0))];
  const velmora::Results results = resultsOf(design);
  for (auto _ : state) {
    for (const velmora::SchemeResult& scheme : results.schemes) {
      const std::array<double, 3> powers = velmora::analysis::exactPowers(design.n, scheme.rank, scheme.test).value();
      benchmark::DoNotOptimize(velmora::analysis::ratePowers(powers[1], powers[2]));
    }
  }
  label(state, design);
}

// Every curve of a completed run.
void BM_Curves(benchmark::State& state) {
  const Design& design = kDesigns[static_cast<std::size_t>(state.range(0))];
  const velmora::Results results = resultsOf(design);
  std::size_t points = 0;
  for (auto _ : state) {
    const velmora::analysis::CalculationCurves curves = velmora::analysis::computeCurves(results).value();
    points = 0;
    for (const auto& scheme : curves.schemes) points += scheme.cfp.size() + scheme.power.size();
    benchmark::DoNotOptimize(curves);
  }
  state.counters["points"] = static_cast<double>(points);
  label(state, design);
}

// What velmora-cli curves adds to a large background's calculation: the rows of every rank of
// each test (the engine's float32 CFP and the exact values) and the power curves, beside the
// calculation itself (target: the whole command at most three times the calculation), in
// processor time of all threads. DCFP 1.024e-5 with n 19470 and r 3196: 149 costly design
// rows per test; 0.005814 with n 15212 and r 11, among the worst ratios a search of large
// backgrounds found: 2312 rows per test of a calculation of a millisecond.
constexpr std::array<Design, 2> kLargeBackgrounds = {{{"1.024e-5", 19470, 3196}, {"0.005814", 15212, 11}}};

void BM_LargeBackgroundCalculation(benchmark::State& state) {
  const Design& design = kLargeBackgrounds[static_cast<std::size_t>(state.range(0))];
  const std::string n = std::to_string(design.n);
  velmora::Calculation calculation;
  for (auto _ : state) benchmark::DoNotOptimize(calculation.calculate({design.dcfp, n, std::to_string(design.r), n}));
  label(state, design);
}

void BM_LargeBackgroundRows(benchmark::State& state) {
  const Design& design = kLargeBackgrounds[static_cast<std::size_t>(state.range(0))];
  const velmora::Results results = resultsOf(design);
  const velmora::Results other = resultsOf(kDesigns[0]);
  for (auto _ : state) {
    // The rows keep the design's CFPs of the latest sizes: another design's first, so that each
    // repetition computes them as the command does once.
    state.PauseTiming();
    benchmark::DoNotOptimize(velmora::analysis::schemeRankRows(other, kDesigns[0].dcfp, 4, {}));
    state.ResumeTiming();
    for (int t = 1; t <= velmora::kSchemeCount; ++t) {
      benchmark::DoNotOptimize(velmora::analysis::schemeRankRows(results, design.dcfp, t, {}));
      benchmark::DoNotOptimize(velmora::analysis::powerCurve(results, t));
    }
  }
  label(state, design);
}

}  // namespace

BENCHMARK(BM_LargeBackgroundCalculation)
    ->DenseRange(0, 1)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LargeBackgroundRows)
    ->DenseRange(0, 1)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_AuditExactPowers)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Curves)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Curves)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1);

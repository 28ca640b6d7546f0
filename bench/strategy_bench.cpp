// SPDX-License-Identifier: GPL-3.0-or-later
// The retest strategies' exact arithmetic: the default table of a typical design and of the
// heaviest designs of the domain, one CFP and one power of 1-of-T at the sizes where today's
// exact tools are slowest (beside ExactCfp and the calculation itself), and the planner's
// search for the smallest background.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/strategy_arithmetic.h"
#include "velmora/analysis/strategy_design.h"
#include "velmora/engine/calculation.h"

namespace {

using namespace velmora::analysis;

const char* const kDcfps[] = {"0.05", "1e-6", "0.999999", "0.6598"};

// The default twelve strategies designed for DCFP, n and r from the args (j = n).
void BM_StrategyTable(benchmark::State& state) {
  const std::vector<Strategy> strategies = defaultStrategies();
  const int n = static_cast<int>(state.range(1));
  const int r = static_cast<int>(state.range(2));
  const StrategyRequest request{kDcfps[state.range(0)], n, r, n, std::nullopt, std::nullopt};
  for (auto _ : state) benchmark::DoNotOptimize(strategyTable(strategies, request));
  state.SetLabel(request.dcfpText);
}
BENCHMARK(BM_StrategyTable)
    ->Args({0, 20, 10})
    ->Args({0, 100, 100})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
// The heaviest: n + 4r = 32767 with r = 8191, n = 32763 with r = 1, and DCFP 0.6598 with
// n 297, r 8077; huge and tiny DCFPs.
BENCHMARK(BM_StrategyTable)
    ->ArgsProduct({{0, 1, 2, 3}, {3}, {8191}})
    ->ArgsProduct({{0, 1, 2, 3}, {32763}, {1}})
    ->ArgsProduct({{1, 2, 3}, {297}, {8077}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

constexpr int kN = 297;
constexpr int kR = 8077;
constexpr int kRank = 100;

// One CFP of 1-of-T (T from the arg) at n 297, r 8077.
void BM_OneOfTCfp(benchmark::State& state) {
  const StrategyArithmetic arithmetic(*parseStrategy("1-of-" + std::to_string(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(arithmetic.cfp(kN, kR, kRank));
}
BENCHMARK(BM_OneOfTCfp)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The exact decision against the DCFP as typed (one CFP, or more near a tie).
void BM_OneOfTDecision(benchmark::State& state) {
  const StrategyArithmetic arithmetic(*parseStrategy("1-of-" + std::to_string(state.range(0))));
  const DcfpFraction dcfp = *DcfpFraction::read("0.6598");
  for (auto _ : state) benchmark::DoNotOptimize(arithmetic.meets(dcfp, kN, kR, kRank));
}
BENCHMARK(BM_OneOfTDecision)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One power of 1-of-T at n 297 and 3 standard deviations.
void BM_OneOfTPower(benchmark::State& state) {
  const StrategyArithmetic arithmetic(*parseStrategy("1-of-" + std::to_string(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(arithmetic.power(kN, kRank, 3.0));
}
BENCHMARK(BM_OneOfTPower)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Today's exact CFP of scheme 1:t at the same sizes, for comparison.
void BM_ExactCfpToday(benchmark::State& state) {
  const int t = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(velmora::analysis::exactCfp(kN, kR, t, kRank));
}
BENCHMARK(BM_ExactCfpToday)->DenseRange(1, 4, 3)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// What an audit of the four schemes would cost with this arithmetic: each scheme's exact
// design (rank search, CFP, samples, three powers) at DCFP 0.6598, n 297, r 8077, beside the
// calculation of the same design.
void BM_FourSchemeDesigns(benchmark::State& state) {
  const DcfpFraction dcfp = *DcfpFraction::read("0.6598");
  for (auto _ : state) {
    for (int t = 1; t <= 4; ++t) {
      benchmark::DoNotOptimize(designStrategy(*parseStrategy("1-of-" + std::to_string(t)), dcfp, kN, kR, kN));
    }
  }
}
BENCHMARK(BM_FourSchemeDesigns)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CalculationOfTheSameDesign(benchmark::State& state) {
  for (auto _ : state) {
    velmora::Calculation calculation;
    benchmark::DoNotOptimize(calculation.calculate({"0.6598", "297", "8077", "297"}));
  }
}
BENCHMARK(BM_CalculationOfTheSameDesign)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// The planner's search with this arithmetic: the smallest n for the maximum of each 1-of-T at
// DCFP 0.01 and r 8000.
void BM_SmallestBackgroundOneOfT(benchmark::State& state) {
  const DcfpFraction dcfp = *DcfpFraction::read("0.01");
  for (auto _ : state) {
    for (int t = 1; t <= 4; ++t) {
      benchmark::DoNotOptimize(smallestBackground(*parseStrategy("1-of-" + std::to_string(t)), dcfp, 8000, 1));
    }
  }
}
BENCHMARK(BM_SmallestBackgroundOneOfT)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

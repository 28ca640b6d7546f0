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

}  // namespace

BENCHMARK(BM_AuditExactPowers)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Curves)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Curves)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1);

// SPDX-License-Identifier: GPL-3.0-or-later
// The exact audit, the planner and whole typical calculations.
#include <benchmark/benchmark.h>

#include <string>

#include "velmora/analysis/audit.h"
#include "velmora/analysis/curves.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/engine/calculation.h"
#include "velmora/analysis/planner.h"

namespace {

velmora::InputTexts caseTexts(const char* dcfp, long n, long r) {
  const std::string nText = std::to_string(n);
  return {dcfp, nText, std::to_string(r), nText};
}

// A whole Calculate, from the four texts to the captions: DCFP 0.05, n and r from the args.
void BM_CalculateTypical(benchmark::State& state) {
  velmora::Calculation calculation;
  const velmora::InputTexts texts = caseTexts("0.05", state.range(0), state.range(1));
  for (auto _ : state) {
    auto outcome = calculation.calculate(texts);
    benchmark::DoNotOptimize(outcome);
  }
}

// The audit of a completed run, on top of it.
void BM_AuditTypical(benchmark::State& state) {
  velmora::Calculation calculation;
  const velmora::InputTexts texts = caseTexts("0.05", state.range(0), state.range(1));
  const velmora::Expected<velmora::CalculationResult> outcome = calculation.calculate(texts);
  int evaluations = 0;
  for (auto _ : state) {
    const velmora::Expected<velmora::analysis::CalculationAudit> audit =
        velmora::analysis::auditCalculation(outcome->results, texts.txtAL);
    evaluations = audit->evaluations;
    benchmark::DoNotOptimize(audit);
  }
  state.counters["exact_cfps"] = evaluations;
}

// The planner for all four schemes, rank 1, DCFP 0.05.
void BM_PlanAllSchemes(benchmark::State& state) {
  const std::string r = std::to_string(state.range(0));
  for (auto _ : state) {
    const velmora::Expected<velmora::analysis::SampleSizePlan> plan = velmora::analysis::planSampleSize("0.05", r);
    benchmark::DoNotOptimize(plan);
  }
}

// The exact tools at the domain's slowest design for the calculation (DCFP 0.6598, n 297,
// r 8077): the calculation, its audit on top, and the curves on top; the audit should cost at
// most the calculation's time again, the curves at most twice it.
constexpr const char* kHeavyTexts[] = {"0.6598", "297", "8077", "297"};

void BM_HeavyCalculation(benchmark::State& state) {
  velmora::Calculation calculation;
  for (auto _ : state) benchmark::DoNotOptimize(calculation.calculate({kHeavyTexts[0], kHeavyTexts[1], kHeavyTexts[2], kHeavyTexts[3]}));
}

void BM_HeavyAudit(benchmark::State& state) {
  velmora::Calculation calculation;
  const velmora::Expected<velmora::CalculationResult> outcome =
      calculation.calculate({kHeavyTexts[0], kHeavyTexts[1], kHeavyTexts[2], kHeavyTexts[3]});
  for (auto _ : state) benchmark::DoNotOptimize(velmora::analysis::auditCalculation(outcome->results, kHeavyTexts[0]));
}

void BM_HeavyCurves(benchmark::State& state) {
  velmora::Calculation calculation;
  const velmora::Expected<velmora::CalculationResult> outcome =
      calculation.calculate({kHeavyTexts[0], kHeavyTexts[1], kHeavyTexts[2], kHeavyTexts[3]});
  for (auto _ : state) benchmark::DoNotOptimize(velmora::analysis::computeCurves(outcome->results));
}

// The planner for all four schemes where every CFP is costly: DCFP 0.01, r 8000.
void BM_PlanManyComparisons(benchmark::State& state) {
  int evaluations = 0;
  for (auto _ : state) {
    const velmora::Expected<velmora::analysis::SampleSizePlan> plan = velmora::analysis::planSampleSize("0.01", "8000");
    evaluations = plan->evaluations;
    benchmark::DoNotOptimize(plan);
  }
  state.counters["cfps"] = evaluations;
}

// A near tie at the most comparisons: 1:4, n 3, r 8191, the maximum, against a DCFP typed as
// its CFP's first 16 significant digits (the exact decision and the margin's digits).
void BM_NearTieManyComparisons(benchmark::State& state) {
  const velmora::analysis::ExactDcfp dcfp(
      velmora::analysis::formatSignificant(velmora::analysis::fastExactCfp(3, 8191, 4, 1).value(), 16));
  for (auto _ : state) benchmark::DoNotOptimize(dcfp.compare(3, 8191, 4, 1));
}

// A light design whose chosen rank is such a near tie: DCFP 0.7424829028861539 (1:4's CFP at
// n 3, r 8191, rank 1, to 16 digits), whose audit should cost at most the calculation's time
// again: the calculation, and the audit on top.
constexpr const char* kNearTieTexts[] = {"0.7424829028861539", "3", "8191", "3"};

void BM_NearTieCalculation(benchmark::State& state) {
  velmora::Calculation calculation;
  for (auto _ : state) {
    benchmark::DoNotOptimize(calculation.calculate({kNearTieTexts[0], kNearTieTexts[1], kNearTieTexts[2], kNearTieTexts[3]}));
  }
}

void BM_NearTieAudit(benchmark::State& state) {
  velmora::Calculation calculation;
  const velmora::Expected<velmora::CalculationResult> outcome =
      calculation.calculate({kNearTieTexts[0], kNearTieTexts[1], kNearTieTexts[2], kNearTieTexts[3]});
  for (auto _ : state) benchmark::DoNotOptimize(velmora::analysis::auditCalculation(outcome->results, kNearTieTexts[0]));
}

}  // namespace

BENCHMARK(BM_NearTieCalculation)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_NearTieAudit)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_HeavyCalculation)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_HeavyAudit)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_HeavyCurves)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_PlanManyComparisons)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_NearTieManyComparisons)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_CalculateTypical)->ArgsProduct({{20, 50, 100}, {5, 20, 50}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AuditTypical)->ArgsProduct({{20, 50, 100}, {5, 20, 50}})->Args({100, 100})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanAllSchemes)->Arg(5)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

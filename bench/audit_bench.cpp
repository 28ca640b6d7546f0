// The exact audit, the planner and whole typical calculations.
#include <benchmark/benchmark.h>

#include <string>

#include "velmora/analysis/audit.h"
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

}  // namespace

BENCHMARK(BM_CalculateTypical)->ArgsProduct({{20, 50, 100}, {5, 20, 50}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AuditTypical)->ArgsProduct({{20, 50, 100}, {5, 20, 50}})->Args({100, 100})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanAllSchemes)->Arg(5)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

// Whole calculations, from the four texts to the captions, as a user starts them.
#include <benchmark/benchmark.h>

#include "velmora/engine/calculation.h"

namespace {

void RunCase(benchmark::State& state, const char* dcfp, const char* n, const char* r) {
  velmora::Calculation calculation;
  const velmora::InputTexts texts{dcfp, n, r, n};
  for (auto _ : state) {
    auto outcome = calculation.Calculate(texts);
    benchmark::DoNotOptimize(outcome);
  }
}

void BM_Typical(benchmark::State& state) { RunCase(state, "0.05", "20", "10"); }
void BM_WorkedExample(benchmark::State& state) { RunCase(state, "0.1", "20", "5"); }
void BM_ManyComparisons(benchmark::State& state) { RunCase(state, "0.1", "100", "2000"); }
void BM_HalfErrorLargeBackground(benchmark::State& state) { RunCase(state, "0.5", "300", "500"); }
void BM_HighErrorMidRanks(benchmark::State& state) { RunCase(state, "0.99", "60", "40"); }

}  // namespace

BENCHMARK(BM_Typical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WorkedExample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManyComparisons)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HalfErrorLargeBackground)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HighErrorMidRanks)->Unit(benchmark::kMillisecond);

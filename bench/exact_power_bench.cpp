// SPDX-License-Identifier: GPL-3.0-or-later
// Exact power: the three shifts of a design's four schemes, power curves, the largest
// background, and the reference curve.
#include <benchmark/benchmark.h>

#include <array>

#include "velmora/analysis/exact_power.h"

namespace {

// The ranks of the worked example (DCFP 0.1, n 20, r 5), on a background of n from the arg.
constexpr std::array<int, 4> kRanks{1, 2, 5, 7};

// What a calculation adds for the exact powers and ratings of its four schemes.
void BM_ExactPowersDesign(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int t = 1; t <= 4; ++t) {
      const std::array<double, 3> powers = velmora::analysis::exactPowers(n, kRanks[t - 1], t).value();
      benchmark::DoNotOptimize(velmora::analysis::ratePowers(powers[1], powers[2]));
    }
  }
}

// Power curves of the four schemes at 21 shifts, 0 to 6 standard deviations.
void BM_ExactPowerCurves(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (int t = 1; t <= 4; ++t) {
      for (int i = 0; i <= 20; ++i) {
        benchmark::DoNotOptimize(velmora::analysis::exactPower(n, kRanks[t - 1], t, 0.3 * i));
      }
    }
  }
}

// The narrowest integrand: the median of the largest background.
void BM_ExactPowerLargestBackground(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(velmora::analysis::exactPower(32767, 16384, 4, 3.0));
}

void BM_ReferencePowerCurve(benchmark::State& state) {
  for (auto _ : state) {
    for (int i = 0; i <= 20; ++i) benchmark::DoNotOptimize(velmora::analysis::referencePower(0.3 * i));
  }
}

}  // namespace

BENCHMARK(BM_ExactPowersDesign)->Arg(20)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactPowerCurves)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactPowerLargestBackground)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReferencePowerCurve)->Unit(benchmark::kMillisecond);

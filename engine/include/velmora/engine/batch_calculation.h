// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Many calculations at once, for a batch of cases.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string_view>
#include <thread>
#include <vector>

#include "velmora/engine/calculation.h"

namespace velmora {

// Calls work(i, worker) for every i below count, on up to `jobs` threads at once (the
// calling thread is one of them, worker 0; with jobs 1 or less one after another, in
// order). Each thread takes the next index as it becomes free, so a slow item never holds
// up the others. work must touch only what belongs to its index and to its worker number
// (below jobs), such as a calculation record kept per worker. Returns when every call has
// returned.
template <class Work>
void runOnJobs(std::size_t count, int jobs, Work&& work) {
  std::atomic<std::size_t> next{0};
  const auto drain = [&](std::size_t worker) {
    for (std::size_t i = next++; i < count; i = next++) work(i, worker);
  };
  const std::size_t workers = std::min<std::size_t>(count, static_cast<std::size_t>(std::max(jobs, 1)));
  std::vector<std::jthread> others;
  for (std::size_t w = 1; w < workers; ++w) others.emplace_back(drain, w);
  drain(0);
}

// What Calculation::calculate gives for every case alone, in the order of the cases. Up to
// `jobs` cases are calculated at the same time, each in a record of its own; the results
// never depend on jobs (1 or less: one after another).
[[nodiscard]] std::vector<Expected<CalculationResult>> calculateCases(const std::vector<InputTexts>& cases, int jobs,
                                                                      std::string_view decimalSymbol = ".");

}  // namespace velmora

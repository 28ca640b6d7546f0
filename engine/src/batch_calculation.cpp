// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/batch_calculation.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>

namespace velmora {

std::vector<Outcome> CalculateCases(const std::vector<InputTexts>& cases, int jobs, std::string_view decimalSymbol) {
  std::vector<Outcome> outcomes(cases.size());
  std::atomic<std::size_t> nextCase{0};
  const auto work = [&] {
    for (std::size_t i = nextCase++; i < cases.size(); i = nextCase++) {
      Calculation calculation;
      outcomes[i] = calculation.Calculate(cases[i], decimalSymbol);
    }
  };
  const std::size_t workers = std::min<std::size_t>(cases.size(), static_cast<std::size_t>(std::max(jobs, 1)));
  {
    // The standard library's threads, one per job, each taking the next case.
    std::vector<std::jthread> others;
    for (std::size_t w = 1; w < workers; ++w) others.emplace_back(work);
    work();
  }
  return outcomes;
}

}  // namespace velmora

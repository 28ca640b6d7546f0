// SPDX-License-Identifier: GPL-3.0-or-later
// Calculations on several threads at once (run under ThreadSanitizer by the tsan preset):
// the shared tables of the power step, the kept limit quantiles and the retest walks'
// candidates evaluated side by side give every case the outcome it has alone, whatever
// the number of jobs; and the pool behind parallelFor runs every item once, within one
// thread per core however loops nest, and hands an item's exception to the loop's caller.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "record_compare.h"
#include "velmora/engine/batch_calculation.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/parallel.h"
#include "velmora/engine/testing/calculation_seam.h"

namespace velmora {
namespace {

std::vector<InputTexts> mixedCases() {
  std::vector<InputTexts> cases = {
      {"0.1", "20", "5", "20"},     {"0.05", "100", "100", "100"}, {"0.3", "1500", "300", "1500"},
      {"0.1", "100", "600", "100"}, {"1", "200", "50", "37"},      {"0.98", "200", "50", "200"},
      {"0.001", "60", "20", "60"},  {"x", "20", "5", "20"},        {"0.5", "3000", "400", "3000"},
  };
  for (int i = 0; i < 12; ++i) {
    const int n = 10 + 37 * i;
    cases.push_back({"0.0" + std::to_string(1 + i % 9), std::to_string(n), std::to_string(1 + 7 * i), std::to_string(n)});
  }
  return cases;
}

TEST(Threads, EveryCaseGetsItsOwnOutcomeWhateverTheJobs) {
  const std::vector<InputTexts> cases = mixedCases();
  std::vector<Expected<CalculationResult>> alone;
  for (const InputTexts& texts : cases) {
    Calculation calculation;
    alone.push_back(calculation.calculate(texts));
  }
  for (const int jobs : {1, 2, 4}) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    const std::vector<Expected<CalculationResult>> together = calculateCases(cases, jobs);
    ASSERT_EQ(together.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      ASSERT_EQ(together[i].has_value(), alone[i].has_value()) << i;
      if (!alone[i]) {
        EXPECT_EQ(together[i].error().check, alone[i].error().check) << i;
        continue;
      }
      EXPECT_EQ(testsupport::allCaptions(together[i]->captions), testsupport::allCaptions(alone[i]->captions)) << i;
    }
  }
}

// A thread keeps the storage of the candidates' rows for the next ones: a design computed
// after others on the same thread (rows of other schemes and sizes, larger and smaller)
// leaves the record it leaves on a thread of its own.
TEST(Threads, RowsKeptFromEarlierDesignsChangeNoRecord) {
  const std::vector<InputTexts> cases = mixedCases();
  std::vector<CalculationState> afterOthers;
  for (const InputTexts& texts : cases) {
    Calculation calculation;
    static_cast<void>(calculation.calculate(texts));
    afterOthers.push_back(CalculationSeam::state(calculation));
  }
  for (std::size_t i = cases.size(); i-- > 0;) {
    CalculationState fresh;
    std::thread([&] {
      Calculation calculation;
      static_cast<void>(calculation.calculate(cases[i]));
      fresh = CalculationSeam::state(calculation);
    }).join();
    const char* differs = testsupport::firstDifference(afterOthers[i], fresh);
    EXPECT_EQ(differs, nullptr) << cases[i].txtAL << " " << cases[i].txtN << " " << cases[i].txtR << ": " << differs;
  }
}

// The threads of this process now, as the kernel counts them.
int processThreads() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  }
  return 0;
}

TEST(Threads, NestedLoopsRunEveryItemOnceWithinOneThreadPerCore) {
  constexpr std::size_t kOuter = 8;
  constexpr std::size_t kInner = 32;
  // The pool's threads start with its first loop; any loop after it starts none.
  parallelFor(2, [](std::size_t) {});
  const int before = processThreads();
  std::vector<std::atomic<int>> runs(kOuter * kInner);
  std::atomic<int> mostThreads{0};
  std::mutex mutex;
  std::set<std::thread::id> workers;
  // A limit far above the cores, as --jobs 256 asks: the pool still runs one thread per core.
  parallelFor(
      kOuter,
      [&](std::size_t i) {
        parallelFor(kInner, [&](std::size_t j) {
          ++runs[i * kInner + j];
          const int now = processThreads();
          for (int most = mostThreads.load(); now > most && !mostThreads.compare_exchange_weak(most, now);) {
          }
          const std::lock_guard lock(mutex);
          workers.insert(std::this_thread::get_id());
        });
      },
      256);
  for (const std::atomic<int>& count : runs) EXPECT_EQ(count.load(), 1);
  EXPECT_LE(static_cast<int>(workers.size()), parallelWidth());
  EXPECT_LE(mostThreads.load(), before);

  // Limit 1: one after another, in order, on the calling thread.
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<std::size_t> order;
  parallelFor(
      5,
      [&](std::size_t i) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        order.push_back(i);
      },
      1);
  EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
}

TEST(Threads, AnItemsExceptionReachesTheLoopsCallerAndThePoolGoesOn) {
  std::atomic<int> ran{0};
  EXPECT_THROW(parallelFor(64,
                           [&](std::size_t i) {
                             ++ran;
                             if (i == 5) throw std::runtime_error("item 5");
                           }),
               std::runtime_error);
  EXPECT_GE(ran.load(), 6);
  std::atomic<int> after{0};
  parallelFor(64, [&](std::size_t) { ++after; });
  EXPECT_EQ(after.load(), 64);
}

}  // namespace
}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
// Calculations on several threads at once (run under ThreadSanitizer by the tsan preset):
// the shared tables of the power step, the kept limit quantiles and the retest walks'
// candidates evaluated side by side give every case the outcome it has alone, whatever
// the number of jobs.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "record_compare.h"
#include "velmora/engine/batch_calculation.h"
#include "velmora/engine/calculation.h"
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

}  // namespace
}  // namespace velmora

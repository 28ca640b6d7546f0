// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the engine tests: the four input texts, a whole run, and a field-by-field
// comparison of two calculation records.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "velmora/engine/calculation_seam.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/calculation_state.h"
#include "velmora/engine/input_checks.h"

namespace velmora::enginetest {

inline InputTexts Texts(std::string dcfp, std::string n, std::string r, std::string j) {
  return InputTexts{std::move(dcfp), std::move(n), std::move(r), std::move(j)};
}

// A calculation after one accepted run (the record is large, so it lives on the heap).
struct EngineRun {
  std::unique_ptr<Calculation> calc = std::make_unique<Calculation>();
  ResultCaptions captions;
  const CalculationState& state() const { return CalculationSeam::State(*calc); }
};

inline EngineRun RunOf(const InputTexts& texts, std::string_view decimalSymbol = ".") {
  EngineRun run;
  const Outcome outcome = run.calc->Calculate(texts, decimalSymbol);
  EXPECT_TRUE(outcome.accepted()) << "refused at step " << (outcome.refusal ? outcome.refusal->step : 0);
  run.captions = outcome.captions;
  return run;
}

// Runs the four searches again on the loaded inputs: the achievable CFPs and percentiles
// are then the values before the power step's display rounding.
inline void RepeatSearches(Calculation& calc) { CalculationSeam::RepeatSearches(calc); }

// Every field of the record, compared by value.
inline ::testing::AssertionResult StatesEqual(const CalculationState& a, const CalculationState& b) {
#define VELMORA_SAME(field)                                                            \
  if (!(a.field == b.field)) return ::testing::AssertionFailure() << #field " differs";
  VELMORA_SAME(dcfp)
  VELMORA_SAME(n)
  VELMORA_SAME(r)
  VELMORA_SAME(j)
  VELMORA_SAME(countSum)
  VELMORA_SAME(runProb)
  VELMORA_SAME(cfpCur)
  VELMORA_SAME(poolSize)
  VELMORA_SAME(innerLow)
  VELMORA_SAME(innerHigh)
  VELMORA_SAME(countLimit)
  VELMORA_SAME(maxCount)
  VELMORA_SAME(rankIdx)
  VELMORA_SAME(countProbData)
  VELMORA_SAME(dcfpStatus)
  VELMORA_SAME(optRank)
  VELMORA_SAME(cfp)
  VELMORA_SAME(limitPercentile)
  VELMORA_SAME(critPower3)
  VELMORA_SAME(critPower4)
  VELMORA_SAME(degFree)
  VELMORA_SAME(searchDiff)
  VELMORA_SAME(seriesTerm)
  VELMORA_SAME(gridZ)
  VELMORA_SAME(gridWeight)
  VELMORA_SAME(limitZ)
  VELMORA_SAME(limitT)
  VELMORA_SAME(power)
  VELMORA_SAME(powerRating)
  VELMORA_SAME(sampleCount)
#undef VELMORA_SAME
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult CaptionsEqual(const ResultCaptions& a, const ResultCaptions& b) {
  if (a.lblCU != b.lblCU) return ::testing::AssertionFailure() << "lblCU differs";
  if (a.lblPOW != b.lblPOW) return ::testing::AssertionFailure() << "lblPOW differs";
  if (a.lblENT != b.lblENT) return ::testing::AssertionFailure() << "lblENT differs";
  if (a.lblP != b.lblP) return ::testing::AssertionFailure() << "lblP differs";
  if (a.lblQ != b.lblQ) return ::testing::AssertionFailure() << "lblQ differs";
  if (a.lblPW != b.lblPW) return ::testing::AssertionFailure() << "lblPW differs";
  return ::testing::AssertionSuccess();
}

}  // namespace velmora::enginetest

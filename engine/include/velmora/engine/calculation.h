// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calculation: from the four input texts to the results of a run.
//
//   texts -> CheckInputs -> RunCalculation -> FindRank1of1 .. FindRank1of4
//         -> ComputePowerAndRating -> ShowResults -> results and captions
//
// Every front end (the window, velmora-cli, the page, the exact tools) makes the single
// call calculate(), so none of them can disagree with another. The steps communicate only
// through the calculation record, in the fixed order of RunCalculation; record and steps
// live in the engine (src/calculation_core.h), out of every front end's sight.

#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "velmora/engine/input_checks.h"
#include "velmora/engine/limits.h"
#include "velmora/engine/results.h"

namespace velmora {

class CalculationCore;

// Either a refusal, or the results of a completed run and the captions formatted from them.
struct Outcome {
  std::optional<Refusal> refusal;
  Results results;
  ResultCaptions captions;
  [[nodiscard]] bool accepted() const { return !refusal.has_value(); }
};

class Calculation {
 public:
  Calculation();
  ~Calculation();
  Calculation(Calculation&&) noexcept;
  Calculation& operator=(Calculation&&) noexcept;
  // A copy holds the same record.
  Calculation(const Calculation& other);
  Calculation& operator=(const Calculation& other);

  // Checks the texts and, when they pass, runs the whole calculation. A refusal leaves the
  // record exactly as it was. decimalSymbol is what the fixed-decimal captions show
  // between the whole and the fractional digits.
  [[nodiscard]] Outcome calculate(const InputTexts& texts, std::string_view decimalSymbol = ".");

  // Returns the record to its cleared state (as at creation).
  void reset();

  // The float32 CFP that the rank search of scheme 1:t computes for candidate rank k,
  // with background size n and r comparisons: the searches' own code path, run in a
  // record of its own (design_cfp.cpp). Needs 1 <= t <= 4, n >= 2, r >= 1, 1 <= k <= n
  // and n + 4r <= 32767; NaN otherwise.
  [[nodiscard]] static float designCfp(int n, int r, int t, int k);

  // DesignCfp of every rank in `ranks`, element for element and bit for bit, with the
  // running probabilities formed once for all of them (and costly candidates evaluated
  // side by side): the design's CFP curve of scheme 1:t. An element outside DesignCfp's
  // domain is NaN.
  [[nodiscard]] static std::vector<float> designCfps(int n, int r, int t, std::span<const int> ranks);

  // The power step's arithmetic at an arbitrary shift: the float32 power of scheme 1:t
  // whose limit lies at the float32 percentile `percentile` of a background of n (the
  // search's unrounded percentile, SchemeResult::percentile), against values `shift`
  // standard deviations above the background mean. The operations are those of the
  // step's 2, 3 and 4 sigma cells, with gridZ(i) + shift rounded to float32 in place of
  // gridZ(i) + sigma, up to the power's clamp to [0, 1] and before its rounding to
  // thousandths; so at shifts 2, 3 and 4 it is the value whose rounding the results
  // hold. Needs 2 <= n <= 32767, 1 <= t <= 4, 0 < percentile < 1 and a finite shift;
  // NaN otherwise.
  [[nodiscard]] static float designPower(int n, float percentile, int t, double shift);

 private:
  // The record and the steps (a record is some kilobytes; one allocation per calculation
  // object costs nothing beside a run). The core is its implementation's to reach.
  friend class CalculationCore;
  std::unique_ptr<CalculationCore> m_core;
};

}  // namespace velmora

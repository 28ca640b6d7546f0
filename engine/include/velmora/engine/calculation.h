// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calculation: from the four input texts to the results of a run.
//
//   texts -> CheckInputs -> RunCalculation -> FindRank1of1 .. FindRank1of4
//         -> ComputePowerAndRating -> ShowResults -> results and captions
//
// Every front end (the window, velmora-cli, the exact tools) makes the single call
// Calculate(), so none of them can disagree with another. The steps communicate only
// through the calculation record, in the fixed order of RunCalculation; they are private,
// and tests reach them through CalculationSeam (calculation_seam.h).

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/engine/calculation_state.h"
#include "velmora/engine/input_checks.h"
#include "velmora/engine/limits.h"

namespace velmora {

// The texts of the result cells, indexed from 0 here: element t - 1 belongs to scheme
// 1:t, and lblPW[3 * (t - 1) + (sigma - 2)] holds its power at 2, 3 and 4 sigma.
struct ResultCaptions {
  std::array<std::string, 4> lblCU;    // DCFP status at the optimal rank
  std::array<std::string, 4> lblPOW;   // power rating
  std::array<std::string, 4> lblENT;   // number of samples
  std::array<std::string, 4> lblP;     // percentile of the limit ("Ind P")
  std::array<std::string, 4> lblQ;     // achievable CFP error
  std::array<std::string, 12> lblPW;   // powers
};

inline constexpr const char* kStatusExceeded = "DCFP exceeded at max =";
inline constexpr const char* kStatusOk = "DCFP OK at maximum =";
// The 1:1 search stores its status with a trailing blank.
inline constexpr const char* kStatusOk1of1 = "DCFP OK at maximum = ";

enum class Rating { good, acceptable, low };

inline constexpr const char* kRatingGood = "Good";
inline constexpr const char* kRatingAcceptable = "Acceptable";
inline constexpr const char* kRatingLow = "Low";

// "Good", "Acceptable" or "Low".
[[nodiscard]] const char* ratingCaption(Rating rating);

// The rating that powers at 3 and 4 sigma (each a float32 rounded to thousandths, as the
// power step rounds them) earn: Good when both meet their criteria (.539 and .814, as
// float32), Acceptable when one does, Low when neither does.
[[nodiscard]] Rating rateByCriteria(float power3, float power4);

// The inputs as the run loaded them.
struct LoadedInputs {
  float dcfp = 0.0f;  // the DCFP box's value rounded to float32
  int n = 0;
  int r = 0;
  int j = 0;
};

// What a run found for one scheme 1:t.
struct SchemeResult {
  int test = 0;           // t
  int rank = 0;           // the optimal inverse rank
  bool exceeded = false;  // the DCFP is exceeded even at the background maximum (rank 1)
  float cfp = 0.0f;       // the achievable CFP as the search computed it (float32)
  float cfpShown = 0.0f;  // ... rounded to five decimals for display
  float percentile = 0.0f;       // the limit's percentile (n - rank + 0.5) / n, float32
  float percentileShown = 0.0f;  // ... rounded to four decimals for display
  int samples = 0;                // samples the r comparisons need under background conditions
  std::array<float, 3> power{};   // at 2, 3 and 4 sigma, rounded to thousandths
  Rating rating = Rating::low;
};

struct Results {
  LoadedInputs inputs;
  std::array<SchemeResult, kSchemeCount> schemes;  // element t - 1 for scheme 1:t
};

// Either a refusal, or the results of a completed run and the captions formatted from them.
struct Outcome {
  std::optional<Refusal> refusal;
  Results results;
  ResultCaptions captions;
  [[nodiscard]] bool accepted() const { return !refusal.has_value(); }
};

// The 32 captions of `results`; decimalSymbol stands between the whole and the fractional
// digits of the fixed-decimal captions.
[[nodiscard]] ResultCaptions formatCaptions(const Results& results, std::string_view decimalSymbol = ".");

class Calculation {
 public:
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
  friend struct CalculationSeam;

  // The steps of a run, in the order RunCalculation calls them.
  ResultCaptions RunCalculation(const InputTexts& texts, std::string_view decimalSymbol);
  void FindRank1of1();
  void FindRank1of2();
  void FindRank1of3();
  void FindRank1of4();
  void ComputePowerAndRating();
  ResultCaptions ShowResults(std::string_view decimalSymbol);

  void findRankRetest(int t);
  float evaluateRetestCandidate(int t, int k, bool carryRunProb);
  float evaluateRetestCandidateSound(int t, int k) const;

  // The walk of every candidate, kept as the reference of FindRankRetest for tests and
  // benchmarks (retest_reference.cpp, reached through ReferenceWalkSeam).
  friend struct ReferenceWalkSeam;
  void findRankRetestReference(int t);
  float evaluateRetestCandidateReference(int t, int k, bool carryRunProb);
  void buildCoefficientRow(int t, int k);
  bool m_referenceWalk = false;

  // The results of the run as the steps complete them (the record holds the design's
  // fields; the unrounded CFPs and percentiles are kept here before the power step rounds
  // the record's copies for display).
  void keepSearchResults();

  CalculationState m_state;
  Results m_results;
  // Per-candidate weighted quotients of the reference walk (scratch, not part of the record).
  std::vector<double> m_weightScratch;
};

// The standard normal distribution function and quantile search of the power step.
// `wholeArgument` marks an argument held as a whole number, for which the running sum of
// the series is rounded to float32 after every addition; `fromFloat32` marks a target read
// from a float32 field, whose mirror 1 - p is then rounded to float32 as well.
double normalCdf(double x, bool wholeArgument, CalculationState& state);
double normalQuantile(double p, bool fromFloat32, CalculationState& state);

}  // namespace velmora

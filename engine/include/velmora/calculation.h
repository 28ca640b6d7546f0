#pragma once
// The calculation: from the four input texts to the 32 result captions.
//
//   texts -> CheckInputs -> RunCalculation -> FindRank1of1 .. FindRank1of4
//         -> ComputePowerAndRating -> ShowResults -> captions
//
// Both front ends (the window and velmora-cli) make the single call Calculate(), so
// their captions cannot disagree. The steps communicate only through the calculation
// record, in the fixed order of RunCalculation.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/calculation_state.h"
#include "velmora/input_checks.h"

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

// Either a refusal or the captions of a completed run.
struct Outcome {
  std::optional<Refusal> refusal;
  ResultCaptions captions;
  bool accepted() const { return !refusal.has_value(); }
};

inline constexpr const char* kStatusExceeded = "DCFP exceeded at max =";
inline constexpr const char* kStatusOk = "DCFP OK at maximum =";
// The 1:1 search stores its status with a trailing blank.
inline constexpr const char* kStatusOk1of1 = "DCFP OK at maximum = ";

inline constexpr const char* kRatingGood = "Good";
inline constexpr const char* kRatingAcceptable = "Acceptable";
inline constexpr const char* kRatingLow = "Low";

class Calculation {
 public:
  // Checks the texts and, when they pass, runs the whole calculation and returns the
  // captions. A refusal leaves the record exactly as it was. decimalSymbol is what the
  // fixed-decimal captions show between the whole and the fractional digits.
  Outcome Calculate(const InputTexts& texts, std::string_view decimalSymbol = ".");

  // Returns the record to its cleared state (as at creation).
  void Reset();

  const CalculationState& state() const { return state_; }

  // The steps of a run, in the order RunCalculation calls them. Public so that tests can
  // observe the record between steps; front ends call Calculate().
  ResultCaptions RunCalculation(const InputTexts& texts, std::string_view decimalSymbol = ".");
  void FindRank1of1();
  void FindRank1of2();
  void FindRank1of3();
  void FindRank1of4();
  void ComputePowerAndRating();
  ResultCaptions ShowResults(std::string_view decimalSymbol = ".");

  // The float32 CFP that the rank search of scheme 1:t computes for candidate rank k,
  // with background size n and r comparisons: the searches' own code path, run in a
  // record of its own (defined in design_cfp.cpp). Needs 1 <= t <= 4, n >= 2, r >= 1,
  // 1 <= k <= n and n + 4r <= 32767; NaN otherwise.
  static float DesignCfp(int n, int r, int t, int k);

 private:
  void FindRankRetest(int t);
  float EvaluateRetestCandidate(int t, int k, bool carryRunProb);
  float EvaluateRetestCandidateSound(int t, int k) const;
  void BuildCoefficientRow(int t, int k);

  CalculationState state_;
  // Per-candidate weighted quotients of the retest searches (scratch, not part of the record).
  std::vector<double> weightScratch_;
};

// The standard normal distribution function and quantile search of the power step,
// exposed for tests. `wholeArgument` marks an argument held as a whole number, for which
// the running sum of the series is rounded to float32 after every addition.
double normalCdf(double x, bool wholeArgument, CalculationState& state);
// `fromFloat32` marks a target read from a float32 field; its mirror 1 - p is then
// rounded to float32 as well.
double normalQuantile(double p, bool fromFloat32, CalculationState& state);

}  // namespace velmora

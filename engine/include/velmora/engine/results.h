// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The typed result of a run: the loaded inputs, what each scheme 1:1 .. 1:4 found, and the
// 32 captions of the result cells formatted from them.

#include <array>
#include <string>
#include <string_view>

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

// The 32 captions of `results`; decimalSymbol stands between the whole and the fractional
// digits of the fixed-decimal captions.
[[nodiscard]] ResultCaptions formatCaptions(const Results& results, std::string_view decimalSymbol = ".");

}  // namespace velmora

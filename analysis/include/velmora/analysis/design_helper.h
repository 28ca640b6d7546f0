// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The monitoring-program design helper: from a site's wells, constituents and yearly
// evaluations to the calculator's r and per-constituent DCFP.
//
//   r    = W × E                 comparisons per constituent per year
//   DCFP = 1 - (1 - A)^(1 / C)   so that C constituents, each tested at that DCFP,
//                                keep the site-wide annual false-positive rate at A

#include <string>
#include <string_view>

#include "velmora/engine/problem.h"

namespace velmora::analysis {

inline constexpr double kDefaultSiteWideFalsePositiveRate = 0.10;
// Digits of the DCFP text handed to the calculator.
inline constexpr int kDesignDcfpDigits = 6;

struct MonitoringDesign {
  long wells = 0;
  long constituents = 0;
  long evaluations = 0;
  double swfpr = kDefaultSiteWideFalsePositiveRate;  // A
  long r = 0;
  double dcfp = 0.0;      // 1 - (1 - A)^(1 / C), to float64 precision
  std::string dcfpText;   // dcfp to six significant digits: the text the calculation uses
  std::string rFormula;   // "r = W × E = 20 × 2 = 40"
  // "DCFP = 1 - (1 - A)^(1/C) = 1 - (1 - 0.1)^(1/10)": the formula without its result, for a
  // front end that shows the DCFP in another text (the one its box reads back exactly).
  std::string dcfpExpression;
  std::string dcfpFormula;  // "DCFP = 1 - (1 - A)^(1/C) = 1 - (1 - 0.1)^(1/10) = 0.0104807"
};

// Wells, constituents and evaluations are whole numbers above zero; A (empty: 0.10) lies
// strictly between 0 and 1. r must leave room for a background: n + 4r <= 32767 with
// n >= 2 allows r up to 8191; with `nText` given (a whole number), n + 4r <= 32767 itself.
// So wells and evaluations are each at most that r, and constituents at most a billion.
// A request outside these is refused (refusedRequest) in one sentence that names the bound
// it breaks.
[[nodiscard]] Expected<MonitoringDesign> designMonitoringProgram(std::string_view wells, std::string_view constituents,
                                                                 std::string_view evaluations,
                                                                 std::string_view swfpr = {},
                                                                 std::string_view nText = {});

}  // namespace velmora::analysis

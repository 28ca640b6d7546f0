// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every outcome of the calculation must satisfy, whatever the inputs: the shape of
// each caption, and the relations between the schemes, the ranks, the percentiles, the
// sample counts and the ratings. Shared by the invariant tests and the fuzz targets;
// each check returns a description of the first violation, or an empty text.

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <algorithm>

#include "velmora/engine/calculation.h"
#include "velmora/engine/input_checks.h"

namespace velmora::reliability {

// The four box texts of a case, for a failure message.
inline std::string describe(const InputTexts& texts) {
  return "DCFP [" + texts.txtAL + "] n [" + texts.txtN + "] r [" + texts.txtR + "] j [" + texts.txtMDET + "]";
}

namespace detail {

// A whole number without sign or leading zero: "1", "250".
inline bool isWhole(std::string_view text) {
  if (text.empty() || text[0] == '0') return false;
  for (const char ch : text) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// "0.000..." or "1.000...": a 0 or 1, the full stop and exactly `decimals` digits.
inline bool isFixed(std::string_view text, std::size_t decimals) {
  if (text.size() != decimals + 2 || (text[0] != '0' && text[0] != '1') || text[1] != '.') return false;
  for (const char ch : text.substr(2)) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// `prefix` followed by a whole number.
inline bool isPrefixedWhole(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix && isWhole(text.substr(std::min(prefix.size(), text.size())));
}

inline double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

inline std::string where(const char* cell, int t, const std::string& text) {
  return std::string(cell) + " of 1:" + std::to_string(t) + " is \"" + text + "\"";
}

}  // namespace detail

// The whole numbers a run uses, as the checks read them: j above n acts like j = n.
struct RunSizes {
  int n = 0;
  int r = 0;
  int j = 0;
  double dcfp = 1.0;  // the DCFP as read from its box
};

// The searches compare 1 - P in float32, whose steps just below 1 are 2^-24 (about 6e-8)
// and whose running products carry one rounding per rank. Where the DCFP lies within those
// roundings the pass or fail of a candidate is decided by them rather than by its CFP, so a
// later scheme's rank may come out below an earlier one's (0.000000001238721136, n = 2001,
// r = 1, j = 1446 gives 1:3 rank 2 and 1:4 rank 1; .000001, n = 20001, r = 1, j = 446, some
// 200 ranks in, gives 1:3 rank 208 and 1:4 rank 207, where exact arithmetic gives 199 and
// 446). The order of the ranks is checked only from a DCFP above both this floor and four
// roundings per rank the searches may pass (min(j, n) of them).
constexpr double kRankOrderFromDcfp = 1e-6;
inline double rankOrderFrom(int maxRank) {
  return std::max(kRankOrderFromDcfp, 4.0 * static_cast<double>(maxRank) * 0x1p-24);
}

inline std::string checkRefusal(const Problem& refusal) {
  if (refusal.kind != ProblemKind::refusedCase) return "refusal of another kind than a refused case";
  if (refusal.title != kEntryErrorTitle) return "refusal title \"" + refusal.title + "\"";
  if (refusal.check < 1 || refusal.check > 8) return "refusal step " + std::to_string(refusal.check);
  if (refusal.lines.size() != 2 || refusal.lines[0].empty() || refusal.lines[1].empty()) {
    return "refusal without its two lines";
  }
  if (!refusal.box) return "refusal without a box to correct";
  switch (*refusal.box) {
    case InputBox::txtAL:
    case InputBox::txtN:
    case InputBox::txtR:
    case InputBox::txtMDET:
      return {};
  }
  return "refusal focus outside the four boxes";
}

// The captions of an accepted run with the sizes `sizes` (decimal symbol ".").
inline std::string checkCaptions(const ResultCaptions& c, const RunSizes& sizes) {
  using detail::isFixed;
  using detail::isPrefixedWhole;
  using detail::isWhole;
  using detail::number;
  using detail::where;
  const int maxRank = std::min(sizes.j, sizes.n);
  int previousRank = 0;
  for (int t = 1; t <= 4; ++t) {
    const std::size_t i = static_cast<std::size_t>(t - 1);
    for (const std::string* text : {&c.lblCU[i], &c.lblPOW[i], &c.lblENT[i], &c.lblP[i], &c.lblQ[i]}) {
      if (text->empty()) return "empty caption of 1:" + std::to_string(t);
      for (const char* bad : {"inf", "nan", "INF", "NAN", "Inf", "NaN"}) {
        if (text->find(bad) != std::string::npos) return where("caption", t, *text);
      }
    }

    // Status and rank.
    const std::string& status = c.lblCU[i];
    const bool exceeded = isPrefixedWhole(status, "DCFP exceeded at max = ");
    const char* okPrefix = t == 1 ? "DCFP OK at maximum =  " : "DCFP OK at maximum = ";
    if (!exceeded && !isPrefixedWhole(status, okPrefix)) return where("lblCU", t, status);
    const int rank = std::atoi(status.c_str() + status.rfind(' ') + 1);
    if (exceeded && rank != 1) return where("lblCU (exceeded above rank 1)", t, status);
    if (rank > maxRank) return where("lblCU (rank above min(j, n))", t, status);
    if (sizes.dcfp >= rankOrderFrom(maxRank) && rank < previousRank) {
      return where("lblCU (rank below the previous scheme's)", t, status);
    }
    previousRank = rank;

    // Percentile: (n - k + 0.5) / n to four decimals.
    const std::string& percentile = c.lblP[i];
    if (!isFixed(percentile, 4)) return where("lblP", t, percentile);
    const double expected = (sizes.n - rank + 0.5) / sizes.n;
    if (std::fabs(number(percentile) - expected) > 0.00005 + 1e-6) return where("lblP (not (n - k + 0.5) / n)", t, percentile);

    // Achievable CFP.
    const std::string& cfp = c.lblQ[i];
    if (!isFixed(cfp, 5) || number(cfp) > 1.0) return where("lblQ", t, cfp);

    // Samples: r for 1:1, and between r and t times r when repeats follow.
    const std::string& samples = c.lblENT[i];
    if (!isWhole(samples)) return where("lblENT", t, samples);
    const long count = std::atol(samples.c_str());
    if (count < sizes.r || count > static_cast<long>(t) * sizes.r) return where("lblENT (outside r .. t r)", t, samples);

    // Powers at 2, 3 and 4 sigma, and the rating they give.
    double power[3] = {};
    for (int k = 0; k < 3; ++k) {
      const std::string& text = c.lblPW[3 * i + static_cast<std::size_t>(k)];
      if (!isFixed(text, 3) || number(text) > 1.0) return where("lblPW", t, text);
      power[k] = number(text);
    }
    const bool good3 = power[1] >= 0.539;
    const bool good4 = power[2] >= 0.814;
    const char* rating = good3 && good4 ? kRatingGood : (good3 || good4 ? kRatingAcceptable : kRatingLow);
    if (c.lblPOW[i] != rating) return where("lblPOW (disagrees with the 3- and 4-sigma powers)", t, c.lblPOW[i]);
  }
  return {};
}

}  // namespace velmora::reliability

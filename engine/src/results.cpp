// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/calculation.h"

#include <cmath>

#include "velmora/engine/detail/contract.h"
#include "velmora/engine/numbers.h"

#include "calculation_core.h"
#include "rounding_points.h"

namespace velmora {

using steps::f64;
using steps::toFloat32;

// The results of a run as numbers, and the captions of the result cells formatted from
// them: the only place where a result becomes text.

const char* ratingCaption(Rating rating) {
  switch (rating) {
    case Rating::good: return kRatingGood;
    case Rating::acceptable: return kRatingAcceptable;
    case Rating::low: return kRatingLow;
  }
  VELMORA_ASSERT(false && "a rating is one of three");
}

Rating rateByCriteria(float power3, float power4) {
  const float criterion3 = toFloat32(kPowerCriterion3Sigma);
  const float criterion4 = toFloat32(kPowerCriterion4Sigma);
  Rating rating = Rating::low;
  if (power3 >= criterion3 || power4 >= criterion4) rating = Rating::acceptable;
  if (power3 >= criterion3 && power4 >= criterion4) rating = Rating::good;
  return rating;
}

namespace {

const char* statusText(const SchemeResult& scheme) {
  if (scheme.exceeded) return kStatusExceeded;
  return scheme.test == 1 ? kStatusOk1of1 : kStatusOk;
}

}  // namespace

ResultCaptions formatCaptions(const Results& results, std::string_view decimalSymbol) {
  ResultCaptions captions;
  for (const SchemeResult& scheme : results.schemes) {
    const std::size_t cell = static_cast<std::size_t>(scheme.test - 1);
    captions.lblCU[cell] = statusText(scheme) + formatSigned(scheme.rank);
    captions.lblPOW[cell] = ratingCaption(scheme.rating);
    captions.lblENT[cell] = formatInteger(scheme.samples);
    captions.lblP[cell] = formatFixed(static_cast<double>(scheme.percentileShown), 4, decimalSymbol);
    captions.lblQ[cell] = formatFixed(static_cast<double>(scheme.cfpShown), 5, decimalSymbol);
    for (std::size_t sigma = 0; sigma < scheme.power.size(); ++sigma) {
      captions.lblPW[3 * cell + sigma] = formatFixed(static_cast<double>(scheme.power[sigma]), 3, decimalSymbol);
    }
  }
  return captions;
}

void CalculationCore::keepSearchResults() {
  const CalculationState& s = m_state;
  m_results.inputs = LoadedInputs{s.dcfp, s.n, s.r, s.j};
  for (int t = 1; t <= kSchemeCount; ++t) {
    SchemeResult& scheme = m_results.schemes[static_cast<std::size_t>(t - 1)];
    scheme.test = t;
    scheme.rank = s.optRank[t];
    scheme.exceeded = s.dcfpStatus[t] == kStatusExceeded;
    scheme.cfp = s.cfp[t][2];
    scheme.percentile = s.limitPercentile[t];
  }
}

ResultCaptions CalculationCore::ShowResults(std::string_view decimalSymbol) {
  CalculationState& s = m_state;

  // Expected samples: each comparison takes its initial sample and a repeat follows every
  // sample above the limit, up to t samples; q = 1 - P is that chance.
  const double r = f64(s.r);
  for (int t = 1; t <= kSchemeCount; ++t) {
    const double P = static_cast<double>(s.limitPercentile[t]);
    double samples = r;
    if (t == 2) samples = (2.0 - P) * r;
    if (t == 3) samples = (std::pow(1.0 - P, 2.0) + (2.0 - P)) * r;
    if (t == 4) samples = (std::pow(1.0 - P, 3.0) + (std::pow(1.0 - P, 2.0) + (2.0 - P))) * r;
    s.sampleCount[t] = VELMORA_IN_RANGE(toInt16(samples));
  }

  // The power step has rounded the record's CFPs and percentiles for display.
  for (int t = 1; t <= kSchemeCount; ++t) {
    SchemeResult& scheme = m_results.schemes[static_cast<std::size_t>(t - 1)];
    scheme.cfpShown = s.cfp[t][2];
    scheme.percentileShown = s.limitPercentile[t];
    scheme.samples = s.sampleCount[t];
    for (int sigma = 2; sigma <= 4; ++sigma) {
      scheme.power[static_cast<std::size_t>(sigma - 2)] = s.power[(sigma - 1) + 3 * (t - 1)];
    }
  }
  return formatCaptions(m_results, decimalSymbol);
}

}  // namespace velmora

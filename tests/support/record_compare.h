// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one comparison of calculation records and outcomes for every test folder and the
// fuzz targets (so it needs no GoogleTest): whether two records hold exactly the same
// values, field by field. Floating fields are compared bit for bit, so that a NaN equals
// itself and -0 differs from +0: "unchanged" means unchanged, not merely equal in value.
// In a test: EXPECT_EQ(testsupport::FirstDifference(a, b), nullptr) names the field.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "velmora/engine/calculation.h"
#include "calculation_state.h"

namespace velmora::testsupport {

inline bool sameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }
inline bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }
inline bool sameBits(std::int16_t a, std::int16_t b) { return a == b; }
inline bool sameBits(const std::string& a, const std::string& b) { return a == b; }

template <class T, std::size_t N>
bool sameBits(const std::array<T, N>& a, const std::array<T, N>& b) {
  for (std::size_t i = 0; i < N; ++i) {
    if (!sameBits(a[i], b[i])) return false;
  }
  return true;
}

template <class T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!sameBits(a[i], b[i])) return false;
  }
  return true;
}

// Returns the field's name from a comparison when it differs between records a and b.
#define VELMORA_SAME(field) \
  if (!sameBits(a.field, b.field)) return #field

// The name of the first field that differs, or nullptr when the records are the same.
inline const char* firstDifference(const CalculationState& a, const CalculationState& b) {
  VELMORA_SAME(dcfp);
  VELMORA_SAME(n);
  VELMORA_SAME(r);
  VELMORA_SAME(j);
  VELMORA_SAME(countSum);
  VELMORA_SAME(runProb);
  VELMORA_SAME(cfpCur);
  VELMORA_SAME(poolSize);
  VELMORA_SAME(innerLow);
  VELMORA_SAME(innerHigh);
  VELMORA_SAME(countLimit);
  VELMORA_SAME(maxCount);
  VELMORA_SAME(rankIdx);
  VELMORA_SAME(countProbData);
  VELMORA_SAME(dcfpStatus);
  VELMORA_SAME(optRank);
  VELMORA_SAME(cfp);
  VELMORA_SAME(limitPercentile);
  VELMORA_SAME(critPower3);
  VELMORA_SAME(critPower4);
  VELMORA_SAME(degFree);
  VELMORA_SAME(searchDiff);
  VELMORA_SAME(seriesTerm);
  VELMORA_SAME(gridZ);
  VELMORA_SAME(gridWeight);
  VELMORA_SAME(limitZ);
  VELMORA_SAME(limitT);
  VELMORA_SAME(power);
  VELMORA_SAME(powerRating);
  VELMORA_SAME(sampleCount);
  return nullptr;
}

// The same for the results of a run only: the inputs, the ranks, statuses, CFPs,
// percentiles, powers, ratings and sample counts.
inline const char* firstResultDifference(const CalculationState& a, const CalculationState& b) {
  VELMORA_SAME(dcfp);
  VELMORA_SAME(n);
  VELMORA_SAME(r);
  VELMORA_SAME(j);
  VELMORA_SAME(dcfpStatus);
  VELMORA_SAME(optRank);
  for (std::size_t t = 1; t < a.cfp.size(); ++t) {
    if (!sameBits(a.cfp[t][2], b.cfp[t][2])) return "cfp[t][2]";
  }
  VELMORA_SAME(limitPercentile);
  VELMORA_SAME(power);
  VELMORA_SAME(powerRating);
  VELMORA_SAME(sampleCount);
  return nullptr;
}

#undef VELMORA_SAME

// The 32 captions in a fixed order, for comparing whole outcomes.
inline std::vector<std::string> allCaptions(const ResultCaptions& c) {
  std::vector<std::string> all;
  for (const auto* group : {&c.lblCU, &c.lblPOW, &c.lblENT, &c.lblP, &c.lblQ}) {
    all.insert(all.end(), group->begin(), group->end());
  }
  all.insert(all.end(), c.lblPW.begin(), c.lblPW.end());
  return all;
}

}  // namespace velmora::testsupport

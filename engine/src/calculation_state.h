// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calculation record: the four inputs, the per-run table and every per-scheme
// intermediate and result. Arrays keep the calculator's own index ranges: an array
// indexed 1..4 is declared with five elements and element 0 is never used, so that
// `optRank[t]` reads as "the optimal rank of scheme 1:t".
//
// Working values of the power step that the calculation holds as variants (a value
// whose type, whole number or float64, steers its later arithmetic) live as locals of
// that step with their types spelled out (power_and_rating.cpp).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "velmora/engine/limits.h"

namespace velmora {

struct CalculationState {
  // Inputs.
  float dcfp = 0.0f;       // design cumulative false-positive error, as a float32
  std::int16_t n = 0;      // background sample size
  std::int16_t r = 0;      // number of comparisons to the same background
  std::int16_t j = 0;      // minimum allowable inverse rank

  // Per-scheme intermediates of the rank searches.
  std::array<float, 5> countSum{};         // 2..4: float32 sum of the coefficient row
  std::array<float, 5> runProb{};          // 1..4: running probability of the search
  std::array<float, 5> cfpCur{};           // 2..4: CFP of the candidate rank
  std::array<std::int16_t, 5> poolSize{};  // 2..4: n + t*r - k for the candidate k
  std::array<std::int16_t, 5> innerLow{};  // 2..4: last non-zero position before an update
  std::array<std::int16_t, 5> innerHigh{}; // 2..4: last position after an update
  std::array<std::int16_t, 5> countLimit{};// 2..4: r + 1, 2r + 1, 3r + 1
  std::int16_t maxCount = 0;               // upper bound of the second index of countProb
  std::int16_t rankIdx = 0;                // candidate-rank counter of the searches

  // Working table of the 1:2 to 1:4 searches: rows 1..4, counts 1..maxCount,
  // re-dimensioned (fresh zeros) every run.
  std::vector<double> countProbData;
  double& countProb(int row, int count) { return countProbData[(count - 1) * 4 + (row - 1)]; }
  double countProb(int row, int count) const { return countProbData[(count - 1) * 4 + (row - 1)]; }

  // Results of the searches.
  std::array<std::string, 5> dcfpStatus{};    // 1..4
  std::array<std::int16_t, 5> optRank{};      // 1..4
  std::array<std::array<float, 3>, 5> cfp{};  // cfp[t][1]: last passing CFP; cfp[t][2]: achievable CFP
  std::array<float, 5> limitPercentile{};     // 1..4

  // Power step.
  float critPower3 = 0.0f;
  float critPower4 = 0.0f;
  float degFree = 0.0f;
  float searchDiff = 0.0f;
  std::array<float, 21> seriesTerm{};         // 0..20
  std::array<float, kGridSize + 1> gridZ{};   // 1..1000
  std::array<float, kGridSize + 1> gridWeight{};
  std::array<float, 5> limitZ{};              // 1..4
  std::array<float, 5> limitT{};              // 1..4
  std::array<float, kPowerCount + 1> power{}; // 1..12, (sigma - 1) + 3 * (t - 1)
  std::array<std::string, 5> powerRating{};   // 1..4

  // Display.
  std::array<std::int16_t, 5> sampleCount{};  // 1..4
};

}  // namespace velmora

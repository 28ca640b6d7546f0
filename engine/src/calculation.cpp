#include "velmora/calculation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "velmora/contract.h"
#include "velmora/first_false_positive.h"

#include "velmora/limits.h"
#include "velmora/numbers.h"

// Every rounding point of the calculation is visible: a float32 result is a
// static_cast<float> of the float64 expression it rounds, and each float64 operation is
// one C++ operation on doubles (the engine is built with -ffp-contract=off, so nothing
// is fused). Integer sums and products of ranks and counts are formed in int, which is
// wider than the int16 fields that hold them; inside the accepted input domain
// (n + 4r <= 32767) they take the same values.

namespace velmora {
namespace {

inline float ToFloat32(double x) { return static_cast<float>(x); }
inline double F64(int x) { return static_cast<double>(x); }

// The binomial weights of scheme 1:t are folded into the operation orders below:
// 2 for t = 2; 3, 3 for t = 3; 4, 6, 4 for t = 4.

}  // namespace

// ---------------------------------------------------------------------------------
// Whole run

Outcome Calculation::Calculate(const InputTexts& texts, std::string_view decimalSymbol) {
  Outcome outcome;
  outcome.refusal = CheckInputs(texts);
  if (outcome.refusal) return outcome;
  outcome.captions = RunCalculation(texts, decimalSymbol);
  return outcome;
}

ResultCaptions Calculation::RunCalculation(const InputTexts& texts, std::string_view decimalSymbol) {
  CalculationState& s = state_;
  s.dcfp = ToFloat32(NumericValue(texts.txtAL));
  // The checks have made sure that these three are whole and fit an int16.
  s.n = Expected(ToInt16(NumericValue(texts.txtN)));
  s.r = Expected(ToInt16(NumericValue(texts.txtR)));
  s.j = Expected(ToInt16(NumericValue(texts.txtMDET)));

  const int r = s.r;
  s.countLimit[2] = static_cast<std::int16_t>((r - 1) + 2);
  s.countLimit[3] = static_cast<std::int16_t>((r - 1) * 2 + 3);
  s.countLimit[4] = static_cast<std::int16_t>((r - 1) * 3 + 4);
  s.maxCount = s.countLimit[4];
  s.countProbData.assign(static_cast<std::size_t>(4) * s.maxCount, 0.0);

  FindRank1of1();
  FindRank1of2();
  FindRank1of3();
  FindRank1of4();
  ComputePowerAndRating();
  return ShowResults(decimalSymbol);
}

void Calculation::Reset() {
  // The table keeps its storage, zeroed; the next run re-dimensions it anyway.
  std::vector<double> table = std::move(state_.countProbData);
  std::fill(table.begin(), table.end(), 0.0);
  state_ = CalculationState{};
  state_.countProbData = std::move(table);
}

// ---------------------------------------------------------------------------------
// 1:1 search

void Calculation::FindRank1of1() {
  CalculationState& s = state_;
  const int n = s.n;
  const int r = s.r;
  const int j = s.j;

  s.optRank[1] = 1;
  const int nPlusR = n + r;
  s.runProb[1] = ToFloat32(F64(n) / F64(nPlusR));
  s.cfp[1][1] = ToFloat32(1.0 - static_cast<double>(s.runProb[1]));

  if (s.cfp[1][1] > s.dcfp) {
    // Even the background maximum fails.
    s.cfp[1][2] = s.cfp[1][1];
    s.dcfpStatus[1] = kStatusExceeded;
  } else {
    for (int k = 2; k <= n; ++k) {
      s.rankIdx = static_cast<std::int16_t>(k);
      s.optRank[1] = static_cast<std::int16_t>(k);
      const double product = F64(n - k + 1) * static_cast<double>(s.runProb[1]);
      s.runProb[1] = ToFloat32(product / F64(nPlusR - k + 1));
      s.cfp[1][2] = ToFloat32(1.0 - static_cast<double>(s.runProb[1]));

      if (s.cfp[1][2] > s.dcfp) {  // rank k fails: keep k - 1
        s.cfp[1][2] = s.cfp[1][1];
        s.optRank[1] = static_cast<std::int16_t>(k - 1);
        break;
      }
      if (k == j + 1) {  // rank k passes but lies beyond the minimum allowable rank
        s.optRank[1] = static_cast<std::int16_t>(k - 1);
        s.cfp[1][2] = s.cfp[1][1];
        break;
      }
      if (k == n) break;  // every rank up to n passes
      s.cfp[1][1] = s.cfp[1][2];
    }
    s.dcfpStatus[1] = kStatusOk1of1;
  }
  s.limitPercentile[1] = ToFloat32((F64(n - s.optRank[1]) + 0.5) / F64(n));
}

// ---------------------------------------------------------------------------------
// Retest searches 1:2, 1:3, 1:4

void Calculation::FindRank1of2() { FindRankRetest(2); }
void Calculation::FindRank1of3() { FindRankRetest(3); }
void Calculation::FindRank1of4() { FindRankRetest(4); }

// Builds in row 1 of countProb the coefficient row c(1..countLimit(t)) of candidate k
// after all r comparisons: runProb(t) * c(m) is the probability that exactly m - 1 of
// the t*r samples exceed the limit while no comparison has all t of its samples above it.
void Calculation::BuildCoefficientRow(int t, int k) {
  CalculationState& s = state_;
  const int r = s.r;
  const int N = s.poolSize[t];
  const int limit = s.countLimit[t];
  double* const table = s.countProbData.data();
  // Element (row, m) of the table; the first index varies fastest.
  auto c = [table](int m) -> double& { return table[(m - 1) * 4]; };
  auto row = [table](int rowIndex, int m) -> double& { return table[(m - 1) * 4 + (rowIndex - 1)]; };

  for (int m = 1; m <= limit; ++m) {
    for (int rowIndex = 1; rowIndex <= t; ++rowIndex) row(rowIndex, m) = 0.0;
  }

  // The row after the first comparison.
  c(1) = 1.0;
  if (t == 2) {
    c(2) = F64(2 * k) / F64(N);
  } else if (t == 3) {
    const double b1 = F64(k) / F64(N);
    const double b1Times3 = b1 * 3.0;
    c(2) = b1Times3;
    c(3) = (F64(k + 1) / F64(N - 1)) * b1Times3;
  } else {
    const double b1 = F64(k) / F64(N);
    const double b2 = F64(k + 1) / F64(N - 1);
    const double b3 = F64(k + 2) / F64(N - 2);
    c(2) = F64(4 * k) / F64(N);
    c(3) = b2 * (b1 * 6.0);
    c(4) = (b2 * (b1 * 4.0)) * b3;
  }

  // The weighted quotients of a position depend only on the candidate and the position,
  // not on the comparison, so they are formed once per candidate, with exactly the
  // operations (and their order) of one update:
  //   t = 2: w1 = (a1 * 2)
  //   t = 3: w1 = (a1 * 3),  w2 = ((a1 * 3) * a2)
  //   t = 4: w1 = (a1 * 4),  w2 = ((a1 * 6) * a2),  w3 = (((a1 * 4) * a2) * a3)
  // and one update stores w_i * c(m) at position m + i of row i + 1.
  const int lastPosition = (t - 1) * (r - 1) + 1;  // innerLow of the last update
  std::vector<double>& weights = weightScratch_;
  weights.assign(static_cast<std::size_t>(3) * (lastPosition + 1), 0.0);
  auto weight = [&weights](int i, int m) -> double& { return weights[static_cast<std::size_t>(m) * 3 + (i - 1)]; };
  if (r >= 2) {
    for (int m = 1; m <= lastPosition; ++m) {
      const double a1 = F64(k + m - 1) / F64(N - m + 1);
      if (t == 2) {
        weight(1, m) = a1 * 2.0;
      } else if (t == 3) {
        const double a2 = F64(k + m) / F64(N - m);
        const double a1Times3 = a1 * 3.0;
        weight(1, m) = a1Times3;
        weight(2, m) = a1Times3 * a2;
      } else {
        const double a2 = F64(k + m) / F64(N - m);
        const double a3 = F64(k + m + 1) / F64(N - m - 1);
        const double a1Times4 = a1 * 4.0;
        weight(1, m) = a1Times4;
        weight(2, m) = (a1 * 6.0) * a2;
        weight(3, m) = (a1Times4 * a2) * a3;
      }
    }
  }

  // One update per further comparison. All contributions are formed from the row as it
  // stood before the update, then added in.
  for (int v = 2; v <= r; ++v) {
    const int innerLow = t + (t - 1) * (v - 2);
    const int innerHigh = t + (t - 1) * (v - 1);
    s.innerLow[t] = static_cast<std::int16_t>(innerLow);
    s.innerHigh[t] = static_cast<std::int16_t>(innerHigh);

    for (int m = 1; m <= innerLow; ++m) {
      const double cm = c(m);
      row(2, m + 1) = weight(1, m) * cm;
      if (t >= 3) row(3, m + 2) = weight(2, m) * cm;
      if (t == 4) row(4, m + 3) = weight(3, m) * cm;
    }
    for (int m = 1; m <= innerHigh; ++m) {
      if (t == 2) {
        c(m) = row(2, m) + c(m);
      } else if (t == 3) {
        c(m) = (row(2, m) + c(m)) + row(3, m);
      } else {
        c(m) = ((row(2, m) + c(m)) + row(3, m)) + row(4, m);
      }
    }
  }
}

// The CFP of candidate k of scheme 1:t. With carryRunProb the running probability of
// candidate k - 1 is extended by one factor, which gives the same float32 value as the
// product recomputed from the start.
float Calculation::EvaluateRetestCandidate(int t, int k, bool carryRunProb) {
  CalculationState& s = state_;
  const int n = s.n;
  const int nPlusTr = n + t * s.r;

  if (!carryRunProb) {
    s.runProb[t] = ToFloat32(F64(n) / F64(nPlusTr));
    for (int m = 2; m <= k; ++m) {
      const double product = F64(n - m + 1) * static_cast<double>(s.runProb[t]);
      s.runProb[t] = ToFloat32(product / F64(nPlusTr - m + 1));
    }
  } else {
    const double product = F64(n - k + 1) * static_cast<double>(s.runProb[t]);
    s.runProb[t] = ToFloat32(product / F64(nPlusTr - k + 1));
  }

  if (!(s.runProb[t] >= std::numeric_limits<float>::min())) return EvaluateRetestCandidateSound(t, k);

  s.poolSize[t] = static_cast<std::int16_t>(nPlusTr - k);
  BuildCoefficientRow(t, k);

  const double* const table = s.countProbData.data();
  s.countSum[t] = 0.0f;
  for (int m = 1; m <= s.countLimit[t]; ++m) {
    s.countSum[t] = ToFloat32(static_cast<double>(s.countSum[t]) + table[(m - 1) * 4]);
  }

  if (!std::isfinite(s.countSum[t])) return EvaluateRetestCandidateSound(t, k);

  const float P = ToFloat32(static_cast<double>(s.runProb[t]) * static_cast<double>(s.countSum[t]));
  return ToFloat32(1.0 - static_cast<double>(P));
}

// Where the float32 arithmetic of a candidate has left its range its CFP is not a number
// the search can use: a running probability below the smallest normal float32 has lost
// significant bits with every factor (it sticks at the smallest subnormal while the
// factors exceed one half, or reaches 0), and a coefficient sum beyond the float32 range
// is infinite. Both happen together at high ranks of large designs, where the running
// probability falls far below 1e-38 (and below 1e-308) while the coefficients grow as its
// reciprocal. Such a candidate's CFP is then summed directly as the probabilities of the
// first false positive (first_false_positive.h), whose terms are all probabilities: in
// float64 its relative error stays below 1.5e-11, so the float32 CFP below is the exact
// CFP correctly rounded or one float32 step from it, and always in [0, 1]. Wherever the
// running probability is a normal float32 and the sum finite, the search's own
// arithmetic gives the CFP, digit for digit.
float Calculation::EvaluateRetestCandidateSound(int t, int k) const {
  const CalculationState& s = state_;
  const double cfp = FirstFalsePositiveSum<double>(s.n, s.r, t, k);
  VELMORA_ASSERT(cfp >= 0.0 && cfp <= 1.0 + 1e-9);
  return ToFloat32(std::min(cfp, 1.0));
}

void Calculation::FindRankRetest(int t) {
  CalculationState& s = state_;
  const int n = s.n;
  const int j = s.j;
  const int start = s.optRank[t - 1];

  for (int k = start; k <= n; ++k) {
    s.rankIdx = static_cast<std::int16_t>(k);
    s.optRank[t] = static_cast<std::int16_t>(k);
    s.countSum[t] = 0.0f;
    const float cfpCur = EvaluateRetestCandidate(t, k, k > start);
    s.cfpCur[t] = cfpCur;
    // Every candidate's CFP is a number (the sound evaluation takes over where float32
    // cannot give one), so each test below decides by its comparison alone.
    VELMORA_ASSERT(std::isfinite(cfpCur));

    if (cfpCur > s.dcfp && k == 1) {  // the background maximum fails
      s.cfp[t][2] = cfpCur;
      s.dcfpStatus[t] = kStatusExceeded;
      break;
    }
    if (cfpCur <= s.dcfp && k == n) {  // every rank up to n passes
      s.cfp[t][2] = cfpCur;
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
    if (k < j + 1 && cfpCur <= s.dcfp) s.cfp[t][1] = cfpCur;
    if (cfpCur > s.dcfp) {  // rank k fails: keep k - 1
      if (k == start) {
        // The starting rank passed the previous scheme but fails this one. In exact
        // arithmetic it cannot (a retest scheme's CFP is the smaller one); in float32 it
        // can, at DCFPs too small for float32 to resolve below 1 (about 1e-8). No rank
        // of this walk has passed, so cfp(t, 1) would still hold a value from an earlier
        // run: the rank kept, k - 1, is evaluated instead, so that the CFP shown is its own.
        s.cfp[t][1] = EvaluateRetestCandidate(t, k - 1, false);
      }
      s.cfp[t][2] = s.cfp[t][1];
      s.optRank[t] = static_cast<std::int16_t>(k - 1);
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
    if (k == j) {  // rank j passes and is the minimum allowable rank
      s.cfp[t][2] = s.cfp[t][1];
      s.dcfpStatus[t] = kStatusOk;
      break;
    }
  }
  s.limitPercentile[t] = ToFloat32((F64(n - s.optRank[t]) + 0.5) / F64(n));
}

// ---------------------------------------------------------------------------------
// Power and rating

namespace {

// 1 / 6.2831854^0.5: the literal, not 2*pi to full precision. Every power 0.5 of the
// step is a correctly rounded square root (the C library's pow(x, 0.5) can differ from it
// in the last bit, for example for x = 2921).
double InvSqrt2Pi() { return 1.0 / std::sqrt(6.2831854); }

}  // namespace

double normalCdf(double x, bool wholeArgument, CalculationState& s) {
  s.seriesTerm[0] = ToFloat32(x);
  // The running sum S starts as x itself. For a whole-number x, x + a float32 term is a
  // float32, and so is every sum after it; otherwise S is a float64.
  float sumSingle = ToFloat32(x);
  double sumDouble = x;
  const double xSquared = std::pow(x, 2.0);
  for (int k = 1; k <= 20; ++k) {
    const double q = ((-xSquared) * F64(2 * k - 1)) / F64((2 * k) * (2 * k + 1));
    s.seriesTerm[k] = ToFloat32(q * static_cast<double>(s.seriesTerm[k - 1]));
    if (wholeArgument) {
      sumSingle = ToFloat32(static_cast<double>(sumSingle) + static_cast<double>(s.seriesTerm[k]));
    } else {
      sumDouble = sumDouble + static_cast<double>(s.seriesTerm[k]);
    }
  }
  const double sum = wholeArgument ? static_cast<double>(sumSingle) : sumDouble;
  return sum * InvSqrt2Pi() + 0.5;
}

double normalQuantile(double p, bool fromFloat32, CalculationState& s) {
  double target = p;
  bool reflect = false;
  if (target < 0.5) {
    target = 1.0 - target;
    if (fromFloat32) target = static_cast<double>(ToFloat32(target));
    reflect = true;
  }

  // The trial point is a whole number (1, 2, 3, ...) until the step is first halved.
  bool whole = true;
  double searchBase = 0.0;
  double searchStep = 1.0;
  double searchX = 0.0;
  constexpr double searchTol = 0.0001;
  for (int searchIter = 1; searchIter <= 100; ++searchIter) {
    searchX = searchBase + searchStep;
    const double searchCdf = normalCdf(searchX, whole, s);
    s.searchDiff = ToFloat32(searchCdf - target);
    if (std::fabs(static_cast<double>(s.searchDiff)) < searchTol) break;
    if (s.searchDiff < 0.0f) {
      searchBase = searchX;
    } else if (s.searchDiff > 0.0f) {
      searchStep = searchStep / 2.0;
      whole = false;
    }
  }
  return reflect ? -searchX : searchX;
}

void Calculation::ComputePowerAndRating() {
  CalculationState& s = state_;
  const int n = s.n;

  s.critPower3 = ToFloat32(0.539);
  s.critPower4 = ToFloat32(0.814);
  s.degFree = ToFloat32(F64(n - 1));
  const double gridStep = 1.0 / F64(kGridSize);  // 0.001 in float64
  const double rootN = std::sqrt(F64(n));

  for (int i = 1; i <= kGridSize; ++i) {
    const double u = (F64(i) - 0.5) / F64(kGridSize);
    s.gridZ[i] = ToFloat32(normalQuantile(u, false, s));
  }
  for (int t = 1; t <= kSchemeCount; ++t) {
    s.limitZ[t] = ToFloat32(normalQuantile(static_cast<double>(s.limitPercentile[t]), true, s));
  }
  for (int t = 1; t <= kSchemeCount; ++t) {
    s.limitT[t] = ToFloat32(rootN * static_cast<double>(s.limitZ[t]));
  }

  // A whole number times a float32 is a float32; n - 1 is small enough that 4 and 2
  // times it are exact.
  const double fourDegFree = static_cast<double>(ToFloat32(4.0 * static_cast<double>(s.degFree)));
  const double twoDegFree = static_cast<double>(ToFloat32(2.0 * static_cast<double>(s.degFree)));

  for (int t = 1; t <= kSchemeCount; ++t) {
    for (int sigma = 2; sigma <= 4; ++sigma) {
      const int powIdx = (sigma - 1) + 3 * (t - 1);
      const double limitT = static_cast<double>(s.limitT[t]);
      const float a = ToFloat32((1.0 - 1.0 / fourDegFree) * limitT);
      const double zDen = std::sqrt(std::pow(limitT, 2.0) / twoDegFree + 1.0);

      for (int i = 1; i <= kGridSize; ++i) {
        const double u = (F64(i) - 0.5) / F64(kGridSize);
        const float shifted = ToFloat32(static_cast<double>(s.gridZ[i]) + F64(sigma));
        const double zNum = rootN * static_cast<double>(shifted) - static_cast<double>(a);
        double zStat = zNum / zDen;

        bool reflect = false;
        if (zStat < 0.0) {
          zStat = std::fabs(zStat);
          reflect = true;
        }
        bool whole = false;
        if (zStat > 6.0) {  // evaluated at the whole number 6, where the series is far above 1
          zStat = 6.0;
          whole = true;
        }
        double detectProb = normalCdf(zStat, whole, s);
        if (detectProb > 1.0) {
          detectProb = 1.0;
        } else if (detectProb < 0.0) {
          detectProb = 0.0;
        }
        if (reflect) detectProb = 1.0 - detectProb;

        const double minDensity = F64(t) * std::pow(1.0 - u, F64(t - 1));
        s.gridWeight[i] = ToFloat32(minDensity * detectProb);
        if (i == 1) s.power[powIdx] = 0.0f;
        s.power[powIdx] = ToFloat32(static_cast<double>(s.power[powIdx]) +
                                    static_cast<double>(s.gridWeight[i]) * gridStep);
      }
      if (s.power[powIdx] > 1.0f) {
        s.power[powIdx] = 1.0f;
      } else if (s.power[powIdx] < 0.0f) {
        s.power[powIdx] = 0.0f;
      }
      const int thousandths = Expected(ToInt16(static_cast<double>(s.power[powIdx]) * 1000.0));
      s.power[powIdx] = ToFloat32(F64(thousandths) / 1000.0);
    }
  }

  for (int t = 1; t <= kSchemeCount; ++t) {
    const float p3 = s.power[3 * t - 1];
    const float p4 = s.power[3 * t];
    s.powerRating[t] = kRatingLow;
    if (p3 >= s.critPower3 || p4 >= s.critPower4) s.powerRating[t] = kRatingAcceptable;
    if (p3 >= s.critPower3 && p4 >= s.critPower4) s.powerRating[t] = kRatingGood;
  }

  // Display rounding, after the powers have used the unrounded percentiles.
  for (int t = 1; t <= kSchemeCount; ++t) {
    const int cfpUnits = Expected(ToInt32(static_cast<double>(s.cfp[t][2]) * 100000.0));
    s.cfp[t][2] = ToFloat32(F64(cfpUnits) / 100000.0);
    const int percentileUnits = Expected(ToInt16(static_cast<double>(s.limitPercentile[t]) * 10000.0));
    s.limitPercentile[t] = ToFloat32(F64(percentileUnits) / 10000.0);
  }
}

// ---------------------------------------------------------------------------------
// Captions

ResultCaptions Calculation::ShowResults(std::string_view decimalSymbol) {
  CalculationState& s = state_;
  ResultCaptions captions;

  // Expected samples: each comparison takes its initial sample and a repeat follows every
  // sample above the limit, up to t samples; q = 1 - P is that chance.
  const double r = F64(s.r);
  for (int t = 1; t <= kSchemeCount; ++t) {
    const double P = static_cast<double>(s.limitPercentile[t]);
    double samples = r;
    if (t == 2) samples = (2.0 - P) * r;
    if (t == 3) samples = (std::pow(1.0 - P, 2.0) + (2.0 - P)) * r;
    if (t == 4) samples = (std::pow(1.0 - P, 3.0) + (std::pow(1.0 - P, 2.0) + (2.0 - P))) * r;
    s.sampleCount[t] = Expected(ToInt16(samples));
  }

  for (int t = 1; t <= kSchemeCount; ++t) {
    const std::size_t cell = static_cast<std::size_t>(t - 1);
    captions.lblCU[cell] = s.dcfpStatus[t] + FormatSigned(s.optRank[t]);
    captions.lblPOW[cell] = s.powerRating[t];
    captions.lblENT[cell] = FormatInteger(s.sampleCount[t]);
    captions.lblP[cell] = FormatFixed(static_cast<double>(s.limitPercentile[t]), 4, decimalSymbol);
    captions.lblQ[cell] = FormatFixed(static_cast<double>(s.cfp[t][2]), 5, decimalSymbol);
  }
  for (int i = 1; i <= kPowerCount; ++i) {
    captions.lblPW[static_cast<std::size_t>(i - 1)] =
        FormatFixed(static_cast<double>(s.power[i]), 3, decimalSymbol);
  }
  return captions;
}

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#include "rank_walk_bounds.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace velmora::walkbounds {

// Why the retest walk may skip candidates.
//
// Notation. Scheme 1:t, n background values, r comparisons, candidate rank k; W ~ Beta(k,
// n - k + 1) is the probability that one future sample exceeds the limit. CFP(k) = 1 - P(k)
// with P(k) = E[(1 - W^t)^r], the exact CFP; D(k) the searches' float32 CFP (the design
// CFP). u = 2^-53 and v = 2^-24 are the unit roundoffs of float64 and float32;
// L = (t - 1) r + 1 is the number of positions of the coefficient row and
// R = 9 (r - 1) + 5.
//
// 1. CFP(k) rises with k. W ~ Beta(k, n - k + 1) grows with k in likelihood ratio, hence
// stochastically, and (1 - w^t)^r falls strictly on (0, 1), so P(k) falls strictly.
//
// 2. The row as paths. A path is a sequence i_1 .. i_r of exceedance counts, 0 <= i_s < t,
// one per comparison. Given W = w the comparisons are independent, so the path has
// probability E[prod_s C(t, i_s) W^{i_s} (1 - W)^{t - i_s}] = prod_s C(t, i_s) *
// B(k + M, n - k + 1 + t r - M) / B(k, n - k + 1), M = sum_s i_s, and this is
// runProb * prod_s C(t, i_s) * beta(M + 1), where runProb = B(k, n - k + 1 + t r) /
// B(k, n - k + 1) is the exact running probability and beta(m) = prod_{l < m}
// (k + l - 1) / (N - l + 1), N = n + t r - k. The searches' weights are
// w_i(m) = C(t, i) a(m) .. a(m + i - 1) with a(m) = (k + m - 1) / (N - m + 1) =
// beta(m + 1) / beta(m), their first row c(1 + i) = C(t, i) beta(1 + i), so in exact
// arithmetic c(m) is the sum of prod_s C(t, i_s) beta(m) over the paths with M = m - 1,
// the weight of a path. For any set S of paths, runProb * (the weights of S) = P(S); for
// all paths, P(k) = runProb * sum_m c(m).
//
// 3. Rounding. A float64 operation whose exact result x is a normal float64 returns
// x (1 + d), |d| <= u; a sum of non-negative numbers whose result is below the normal range
// is exact. A conversion to float32 of y returns y (1 + d), |d| <= v, when |y| is a normal
// float32, and lies within 2^-150 of y always. Every rounding is monotone.
//
// 4. The float32 path, from below. Let k0 be the walk's first candidate and k0 <= k <= K.
// (a) Every quotient (k + m - 1) / (N - m + 1) grows with k (its numerator rises and N
// falls), and every later operation of the row is a product or sum of non-negative
// operands, rounded monotonically: every computed element and product of candidate k is
// at least that of candidate k0, which is at least that of k0's flush-to-zero row (a row
// built the same way with every product below the normal range set to 0). So wherever
// that row kept a product, candidate k's product is a normal float64.
// (b) Call the products the flush-to-zero row of k0 set to 0 the flushed edges. Along a
// path of candidate k that avoids them, every operation is a relative rounding of a
// normal result or exact: at most 5 for each weight (quotients, then products; times 4
// is exact) and for the first element, and per further comparison one product and at
// most t - 1 <= 3 additions. All terms are non-negative, so expanding the computed
// elements over paths, c~(m) >= (1 - u)^R (the weights of the paths to m that avoid the
// flushed edges); a path through a flushed edge contributes at least 0.
// (c) A flushed edge of the update for comparison v starts from a position at least
// m_v = lowestFlushedSource[v] of the row after v - 1 comparisons: a path through it has
// at least m_v - 1 exceedances among the first t (v - 1) samples, and no false positive
// among comparisons v .. r. For a block of updates v1 .. v2, with a = min m_v - 1,
// T = t (v2 - 1) and q = r - v2 + 1, every such path lies in the event "at least a of the
// first T samples exceed, and none of the last q comparisons is a false positive" (the
// exceedances only accumulate). Given W = w both parts are independent, so by 2 the
// paths of the block have probability at most E[B(W) H(W)], B(w) = P(Binomial(T, w) >= a),
// H(w) = (1 - w^t)^q; B rises and H falls with w. For any w*:
//   E[B H] <= min(B(w*), E[B(W)]) + H(w*) P(W > w*),
// with B(w*) <= exp(-T KL(a/T, w*)) for w* < a/T (Chernoff; KL the binary relative
// entropy), E[B(W)] = P(X >= a) for X ~ BetaBinomial(T; k, n - k + 1) and, for j <= a,
// P(X >= a) <= E[(X)_j] / (a)_j = prod_{i<j} (T - i)(k + i) / ((n + 1 + i)(a - i)), and
// P(W > w*) <= E[W^j] / w*^j = prod_{i<j} (k + i) / ((n + 1 + i) w*). Every term except
// B(w*) and H(w*) rises with k (W grows stochastically with k), so taken at K they bound
// every candidate up to K. Call the sum over blocks, each minimised over a few w*, Lambda.
// (d) The float32 sum s_m = fl32(fl64(s_{m-1} + c~(m))) starts with s_1 = c~(1) = 1
// exactly; it never falls and stays at least 1. Its error e_m = s_m - (s_{m-1} + c~(m))
// obeys |e_m| <= e (s_{m-1} + c~(m)) <= e' s_m with e = u + v + uv and e' = e / (1 - e);
// and also |e_m| <= 3 c~(m), since s_{m-1} is both a float64 and a float32: the float64
// sum lies within c~(m) of s_{m-1} + c~(m), and the nearest float32 to it no farther from
// it than s_{m-1} is. So for any M, with T(M) = sum_{m > M} c~(m),
//   S~ >= (sum_m c~(m) - 3 T(M)) / (1 + M e').
// By (a), T(M) of candidate k is at most T(M) of K, and runProb~(k) <= runProb~(k0), so
// runProb~ * 3 T(M) <= tau(M) = 3 runProb~(k0) T_K(M), from K's row; M is chosen to
// make M e' + tau(M) smallest (M = L, tau = 0 needs no row).
// (e) The running probability: runProb~(k) is known for every candidate, and so is the
// exact product runProb(k) = prod_{m<=k} (n - m + 1) / (n + t r - m + 1) to within a
// relative 4k 2^-64 (formed in long double, 2k roundings). So runProb~ >= runProb (1 - d)
// with d the largest relative distance between the two over the float32-path candidates
// from k0 to K, raised by that margin.
// (f) P~ = fl32(runProb~ * S~) >= runProb~ S~ (1 - v) - 2^-150 (a product of two float32 is
// exact in float64). With 2, (b) and (d),
//   P~ >= (G (P(k) - Lambda) - tau(M)) (1 - M e')(1 - v) - 2^-150,
// where G = (1 - u)^R (1 - d) >= 1 - R u - d.
// (g) D(k) = fl32(fl64(1 - P~)): the float64 subtraction adds at most 2^-54 and the
// conversion at most v |y| + 2^-150, so with P(k) <= 1,
//   D(k) <= CFP(k) + R u + d + v + M e' + Lambda + tau(M) + 2^-54 + 1.001 v + 2^-149 =: Delta_f,
// one bound for every candidate from k0 to K.
//
// 5. The sound path. Where the running probability falls below the float32 range or the
// sum overflows, D(k) = fl32(min(F, 1)), F the float64 sum of first-false-positive
// probabilities, |F - CFP| <= e CFP with e = ((2t + 8)(r - 1) + 6) u to first order
// (first_false_positive.h; its dropped states only lower F). e_s = 2 e covers the higher
// orders, and D(k) <= CFP(k) + e_s + 1.001 v + 2^-150 =: Delta_s.
//
// 6. Bounds from above at the candidate K the walk evaluates. From K's flush-to-zero row:
// flushing lowers elements and each rounding raises by at most (1 + u), so every element is
// at most (1 + u)^R times the exact one, and the float64 sum s64 at most (1 + u)^L times
// the elements' sum; with the long double running probability of (e),
// P(K) >= runProb_ld(K) (1 - 4K 2^-64) s64 (1 - (R + L) u), and CFP(K) <= 1 - that. Where K takes the
// sound path: CFP(K) <= (F + 1e-51) / (1 - e_s).
//
// 7. The certificate. For k0 <= k <= K, D(k) <= CFP(k) + Delta <= CFP(K) + Delta <= U(K) + Delta,
// with U(K) the bound of 6 and Delta the larger of Delta_f (over the float32-path
// candidates from k0 to K) and Delta_s, whichever path each candidate takes. When
// U(K) + Delta <= DCFP (the float32 DCFP, compared exactly), every candidate from k0 to K
// passes. Stretches chain: the next may start at K, whose flush-to-zero row 6 has built.
// The bound says nothing where the flushed mass Lambda or the roundings are as large as
// the DCFP (tiny DCFPs at many comparisons, and large r against small n, where the float64
// row itself loses much of its mass below the float64 range); there the walk evaluates
// every candidate. With DCFP 1 no bound is needed: P~ >= 0 and F is clamped, so D(k) <= 1.
//
// Every bound below is evaluated in long double and then raised by a relative 2^-50 (far
// more than its own roundings), so the computed bound is never below the true one.

namespace {

constexpr long double kU = 0x1p-53L;
constexpr long double kV = 0x1p-24L;

long double up(long double x) { return x + std::fabs(x) * 0x1p-50L + 0x1p-1000L; }

long double positions(int t, int r) { return static_cast<long double>((t - 1) * r + 1); }
long double rowRoundings(int r) { return 9.0L * static_cast<long double>(r - 1) + 5.0L; }

// P(X >= a) for X ~ BetaBinomial(T; k, n - k + 1), by the factorial-moment bound of 4(c);
// a bound below 1e-40 is returned as it stands once reached.
long double tailBound(long T, long a, int n, int k) {
  if (a <= 0) return 1.0L;
  if (a > T) return 0.0L;
  long double bound = 1.0L;
  for (long i = 0; i < a; ++i) {
    const long double factor = (static_cast<long double>(T - i) * static_cast<long double>(k + i)) /
                               (static_cast<long double>(n + 1 + i) * static_cast<long double>(a - i));
    if (factor >= 1.0L) break;
    bound *= factor;
    if (bound < 1e-40L) break;
  }
  // At most 2a roundings of 2^-64 each in the product.
  return bound * (1.0L + 1e-12L);
}

// P(W > w) for W ~ Beta(k, n - k + 1), by the moment bound of 4(c).
long double betaTailBound(long double w, int n, int k) {
  long double bound = 1.0L;
  for (int i = 0; i < 100000; ++i) {
    const long double factor = static_cast<long double>(k + i) / (static_cast<long double>(n + 1 + i) * w);
    if (factor >= 1.0L) break;
    bound *= factor;
    if (bound < 1e-40L) break;
  }
  return bound * (1.0L + 1e-12L);
}

// The bound of 4(c) for one block. The exponentials and logarithms of the C library are
// within a few units in the last place; the terms that use them are raised by a relative
// 1e-9, far more.
long double blockBound(long T, long a, long q, int t, int n, int k) {
  if (a <= 0) return 1.0L;
  if (a > T) return 0.0L;
  const long double mixed = tailBound(T, a, n, k);
  long double best = mixed;
  const long double p = static_cast<long double>(a) / static_cast<long double>(T);
  for (int step = 1; step <= 40; ++step) {
    const long double w = p * std::pow(0.9L, static_cast<long double>(step));
    if (!(w > 0.0L)) break;
    const long double kl = p * std::log(p / w) + (p < 1.0L ? (1.0L - p) * std::log((1.0L - p) / (1.0L - w)) : 0.0L);
    const long double binomial = std::exp(-static_cast<long double>(T) * kl) * (1.0L + 1e-9L);
    const long double noFalsePositive =
        std::exp(static_cast<long double>(q) * std::log1p(-std::pow(w, static_cast<long double>(t)))) * (1.0L + 1e-9L);
    const long double bound = std::min(binomial, mixed) + noFalsePositive * betaTailBound(w, n, k);
    best = std::min(best, bound);
  }
  return best;
}

}  // namespace

long double floatPathExcess(int r, long double runProbDeviation, long double flushedMass, long double sumExcess) {
  const long double others = rowRoundings(r) * kU + runProbDeviation + kV;
  return up(others + sumExcess + flushedMass + 0x1p-54L + 1.001L * kV + 0x1p-149L);
}

long double runProbDeviation(float runProb, long double runProbLongDouble, int k) {
  const long double exact = runProbLongDouble;
  return up(std::fabs(static_cast<long double>(runProb) - exact) / exact + 4.0L * static_cast<long double>(k) * 0x1p-64L);
}

long double crudeSumExcess(int t, int r) {
  const long double e = kU + kV + kU * kV;
  return positions(t, r) * e / (1.0L - e);
}

long double sumExcess(const double* row, int limit, float firstRunProb) {
  const long double e = kU + kV + kU * kV;
  const long double ePrime = e / (1.0L - e);
  // The tail sums T(M) from the top, raised for their own roundings (2^-63 each).
  const long double raise = 1.0L + static_cast<long double>(limit) * 0x1p-62L;
  const long double rho = static_cast<long double>(firstRunProb);
  long double tail = 0.0L;
  long double best = static_cast<long double>(limit) * ePrime;
  for (int M = limit - 1; M >= 0; --M) {
    tail += static_cast<long double>(row[M + 1]);
    const long double excess = static_cast<long double>(M) * ePrime + 3.0L * rho * tail * raise;
    if (excess < best) best = excess;
  }
  return up(best);
}

long double soundPathExcess(int t, int r) {
  const long double e = 2.0L * (static_cast<long double>(2 * t + 8) * static_cast<long double>(r - 1) + 6.0L) * kU;
  return up(e + 1.001L * kV + 0x1p-150L);
}

long double flushedPathMass(int n, int r, int t, int kHigh, const std::vector<int>& lowestFlushedSource) {
  long double mass = 0.0L;
  const int block = std::max(1, r / 64);
  for (int v1 = 2; v1 <= r; v1 += block) {
    const int v2 = std::min(r, v1 + block - 1);
    int lowest = 0;  // the lowest flushed source in the block, 0 for none
    for (int v = v1; v <= v2; ++v) {
      const int m = lowestFlushedSource[static_cast<std::size_t>(v)];
      if (m > 0 && (lowest == 0 || m < lowest)) lowest = m;
    }
    if (lowest == 0) continue;
    mass += blockBound(static_cast<long>(t) * (v2 - 1), lowest - 1, r - v2 + 1, t, n, kHigh);
    if (mass >= 1.0L) return 1.0L;
  }
  return up(mass);
}

long double cfpUpperFromFlushedRow(long double runProbLongDouble, double rowSum64, int t, int r, int k) {
  const long double loss = (rowRoundings(r) + positions(t, r)) * kU + 4.0L * static_cast<long double>(k) * 0x1p-64L;
  long double lower = runProbLongDouble * static_cast<long double>(rowSum64) * (1.0L - loss);
  lower -= std::fabs(lower) * 0x1p-50L;
  return up(1.0L - lower);
}

long double cfpUpperFromSound(double firstFalsePositiveSum, int t, int r) {
  const long double e = 2.0L * (static_cast<long double>(2 * t + 8) * static_cast<long double>(r - 1) + 6.0L) * kU;
  return up((static_cast<long double>(firstFalsePositiveSum) + 1e-51L) / (1.0L - e));
}

double estimateCfp(int n, int r, int t, int k) {
  // E[1 - (1 - W^t)^r], W ~ Beta(k, n - k + 1), by Gauss-Legendre quadrature over W's bulk,
  // in logarithms; the density is taken relative to its value at the mean and normalised
  // by the same quadrature (no log-gamma, whose sign is a shared global).
  static constexpr double kNode[8] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363,
                                      -0.1834346424956498, -0.5255324099163290, -0.7966664774136267, -0.9602898564975363};
  static constexpr double kWeight[8] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763,
                                        0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};
  const double a = k;
  const double b = n - k + 1;
  const double mean = a / (a + b);
  const double sd = std::sqrt(a * b / ((a + b) * (a + b) * (a + b + 1.0)));
  const double low = std::max(0.0, mean - 14.0 * sd);
  const double high = std::min(1.0, mean + 14.0 * sd + 14.0 / (a + b));
  const double logMean = std::log(mean);
  const double log1mMean = std::log1p(-mean);
  constexpr int kPanels = 4;
  const double width = (high - low) / kPanels;
  double mass = 0.0;
  double total = 0.0;
  for (int p = 0; p < kPanels; ++p) {
    const double centre = low + (p + 0.5) * width;
    for (int i = 0; i < 8; ++i) {
      const double w = centre + 0.5 * width * kNode[i];
      if (w <= 0.0 || w >= 1.0) continue;
      const double density = std::exp((a - 1.0) * (std::log(w) - logMean) + (b - 1.0) * (std::log1p(-w) - log1mMean));
      const double falsePositive = -std::expm1(static_cast<double>(r) * std::log1p(-std::pow(w, t)));
      mass += kWeight[i] * density;
      total += kWeight[i] * density * falsePositive;
    }
  }
  return mass > 0.0 ? std::min(1.0, std::max(0.0, total / mass)) : 0.0;
}

}  // namespace velmora::walkbounds

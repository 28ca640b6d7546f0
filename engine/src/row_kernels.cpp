// SPDX-License-Identifier: GPL-3.0-or-later
#include "row_kernels.h"

#include <algorithm>

#include "vector_dispatch.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VELMORA_ROW_KERNELS 1
#endif

namespace velmora::rows {

namespace {

// Positions from .. high of one design update, as the loops the compiler lays out for the
// vector unit.
VELMORA_VECTOR_CLONES
void portableUpdate(int t, int from, int high, const double* w1, const double* w2, const double* w3,
                    const double* row, double* next) {
  if (t == 2) {
    for (int m = from; m <= high; ++m) next[m] = w1[m - 1] * row[m - 1] + row[m];
  } else if (t == 3) {
    for (int m = from; m <= high; ++m) next[m] = (w1[m - 1] * row[m - 1] + row[m]) + w2[m - 2] * row[m - 2];
  } else {
    for (int m = from; m <= high; ++m) {
      next[m] = ((w1[m - 1] * row[m - 1] + row[m]) + w2[m - 2] * row[m - 2]) + w3[m - 3] * row[m - 3];
    }
  }
}

#if defined(VELMORA_ROW_KERNELS)
// The design updates written out for the vector unit: each block of eight (or four)
// positions loads the row once and forms its neighbours m - 1, m - 2, m - 3 by shifting
// it against the block before, instead of loading each again from memory (the updates
// are bound by their loads). Every element is the same sum of the same products in the
// same order as in portableUpdate; positions 0 and below read as +0 there and here.

// Positions m - places .. m + 7 - places from the blocks at m - 8 and m.
template <int Places>
__attribute__((target("avx512f"), always_inline)) inline __m512d back(__m512d cur, __m512d prev) {
  // (The zero-masked form: the plain one starts from an undefined register, which
  // GCC 12 takes for an uninitialised value.)
  return _mm512_castsi512_pd(
      _mm512_maskz_alignr_epi64(0xFF, _mm512_castpd_si512(cur), _mm512_castpd_si512(prev), 8 - Places));
}

template <int T>
__attribute__((target("avx512f"))) void updateDesign512(int from, int high, const double* w1, const double* w2,
                                                        const double* w3, const double* row, double* next) {
  __m512d prev = _mm512_loadu_pd(row + from - 8);
  int m = from;
  for (; m + 7 <= high; m += 8) {
    const __m512d cur = _mm512_loadu_pd(row + m);
    __m512d v = _mm512_add_pd(_mm512_mul_pd(_mm512_loadu_pd(w1 + m - 1), back<1>(cur, prev)), cur);
    if constexpr (T >= 3) v = _mm512_add_pd(v, _mm512_mul_pd(_mm512_loadu_pd(w2 + m - 2), back<2>(cur, prev)));
    if constexpr (T == 4) v = _mm512_add_pd(v, _mm512_mul_pd(_mm512_loadu_pd(w3 + m - 3), back<3>(cur, prev)));
    _mm512_storeu_pd(next + m, v);
    prev = cur;
  }
  if (m <= high) {
    // The last positions, fewer than eight, in masked lanes (the others read as 0 and
    // are not written).
    const auto lanes = static_cast<__mmask8>((1u << (high - m + 1)) - 1u);
    const __m512d cur = _mm512_maskz_loadu_pd(lanes, row + m);
    __m512d v = _mm512_add_pd(_mm512_mul_pd(_mm512_maskz_loadu_pd(lanes, w1 + m - 1), back<1>(cur, prev)), cur);
    if constexpr (T >= 3) {
      v = _mm512_add_pd(v, _mm512_mul_pd(_mm512_maskz_loadu_pd(lanes, w2 + m - 2), back<2>(cur, prev)));
    }
    if constexpr (T == 4) {
      v = _mm512_add_pd(v, _mm512_mul_pd(_mm512_maskz_loadu_pd(lanes, w3 + m - 3), back<3>(cur, prev)));
    }
    _mm512_mask_storeu_pd(next + m, lanes, v);
  }
}

template <int T>
__attribute__((target("avx2"))) void updateDesign256(int from, int high, const double* w1, const double* w2,
                                                     const double* w3, const double* row, double* next) {
  __m256d prev = _mm256_loadu_pd(row + from - 4);
  int m = from;
  for (; m + 3 <= high; m += 4) {
    const __m256d cur = _mm256_loadu_pd(row + m);
    const __m256d two = _mm256_permute2f128_pd(prev, cur, 0x21);  // row[m - 2 .. m + 1]
    const __m256d one = _mm256_shuffle_pd(two, cur, 0x5);         // row[m - 1 .. m + 2]
    __m256d v = _mm256_add_pd(_mm256_mul_pd(_mm256_loadu_pd(w1 + m - 1), one), cur);
    if constexpr (T >= 3) v = _mm256_add_pd(v, _mm256_mul_pd(_mm256_loadu_pd(w2 + m - 2), two));
    if constexpr (T == 4) {
      const __m256d three = _mm256_shuffle_pd(prev, two, 0x5);  // row[m - 3 .. m]
      v = _mm256_add_pd(v, _mm256_mul_pd(_mm256_loadu_pd(w3 + m - 3), three));
    }
    _mm256_storeu_pd(next + m, v);
    prev = cur;
  }
  for (; m <= high; ++m) {
    double v = w1[m - 1] * row[m - 1] + row[m];
    if constexpr (T >= 3) v = v + w2[m - 2] * row[m - 2];
    if constexpr (T == 4) v = v + w3[m - 3] * row[m - 3];
    next[m] = v;
  }
}

#endif

using DesignKernel = void (*)(int, int, const double*, const double*, const double*, const double*, double*);

// The kernels of t = 2, 3, 4 for one kind, or null for the portable loops (also where the
// processor cannot run that kind).
const DesignKernel* kernelsOf(UpdateKernel kind) {
#if defined(VELMORA_ROW_KERNELS)
  static const DesignKernel kWide[3] = {updateDesign512<2>, updateDesign512<3>, updateDesign512<4>};
  static const DesignKernel kMiddle[3] = {updateDesign256<2>, updateDesign256<3>, updateDesign256<4>};
  if (kind == UpdateKernel::avx512 && kernelRuns(kind)) return kWide;
  if (kind == UpdateKernel::avx2 && kernelRuns(kind)) return kMiddle;
#else
  static_cast<void>(kind);
#endif
  return nullptr;
}

// Positions from .. high of one design update.
inline void updateDesign(const DesignKernel* kernels, int t, int from, int high, const double* w1, const double* w2,
                         const double* w3, const double* row, double* next) {
  if (kernels != nullptr) {
    kernels[t - 2](from, high, w1, w2, w3, row, next);
  } else {
    portableUpdate(t, from, high, w1, w2, w3, row, next);
  }
}

}  // namespace

bool kernelRuns(UpdateKernel kind) {
#if defined(VELMORA_ROW_KERNELS)
  // (Asked of the processor itself, so that the tests run every kernel it can run, in
  // sanitized builds too, where the calculation keeps to the portable loops.)
  static const bool kAvx2 = __builtin_cpu_supports("avx2");
  static const bool kAvx512 = __builtin_cpu_supports("avx512f");
  if (kind == UpdateKernel::avx2) return kAvx2;
  if (kind == UpdateKernel::avx512) return kAvx512;
#endif
  return kind == UpdateKernel::portable;
}

namespace {

// One version per vector unit, resolved with every other function of vector_dispatch.h
// (GCC resolves the versions where they are called, so the call stays in this file).
#if defined(VELMORA_VECTOR_DISPATCH) && defined(VELMORA_ROW_KERNELS)
VELMORA_VECTOR_VERSION("default") UpdateKernel processorKernel() { return UpdateKernel::portable; }
VELMORA_VECTOR_VERSION("avx2") UpdateKernel processorKernel() { return UpdateKernel::avx2; }
VELMORA_VECTOR_VERSION("avx512f") UpdateKernel processorKernel() { return UpdateKernel::avx512; }
#else
UpdateKernel processorKernel() { return UpdateKernel::portable; }
#endif

}  // namespace

UpdateKernel widestKernel() { return processorKernel(); }

// A large row does not stay in the processor's first-level cache from one update to the
// next, and an update is bound by its loads: there the updates go in groups of kDepth,
// tile by tile along the row, each update lagging kLag positions behind the one before
// it. An update reads the row before it at its own position and up to t - 1 <= 3 below;
// so by the time update j + 1 of a group writes a position into the buffer it shares
// with update j - 1, update j has read all it needs there (it stands kLag > 3 further on),
// and every element is computed from the same values as one update after another would
// give it. Positions above an update's reach are read as the zeros they start as: no
// update writes above its own reach, which grows with each update.
double* designUpdates(UpdateKernel kind, bool tiles, int t, int r, const double* w1, const double* w2,
                      const double* w3, double* a, double* b) {
  const DesignKernel* const kernels = kernelsOf(kind);
  const auto reach = [t](int v) { return t + (t - 1) * (v - 1); };
  const auto source = [a, b](int v) { return v % 2 == 0 ? a : b; };
  const auto target = [a, b](int v) { return v % 2 == 0 ? b : a; };
  constexpr int kTiledFrom = 1024;  // positions of a row that no longer fits that cache
  if (!tiles || reach(r) < kTiledFrom) {
    for (int v = 2; v <= r; ++v) updateDesign(kernels, t, 1, reach(v), w1, w2, w3, source(v), target(v));
    return target(r);
  }
  constexpr int kDepth = 16;
  constexpr int kTile = 512;  // a multiple of the vector width, as kLag is
  constexpr int kLag = 8;
  for (int first = 2; first <= r; first += kDepth) {
    const int depth = std::min(kDepth, r - first + 1);
    int done[kDepth] = {};  // the last position each update of the group has written
    for (int edge = kTile;; edge += kTile) {
      bool finished = true;
      for (int j = 0; j < depth; ++j) {
        const int v = first + j;
        const int to = std::min(reach(v), edge - kLag * j);
        if (to > done[j]) {
          updateDesign(kernels, t, done[j] + 1, to, w1, w2, w3, source(v), target(v));
          done[j] = to;
        }
        finished = finished && done[j] == reach(v);
      }
      if (finished) break;
    }
  }
  return target(r);
}

}  // namespace velmora::rows

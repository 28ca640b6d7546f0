// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The design updates of a coefficient row (coefficient_row.h) on the vector unit: the
// portable loops, and for x86-64 processors that have them, loops written for AVX2 and for
// AVX-512. Every kind gives the same rows, bit for bit; tests hold them to it.

namespace velmora::rows {

enum class UpdateKernel { portable, avx2, avx512 };

// Whether this processor runs that kind of kernel (the portable loops run everywhere).
bool kernelRuns(UpdateKernel kind);

// The kind the calculation uses: the widest the processor has, chosen with every other
// function compiled per vector unit (vector_dispatch.h).
UpdateKernel widestKernel();

// The design updates v = 2 .. r of scheme 1:t, from the row after the first comparison in
// `a` (the rest of `a` and all of `b`, positions 1 .. (t - 1) r + 1, zero), with the
// weights w1, w2, w3 of the source positions (w2 for t >= 3, w3 for t = 4). Update v
// writes positions 1 .. t + (t - 1)(v - 1) from the row before it; the rows alternate
// between a and b. Returns the row after the last update (the other buffer holds the one
// before it). Every element is
//   t = 2: w1(m - 1) c(m - 1) + c(m)
//   t = 3: (w1(m - 1) c(m - 1) + c(m)) + w2(m - 2) c(m - 2)
//   t = 4: ((w1(m - 1) c(m - 1) + c(m)) + w2(m - 2) c(m - 2)) + w3(m - 3) c(m - 3)
// of the row before its update. With `tiles` a large row's updates go tile by tile (the
// calculation's way); without, one whole update after another (the tests' reference). A
// kind the processor cannot run falls back to the portable loops.
double* designUpdates(UpdateKernel kind, bool tiles, int t, int r, const double* w1, const double* w2,
                      const double* w3, double* a, double* b);

}  // namespace velmora::rows

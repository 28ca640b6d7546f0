// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one choice of the processor's vector unit: AVX-512, AVX2, or the SSE2 every x86-64
// processor has, made once when the program is loaded (by the resolver GCC emits for
// functions with several versions) and the same for every function below.
//
//   VELMORA_VECTOR_CLONES            a function compiled once per vector width from one
//                                    body (the loops the compiler lays out for the unit)
//   VELMORA_VECTOR_VERSION(unit)     one of the versions of a function written out per unit
//                                    ("default", "avx2", "avx512f"), such as the coefficient
//                                    row's updates (row_kernels.cpp)
//
// Each element's operations and their order are the same in every version, and
// -ffp-contract=off keeps multiplications and additions apart, so the results are the
// same bit for bit.
//
// Only with GCC on x86-64, and not in sanitized builds: the version is chosen while the
// program is loaded, before a sanitizer's runtime is ready for its instrumented code. There
// every function has its one portable version (VELMORA_VECTOR_DISPATCH undefined).

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
#define VELMORA_VECTOR_DISPATCH 1
#define VELMORA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#define VELMORA_VECTOR_VERSION(unit) __attribute__((target(unit)))
#else
#define VELMORA_VECTOR_CLONES
#endif

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Functions compiled once per vector width, the widest the processor has chosen when the
// program starts (AVX-512, AVX2, or the SSE2 every x86-64 processor has). Each element's
// operations and their order are the same in every version, and -ffp-contract=off keeps
// multiplications and additions apart, so the results are the same bit for bit.
//
// Not in sanitized builds: the version is chosen by a resolver that runs while the
// program is loaded, before a sanitizer's runtime is ready for its instrumented code.

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
#define VELMORA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define VELMORA_VECTOR_CLONES
#endif

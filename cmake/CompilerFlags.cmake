# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings for every target of the project, and the floating-point contract of the
# engine: every float32 and float64 rounding point of the calculation is part of its
# result, so no multiply-add may be fused and no value-changing optimisation is allowed.
#
#   VELMORA_WARNINGS_AS_ERRORS  every warning of the project's own code fails the build
#                               (-Werror); the targets link velmora_warnings PRIVATE, so
#                               nothing reaches the code that includes them.
option(VELMORA_WARNINGS_AS_ERRORS "Treat the project's warnings as errors (-Werror)" OFF)

add_library(velmora_warnings INTERFACE)
target_compile_options(velmora_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  # a float silently widened to double, C casts, polymorphic classes deleted through a base
  -Wdouble-promotion -Wold-style-cast -Wnon-virtual-dtor
  $<$<BOOL:${VELMORA_WARNINGS_AS_ERRORS}>:-Werror>)

add_library(velmora_exact_fp INTERFACE)
target_compile_options(velmora_exact_fp INTERFACE -ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$" AND NOT EMSCRIPTEN)
  # x87 registers would keep excess precision between the rounding points. (Emscripten's
  # toolchain names its processor x86 too; WebAssembly rounds every float32 and float64
  # operation to its type, with no multiply-add to fuse into.)
  target_compile_options(velmora_exact_fp INTERFACE -msse2 -mfpmath=sse)
endif()

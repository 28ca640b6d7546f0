# SPDX-License-Identifier: GPL-3.0-or-later
# Sanitized builds and fuzzing instrumentation, for every target of the project.
#
#   VELMORA_SANITIZE   a list for -fsanitize=, such as "address,undefined"; every report
#                      stops the program (-fno-sanitize-recover=all), so a test that
#                      triggers one fails.
#   VELMORA_BUILD_FUZZ libFuzzer coverage instrumentation for every library (clang only);
#                      the fuzz targets themselves link the fuzzer's main.
#
# The engine's floating-point contract (-ffp-contract=off, no fast math) is untouched:
# sanitizers add checks around the arithmetic and never change a rounding point.
set(VELMORA_SANITIZE "" CACHE STRING "Sanitizers for every target, e.g. address,undefined")

if(VELMORA_SANITIZE)
  add_compile_options(-fsanitize=${VELMORA_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${VELMORA_SANITIZE} -fno-sanitize-recover=all)
endif()

if(VELMORA_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VELMORA_BUILD_FUZZ needs clang (libFuzzer): configure with CXX=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# SPDX-License-Identifier: GPL-3.0-or-later
# A precompiled GoogleTest header for the test programs with many files.
#
#   velmora_precompile_gtest(<target>)
#
# Measured with GCC 12 (processor seconds): the header costs about 6 s to build (a 100 MB
# image with -g) and saves about 1 s in each file that uses it, so it pays only in a
# program of many test files (engine_tests, analysis_tests). It was measured for the
# others too and left out: the window tests' header with the toolkit's widgets costs 16 s
# (200 MB) and saves about 1.5 s a file in programs of three to six files, and one header
# shared by all the test programs is refused by GCC, since -Wpedantic, which some of them
# build with, changes a predefined macro (-Winvalid-pch, an error with the warnings as
# errors). What the test files do pay for is code generation (-O2 -g): tests/CMakeLists.txt
# compiles them at -O1.
#
# -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds without it; every file still includes what
# it uses (clang-tidy reads them without it, scripts/tidy.sh).
#
# A unity build of the tests (VELMORA_UNITY_BUILD, tests/CMakeLists.txt) reads the header once
# a program anyway, so it builds none there.
function(velmora_precompile_gtest target)
  get_target_property(unity ${target} UNITY_BUILD)
  if(NOT unity)
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <string> <vector>)
  endif()
endfunction()

# ccache caches a file compiled with a precompiled header only when told that the header's
# macros and time stamps may be taken as they are (its manual, "Precompiled headers").
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "(^|/)ccache$")
  find_program(VELMORA_ENV_PROGRAM env REQUIRED)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${VELMORA_ENV_PROGRAM}" CCACHE_SLOPPINESS=pch_defines,time_macros
      ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

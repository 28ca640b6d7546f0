# SPDX-License-Identifier: GPL-3.0-or-later
# The libraries that read and write the engine's numbers, the same on every build:
#   velmora_fast_float  correctly rounded decimal text to double (fast_float, header only)
#   velmora_fmt         correctly rounded double to fixed decimals ({fmt}, header only)
# The standard library's floating std::from_chars / std::to_chars are not in every C++
# library the engine is built with (the WebAssembly toolchain's has neither), so both builds
# use these instead and read and write the same digits.
#
# A WebAssembly build searches its own sysroot only. Debian installs these headers (and
# nlohmann/json's, tl::expected's and Boost's) under /usr/include, which must not be
# on that build's include path (its C library headers are the host's), so the header folders
# are linked one by one into a folder of the build tree.
if(EMSCRIPTEN)
  set(_velmora_host_headers "${CMAKE_BINARY_DIR}/host-headers")
  file(MAKE_DIRECTORY "${_velmora_host_headers}")
  foreach(_dir fast_float fmt nlohmann tl boost)
    find_path(_velmora_${_dir}_parent NAMES ${_dir} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT _velmora_${_dir}_parent)
      message(FATAL_ERROR "/usr/include/${_dir} is missing (scripts/install-deps.sh installs it)")
    endif()
    file(CREATE_LINK "${_velmora_${_dir}_parent}/${_dir}" "${_velmora_host_headers}/${_dir}" SYMBOLIC)
  endforeach()
  add_library(velmora_host_headers INTERFACE)
  target_include_directories(velmora_host_headers SYSTEM INTERFACE "${_velmora_host_headers}")
  add_library(velmora_fast_float INTERFACE)
  target_link_libraries(velmora_fast_float INTERFACE velmora_host_headers)
  add_library(velmora_fmt INTERFACE)
  target_link_libraries(velmora_fmt INTERFACE velmora_host_headers)
  target_compile_definitions(velmora_fmt INTERFACE FMT_HEADER_ONLY=1)
else()
  find_path(VELMORA_FAST_FLOAT_INCLUDE_DIR fast_float/fast_float.h REQUIRED)
  add_library(velmora_fast_float INTERFACE)
  target_include_directories(velmora_fast_float SYSTEM INTERFACE "${VELMORA_FAST_FLOAT_INCLUDE_DIR}")
  # Header only, so that no program gains a run-time library for a handful of numbers.
  find_package(fmt 9 REQUIRED)
  add_library(velmora_fmt INTERFACE)
  target_link_libraries(velmora_fmt INTERFACE fmt::fmt-header-only)
endif()

# tl::expected (header only): Expected<T>, the one way to return a value or a Problem,
# on every build (the WebAssembly toolchain's C++ library has no std::expected).
find_path(VELMORA_EXPECTED_INCLUDE_DIR tl/expected.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VELMORA_EXPECTED_INCLUDE_DIR)
  message(FATAL_ERROR "tl/expected.hpp is missing (scripts/install-deps.sh installs libexpected-dev)")
endif()
add_library(velmora_expected INTERFACE)
if(EMSCRIPTEN)
  target_link_libraries(velmora_expected INTERFACE velmora_host_headers)
else()
  target_include_directories(velmora_expected SYSTEM INTERFACE "${VELMORA_EXPECTED_INCLUDE_DIR}")
endif()

# nlohmann/json (header only): the records' json. The WebAssembly build takes Debian's
# headers through the host-headers folder above, as it does fast_float's and fmt's.
add_library(velmora_json INTERFACE)
if(EMSCRIPTEN)
  target_link_libraries(velmora_json INTERFACE velmora_host_headers)
else()
  find_package(nlohmann_json 3 REQUIRED)
  target_link_libraries(velmora_json INTERFACE nlohmann_json::nlohmann_json)
endif()

# Boost.Math and Boost.Multiprecision (header only): the exact tools' arithmetic. The
# WebAssembly build takes Debian's boost/ folder alone through the host-headers folder.
add_library(velmora_boost INTERFACE)
if(EMSCRIPTEN)
  target_link_libraries(velmora_boost INTERFACE velmora_host_headers)
  # Boost.Multiprecision takes 64-bit limbs wherever the compiler has a 128-bit integer, and
  # WebAssembly's is software: its products and above all its divisions (__multi3,
  # __udivmodti4) took half the time of a heavy audit's 50-digit steps. Without the
  # compiler's announcement of that type Boost takes 32-bit limbs, whose products and
  # divisions are WebAssembly's own 64-bit instructions. The values are the same: a
  # cpp_int is exact, and a cpp_bin_float rounds to its bit count whatever its limbs. Every
  # target that includes Boost gets the same limbs (this is the interface of its headers).
  target_compile_options(velmora_boost INTERFACE -U__SIZEOF_INT128__)
else()
  find_package(Boost REQUIRED)
  target_link_libraries(velmora_boost INTERFACE Boost::headers)
endif()

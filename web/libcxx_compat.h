// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the WebAssembly toolchain's C++ library (Debian's Emscripten ships libc++ 13) lacks of
// the C++20 library the engine uses, given to every source of that build (-include).
//
// std::bit_cast arrived in libc++ 14. The compiler's builtin is how every library implements
// it, so this is the standard function itself, not an imitation; it disappears once the
// library has its own.
#include <version>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000 && !defined(__cpp_lib_bit_cast)
#include <type_traits>
namespace std {
template <class To, class From>
  requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
[[nodiscard]] constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

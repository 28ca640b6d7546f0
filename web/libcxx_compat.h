// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the WebAssembly toolchain's C++ library (Debian's Emscripten ships libc++ 13) lacks of
// the C++20 library the engine uses, given to every source of that build (-include).
//
// std::bit_cast arrived in libc++ 14; the floating std::to_chars later still (libc++ 13 has
// only the chars_format enumeration). The compiler's builtin is how every library implements
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

// std::to_chars of a floating value with a format and a precision is defined as printf's
// %.<precision> conversion in the "C" locale, and WebAssembly has no other locale: this is
// that conversion (musl's printf, exact for every long double), for the one form the exact
// tools write (chars_format::general, printf's %g). Any other form fails with
// errc::not_supported, so a new use shows at once rather than writing other digits.
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
#include <charconv>
#include <cstdio>
#include <system_error>
namespace std {
inline to_chars_result to_chars(char* first, char* last, long double value, chars_format format, int precision) {
  if (format != chars_format::general) return {last, errc::not_supported};
  const auto size = last - first;
  const int written = snprintf(first, static_cast<size_t>(size), "%.*Lg", precision, value);
  if (written < 0 || written >= size) return {last, errc::value_too_large};
  return {first + written, errc()};
}
inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
  if (format != chars_format::general) return {last, errc::not_supported};
  const auto size = last - first;
  const int written = snprintf(first, static_cast<size_t>(size), "%.*g", precision, value);
  if (written < 0 || written >= size) return {last, errc::value_too_large};
  return {first + written, errc()};
}
}  // namespace std
#endif

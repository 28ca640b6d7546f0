// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conditions the calculation proves before it relies on them. A broken one is a fault of
// the program, never of the input: it stops the program with the condition and its place
// instead of letting a number that cannot be right reach a caption or a decision. The
// check stays on in every build (it costs a comparison), so a release build cannot
// quietly show what a debug build would have refused. (File and line come from the
// preprocessor: the fuzzing compiler's library has no std::source_location.)

#include <optional>

namespace velmora {

[[noreturn]] void contractViolated(const char* condition, const char* file, int line);

// The value of a conversion that cannot fail here (its argument is proven in range).
template <class T>
[[nodiscard]] T inRangeAt(std::optional<T> value, const char* file, int line) {
  if (!value) contractViolated("conversion in range", file, line);
  return *value;
}

}  // namespace velmora

#define VELMORA_IN_RANGE(value) ::velmora::inRangeAt((value), __FILE__, __LINE__)

#define VELMORA_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) : ::velmora::contractViolated(#condition, __FILE__, __LINE__))

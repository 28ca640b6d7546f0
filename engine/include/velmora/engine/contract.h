// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conditions the calculation proves before it relies on them. A broken one is a fault of
// the program, never of the input: it stops the program with the condition and its place
// instead of letting a number that cannot be right reach a caption or a decision. The
// check stays on in every build (it costs a comparison), so a release build cannot
// quietly show what a debug build would have refused.

#include <optional>
#include <source_location>

namespace velmora {

[[noreturn]] void ContractViolated(const char* condition, std::source_location where);

// The value of a conversion that cannot fail here (its argument is proven in range).
template <class T>
[[nodiscard]] T Expected(std::optional<T> value,
                         std::source_location where = std::source_location::current()) {
  if (!value) ContractViolated("conversion in range", where);
  return *value;
}

}  // namespace velmora

#define VELMORA_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) \
               : ::velmora::ContractViolated(#condition, std::source_location::current()))

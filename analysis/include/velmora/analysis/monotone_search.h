// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one search of the exact tools over a monotone condition: the exact CFP of a scheme
// rises with the rank and falls with the background size, so "meets the DCFP" holds on a
// run of ranks from 1 and on a run of sizes up to the largest. Each condition costs an
// exact CFP, so the search starts where the answer is expected, gallops away from it in
// doubling steps until the condition changes, and bisects the last step.

#include <algorithm>
#include <optional>

namespace velmora::analysis {

// The last value in [low, high] at which holds() is true, given that it is true on
// [low, b] and false above b for some b; none when it holds nowhere. The search starts
// at hint (clamped to the range): from a hint next to the answer it takes a few
// evaluations, from anywhere at most about twice the logarithm of the range.
template <class Holds>
[[nodiscard]] std::optional<int> lastHolding(int low, int high, int hint, Holds&& holds) {
  if (high < low) return std::nullopt;
  hint = std::clamp(hint, low, high);
  int holding = low - 1;  // a value known to hold (low - 1: none known)
  int failing = high + 1; // a value known to fail (high + 1: none known)
  if (holds(hint)) {
    holding = hint;
    for (int step = 1; holding < high; step *= 2) {
      const int candidate = high - holding > step ? holding + step : high;
      if (!holds(candidate)) {
        failing = candidate;
        break;
      }
      holding = candidate;
    }
    if (failing > high) return holding;  // holds at high
  } else {
    failing = hint;
    for (int step = 1; holding < low; step *= 2) {
      if (failing == low) return std::nullopt;
      const int candidate = failing - low > step ? failing - step : low;
      if (holds(candidate)) {
        holding = candidate;
      } else {
        failing = candidate;
      }
    }
  }
  while (failing - holding > 1) {
    const int middle = holding + (failing - holding) / 2;
    if (holds(middle)) {
      holding = middle;
    } else {
      failing = middle;
    }
  }
  return holding;
}

}  // namespace velmora::analysis

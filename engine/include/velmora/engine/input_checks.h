// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chain of checks that the four input texts pass before a run.

#include <array>
#include <optional>
#include <string>

#include "velmora/engine/inputs.h"

namespace velmora {

// A refused input: the warning box to show and the box that takes the focus.
struct Refusal {
  int step = 0;                       // 1..7 for the checks, 8 for the size limit of a run
  std::string title;                  // "Entry Error"
  std::array<std::string, 2> lines;   // the two lines of the message
  InputBox focus = InputBox::txtAL;   // the box that gets the focus afterwards
};

inline constexpr const char* kEntryErrorTitle = "Entry Error";

// Runs the checks in their fixed order and returns the first refusal, or nothing when
// all four texts are accepted. Besides the seven checks of the input boxes, a run whose
// n + 4r would exceed 32767 is refused here, before anything changes.
[[nodiscard]] std::optional<Refusal> CheckInputs(const InputTexts& texts);

}  // namespace velmora

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chain of checks that the four input texts pass before a run.

#include "velmora/engine/inputs.h"
#include "velmora/engine/problem.h"

namespace velmora {

inline constexpr const char* kEntryErrorTitle = "Entry Error";

// Runs the checks in their fixed order and gives the first refusal, or nothing when all
// four texts are accepted. Besides the seven checks of the input boxes, a run whose
// n + 4r would exceed 32767 is refused here, before anything changes. A refusal is a
// Problem of kind refusedCase with the warning box to show (title kEntryErrorTitle and
// the message's two lines), the box that takes the focus afterwards, and the number of the
// check that refused (1..7 for the boxes, 8 for the size limit of a run).
[[nodiscard]] Expected<void> CheckInputs(const InputTexts& texts);

}  // namespace velmora

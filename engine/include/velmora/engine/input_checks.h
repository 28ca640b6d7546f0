// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chain of checks that the four input texts pass before a run.

#include <array>
#include <optional>
#include <string>

namespace velmora {

// The four input texts, named after the boxes that hold them.
struct InputTexts {
  std::string txtAL;    // design cumulative false-positive error (DCFP)
  std::string txtN;     // background sample size n
  std::string txtR;     // number of comparisons r
  std::string txtMDET;  // minimum allowable inverse rank j
};

enum class InputBox { txtAL, txtN, txtR, txtMDET };

// The name of a box as the window names it ("txtAL", ...).
[[nodiscard]] const char* InputBoxName(InputBox box);

// The caption the window shows beside a box, "Design Cum. False Positive Error (DCFP):" and
// so on; the rank box's caption comes without the window's footnote mark (" * ").
[[nodiscard]] const char* InputBoxCaption(InputBox box);
// The rank box's caption with the footnote mark, as the window shows it.
inline constexpr const char* kRankBoxCaptionWithFootnote = "Minimum allowable rank value [j] * :";

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

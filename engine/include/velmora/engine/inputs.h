// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calculator's four input boxes: their texts, their names and their captions.

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
[[nodiscard]] const char* inputBoxName(InputBox box);

// The caption the window shows beside a box, "Design Cum. False Positive Error (DCFP):" and
// so on; the rank box's caption comes without the window's footnote mark (" * ").
[[nodiscard]] const char* inputBoxCaption(InputBox box);
// The rank box's caption with the footnote mark, as the window shows it.
inline constexpr const char* kRankBoxCaptionWithFootnote = "Minimum allowable rank value [j] * :";

}  // namespace velmora

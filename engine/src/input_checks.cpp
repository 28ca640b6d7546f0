// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/engine/input_checks.h"

#include <utility>

#include "velmora/engine/limits.h"
#include "velmora/engine/numbers.h"

namespace velmora {
namespace {

tl::unexpected<Problem> refuse(int check, const char* line1, const char* line2, InputBox focus) {
  Problem problem(ProblemKind::refusedCase, {line1, line2});
  problem.title = kEntryErrorTitle;
  problem.box = focus;
  problem.check = check;
  return fail(std::move(problem));
}

// The whole-number test: the value converted to int16 (halves to even) must equal it.
// A value that cannot be held as an int16 cannot pass the test, so it is refused by the
// step that applies it, like any other value that is not a usable whole number.
bool isWholeInt16(double x) {
  const auto whole = toInt16(x);
  return whole.has_value() && x - *whole == 0.0;
}

// The value of a box for the steps that look at it. A number beyond the float64 range
// (such as 1e400) is refused by the first step that looks at the box's value.
bool usableValue(const NumericReading& reading) { return reading.inRange; }

constexpr const char* kSizeLine1 = "The background size input must be numeric,";
constexpr const char* kCountLine1 = "The number of comparisons input must be numeric,";
constexpr const char* kRankLine1 = "The inverse ranking input must be numeric,";
constexpr const char* kAboveZero = "and an integer value greater than zero.";

}  // namespace

const char* inputBoxName(InputBox box) {
  switch (box) {
    case InputBox::txtAL: return "txtAL";
    case InputBox::txtN: return "txtN";
    case InputBox::txtR: return "txtR";
    case InputBox::txtMDET: return "txtMDET";
  }
  return "txtAL";
}

const char* inputBoxCaption(InputBox box) {
  switch (box) {
    case InputBox::txtAL: return "Design Cum. False Positive Error (DCFP):";
    case InputBox::txtN: return "Background sample size [n]:";
    case InputBox::txtR: return "Number of comparisons to same bkgd. [r]:";
    case InputBox::txtMDET: return "Minimum allowable rank value [j]:";
  }
  return "";
}

Expected<void> CheckInputs(const InputTexts& texts) {
  // Step 1 looks at three boxes only: an empty rank box is refused by step 7.
  if (texts.txtR.empty() || texts.txtN.empty() || texts.txtAL.empty()) {
    return refuse(1, "You must input values for all four of the user inputs",
                  "prior to clicking the Calculate button.", InputBox::txtAL);
  }

  const NumericReading dcfp = readNumericValue(texts.txtAL);
  if (!isNumeric(texts.txtAL) || !usableValue(dcfp) || dcfp.value <= 0.0 || dcfp.value > 1.0) {
    return refuse(2, "The DCFP error input must be numeric,",
                  "greater than zero and less than or equal to 1.", InputBox::txtAL);
  }

  const NumericReading n = readNumericValue(texts.txtN);
  if (!isNumeric(texts.txtN) || !usableValue(n) || n.value <= 1.0) {
    return refuse(3, kSizeLine1, "and an integer value greater than one.", InputBox::txtN);
  }
  if (n.value <= 0.0 || !isWholeInt16(n.value)) {
    return refuse(4, kSizeLine1, kAboveZero, InputBox::txtN);
  }

  if (!isNumeric(texts.txtR)) {
    return refuse(5, kCountLine1, kAboveZero, InputBox::txtR);
  }
  const NumericReading r = readNumericValue(texts.txtR);
  if (!usableValue(r) || r.value <= 0.0 || !isWholeInt16(r.value)) {
    return refuse(6, kCountLine1, kAboveZero, InputBox::txtR);
  }

  // A refused rank sends the focus to the n box: leaving it refills the rank box with
  // the default.
  const NumericReading j = readNumericValue(texts.txtMDET);
  if (!isNumeric(texts.txtMDET) || !usableValue(j) || j.value <= 0.0 || !isWholeInt16(j.value)) {
    return refuse(7, kRankLine1, kAboveZero, InputBox::txtN);
  }

  // The searches form n + 4r; a run whose sum would not fit is refused before anything
  // changes, rather than stopped half way.
  const int wholeN = *toInt16(n.value);
  const int wholeR = *toInt16(r.value);
  if (wholeN + 4 * wholeR > kMaxBackgroundPlusFourComparisons) {
    return refuse(8, "The background size plus four times the number of comparisons",
                  "must not exceed 32767.", InputBox::txtR);
  }
  return {};
}

}  // namespace velmora

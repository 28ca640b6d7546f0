// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the check chain and the run on four arbitrary box texts.
//
// The input is split into the four texts at '|' (see SplitFour). A refused input must
// come with a well-formed refusal and leave the record exactly as it was; an accepted
// input must give 32 well-formed captions, the same on a second run. Accepted runs whose
// work estimate exceeds kWorkBound ((min(j, n) + 1) x r x r x 6 above 1 000 000) are skipped after the
// check chain, so that every input finishes well under a second.

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_common.h"
#include "outcome_invariants.h"
#include "record_compare.h"
#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/calculation.h"

namespace {

// A record that has completed one ordinary run, so that "unchanged" is tested against a
// record full of values rather than a cleared one.
const velmora::Calculation& filledRecord() {
  static const velmora::Calculation kFilled = [] {
    velmora::Calculation calculation;
    static_cast<void>(calculation.calculate({"0.05", "30", "5", "30"}));
    return calculation;
  }();
  return kFilled;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  const InputTexts texts = fuzz::splitFour(std::string_view(reinterpret_cast<const char*>(data), size));

  const Expected<void> checked = CheckInputs(texts);
  if (!checked) {
    if (const std::string problem = reliability::checkRefusal(checked.error()); !problem.empty()) fuzz::fail(problem, texts);
    Calculation calculation = filledRecord();
    const Expected<CalculationResult> outcome = calculation.calculate(texts);
    if (outcome || outcome.error().check != checked.error().check) fuzz::fail("Calculate disagrees with CheckInputs", texts);
    if (const char* field = testsupport::firstDifference(CalculationSeam::state(calculation), CalculationSeam::state(filledRecord()))) {
      fuzz::fail(std::string("a refusal changed the record: ") + field, texts);
    }
    return 0;
  }

  const reliability::RunSizes sizes = fuzz::sizesOf(texts);
  if (sizes.n < 2 || sizes.r < 1 || sizes.j < 1 || sizes.n + 4 * sizes.r > 32767) {
    fuzz::fail("the check chain accepted sizes outside the domain", texts);
  }
  if (fuzz::workEstimate(sizes) > fuzz::kWorkBound) return 0;

  Calculation calculation;
  const Expected<CalculationResult> first = calculation.calculate(texts);
  if (!first) fuzz::fail("Calculate refused texts that the checks accepted", texts);
  if (const std::string problem = reliability::checkCaptions(first->captions, sizes); !problem.empty()) {
    fuzz::fail(problem, texts);
  }
  const Expected<CalculationResult> second = calculation.calculate(texts);
  if (!second || testsupport::allCaptions(second->captions) != testsupport::allCaptions(first->captions)) {
    fuzz::fail("a second run gave other captions", texts);
  }
  return 0;
}

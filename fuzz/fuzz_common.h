// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the fuzz targets: splitting an input into the four box texts, and
// the work bound that keeps every input well under a second.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "outcome_invariants.h"
#include "velmora/engine/input_checks.h"
#include "velmora/engine/numbers.h"

namespace velmora::fuzz {

// The four texts are separated by '|', a character none of the boxes reads as part of a
// number: "0.05|20|10|20". Missing texts are empty; bytes after a fourth '|' belong to
// the rank text.
inline InputTexts splitFour(std::string_view data) {
  InputTexts texts;
  std::string* parts[4] = {&texts.txtAL, &texts.txtN, &texts.txtR, &texts.txtMDET};
  for (int i = 0; i < 3; ++i) {
    const std::size_t bar = data.find('|');
    if (bar == std::string_view::npos) {
      *parts[i] = std::string(data);
      return texts;
    }
    *parts[i] = std::string(data.substr(0, bar));
    data.remove_prefix(bar + 1);
  }
  texts.txtMDET = std::string(data);
  return texts;
}

// The sizes of a run whose texts the check chain has accepted, as the run reads them.
inline reliability::RunSizes sizesOf(const InputTexts& texts) {
  reliability::RunSizes sizes;
  sizes.n = toInt16(numericValue(texts.txtN)).value_or(0);
  sizes.r = toInt16(numericValue(texts.txtR)).value_or(0);
  sizes.j = toInt16(numericValue(texts.txtMDET)).value_or(0);
  sizes.dcfp = numericValue(texts.txtAL);
  return sizes;
}

// The work bound. The 1:2 to 1:4 searches walk the candidate ranks up to min(j, n), and
// for each candidate scheme 1:t rebuilds a coefficient row over r comparisons of up to
// (t - 1)(r - 1) + 1 positions, so a run costs about
//     (min(j, n) + 1) x r x r x 6      steps (6 = 1 + 2 + 3 for the three retest schemes).
// Measured with AddressSanitizer and UndefinedBehaviorSanitizer, a step takes up to about
// 40 ns (n = 10, r = 410, j = 2: 3e6 steps, 0.12 s a run, on the float64 fallback path).
// Runs estimated above 1 000 000 steps are skipped after the check chain, so that an
// input (two runs) costs at most about a tenth of a second of processor time, well
// under a second even on a busy machine. The skipped sizes are still checked by the
// check chain, and the domain-limit tests run the large cheap cases (n + 4r = 32767 with
// r = 1, every rank passing up to n = 32763).
inline constexpr long kWorkBound = 1000000;

inline long workEstimate(const reliability::RunSizes& sizes) {
  const long ranks = std::min(sizes.j, sizes.n) + 1L;
  const long r = std::max(sizes.r, 1);
  return ranks * r * r * 6;
}

// Stops the fuzzer with a readable message: libFuzzer records the input as a crash.
[[noreturn]] inline void fail(const std::string& what, const InputTexts& texts) {
  std::fprintf(stderr, "invariant violated: %s\n  texts: [%s] [%s] [%s] [%s]\n", what.c_str(), texts.txtAL.c_str(),
               texts.txtN.c_str(), texts.txtR.c_str(), texts.txtMDET.c_str());
  std::abort();
}

}  // namespace velmora::fuzz

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The retest strategies of detection monitoring, defined once: which values a comparison
// takes and when it is decided. Everything else about a strategy (its false-positive error,
// expected samples and power, the verdict of a well's values) follows from decide().
//
// A comparison judges the values of one compliance point, taken one after another until the
// decision is certain. Each *unit* passes when it is at or below the limit: a unit is a
// single value, or with /median-B the median of B new values (it passes when at least
// (B + 1) / 2 of them pass).
//
//   K-of-M               up to M units; passes as soon as K have passed, fails as soon as
//                        M - K + 1 have failed (1 <= K <= M <= 8). 1-of-T is the
//                        calculator's scheme 1:T, and "1:T" is read as another name of it.
//   california-M         passes when its first unit passes; otherwise takes M - 1 more and
//                        passes only when all of them pass, failing at the first that fails
//                        (2 <= M <= 8). california-2 is 1-of-2.
//   modified-california  passes when its first unit passes; otherwise takes up to 3 more and
//                        passes when 2 of those 3 pass, fails when 2 of them fail (the first
//                        unit does not count among them). At most 4 units.
//   .../median-B         every unit the median of B values (B odd, 3 <= B <= 9).
//
// Names are read case-insensitively with blanks ignored; canonicalName() gives the one
// spelling every output uses ("1-of-2", "california-3", "1-of-2/median-3").

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/engine/problem.h"

namespace velmora::analysis {

inline constexpr int kMaxStrategyUnits = 8;
inline constexpr int kMaxMedianSize = 9;

enum class Decision { pass, fail, undecided };

struct Strategy {
  enum class Kind { kOfM, california, modifiedCalifornia };
  Kind kind = Kind::kOfM;
  int passesNeeded = 1;  // K of K-of-M (1 for the others)
  int units = 1;         // M: the most units the comparison can take (4 for modified California)
  int median = 1;        // B: values per unit (1: single values)

  // The decision after the outcomes of the units taken so far, in order (true: the unit
  // passed). undecided means the comparison takes another unit. Outcomes past the point
  // where the comparison was decided are never looked at.
  [[nodiscard]] Decision decide(std::span<const bool> unitPassed) const;

  // "1-of-2", "2-of-3", "california-3", "modified-california", "1-of-2/median-3".
  [[nodiscard]] std::string canonicalName() const;

  // The calculator's scheme 1:t that this strategy is (t), none when it is no scheme of the
  // calculator's.
  [[nodiscard]] std::optional<int> scheme() const;

  // Whether a unit passes when `passedValues` of its `median` values pass.
  [[nodiscard]] bool unitPasses(int passedValues) const { return 2 * passedValues > median; }

  friend bool operator==(const Strategy&, const Strategy&) = default;
};

// A strategy by name (refusedRequest with the grammar when the name is not one).
[[nodiscard]] Expected<Strategy> parseStrategy(std::string_view name);

// Names separated by commas; an empty list is refused.
[[nodiscard]] Expected<std::vector<Strategy>> parseStrategyList(std::string_view names);

// The strategies compared when none are named: 1-of-1 .. 1-of-4, 2-of-3, 2-of-4, 3-of-4,
// california-3, california-4, modified-california, 1-of-1/median-3, 1-of-2/median-3.
[[nodiscard]] std::vector<Strategy> defaultStrategies();

// The grammar of the names, for messages and help texts.
[[nodiscard]] std::string strategyGrammar();

}  // namespace velmora::analysis

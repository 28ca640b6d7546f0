// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From monitoring data to the limit and each compliance well's verdict.
//
// The limit. The background values of a constituent are ordered from the largest down; a
// non-detect counts as its reporting limit (RL) and stands below a detected value equal to
// it; values that tie count one by one. The limit is the k-th of them (k the inverse rank).
// When every background value is a non-detect, the limit is the largest RL, with a warning
// (the design's rank and CFP no longer hold).
//
// A value against the limit. A detected value passes when it is at or below the limit; a
// non-detect passes when its RL is at or below the limit, and cannot be judged when its RL
// is above it (the value could lie on either side).
//
// A well's verdict. Its values, in event order, are taken unit by unit as the strategy
// says (a unit is one value, or with /median-B the next B values) and the outcomes go
// through Strategy::decide(). A median unit is judged as soon as the values it has decide
// it (a majority at or below the limit, or a majority above), whatever the others are. The
// play ends when decide() decides (pass, fail), when a unit cannot be judged even with all
// its values (undetermined), or when the values run out (resample needed).

#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "velmora/analysis/decimal.h"
#include "velmora/analysis/strategy.h"
#include "velmora/engine/problem.h"

namespace velmora::analysis {

// When a value was sampled. The events of one well are all whole numbers or all dates.
struct SamplingEvent {
  enum class Kind : std::uint8_t { number, date };
  Kind kind = Kind::number;
  std::uint64_t key = 0;  // the number, or the date as YYYYMMDD

  friend auto operator<=>(const SamplingEvent&, const SamplingEvent&) = default;
};

// "3", or "2021-04-07".
[[nodiscard]] std::string eventText(const SamplingEvent& event);

// One value of a monitoring file.
struct Measurement {
  Decimal value;           // the detected value, or the non-detect's reporting limit
  bool nonDetect = false;  // written "<RL" or "ND<RL"
  SamplingEvent event;
  std::size_t line = 0;    // the file line it stands on, from 1
  std::string text;        // the value as it stood in the file: outputs show this text
};

// A well's values, in event order.
struct WellValues {
  std::string well;
  std::vector<Measurement> values;
};

// Everything a file holds on one constituent.
struct ConstituentData {
  std::string name;  // empty when the file has no constituent column
  std::string unit;  // empty when the file gives none
  std::vector<WellValues> background;
  std::vector<WellValues> compliance;
};

// A background value: which well, which of its values.
struct BackgroundEntry {
  std::uint32_t well = 0;
  std::uint32_t value = 0;
};

struct BackgroundLimit {
  std::size_t n = 0;  // background values
  int rank = 0;       // the inverse rank asked for
  // Every background value, largest first, as the limit counts them (ties in file order).
  std::vector<BackgroundEntry> order;
  // The position in `order` of the value taken as the limit: rank - 1, or 0 when every
  // value is a non-detect.
  std::size_t position = 0;
  Decimal limit;
  std::string limitText;          // the limit's value as it stood in the file ("<.2" for an RL)
  bool isReportingLimit = false;  // the limit is a non-detect's RL, not a detected value
  bool allNonDetects = false;
  std::string warning;  // what the output must say about the limit (empty for none)
};

// The limit of a constituent's background at an inverse rank. Refused: an empty background
// (unreadableData), a rank below 1 or above the number of background values (refusedRequest).
[[nodiscard]] Expected<BackgroundLimit> backgroundLimit(const ConstituentData& data, int rank);

// A value against the limit.
enum class Judgement { pass, fail, unknown };
[[nodiscard]] Judgement judge(const Measurement& value, const Decimal& limit);

enum class Verdict { pass, fail, resampleNeeded, undetermined };
// "pass", "fail", "resample needed", "undetermined".
[[nodiscard]] const char* verdictName(Verdict verdict);

// One unit as it was played: the values it took and its outcome.
struct PlayedUnit {
  std::size_t first = 0;  // index of its first value among the well's values
  std::size_t count = 0;  // values it took (fewer than B only at the end of the well's values)
  Judgement outcome = Judgement::unknown;  // unknown: its values cannot judge it (yet)
};

struct WellVerdict {
  Verdict verdict = Verdict::resampleNeeded;
  // The first `valuesUsed` values of the well, in event order, are the ones played; the
  // others are not used.
  std::size_t valuesUsed = 0;
  std::vector<PlayedUnit> units;
  // The values that decided a pass (the passing units') or confirmed a fail (the failing
  // units'), as indexes among the well's values.
  std::vector<std::size_t> deciding;
  // resampleNeeded: the fewest and the most values more that the strategy may take.
  int fewestMoreValues = 0;
  int mostMoreValues = 0;
  std::string reason;  // one sentence, the values as they stood in the file
};

// The verdict of one well's values (in event order) against the limit.
[[nodiscard]] WellVerdict playWell(const Strategy& strategy, std::span<const Measurement> values,
                                   const BackgroundLimit& limit);

struct ConstituentEvaluation {
  BackgroundLimit limit;
  std::vector<WellVerdict> wells;  // in the order of ConstituentData::compliance
};

// The limit and every compliance well's verdict. Refused as backgroundLimit() refuses, and
// a compliance well without values (unreadableData).
[[nodiscard]] Expected<ConstituentEvaluation> evaluateConstituent(const ConstituentData& data,
                                                                  const Strategy& strategy, int rank);

// The rules above as a paragraph for a report, with where they may differ from common
// practice.
[[nodiscard]] std::string verdictMethodText();

}  // namespace velmora::analysis

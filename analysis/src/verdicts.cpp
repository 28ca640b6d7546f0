// SPDX-License-Identifier: GPL-3.0-or-later
// The limit of a background data set and each compliance well's verdict.
#include "velmora/analysis/verdicts.h"

#include <algorithm>
#include <array>
#include <limits>

#include "request_values.h"
#include "velmora/engine/detail/contract.h"

namespace velmora::analysis {

namespace {

using detail::withoutBlanks;

// The value's text for a sentence: blanks around it left out.
std::string shown(const Measurement& value) { return std::string(withoutBlanks(value.text)); }

// The reporting limit's own digits of a non-detect ("<.2" -> ".2", "ND< 0.2" -> "0.2").
std::string reportingLimitText(const Measurement& value) {
  const std::string_view text = value.text;
  const std::size_t less = text.find('<');
  return std::string(withoutBlanks(less == std::string_view::npos ? text : text.substr(less + 1)));
}

const Measurement& valueAt(const ConstituentData& data, const BackgroundEntry& entry) {
  return data.background[entry.well].values[entry.value];
}

// "1st", "2nd", "3rd", "4th", ..., "11th", "12th", "13th", "21st".
std::string ordinal(std::size_t number) {
  const std::size_t lastTwo = number % 100;
  const std::size_t last = number % 10;
  const char* suffix = (lastTwo >= 11 && lastTwo <= 13) ? "th"
                       : last == 1                       ? "st"
                       : last == 2                       ? "nd"
                       : last == 3                       ? "rd"
                                                         : "th";
  return std::to_string(number) + suffix;
}

// "a", "a and b", "a, b and c".
std::string listText(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? " and " : ", ";
    out += items[i];
  }
  return out;
}

const char* judgementText(Judgement judgement) {
  switch (judgement) {
    case Judgement::pass: return "at or below";
    case Judgement::fail: return "above";
    case Judgement::unknown: return "cannot be judged";
  }
  return "";
}

// The fewest and the most further units the strategy may take, from `taken` outcomes that
// leave it undecided, over every sequence of outcomes still possible (at most 2^8).
void futureUnits(const Strategy& strategy, std::array<bool, kMaxStrategyUnits>& outcomes, int taken, int depth,
                 int& fewest, int& most) {
  for (const bool outcome : {true, false}) {
    outcomes[static_cast<std::size_t>(taken)] = outcome;
    const Decision decision = strategy.decide(std::span<const bool>(outcomes.data(), static_cast<std::size_t>(taken) + 1));
    if (decision != Decision::undecided || taken + 1 >= strategy.units) {
      fewest = std::min(fewest, depth + 1);
      most = std::max(most, depth + 1);
    } else {
      futureUnits(strategy, outcomes, taken + 1, depth + 1, fewest, most);
    }
  }
}

// One unit for the sentence: "0.36 above", or with medians
// "(0.36, 0.41, 0.28) median 0.36 above" / "(0.36, <.5, 0.2) cannot be judged: ...".
std::string unitText(const Strategy& strategy, std::span<const Measurement> values, const PlayedUnit& unit,
                     const Decimal& limit) {
  if (strategy.median == 1) return shown(values[unit.first]) + " " + judgementText(unit.outcome);
  std::vector<std::string> texts;
  int passed = 0;
  int failed = 0;
  bool allDetected = true;
  for (std::size_t i = unit.first; i < unit.first + unit.count; ++i) {
    texts.push_back(shown(values[i]));
    const Judgement judgement = judge(values[i], limit);
    passed += judgement == Judgement::pass ? 1 : 0;
    failed += judgement == Judgement::fail ? 1 : 0;
    allDetected = allDetected && !values[i].nonDetect;
  }
  const int missing = strategy.median - static_cast<int>(unit.count);
  if (missing > 0) texts.push_back((missing == 1 ? "1 value" : std::to_string(missing) + " values") + std::string(" to come"));
  std::string out = "(";
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i == 0 ? "" : ", ") + texts[i];
  out += ")";
  if (allDetected && missing == 0) {
    // The median of detected values is one of them: the middle one in order.
    std::vector<std::size_t> order;
    for (std::size_t i = unit.first; i < unit.first + unit.count; ++i) order.push_back(i);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return values[a].value < values[b].value; });
    return out + " median " + shown(values[order[order.size() / 2]]) + " " + judgementText(unit.outcome);
  }
  // With non-detects or values to come the median may not be known, but the count is.
  out += ": " + std::to_string(passed) + " of " + std::to_string(strategy.median) + " at or below, " +
         std::to_string(failed) + " above";
  return unit.outcome == Judgement::unknown ? out + ", cannot be judged" : out;
}

std::string reasonText(const Strategy& strategy, std::span<const Measurement> values, const BackgroundLimit& limit,
                       const WellVerdict& verdict) {
  std::string out = "Against the limit " + limit.limitText + (verdict.units.empty() ? " (no value yet)" : ":");
  for (std::size_t u = 0; u < verdict.units.size(); ++u) {
    out += (u == 0 ? " " : ", ") + unitText(strategy, values, verdict.units[u], limit.limit);
  }
  std::vector<std::string> deciding;
  for (const std::size_t i : verdict.deciding) deciding.push_back(shown(values[i]));
  const std::string name = strategy.canonicalName();
  const std::string unitWord = strategy.median == 1 ? "value" : "unit";
  // With medians the deciding units are told by their place (their values are listed above).
  std::vector<std::string> decidingUnits;
  for (std::size_t u = 0; u < verdict.units.size(); ++u) {
    const Judgement wanted = verdict.verdict == Verdict::pass ? Judgement::pass : Judgement::fail;
    if (verdict.units[u].outcome == wanted) decidingUnits.push_back(ordinal(u + 1));
  }
  const std::string units = listText(decidingUnits) + (decidingUnits.size() == 1 ? " unit" : " units");
  switch (verdict.verdict) {
    case Verdict::pass:
      return out + "; passes (" + name + ") on its " + ordinal(verdict.units.size()) + " " + unitWord +
             (strategy.median == 1       ? ", decided by " + listText(deciding)
              : decidingUnits.size() > 1 ? ", decided by its " + units
                                         : std::string()) +
             ".";
    case Verdict::fail:
      return out + "; fails (" + name + "): a confirmed exceedance, " +
             (strategy.median == 1 ? listText(deciding) : "its " + units) + " above the limit.";
    case Verdict::resampleNeeded: {
      const auto more = [](int count) { return count == 1 ? std::string("1 more value") : std::to_string(count) + " more values"; };
      const std::string needed = verdict.fewestMoreValues == verdict.mostMoreValues
                                     ? more(verdict.fewestMoreValues)
                                     : std::to_string(verdict.fewestMoreValues) + " to " + more(verdict.mostMoreValues);
      return out + "; not yet decided (" + name + "): " + needed + " needed.";
    }
    case Verdict::undetermined:
      return out + "; undetermined (" + name + "): the play stops at the " + ordinal(verdict.units.size()) + " " +
             unitWord +
             (strategy.median == 1 ? ", a non-detect whose reporting limit is above the limit, so that it may lie on "
                                     "either side of it."
                                   : ", which its non-detects with a reporting limit above the limit leave undecided.");
  }
  return out;
}

}  // namespace

std::string eventText(const SamplingEvent& event) {
  if (event.kind == SamplingEvent::Kind::number) return std::to_string(event.key);
  const std::string digits = std::to_string(event.key);  // YYYYMMDD, the year from 0001 on
  const std::string padded = std::string(8 - std::min<std::size_t>(8, digits.size()), '0') + digits;
  return padded.substr(0, 4) + "-" + padded.substr(4, 2) + "-" + padded.substr(6, 2);
}

Judgement judge(const Measurement& value, const Decimal& limit) {
  if (value.value <= limit) return Judgement::pass;
  return value.nonDetect ? Judgement::unknown : Judgement::fail;
}

const char* verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::pass: return "pass";
    case Verdict::fail: return "fail";
    case Verdict::resampleNeeded: return "resample needed";
    case Verdict::undetermined: return "undetermined";
  }
  return "";
}

Expected<BackgroundLimit> backgroundLimit(const ConstituentData& data, int rank) {
  BackgroundLimit limit;
  limit.rank = rank;
  for (const WellValues& well : data.background) limit.n += well.values.size();
  if (limit.n == 0) return fail(ProblemKind::unreadableData, "there are no background values");
  if (rank < 1) return fail(ProblemKind::refusedRequest, "the rank must be at least 1");
  if (static_cast<std::size_t>(rank) > limit.n) {
    return fail(ProblemKind::refusedRequest, "rank " + std::to_string(rank) + " is above the " +
                                                 std::to_string(limit.n) + " background values");
  }
  constexpr std::size_t kMaxEntries = std::numeric_limits<std::uint32_t>::max();
  if (data.background.size() > kMaxEntries) return fail(ProblemKind::unreadableData, "too many background wells");

  limit.order.reserve(limit.n);
  for (std::size_t w = 0; w < data.background.size(); ++w) {
    const std::size_t count = data.background[w].values.size();
    if (count > kMaxEntries) return fail(ProblemKind::unreadableData, "too many values in one background well");
    for (std::size_t v = 0; v < count; ++v) {
      limit.order.push_back({static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(v)});
    }
  }
  // Largest first; at an equal number a detected value before a non-detect (whose true
  // value lies below its RL); then file order, so that the order is one and the same.
  std::sort(limit.order.begin(), limit.order.end(), [&](const BackgroundEntry& a, const BackgroundEntry& b) {
    const Measurement& x = valueAt(data, a);
    const Measurement& y = valueAt(data, b);
    if (const auto order = x.value <=> y.value; order != 0) return order > 0;
    if (x.nonDetect != y.nonDetect) return !x.nonDetect;
    return x.line < y.line;
  });

  const Measurement& largest = valueAt(data, limit.order.front());
  // A detected value would stand first: the largest is a non-detect only when all are.
  limit.allNonDetects = largest.nonDetect;
  limit.position = limit.allNonDetects ? 0 : static_cast<std::size_t>(rank - 1);
  const Measurement& chosen = valueAt(data, limit.order[limit.position]);
  limit.limit = chosen.value;
  limit.isReportingLimit = chosen.nonDetect;
  limit.limitText = chosen.nonDetect ? reportingLimitText(chosen) : shown(chosen);
  if (limit.allNonDetects) {
    limit.warning =
        "Every background value is a non-detect: the limit is the largest reporting limit, " + limit.limitText +
        ", whatever the rank, so the rank and CFP of the design do not hold as computed (the test is no longer the "
        "one designed). The usual remedy of the US EPA guidance counts an exceedance only as a confirmed detection "
        "above the highest reporting limit in two consecutive samples; it is not applied here.";
  }
  return limit;
}

WellVerdict playWell(const Strategy& strategy, std::span<const Measurement> values, const BackgroundLimit& limit) {
  WellVerdict verdict;
  std::array<bool, kMaxStrategyUnits> outcomes{};
  const auto size = static_cast<std::size_t>(strategy.median);
  int taken = 0;
  std::size_t next = 0;
  // Values a unit judged before all its values came still waits for: they come before the
  // next unit's, since a unit takes the next B values of the well.
  std::size_t unitRest = 0;
  for (;;) {
    const Decision decision = strategy.decide(std::span<const bool>(outcomes.data(), static_cast<std::size_t>(taken)));
    if (decision != Decision::undecided) {
      verdict.verdict = decision == Decision::pass ? Verdict::pass : Verdict::fail;
      verdict.valuesUsed = next;
      const Judgement deciding = decision == Decision::pass ? Judgement::pass : Judgement::fail;
      for (const PlayedUnit& unit : verdict.units) {
        if (unit.outcome != deciding) continue;
        for (std::size_t i = unit.first; i < unit.first + unit.count; ++i) verdict.deciding.push_back(i);
      }
      break;
    }
    // decide() settles every strategy by its last unit.
    VELMORA_ASSERT(taken < strategy.units);

    PlayedUnit unit;
    unit.first = next;
    unit.count = std::min(size, values.size() - next);
    int passed = 0;
    int failed = 0;
    for (std::size_t i = next; i < next + unit.count; ++i) {
      const Judgement judgement = judge(values[i], limit.limit);
      passed += judgement == Judgement::pass ? 1 : 0;
      failed += judgement == Judgement::fail ? 1 : 0;
    }
    const int missing = strategy.median - static_cast<int>(unit.count);
    // Judged as soon as its values decide it, whatever the rest (not yet taken, or not
    // judged) turn out to be.
    if (strategy.unitPasses(passed)) unit.outcome = Judgement::pass;
    else if (!strategy.unitPasses(strategy.median - failed)) unit.outcome = Judgement::fail;

    if (unit.outcome == Judgement::unknown) {
      if (unit.count > 0) verdict.units.push_back(unit);
      const bool valuesToComeMayDecide =
          missing > 0 && (strategy.unitPasses(passed + missing) || !strategy.unitPasses(strategy.median - failed - missing));
      if (valuesToComeMayDecide) {
        verdict.verdict = Verdict::resampleNeeded;
        verdict.valuesUsed = values.size();
        int fewest = kMaxStrategyUnits + 1;
        int most = 0;
        futureUnits(strategy, outcomes, taken, 0, fewest, most);
        const int present = static_cast<int>(unit.count) - static_cast<int>(unitRest);
        verdict.fewestMoreValues = fewest * strategy.median - present;
        verdict.mostMoreValues = most * strategy.median - present;
      } else {
        verdict.verdict = Verdict::undetermined;
        verdict.valuesUsed = next + unit.count;
      }
      break;
    }
    verdict.units.push_back(unit);
    outcomes[static_cast<std::size_t>(taken++)] = unit.outcome == Judgement::pass;
    next += unit.count;
    unitRest = static_cast<std::size_t>(missing);
  }
  verdict.reason = reasonText(strategy, values, limit, verdict);
  return verdict;
}

Expected<ConstituentEvaluation> evaluateConstituent(const ConstituentData& data, const Strategy& strategy, int rank) {
  for (const WellValues& well : data.compliance) {
    if (well.values.empty()) {
      return fail(ProblemKind::unreadableData, "compliance well \"" + well.well + "\" has no values");
    }
  }
  Expected<BackgroundLimit> limit = backgroundLimit(data, rank);
  if (!limit) return fail(std::move(limit.error()));
  ConstituentEvaluation evaluation;
  evaluation.limit = std::move(*limit);
  evaluation.wells.reserve(data.compliance.size());
  for (const WellValues& well : data.compliance) {
    evaluation.wells.push_back(playWell(strategy, well.values, evaluation.limit));
  }
  return evaluation;
}

std::string verdictMethodText() {
  return "Method. The background values are ordered from the largest down; a non-detect (\"<RL\") counts as its "
         "reporting limit and stands below a detected value equal to it, and equal values count one by one, so the "
         "k-th and the (k+1)-th largest may be equal. The limit is the k-th of them (k the rank); when every "
         "background value is a non-detect it is the largest reporting limit. Numbers are compared as the exact "
         "decimals their texts read (0.2, 0.20 and 2e-1 are equal). A compliance value passes when it is at or "
         "below the limit, so a value equal to the limit passes; a non-detect passes when its reporting limit is at "
         "or below the limit, and cannot be judged when its reporting limit is above it. Each well's values are "
         "taken in event order as the strategy takes them: a unit is one value, or with /median-B the next B "
         "values, judged as soon as a majority of them is at or below the limit or above it. The play stops at "
         "the first unit that cannot be judged, unless the strategy was decided before it, and the verdict is then "
         "undetermined. Where this may differ from common practice: no value is substituted for a non-detect (not "
         "half its reporting limit, not zero), a non-detect above the limit is never counted as a pass or as an "
         "exceedance, a non-detect never ranks above a detected value equal to its limit, and a tie at the limit "
         "is not broken in the well's favour or against it.";
}

}  // namespace velmora::analysis

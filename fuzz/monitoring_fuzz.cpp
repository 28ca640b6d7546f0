// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the monitoring data reader on arbitrary bytes, and the limit and verdicts of
// whatever it accepts.
//
// The reader must end, and either refuse with the lines at fault (each named "line N: ...",
// within the input and in order) or give values that hold what the verdicts rely on: each
// well's events strictly increasing, every line within the input, a non-detect's reporting
// limit above 0, each value's text as non-empty as the field it came from. Each accepted
// constituent is then evaluated under a strategy and rank taken from the input's size, and
// every verdict must be consistent with its values: the values used are a prefix of the
// well's (all of them for a resample), a pass or fail names the values that decided it, and
// a resample asks for a positive number of values.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/analysis/strategy.h"
#include "velmora/analysis/verdicts.h"
#include "velmora/records/monitoring_data.h"

namespace {

using namespace velmora;

[[noreturn]] void fail(const char* what, std::size_t line) {
  std::fprintf(stderr, "invariant violated: %s (line %zu)\n", what, line);
  std::abort();
}

void checkRefusal(const Problem& problem, std::size_t lineEnds) {
  if (problem.kind != ProblemKind::unreadableData) fail("a refusal of another kind than unreadable data", problem.line);
  if (problem.lines.empty() || problem.lines.front().empty()) fail("a refusal without a message", problem.line);
  if (problem.line > lineEnds + 1) fail("a refusal beyond the input", problem.line);
  std::size_t previous = 0;
  for (std::size_t i = 1; i < problem.lines.size(); ++i) {
    const std::string& text = problem.lines[i];
    if (text.rfind("and ", 0) == 0 && i + 1 == problem.lines.size()) break;  // the count of lines not listed
    if (text.rfind("line ", 0) != 0) fail("a listed problem that names no line", problem.line);
    const std::size_t line = std::strtoull(text.c_str() + 5, nullptr, 10);
    if (line == 0 || line > lineEnds + 1 || line < previous) fail("a listed line out of order or beyond the input", line);
    previous = line;
  }
}

void checkVerdict(const analysis::WellValues& well, const analysis::WellVerdict& verdict) {
  const std::size_t size = well.values.size();
  const std::size_t line = well.values.empty() ? 0 : well.values.front().line;
  if (verdict.valuesUsed > size) fail("more values used than the well has", line);
  if (verdict.reason.empty()) fail("a verdict without a reason", line);
  std::size_t played = 0;
  for (const analysis::PlayedUnit& unit : verdict.units) {
    if (unit.first != played || unit.count == 0) fail("units that do not follow one another", line);
    played += unit.count;
  }
  if (played != verdict.valuesUsed) fail("the units do not take the values used", line);
  switch (verdict.verdict) {
    case analysis::Verdict::pass:
    case analysis::Verdict::fail:
      if (verdict.deciding.empty()) fail("a decision that no value decided", line);
      for (const std::size_t i : verdict.deciding) {
        if (i >= verdict.valuesUsed) fail("a deciding value that was not used", line);
      }
      break;
    case analysis::Verdict::resampleNeeded:
      if (verdict.valuesUsed != size) fail("a resample that leaves values unused", line);
      if (verdict.fewestMoreValues < 1 || verdict.mostMoreValues < verdict.fewestMoreValues) {
        fail("a resample that asks for no value", line);
      }
      break;
    case analysis::Verdict::undetermined:
      if (verdict.valuesUsed == 0 || verdict.units.empty()) fail("undetermined without a value", line);
      if (verdict.units.back().outcome != analysis::Judgement::unknown) fail("undetermined by a judged unit", line);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t lineEnds = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == size || text[i + 1] != '\n'))) ++lineEnds;
  }

  static const std::vector<analysis::Strategy> kStrategies = [] {
    std::vector<analysis::Strategy> strategies = analysis::defaultStrategies();
    strategies.push_back(*analysis::parseStrategy("2-of-4/median-5"));
    strategies.push_back(*analysis::parseStrategy("california-3/median-3"));
    return strategies;
  }();
  const analysis::Strategy& strategy = kStrategies[size % kStrategies.size()];
  const int rank = 1 + static_cast<int>(size % 3);

  for (const bool skip : {false, true}) {
    const Expected<records::MonitoringData> read = records::parseMonitoringData(text, {skip});
    if (!read) {
      checkRefusal(read.error(), lineEnds);
      continue;
    }
    if (!skip && !read->skipped.empty()) fail("lines skipped without being asked", read->skipped.front().line);
    for (const analysis::ConstituentData& constituent : read->constituents) {
      for (const auto* wells : {&constituent.background, &constituent.compliance}) {
        for (const analysis::WellValues& well : *wells) {
          for (std::size_t i = 0; i < well.values.size(); ++i) {
            const analysis::Measurement& value = well.values[i];
            if (value.line < 2 || value.line > lineEnds + 1) fail("a value on a line outside the input", value.line);
            if (value.text.empty()) fail("a value without its text", value.line);
            if (value.nonDetect && value.value.significand == 0) fail("a reporting limit of 0", value.line);
            if (i > 0 && !(well.values[i - 1].event < value.event)) fail("events not strictly increasing", value.line);
          }
        }
      }
      const Expected<analysis::ConstituentEvaluation> evaluation =
          analysis::evaluateConstituent(constituent, strategy, rank);
      if (!evaluation) {
        if (evaluation.error().lines.empty()) fail("an evaluation refused without a message", 0);
        continue;
      }
      const analysis::BackgroundLimit& limit = evaluation->limit;
      if (limit.order.size() != limit.n || limit.position >= limit.n) fail("a limit outside the background", 0);
      if (limit.limitText.empty()) fail("a limit without its text", 0);
      for (std::size_t i = 0; i < constituent.compliance.size(); ++i) {
        checkVerdict(constituent.compliance[i], evaluation->wells[i]);
      }
    }
  }
  return 0;
}

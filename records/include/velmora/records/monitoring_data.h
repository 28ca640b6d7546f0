// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Monitoring data files: the background and compliance values of one or more constituents.
//
// A file is CSV (csv_reader.h), UTF-8, with a header line naming its columns, in any order
// and any case, blanks around the names aside:
//
//   well         the well's name
//   role         background or compliance
//   event        the order of sampling: a whole number, or a date YYYY-MM-DD
//   value        a decimal number (analysis/decimal.h), or a non-detect "<RL" or "ND<RL"
//   constituent  optional: each constituent is evaluated with its own background
//   unit         optional: carried into the output
//
// Other columns are passed over, and so are rows of empty fields (a spreadsheet's empty
// line). Blanks around a field are not part of it; a value's text is otherwise kept as the
// file wrote it (".2" stays ".2", "ND<0.2" stays so), since the outputs show it.
//
// A line that cannot be used is reported with its number and why. With skipBadLines such
// lines are passed over and listed; without it nothing is read from the file. Some faults
// concern the data set rather than one line, and no skipping can settle them, since either
// line could be the right one: two values of one well at one event, a well that is
// background on one line and compliance on another, two units for one constituent, and a
// well whose events are numbers on one line and dates on another. They are reported at the
// line that brings the conflict, naming the other, and are never skipped.

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/analysis/verdicts.h"
#include "velmora/engine/problem.h"

namespace velmora::records {

// The most bad lines a report lists one by one; the rest are counted. A hostile file of a
// million bad lines must not make a message of a million lines, or hold them in memory.
inline constexpr std::size_t kMaxListedLines = 1000;

struct BadLine {
  std::size_t line = 0;  // from 1
  std::string reason;    // "the value \"abc\" is not a decimal number"
};

struct MonitoringReadOptions {
  bool skipBadLines = false;
};

struct MonitoringData {
  // In the order of their first line; wells too. A well whose every line was skipped is
  // still listed, without values, when its line named it.
  std::vector<analysis::ConstituentData> constituents;
  bool hasConstituentColumn = false;
  std::vector<BadLine> skipped;  // with skipBadLines: the lines passed over, in order
  std::size_t skippedNotListed = 0;  // skipped lines beyond kMaxListedLines
};

// The data of a file. refused (unreadableData, with Problem::line the first line at fault):
// a file without a header or without data lines, a header without one of the four columns
// or naming one twice, and any bad line (the lines of the Problem list each, "line 7: ...",
// up to kMaxListedLines), unless skipBadLines passes over those that may be skipped.
[[nodiscard]] Expected<MonitoringData> readMonitoringData(std::istream& in, const MonitoringReadOptions& options = {});
[[nodiscard]] Expected<MonitoringData> parseMonitoringData(std::string_view text,
                                                          const MonitoringReadOptions& options = {});

}  // namespace velmora::records

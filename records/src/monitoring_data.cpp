// SPDX-License-Identifier: GPL-3.0-or-later
// Monitoring data files, read with the project's CSV reader.
//
// That reader, rather than a CSV library from the distribution: it keeps every byte of a
// field, says on which line each record starts (every refusal here names its line), reads
// on past a malformed record so that all bad lines are reported at once, streams a file of
// any size, builds for the page's WebAssembly too, and is already fuzzed. Debian's C++
// CSV parsers fix the column count at compile time and report a malformed line by throwing
// out of the whole read.
#include "velmora/records/monitoring_data.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <sstream>
#include <unordered_map>

#include "velmora/analysis/decimal.h"
#include "velmora/records/csv_reader.h"

namespace velmora::records {

namespace {

using analysis::ConstituentData;
using analysis::Decimal;
using analysis::Measurement;
using analysis::SamplingEvent;
using analysis::WellValues;
using analysis::parseDecimal;

enum Column : std::size_t { well, role, event, value, constituent, unit, columnCount };
constexpr std::array<std::string_view, columnCount> kColumnNames = {"well", "role", "event", "value", "constituent", "unit"};
constexpr std::size_t kRequiredColumns = 4;  // well, role, event, value
constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);
// The most digits of an event number (beyond 18 it would not fit a uint64 safely).
constexpr std::size_t kMaxEventDigits = 18;
// How much of a field a message repeats.
constexpr std::size_t kMaxQuotedBytes = 60;

std::string_view trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string lowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Whether the text is well-formed UTF-8 (no overlong forms, no surrogates, nothing beyond
// U+10FFFF). Written out here because it is a dozen lines; the libraries that have it
// (ICU, Boost.Locale) would be a large dependency for one check.
bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (byte < 0x80) {
      ++i;
      continue;
    }
    if (byte >= 0xC2 && byte <= 0xDF) length = 2, code = byte & 0x1Fu;
    else if (byte >= 0xE0 && byte <= 0xEF) length = 3, code = byte & 0x0Fu;
    else if (byte >= 0xF0 && byte <= 0xF4) length = 4, code = byte & 0x07u;
    else return false;
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    const std::uint32_t smallest = length == 3 ? 0x800u : length == 4 ? 0x10000u : 0x80u;
    if (code < smallest || code > 0x10FFFFu || (code >= 0xD800u && code <= 0xDFFFu)) return false;
    i += length;
  }
  return true;
}

bool hasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// A field for a message: in double quotes, quotes and backslashes escaped, control bytes
// (and all bytes above ASCII when the text is not UTF-8) as \xNN, and at most
// kMaxQuotedBytes of it.
std::string quoted(std::string_view text) {
  const bool utf8 = isUtf8(text);
  std::size_t end = std::min(text.size(), kMaxQuotedBytes);
  // Never cut a UTF-8 sequence in two.
  while (utf8 && end < text.size() && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) --end;
  std::string out = "\"";
  for (std::size_t i = 0; i < end; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !utf8)) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xFu];
    } else {
      out += static_cast<char>(byte);
    }
  }
  if (end < text.size()) out += "...";
  return out + "\"";
}

// Why a name (well, constituent, unit) cannot be used, or nothing. Control characters would
// act on the terminal that shows the output; text that is not UTF-8 would show as garbage.
std::optional<std::string> nameProblem(std::string_view what, std::string_view text) {
  if (hasControlCharacter(text)) return std::string(what) + " " + quoted(text) + " holds a control character";
  if (!isUtf8(text)) return std::string(what) + " " + quoted(text) + " is not UTF-8 text";
  return std::nullopt;
}

std::optional<unsigned> digitsValue(std::string_view text) {
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

Expected<SamplingEvent> parseEvent(std::string_view field) {
  const std::string_view text = trimmed(field);
  const auto refuse = [&](std::string_view why) {
    return fail(ProblemKind::unreadableData, "the event " + quoted(field) + " " + std::string(why));
  };
  if (!text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const std::size_t first = std::min(text.find_first_not_of('0'), text.size());
    if (text.size() - first > kMaxEventDigits) return refuse("is too large a number");
    SamplingEvent event;
    for (std::size_t i = first; i < text.size(); ++i) event.key = event.key * 10 + static_cast<std::uint64_t>(text[i] - '0');
    return event;
  }
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    const std::optional<unsigned> year = digitsValue(text.substr(0, 4));
    const std::optional<unsigned> month = digitsValue(text.substr(5, 2));
    const std::optional<unsigned> day = digitsValue(text.substr(8, 2));
    if (year && month && day) {
      const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(*year)}, std::chrono::month{*month},
                                             std::chrono::day{*day}};
      if (!date.ok() || *year == 0) return refuse("is not a date of the calendar");
      return SamplingEvent{SamplingEvent::Kind::date, std::uint64_t{*year} * 10000 + *month * 100u + *day};
    }
  }
  return refuse("is neither a whole number nor a date YYYY-MM-DD");
}

struct ParsedValue {
  Decimal value;
  bool nonDetect = false;
};

Expected<ParsedValue> parseValue(std::string_view field) {
  const std::string_view text = trimmed(field);
  if (text.empty()) return fail(ProblemKind::unreadableData, "the value is empty");
  std::string_view limit;
  bool nonDetect = false;
  if (text.front() == '<') {
    nonDetect = true;
    limit = text.substr(1);
  } else if (text.size() >= 2 && (text[0] == 'N' || text[0] == 'n') && (text[1] == 'D' || text[1] == 'd')) {
    const std::string_view rest = trimmed(text.substr(2));
    if (rest.empty()) {
      return fail(ProblemKind::unreadableData,
                  "the non-detect " + quoted(field) + " has no reporting limit (write ND<RL or <RL)");
    }
    if (rest.front() == '<') {
      nonDetect = true;
      limit = rest.substr(1);
    }
  }
  if (!nonDetect) {
    Expected<Decimal> number = parseDecimal(text);
    if (!number) {
      const std::string why = number.error().lines.front();
      return fail(ProblemKind::unreadableData,
                  "the value " + quoted(field) + " " + why +
                      (why == "is not a decimal number" ? " (nor a non-detect <RL or ND<RL)" : ""));
    }
    return ParsedValue{*number, false};
  }
  if (trimmed(limit).empty()) {
    return fail(ProblemKind::unreadableData, "the non-detect " + quoted(field) + " has no reporting limit");
  }
  Expected<Decimal> reportingLimit = parseDecimal(limit);
  if (!reportingLimit) {
    return fail(ProblemKind::unreadableData,
                "the reporting limit of the non-detect " + quoted(field) + " " + reportingLimit.error().lines.front());
  }
  if (reportingLimit->significand == 0) {
    return fail(ProblemKind::unreadableData,
                "the reporting limit of the non-detect " + quoted(field) + " is 0 (a reporting limit is above 0)");
  }
  return ParsedValue{*reportingLimit, true};
}

// Lookups by a field's text without copying it into a key first.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
template <class T>
using TextMap = std::unordered_map<std::string, T, TextHash, std::equal_to<>>;

struct WellState {
  bool compliance = false;
  std::size_t index = 0;      // in ConstituentData::background or ::compliance
  std::size_t roleLine = 0;   // the first line that named it
  std::optional<SamplingEvent::Kind> eventKind;
  std::size_t eventLine = 0;  // the first line whose event it took
};

struct ConstituentState {
  TextMap<WellState> wells;
  std::optional<std::string> unit;
  std::size_t unitLine = 0;
};

const char* eventKindName(SamplingEvent::Kind kind) {
  return kind == SamplingEvent::Kind::date ? "dates" : "whole numbers";
}

class Reader {
 public:
  explicit Reader(const MonitoringReadOptions& options) : m_options(options) {}

  Expected<MonitoringData> read(std::istream& in) {
    CsvReader csv(in);
    CsvRecord record;
    if (!csv.next(record)) {
      return fail(ProblemKind::unreadableData,
                  "the file is empty: it needs a header line naming the columns well, role, event and value");
    }
    if (Expected<void> header = readHeader(record); !header) return fail(std::move(header.error()));
    const std::size_t headerLine = record.line;
    bool anyLine = false;
    while (csv.next(record)) {
      // A row of empty fields is how spreadsheets write an empty line: it holds nothing.
      if (record.error == CsvError::none &&
          std::all_of(record.fields.begin(), record.fields.end(), [](const std::string& f) { return trimmed(f).empty(); })) {
        continue;
      }
      anyLine = true;
      readLine(record);
    }
    if (!anyLine) return fail(lineProblem(headerLine, "the file has no data lines after its header"));
    findRepeatedEvents();
    std::sort(m_faults.begin(), m_faults.end(), [](const Fault& a, const Fault& b) { return a.line < b.line; });
    if (!m_faults.empty() || m_notListed > 0) {
      if (m_conflicts > 0 || !m_options.skipBadLines) return fail(faultsProblem());
      for (Fault& fault : m_faults) m_data.skipped.push_back({fault.line, std::move(fault.reason)});
      m_data.skippedNotListed = m_notListed;
    }
    if (m_data.constituents.empty()) return fail(ProblemKind::unreadableData, "no line of the file can be used");
    return std::move(m_data);
  }

 private:
  static Problem lineProblem(std::size_t line, std::string text) {
    Problem problem(ProblemKind::unreadableData, {"line " + std::to_string(line) + ": " + std::move(text)});
    problem.line = line;
    return problem;
  }

  Expected<void> readHeader(const CsvRecord& header) {
    if (header.error != CsvError::none) {
      return fail(lineProblem(header.line, std::string("the header cannot be read: ") + csvErrorText(header.error)));
    }
    m_columns.fill(kNoColumn);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
      const std::string name = lowerCase(trimmed(header.fields[i]));
      const auto known = std::find(kColumnNames.begin(), kColumnNames.end(), name);
      if (known == kColumnNames.end()) continue;  // another column: passed over
      std::size_t& column = m_columns[static_cast<std::size_t>(known - kColumnNames.begin())];
      if (column != kNoColumn) {
        return fail(lineProblem(header.line, "the header names the column \"" + name + "\" twice (fields " +
                                                 std::to_string(column + 1) + " and " + std::to_string(i + 1) + ")"));
      }
      column = i;
    }
    for (std::size_t c = 0; c < kRequiredColumns; ++c) {
      if (m_columns[c] != kNoColumn) continue;
      std::string found;
      for (const std::string& field : header.fields) found += (found.empty() ? "" : ", ") + quoted(field);
      return fail(lineProblem(header.line, "the header has no column \"" + std::string(kColumnNames[c]) +
                                               "\" (it needs well, role, event and value; it names " + found + ")"));
    }
    m_fieldCount = header.fields.size();
    m_data.hasConstituentColumn = m_columns[constituent] != kNoColumn;
    return {};
  }

  void bad(std::size_t line, std::string reason, bool conflict = false) {
    if (conflict) ++m_conflicts;
    if (m_faults.size() < kMaxListedLines) {
      m_faults.push_back({line, std::move(reason), conflict});
    } else {
      ++m_notListed;
    }
  }

  std::string_view field(const CsvRecord& record, Column column) const {
    return m_columns[column] == kNoColumn ? std::string_view{} : trimmed(record.fields[m_columns[column]]);
  }

  void readLine(const CsvRecord& record) {
    const std::size_t line = record.line;
    if (record.error != CsvError::none) return bad(line, csvErrorText(record.error));
    if (record.fields.size() != m_fieldCount) {
      return bad(line, "it has " + std::to_string(record.fields.size()) + " fields where the header has " +
                           std::to_string(m_fieldCount));
    }
    const std::string_view wellName = field(record, well);
    if (wellName.empty()) return bad(line, "the well is empty");
    if (auto problem = nameProblem("the well", wellName)) return bad(line, std::move(*problem));
    const std::string roleName = lowerCase(field(record, role));
    if (roleName != "background" && roleName != "compliance") {
      return bad(line, "the role " + quoted(record.fields[m_columns[role]]) + " is neither background nor compliance");
    }
    const std::string_view constituentName = field(record, constituent);
    if (m_data.hasConstituentColumn && constituentName.empty()) return bad(line, "the constituent is empty");
    if (auto problem = nameProblem("the constituent", constituentName)) return bad(line, std::move(*problem));
    const std::string_view unitName = field(record, unit);
    if (auto problem = nameProblem("the unit", unitName)) return bad(line, std::move(*problem));

    // The well is known from here on, even if the rest of its line is bad: a compliance
    // well whose every line is skipped must not drop out of the verdicts unseen.
    ConstituentState& state = constituentState(constituentName);
    ConstituentData& data = m_data.constituents[m_constituentIndex];
    const bool compliance = roleName == "compliance";
    auto [found, added] = state.wells.try_emplace(std::string(wellName));
    WellState& wellState = found->second;
    if (added) {
      std::vector<WellValues>& wells = compliance ? data.compliance : data.background;
      wellState = {compliance, wells.size(), line, std::nullopt, 0};
      wells.push_back({std::string(wellName), {}});
    } else if (wellState.compliance != compliance) {
      return bad(line,
                 "well " + quoted(wellName) + " is " + roleName + " here but " +
                     (compliance ? "background" : "compliance") + " on line " + std::to_string(wellState.roleLine),
                 true);
    }

    Expected<SamplingEvent> sampled = parseEvent(record.fields[m_columns[event]]);
    if (!sampled) return bad(line, sampled.error().lines.front());
    Expected<ParsedValue> parsed = parseValue(record.fields[m_columns[value]]);
    if (!parsed) return bad(line, parsed.error().lines.front());

    if (!state.unit) {
      state.unit = std::string(unitName);
      state.unitLine = line;
      data.unit = std::string(unitName);
    } else if (*state.unit != unitName) {
      return bad(line,
                 "the unit " + quoted(unitName) + " differs from " + quoted(*state.unit) + " on line " +
                     std::to_string(state.unitLine) +
                     (m_data.hasConstituentColumn ? " for the constituent " + quoted(constituentName) : std::string()),
                 true);
    }
    if (!wellState.eventKind) {
      wellState.eventKind = sampled->kind;
      wellState.eventLine = line;
    } else if (*wellState.eventKind != sampled->kind) {
      return bad(line,
                 "the event " + quoted(record.fields[m_columns[event]]) + " is not one of the " +
                     eventKindName(*wellState.eventKind) + " that well " + quoted(wellName) +
                     " takes its events as on line " + std::to_string(wellState.eventLine),
                 true);
    }
    Measurement measurement;
    measurement.value = parsed->value;
    measurement.nonDetect = parsed->nonDetect;
    measurement.event = *sampled;
    measurement.line = line;
    measurement.text = std::string(field(record, value));
    (compliance ? data.compliance : data.background)[wellState.index].values.push_back(std::move(measurement));
  }

  ConstituentState& constituentState(std::string_view name) {
    // Lines of one constituent mostly come together.
    if (m_constituentIndex < m_constituentNames.size() && m_constituentNames[m_constituentIndex] == name) {
      return m_constituentStates[m_constituentIndex];
    }
    auto [found, added] = m_constituentByName.try_emplace(std::string(name), m_data.constituents.size());
    if (added) {
      m_data.constituents.push_back({});
      m_data.constituents.back().name = std::string(name);
      m_constituentNames.emplace_back(name);
      m_constituentStates.emplace_back();
    }
    m_constituentIndex = found->second;
    return m_constituentStates[m_constituentIndex];
  }

  // Each well's values in event order (the file's order among themselves, which is the
  // usual one, costs no sort); two at one event cannot both stand.
  void findRepeatedEvents() {
    const auto byEvent = [](const Measurement& a, const Measurement& b) {
      return a.event != b.event ? a.event < b.event : a.line < b.line;
    };
    for (ConstituentData& data : m_data.constituents) {
      for (std::vector<WellValues>* wells : {&data.background, &data.compliance}) {
        for (WellValues& wellValues : *wells) {
          std::vector<Measurement>& values = wellValues.values;
          if (!std::is_sorted(values.begin(), values.end(), byEvent)) std::sort(values.begin(), values.end(), byEvent);
          for (std::size_t i = 1; i < values.size(); ++i) {
            if (values[i].event != values[i - 1].event) continue;
            bad(values[i].line,
                "a second value of well " + quoted(wellValues.well) + " at event " + eventText(values[i].event) +
                    " (the first is on line " + std::to_string(values[i - 1].line) + ")",
                true);
          }
        }
      }
    }
  }

  static std::string linesText(std::size_t count) {
    return count == 1 ? std::string("1 line") : std::to_string(count) + " lines";
  }

  Problem faultsProblem() {
    // With skipping asked for, only the conflicts stop the reading: those are listed.
    if (m_options.skipBadLines) std::erase_if(m_faults, [](const Fault& fault) { return !fault.conflict; });
    const std::size_t total = m_options.skipBadLines ? m_conflicts : m_faults.size() + m_notListed;
    Problem problem;
    problem.kind = ProblemKind::unreadableData;
    problem.line = m_faults.empty() ? 0 : m_faults.front().line;
    problem.lines.push_back(m_options.skipBadLines
                                ? "the data conflict on " + linesText(total) + ", which no skipping can settle:"
                                : linesText(total) + " of the data cannot be used:");
    for (const Fault& fault : m_faults) problem.lines.push_back("line " + std::to_string(fault.line) + ": " + fault.reason);
    if (total > m_faults.size()) problem.lines.push_back("and " + linesText(total - m_faults.size()) + " more not listed");
    return problem;
  }

  MonitoringReadOptions m_options;
  std::array<std::size_t, columnCount> m_columns{};
  std::size_t m_fieldCount = 0;
  MonitoringData m_data;
  TextMap<std::size_t> m_constituentByName;
  std::vector<std::string> m_constituentNames;
  std::vector<ConstituentState> m_constituentStates;
  std::size_t m_constituentIndex = static_cast<std::size_t>(-1);
  // A line that cannot be used; a conflict is one that no skipping can settle.
  struct Fault {
    std::size_t line = 0;
    std::string reason;
    bool conflict = false;
  };
  std::vector<Fault> m_faults;
  std::size_t m_notListed = 0;
  std::size_t m_conflicts = 0;
};

}  // namespace

Expected<MonitoringData> readMonitoringData(std::istream& in, const MonitoringReadOptions& options) {
  return Reader(options).read(in);
}

Expected<MonitoringData> parseMonitoringData(std::string_view text, const MonitoringReadOptions& options) {
  std::istringstream in{std::string(text)};
  return readMonitoringData(in, options);
}

}  // namespace velmora::records

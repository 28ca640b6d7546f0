// SPDX-License-Identifier: GPL-3.0-or-later
// From the records of a CSV batch to the cases of a run.
#include "velmora/records/batch.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <utility>

namespace velmora::records {

namespace {

bool isBlankLine(const CsvRecord& record) {
  if (record.error != CsvError::none || record.fields.size() != 1) return false;
  const std::string& text = record.fields.front();
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// A first line that names the columns, DCFP,n,r[,j] in any case and with blanks around the
// names, as a spreadsheet writes its header. Only the first line: further down the same
// words are a case like any other, which the calculator refuses.
bool isHeaderLine(const CsvRecord& record) {
  static constexpr std::array<std::string_view, 4> kNames = {"dcfp", "n", "r", "j"};
  if (record.line != 1 || record.error != CsvError::none) return false;
  if (record.fields.size() != 3 && record.fields.size() != 4) return false;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    std::string_view name = record.fields[i];
    const std::size_t begin = name.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return false;
    name = name.substr(begin, name.find_last_not_of(" \t") - begin + 1);
    const bool same = std::equal(name.begin(), name.end(), kNames[i].begin(), kNames[i].end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == b;
    });
    if (!same) return false;
  }
  return true;
}

BatchEntry problemEntry(CsvRecord&& record, std::string what, std::string expected) {
  BatchEntry entry;
  entry.kind = BatchEntry::Kind::problem;
  entry.line = record.line;
  entry.problem.line = record.line;
  entry.problem.fields = std::move(record.fields);
  entry.problem.lines = {std::move(what), std::move(expected)};
  return entry;
}

}  // namespace

BatchEntry classifyRecord(CsvRecord record) {
  const std::string lineText = "Line " + std::to_string(record.line);
  switch (record.error) {
    case CsvError::none:
      break;
    case CsvError::unterminatedQuote:
      return problemEntry(std::move(record), lineText + " opens a quoted field that is never closed.",
                          "A quoted field ends with a double quote; a quote inside it is written twice.");
    case CsvError::quoteInUnquotedField:
      return problemEntry(std::move(record), lineText + " has a double quote inside a field that is not quoted.",
                          "A field that holds a double quote must be quoted, with the quote written twice.");
    case CsvError::textAfterQuote:
      return problemEntry(std::move(record), lineText + " has characters after the closing quote of a field.",
                          "A quoted field must be followed by a comma or the end of the line.");
  }

  BatchEntry entry;
  entry.line = record.line;
  if (isBlankLine(record) || isHeaderLine(record)) return entry;

  std::vector<std::string>& fields = record.fields;
  if (fields.size() != 3 && fields.size() != 4) {
    const std::string count = std::to_string(fields.size());
    return problemEntry(std::move(record),
                        lineText + " has " + count + (fields.size() == 1 ? " field." : " fields."),
                        "A case needs 3 or 4 fields: DCFP, n, r and optionally j.");
  }
  entry.kind = BatchEntry::Kind::computable;
  entry.texts.txtAL = std::move(fields[0]);
  entry.texts.txtN = std::move(fields[1]);
  entry.texts.txtR = std::move(fields[2]);
  // Without a fourth field j is the n text, unchanged, as when the n box is left.
  entry.texts.txtMDET = fields.size() == 4 ? std::move(fields[3]) : entry.texts.txtN;
  return entry;
}

}  // namespace velmora::records

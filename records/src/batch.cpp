// SPDX-License-Identifier: GPL-3.0-or-later
// From the records of a CSV batch to the cases of a run.
#include "velmora/records/batch.h"

#include <algorithm>
#include <utility>

namespace velmora::records {

namespace {

bool isBlankLine(const CsvRecord& record) {
  if (record.error != CsvError::none || record.fields.size() != 1) return false;
  const std::string& text = record.fields.front();
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
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
  if (isBlankLine(record)) return entry;

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

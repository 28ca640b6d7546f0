// SPDX-License-Identifier: GPL-3.0-or-later
// Reader for comma-separated records with RFC 4180 quoting.
#include "velmora/records/csv_reader.h"

#include <sstream>
#include <utility>

namespace velmora::records {

namespace {
constexpr int kEnd = -1;
}

int CsvReader::get() {
  if (!m_pending.empty()) {
    const int ch = static_cast<unsigned char>(m_pending.front());
    m_pending.erase(0, 1);
    return ch;
  }
  const std::istream::int_type ch = m_in.get();
  return std::istream::traits_type::eq_int_type(ch, std::istream::traits_type::eof())
             ? kEnd
             : static_cast<unsigned char>(std::istream::traits_type::to_char_type(ch));
}

int CsvReader::peek() {
  if (!m_pending.empty()) return static_cast<unsigned char>(m_pending.front());
  const std::istream::int_type ch = m_in.peek();
  return std::istream::traits_type::eq_int_type(ch, std::istream::traits_type::eof())
             ? kEnd
             : static_cast<unsigned char>(std::istream::traits_type::to_char_type(ch));
}

void CsvReader::skipByteOrderMark() {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string taken;
  while (taken.size() < kByteOrderMark.size()) {
    const int ch = peek();
    if (ch != static_cast<unsigned char>(kByteOrderMark[taken.size()])) break;
    taken.push_back(static_cast<char>(get()));
  }
  // Only the whole mark is dropped; a part of one is ordinary input.
  if (taken.size() < kByteOrderMark.size()) m_pending = std::move(taken);
}

void CsvReader::endLine(int ch) {
  // CRLF is one line end; so is a lone CR.
  if (ch == '\r' && peek() == '\n') get();
  ++m_line;
}

void CsvReader::skipRestOfLine() {
  for (;;) {
    const int ch = get();
    if (ch == kEnd) return;
    if (ch == '\n' || ch == '\r') {
      endLine(ch);
      return;
    }
  }
}

bool CsvReader::next(CsvRecord& record) {
  record = CsvRecord{};
  if (!m_started) {
    m_started = true;
    skipByteOrderMark();
  }

  // Empty lines hold no record.
  for (;;) {
    const int ch = peek();
    if (ch == kEnd) return false;
    if (ch != '\n' && ch != '\r') break;
    endLine(get());
  }
  record.line = m_line;

  enum class State { fieldStart, unquoted, quoted, afterQuote };
  State state = State::fieldStart;
  std::string field;
  const auto finishField = [&] {
    record.fields.push_back(std::move(field));
    field.clear();
  };
  const auto fail = [&](CsvError error) {
    // Keep what was read, and go on with the next line.
    record.error = error;
    finishField();
    skipRestOfLine();
    return true;
  };

  for (;;) {
    const int ch = get();
    switch (state) {
      case State::fieldStart:
      case State::unquoted:
      case State::afterQuote:
        if (ch == kEnd) {
          finishField();
          return true;
        }
        if (ch == '\n' || ch == '\r') {
          finishField();
          endLine(ch);
          return true;
        }
        if (ch == ',') {
          finishField();
          state = State::fieldStart;
          break;
        }
        if (state == State::afterQuote) return fail(CsvError::textAfterQuote);
        if (ch == '"') {
          if (state == State::unquoted) return fail(CsvError::quoteInUnquotedField);
          state = State::quoted;
          break;
        }
        field.push_back(static_cast<char>(ch));
        state = State::unquoted;
        break;

      case State::quoted:
        if (ch == kEnd) {
          record.error = CsvError::unterminatedQuote;
          finishField();
          return true;
        }
        if (ch == '"') {
          if (peek() == '"') {
            get();
            field.push_back('"');
          } else {
            state = State::afterQuote;
          }
          break;
        }
        // A line break inside quotes belongs to the field, byte for byte.
        if (ch == '\n' || (ch == '\r' && peek() != '\n')) ++m_line;
        field.push_back(static_cast<char>(ch));
        break;
    }
  }
}

std::vector<CsvRecord> parseCsv(std::string_view text) {
  std::istringstream in{std::string(text)};
  CsvReader reader(in);
  std::vector<CsvRecord> records;
  CsvRecord record;
  while (reader.next(record)) records.push_back(std::move(record));
  return records;
}

const char* csvErrorText(CsvError error) {
  switch (error) {
    case CsvError::none: return "";
    case CsvError::unterminatedQuote: return "a quoted field is not closed before the end of the input";
    case CsvError::quoteInUnquotedField: return "a double quote stands inside a field that is not quoted";
    case CsvError::textAfterQuote: return "characters follow the closing quote of a field";
  }
  return "";
}

}  // namespace velmora::records

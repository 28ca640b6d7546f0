// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reader for comma-separated records with RFC 4180 quoting.
//
// A field is either unquoted (any characters but comma, double quote and line ends) or
// enclosed in double quotes, inside which commas and line breaks are ordinary
// characters and a doubled quote stands for one quote. Records end with LF, CRLF or a
// lone CR. Field texts are kept byte for byte: nothing is trimmed and no encoding is
// assumed. Empty lines carry no record and are passed over, and so does a UTF-8
// byte-order mark at the very start (spreadsheet programs write one).
//
// A malformed record is still returned, with `error` set and the fields read so far;
// reading then goes on with the next line, so one bad line never hides the others. The
// reader accepts any bytes, never reads past its input and always ends.

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::records {

enum class CsvError {
  none,
  unterminatedQuote,    // a quoted field is still open at the end of the input
  quoteInUnquotedField, // a double quote inside a field that does not start with one
  textAfterQuote,       // characters between a closing quote and the next comma or line end
};

struct CsvRecord {
  std::vector<std::string> fields;
  std::size_t line = 0;  // the input line (from 1) on which the record starts
  CsvError error = CsvError::none;
};

// Reads records one at a time from a stream, so that a batch can answer each line as it
// arrives. The stream is read character by character through its buffer.
class CsvReader {
 public:
  explicit CsvReader(std::istream& in) : m_in(in) {}

  // Reads the next record into `record`; false at the end of the input.
  [[nodiscard]] bool next(CsvRecord& record);

 private:
  int get();   // the next byte, or -1 at the end (also called only to skip one)
  [[nodiscard]] int peek();
  void skipByteOrderMark();
  void skipRestOfLine();
  void endLine(int ch);  // counts the line end `ch` (LF, or CR with an optional LF)

  std::istream& m_in;
  std::size_t m_line = 1;
  bool m_started = false;
  std::string m_pending;  // bytes taken while looking for a byte-order mark, served first
};

// Every record of a whole text, in order.
[[nodiscard]] std::vector<CsvRecord> parseCsv(std::string_view text);

// A plain-English description of an error (empty for CsvError::none).
[[nodiscard]] const char* csvErrorText(CsvError error);

}  // namespace velmora::records

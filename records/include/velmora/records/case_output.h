// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three output formats of velmora-cli for the calculation's cases.
//
//   text  a grid like the window's results, one per case; refusals on standard error
//   csv   a header, then one row per case and test scheme; refusals on standard error
//   json  one object per case and line; a refusal is an "error" object in the stream
//
// The formatting functions return plain values so that they can be checked on their
// own; a RecordWriter puts them on the right stream.

#include <array>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "velmora/records/batch.h"
#include "velmora/records/csv_reader.h"
#include "velmora/records/case_result.h"
#include "velmora/records/tool_problem.h"
#include "velmora/records/case_record.h"
#include "velmora/records/json_text.h"

namespace velmora::records {

enum class OutputFormat { text, csv, json };


// The four input texts of a case: the first fields of its csv rows (without a comma after them).
[[nodiscard]] std::string csvInputFields(const InputTexts& texts);

// The json record of a case (records::caseRecordLine, with the exact audit of an audited
// case), as one line of the json format without the line end.
[[nodiscard]] std::string jsonRecord(const CaseResult& result);
[[nodiscard]] std::string jsonProblemRecord(const BatchProblem& problem);

// A CSV field, quoted when it holds a comma, a quote, a line break, or blanks at either
// end (which some readers would trim).
[[nodiscard]] std::string csvField(std::string_view text);
// With `audit` the header names the audit columns too, and the rows of an audited case fill them.
[[nodiscard]] std::string csvHeader(bool audit = false);      // with its line end
[[nodiscard]] std::string csvRows(const CaseResult& result);  // the four rows of an accepted case

// The result grid of an accepted case, with the inputs as a heading (and the audit block
// of an audited case under it).
[[nodiscard]] std::string textGrid(const CaseResult& result);

// An input text for a one-line message: in double quotes, with quotes, backslashes and
// control characters escaped.
[[nodiscard]] std::string quotedText(std::string_view text);

// The problems of the text and csv formats. `line` is the batch line, 0 for a single case.
[[nodiscard]] Problem caseRefusal(const CaseResult& result, std::size_t line);
[[nodiscard]] Problem batchLineProblem(const BatchProblem& problem);
// Their messages for standard error.
[[nodiscard]] std::string refusalMessage(const CaseResult& result, std::size_t line);
[[nodiscard]] std::string problemMessage(const BatchProblem& problem);

// What a case puts on standard output and on standard error (either may be empty).
struct RenderedCase {
  std::string out;
  std::string err;
};

// The records of one run in one format. render() touches no stream and may be called on
// any thread at once; write(), writeProblem() and flush() are called in the order of the
// cases, on one thread.
class RecordWriter {
 public:
  virtual ~RecordWriter() = default;
  [[nodiscard]] virtual RenderedCase render(const CaseResult& result, std::size_t line) const = 0;
  virtual void write(const RenderedCase& rendered) = 0;
  virtual void writeProblem(const BatchProblem& problem) = 0;
  // Puts out what is written so far (after a block of cases, and at the end).
  virtual void flush() = 0;

  void writeCase(const CaseResult& result, std::size_t line) { write(render(result, line)); }
};

// `audit` adds the audit columns to the csv header.
[[nodiscard]] std::unique_ptr<RecordWriter> makeRecordWriter(OutputFormat format, std::ostream& out,
                                                             std::ostream& err, bool audit = false);

}  // namespace velmora::records

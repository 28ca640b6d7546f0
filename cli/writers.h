#pragma once
// The three output formats of velmora-cli.
//
//   text  a grid like the window's results, one per case; refusals on standard error
//   csv   a header, then one row per case and test scheme; refusals on standard error
//   json  one object per case and line; a refusal is an "error" object in the stream
//
// The formatting functions return plain strings so that they can be checked on their
// own; a RecordWriter puts them on the right stream.

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "batch.h"
#include "case_result.h"

namespace velmora::cli {

enum class OutputFormat { text, csv, json };

// Scheme names, element t - 1 for scheme 1:t.
inline constexpr std::array<const char*, kSchemeCount> kSchemeNames = {"1:1", "1:2", "1:3", "1:4"};

// A JSON string literal, quotes included. Bytes that are not valid UTF-8 become
// \ufffd (one per maximal invalid sequence), so any input gives valid JSON.
std::string jsonString(std::string_view text);

// One line of the json format, without the line end.
std::string jsonRecord(const CaseResult& result);
std::string jsonProblemRecord(const BatchProblem& problem);

// A CSV field, quoted when it holds a comma, a quote, a line break, or blanks at either
// end (which some readers would trim).
std::string csvField(std::string_view text);
// With `audit` the header names the audit columns too, and the rows of an audited case fill them.
std::string csvHeader(bool audit = false);      // with its line end
std::string csvRows(const CaseResult& result);  // the four rows of an accepted case

// The result grid of an accepted case, with the inputs as a heading (and the audit block
// of an audited case under it).
std::string textGrid(const CaseResult& result);

// An input text for a one-line message: in double quotes, with quotes, backslashes and
// control characters escaped.
std::string quotedText(std::string_view text);

// One-line messages for standard error. `line` is the batch line, 0 for a single case.
std::string refusalMessage(const CaseResult& result, std::size_t line);
std::string problemMessage(const BatchProblem& problem);

class RecordWriter {
 public:
  virtual ~RecordWriter() = default;
  virtual void writeCase(const CaseResult& result, std::size_t line) = 0;
  virtual void writeProblem(const BatchProblem& problem) = 0;
};

// `audit` adds the audit columns to the csv header.
std::unique_ptr<RecordWriter> makeRecordWriter(OutputFormat format, std::ostream& out, std::ostream& err,
                                               bool audit = false);

}  // namespace velmora::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// From the records of a CSV batch to the cases of a run, for the command line and the page.
//
// A record of four fields is one case (DCFP, n, r, j); a record of three takes j from
// the n text, as leaving the window's n box does. The fields are the box texts byte for
// byte. A line of nothing but blanks and tabs is treated like an empty line and passed
// over, and so is a first line that names the columns (DCFP,n,r[,j], any case); any other
// record that is not a case becomes a problem report for its line.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "velmora/engine/input_checks.h"
#include "velmora/records/csv_reader.h"

namespace velmora::records {

// A batch line that holds no case: malformed quoting or a wrong number of fields.
struct BatchProblem {
  std::size_t line = 0;
  std::vector<std::string> fields;   // what was read of the record
  std::array<std::string, 2> lines;  // what is wrong, and what a case looks like
};

inline constexpr const char* kBatchErrorTitle = "Batch Error";

// One record, sorted out.
struct BatchEntry {
  enum class Kind { blank, computable, problem };  // blank: an empty line or the header
  Kind kind = Kind::blank;
  std::size_t line = 0;
  InputTexts texts;       // for Kind::computable
  BatchProblem problem;   // for Kind::problem
};

[[nodiscard]] BatchEntry classifyRecord(CsvRecord record);

}  // namespace velmora::records

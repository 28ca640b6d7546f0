// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The batch of the command line: the CSV reader and the batch line rules of the records
// library (velmora/records/batch.h), which the page shares.

#include "velmora/records/batch.h"
#include "velmora/records/csv_reader.h"

namespace velmora::cli {

using records::BatchEntry;
using records::BatchProblem;
using records::classifyRecord;
using records::CsvError;
using records::csvErrorText;
using records::CsvReader;
using records::CsvRecord;
using records::kBatchErrorTitle;
using records::parseCsv;

}  // namespace velmora::cli

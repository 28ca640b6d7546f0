// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three output formats of velmora-cli for the calculation's cases: the records
// library's (velmora/records/case_output.h), which the page writes with too.

#include "velmora/cli/batch.h"
#include "velmora/cli/case_result.h"
#include "velmora/cli/problem.h"
#include "velmora/records/case_output.h"

namespace velmora::cli {

using records::appendJsonString;
using records::batchLineProblem;
using records::caseRefusal;
using records::csvField;
using records::csvHeader;
using records::csvInputFields;
using records::csvRows;
using records::jsonProblemRecord;
using records::jsonRecord;
using records::jsonString;
using records::kSchemeNames;
using records::makeRecordWriter;
using records::OutputFormat;
using records::problemMessage;
using records::quotedText;
using records::RecordWriter;
using records::refusalMessage;
using records::RenderedCase;
using records::textGrid;

}  // namespace velmora::cli

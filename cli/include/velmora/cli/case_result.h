// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One case of the command line: the records library's (velmora/records/case_result.h).

#include "velmora/records/case_result.h"

namespace velmora::cli {

using records::boxTexts;
using records::CaseResult;
using records::computeCase;
using records::kDecimalSymbol;

}  // namespace velmora::cli

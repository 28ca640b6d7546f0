// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What velmora-cli reports on standard error and its exit statuses: the records library's
// (velmora/records/tool_problem.h), which the page shares so that it reports the same.

#include "velmora/records/tool_problem.h"

namespace velmora::cli {

using records::exitStatus;
using records::kExitIoError;
using records::kExitOk;
using records::kExitRefused;
using records::kExitSoftware;
using records::kExitUndecided;
using records::kExitUnreadableData;
using records::kExitUsage;
using records::kExitWellFails;
using records::message;
using records::report;
using records::withContext;
using velmora::Problem;
using velmora::ProblemKind;

}  // namespace velmora::cli

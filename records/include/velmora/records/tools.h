// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact tools as requests and the text each writes: the calculation with its audit,
// design, plan, curves, strategies (and evaluate, velmora/records/evaluate_output.h). The
// command line (velmora-cli) and the page (web/engine_module.cpp) both run these, so a
// request gives the same bytes, exit status and messages on either; each front end keeps
// its own reading of options, files and printing.
//
// Each run writes its answer on `out` and its problems on `err` (velmora/records/tool_problem.h)
// and returns the exit status.

#include <cstddef>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "velmora/engine/input_checks.h"
#include "velmora/records/case_output.h"
#include "velmora/records/tool_problem.h"

namespace velmora::records {

// How far a long run has come (0 to 1) and what it is doing ("curves: 1:2, rank 3 of 40"),
// called as the work goes on; empty for none. A batch calls it from every job at once.
using ToolProgress = std::function<void(double fraction, const std::string& stage)>;

// A format by its name (text, csv, json); none for any other name.
[[nodiscard]] std::optional<OutputFormat> formatNamed(std::string_view name);

// The calculation's cases (velmora-cli --dcfp ... or --batch, with --audit).
struct CaseRequest {
  OutputFormat format = OutputFormat::text;
  bool audit = false;  // the exact audit of every accepted case
  int jobs = 0;        // cases of a batch computed at once; 0 for one per core
};

// One case: 0, or 2 when it is refused.
[[nodiscard]] int runCase(const InputTexts& texts, const CaseRequest& request, std::ostream& out, std::ostream& err);

// Every case of a CSV batch read from `in` (`name` for the messages): 0, 2 when a case or
// line was refused, 74 when reading failed part-way. `size` (when known) lets the progress
// say how far through the batch it is.
[[nodiscard]] int runCases(std::istream& in, const std::string& name, const CaseRequest& request, std::ostream& out,
                           std::ostream& err, const ToolProgress& progress = {},
                           std::optional<std::size_t> size = std::nullopt);

// design --wells W --constituents C --evaluations E [--swfpr A] [--n N [--j J] [--audit]]
struct DesignOptions {
  std::optional<std::string> wells;
  std::optional<std::string> constituents;
  std::optional<std::string> evaluations;
  std::optional<std::string> swfpr;
  std::optional<std::string> n;
  std::optional<std::string> j;
  OutputFormat format = OutputFormat::text;
  bool audit = false;
};

// plan --dcfp D --r R [--rank K] [--test 1:T | --rule NAME]
struct PlanOptions {
  std::optional<std::string> dcfp;
  std::optional<std::string> r;
  std::optional<std::string> rank;
  std::optional<std::string> test;
  std::optional<std::string> rule;  // a retest strategy instead of the four schemes
  OutputFormat format = OutputFormat::text;
};

// curves --dcfp TEXT --n TEXT --r TEXT [--j TEXT] [--rule NAME]
struct CurvesOptions {
  std::optional<std::string> dcfp;
  std::optional<std::string> n;
  std::optional<std::string> r;
  std::optional<std::string> j;
  std::optional<std::string> rule;  // a retest strategy's curves instead of the calculation's four tests
  OutputFormat format = OutputFormat::csv;
};

// strategies --dcfp D --n N --r R [--j J] [--rules LIST] [--rank K] [--shifted S]
struct StrategiesOptions {
  std::optional<std::string> dcfp;
  std::optional<std::string> n;
  std::optional<std::string> r;
  std::optional<std::string> j;
  std::optional<std::string> rules;    // names separated by commas; the default list without it
  std::optional<std::string> rank;     // every strategy at this rank instead of its best one
  std::optional<std::string> shifted;  // S: the power of S shifted comparisons too
  OutputFormat format = OutputFormat::text;
};

// The rules between a command's options once all are known, and its format by name (none
// leaves the command's default): the sentence of the usage error, or none for a request
// that can run. A request that breaks them never reaches its run.
[[nodiscard]] std::optional<std::string> checkDesign(DesignOptions& design, const std::optional<std::string>& format);
[[nodiscard]] std::optional<std::string> checkPlan(PlanOptions& plan, const std::optional<std::string>& format);
[[nodiscard]] std::optional<std::string> checkCurves(CurvesOptions& curves, const std::optional<std::string>& format);
[[nodiscard]] std::optional<std::string> checkStrategies(StrategiesOptions& strategies,
                                                         const std::optional<std::string>& format);

// r and the per-constituent DCFP of a monitoring program, and with --n the calculation on
// them: 0; 2 when the calculation refuses its inputs; 64 for a refused design.
[[nodiscard]] int runDesign(const DesignOptions& options, std::ostream& out, std::ostream& err);

// The smallest background size for a rank of each scheme, or of one retest strategy (--rule),
// to meet the DCFP: 0; 64 for a refused request.
[[nodiscard]] int runPlan(const PlanOptions& options, std::ostream& out, std::ostream& err,
                          const ToolProgress& progress = {});

// The curves behind the results of one case: 0; 2 when the calculation refuses the texts
// (reported as the calculation reports it).
[[nodiscard]] int runCurves(const CurvesOptions& options, std::ostream& out, std::ostream& err,
                            const ToolProgress& progress = {});

// Every retest strategy of a list for one design, or at one rank: 0; 64 for a refused request.
[[nodiscard]] int runStrategies(const StrategiesOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velmora::records

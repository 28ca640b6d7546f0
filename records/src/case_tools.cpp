// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation's cases as the tools run them (one case, or every case of a batch), and
// the rules between each command's options.
#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "velmora/engine/parallel.h"
#include "velmora/records/batch.h"
#include "velmora/records/case_result.h"
#include "velmora/records/csv_reader.h"
#include "velmora/records/tools.h"

namespace velmora::records {

namespace {

// Records are read, computed and written a block at a time: the cases of a block are
// computed on every job at once, then written in the order of their lines, so that the
// output never depends on the number of jobs and a long batch never sits in memory whole.
constexpr std::size_t kBlockSize = 512;

// The names of the options in `wanted` that were not given, each after a blank.
std::string missingNames(std::initializer_list<std::pair<const char*, const std::optional<std::string>*>> wanted) {
  std::string missing;
  for (const auto& [name, value] : wanted) {
    if (!value->has_value()) missing += std::string(" ") + name;
  }
  return missing;
}

std::optional<std::string> checkFormat(OutputFormat& target, const std::optional<std::string>& format) {
  if (!format) return std::nullopt;
  const std::optional<OutputFormat> named = formatNamed(*format);
  if (!named) return "unknown format '" + *format + "' here (use text, csv or json)";
  target = *named;
  return std::nullopt;
}

}  // namespace

std::optional<OutputFormat> formatNamed(std::string_view name) {
  if (name == "text") return OutputFormat::text;
  if (name == "csv") return OutputFormat::csv;
  if (name == "json") return OutputFormat::json;
  return std::nullopt;
}

int runCase(const InputTexts& texts, const CaseRequest& request, std::ostream& out, std::ostream& err) {
  Calculation calculation;
  const CaseResult result = computeCase(calculation, texts, request.audit);
  makeRecordWriter(request.format, out, err, request.audit)->writeCase(result, 0);
  return result.outcome ? kExitOk : kExitRefused;
}

int runCases(std::istream& in, const std::string& name, const CaseRequest& request, std::ostream& out,
             std::ostream& err, const ToolProgress& progress, std::optional<std::size_t> size) {
  const std::unique_ptr<RecordWriter> writer = makeRecordWriter(request.format, out, err, request.audit);
  std::atomic<std::size_t> computed{0};
  CsvReader reader(in);
  std::vector<BatchEntry> block;
  std::vector<RenderedCase> rendered;
  std::vector<char> refused;  // per case of the block (not vector<bool>: written from several jobs)
  int status = kExitOk;
  double fraction = 0.0;  // how far through the batch the block read ends, when its size is known
  for (bool more = true; more;) {
    block.clear();
    CsvRecord record;
    while (block.size() < kBlockSize && (more = reader.next(record))) {
      BatchEntry entry = classifyRecord(std::move(record));
      if (entry.kind != BatchEntry::Kind::blank) block.push_back(std::move(entry));
    }
    if (size && *size > 0) {
      const std::streamoff position = in.tellg();
      fraction = position < 0 ? 1.0 : std::min(1.0, static_cast<double>(position) / static_cast<double>(*size));
    }
    // Each job computes its cases and renders their records; this thread then writes them.
    rendered.assign(block.size(), RenderedCase{});
    refused.assign(block.size(), false);
    parallelFor(
        block.size(),
        [&](std::size_t i) {
          if (block[i].kind != BatchEntry::Kind::computable) return;
          Calculation calculation;
          const CaseResult result = computeCase(calculation, block[i].texts, request.audit);
          rendered[i] = writer->render(result, block[i].line);
          refused[i] = !result.outcome;
          const std::size_t done = ++computed;
          if (progress) progress(fraction, std::to_string(done) + (done == 1 ? " case" : " cases") + " computed");
        },
        request.jobs);
    for (std::size_t i = 0; i < block.size(); ++i) {
      if (block[i].kind == BatchEntry::Kind::problem) {
        writer->writeProblem(block[i].problem);
        status = kExitRefused;
        continue;
      }
      writer->write(rendered[i]);
      if (refused[i]) status = kExitRefused;
    }
    writer->flush();
  }
  if (in.bad()) return report(err, {ProblemKind::ioFailure, {"reading batch file '" + name + "' failed part-way"}});
  return status;
}

std::optional<std::string> checkDesign(DesignOptions& design, const std::optional<std::string>& format) {
  if (auto error = checkFormat(design.format, format)) return error;
  const std::string missing = missingNames({{"--wells", &design.wells},
                                            {"--constituents", &design.constituents},
                                            {"--evaluations", &design.evaluations}});
  if (!missing.empty()) return "design: missing" + missing;
  if (!design.n && (design.j || design.audit)) {
    return "design: --j and --audit need --n (the calculation runs only with a background size)";
  }
  return std::nullopt;
}

// The curves are tables of numbers: csv by default.
std::optional<std::string> checkCurves(CurvesOptions& curves, const std::optional<std::string>& format) {
  if (auto error = checkFormat(curves.format, format)) return error;
  const std::string missing = missingNames({{"--dcfp", &curves.dcfp}, {"--n", &curves.n}, {"--r", &curves.r}});
  if (!missing.empty()) return "curves: missing" + missing;
  return std::nullopt;
}

std::optional<std::string> checkPlan(PlanOptions& plan, const std::optional<std::string>& format) {
  if (auto error = checkFormat(plan.format, format)) return error;
  const std::string missing = missingNames({{"--dcfp", &plan.dcfp}, {"--r", &plan.r}});
  if (!missing.empty()) return "plan: missing" + missing;
  if (plan.rank && plan.rank->empty()) return "plan: --rank needs a whole number above zero";
  if (plan.test && plan.test->empty()) return "plan: --test needs one of 1:1, 1:2, 1:3 and 1:4";
  if (plan.rule && plan.test) return "plan: --rule and --test each name what to plan for; give one of them";
  return std::nullopt;
}

std::optional<std::string> checkStrategies(StrategiesOptions& strategies, const std::optional<std::string>& format) {
  if (auto error = checkFormat(strategies.format, format)) return error;
  const std::string missing =
      missingNames({{"--dcfp", &strategies.dcfp}, {"--n", &strategies.n}, {"--r", &strategies.r}});
  if (!missing.empty()) return "strategies: missing" + missing;
  return std::nullopt;
}

}  // namespace velmora::records

// SPDX-License-Identifier: GPL-3.0-or-later
// plan, curves and evaluate on the command line: the records library's runs, with the
// progress on a terminal and the data file opened from its name.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "velmora/cli/commands.h"
#include "velmora/cli/evaluate_command.h"
#include "progress.h"

namespace velmora::cli {

namespace {

// The progress of a run as the line on standard error shows it: its stage in words.
records::ToolProgress showOn(ProgressLine& line) {
  return [&line](double, const std::string& stage) { line.update([&stage] { return stage; }); };
}

}  // namespace

int runPlan(const PlanOptions& options, std::ostream& out, std::ostream& err, const BatchProgress& progress) {
  ProgressLine line(err, progress);
  return records::runPlan(options, out, err, showOn(line));
}

int runCurves(const CurvesOptions& options, std::ostream& out, std::ostream& err, const BatchProgress& progress) {
  ProgressLine line(err, progress);
  return records::runCurves(options, out, err, showOn(line));
}

int runEvaluate(const EvaluateOptions& options, std::ostream& out, std::ostream& err) {
  const auto open = [&options]() -> Expected<std::unique_ptr<std::istream>> {
    const std::string& path = options.data.value_or("");
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
      return fail(ProblemKind::unreadableData, path + " is a folder, not a data file");
    }
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*file) return fail(ProblemKind::unreadableData, "cannot open " + path);
    return std::unique_ptr<std::istream>(std::move(file));
  };
  return records::runEvaluate(options, open, out, err);
}

}  // namespace velmora::cli

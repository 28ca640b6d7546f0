// SPDX-License-Identifier: GPL-3.0-or-later
// One exact tool for the page and velmora-cli.mjs: the request read from its JSON object and
// run as velmora-cli runs it (velmora/records/tools.h).
#include "tool_request.h"

#include <nlohmann/json.hpp>

#include <exception>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "velmora/records/case_result.h"
#include "velmora/records/design_file.h"
#include "velmora/records/evaluate_output.h"
#include "velmora/records/json_text.h"
#include "velmora/records/tool_problem.h"
#include "velmora/version.h"

namespace velmora::web {

namespace {

using records::OutputFormat;

// The request's options by name, each taken once by the tool that reads it.
class ToolOptions {
 public:
  // The options of a JSON object of texts; the sentence of the usage error otherwise.
  static Expected<ToolOptions> read(const std::string& json) {
    const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
      return fail(ProblemKind::usage, "the options are not a JSON object of option names and texts");
    }
    ToolOptions options;
    for (const auto& [name, value] : parsed.items()) {
      if (!value.is_string()) return fail(ProblemKind::usage, "option --" + name + " needs a text value");
      options.m_values.emplace(name, value.get<std::string>());
    }
    return options;
  }

  // The tool reads these names; any other is an unknown option, as velmora-cli calls it.
  [[nodiscard]] std::optional<std::string> unknownOption(std::initializer_list<const char*> known) const {
    for (const auto& entry : m_values) {
      bool found = false;
      for (const char* name : known) found = found || entry.first == name;
      if (!found) return "unknown option '--" + entry.first + "'";
    }
    return std::nullopt;
  }

  [[nodiscard]] std::optional<std::string> value(const std::string& name) const {
    const auto found = m_values.find(name);
    return found == m_values.end() ? std::nullopt : std::optional<std::string>(found->second);
  }

  // A flag: absent or "false" is off, "true" on; any other text is refused.
  [[nodiscard]] Expected<bool> flag(const std::string& name) const {
    const std::optional<std::string> given = value(name);
    if (!given || *given == "false") return false;
    if (*given == "true") return true;
    return fail(ProblemKind::usage, "--" + name + " is a flag: \"true\" or \"false\", not " +
                                        records::quotedText(*given));
  }

 private:
  std::map<std::string, std::string> m_values;
};

// What a run writes, and its exit status.
struct Streams {
  std::ostringstream out;
  std::ostringstream err;
};

int usageError(std::ostream& err, const std::string& line) {
  return records::report(err, Problem{ProblemKind::usage, {line}});
}

// The calculation's cases (audit: with the exact audit, as velmora-cli --audit).
int runCases(const ToolOptions& options, bool audit, Streams& s, const records::ToolProgress& progress) {
  if (auto unknown = options.unknownOption({"dcfp", "n", "r", "j", "format", "batch", "batch-name"})) {
    return usageError(s.err, *unknown);
  }
  records::CaseRequest request;
  request.audit = audit;
  if (const std::optional<std::string> format = options.value("format")) {
    const std::optional<OutputFormat> named = records::formatNamed(*format);
    if (!named) return usageError(s.err, "unknown format '" + *format + "' (use text, csv or json)");
    request.format = *named;
  }
  const std::optional<std::string> dcfp = options.value("dcfp");
  const std::optional<std::string> n = options.value("n");
  const std::optional<std::string> r = options.value("r");
  const std::optional<std::string> j = options.value("j");
  if (const std::optional<std::string> batch = options.value("batch")) {
    if (dcfp || n || r || j) {
      return usageError(s.err, "--batch reads every case from its file; it takes no --dcfp, --n, --r or --j");
    }
    std::istringstream in(*batch);
    return records::runCases(in, options.value("batch-name").value_or("-"), request, s.out, s.err, progress,
                             batch->size());
  }
  std::string missing;
  if (!dcfp) missing += " --dcfp";
  if (!n) missing += " --n";
  if (!r) missing += " --r";
  if (!missing.empty()) return usageError(s.err, "missing" + missing + " (or give --batch FILE or --design FILE)");
  return records::runCase(records::boxTexts(*dcfp, *n, *r, j), request, s.out, s.err);
}

int runDesign(const ToolOptions& options, Streams& s) {
  if (auto unknown = options.unknownOption({"wells", "constituents", "evaluations", "swfpr", "n", "j", "audit", "format"})) {
    return usageError(s.err, *unknown);
  }
  const Expected<bool> audit = options.flag("audit");
  if (!audit) return usageError(s.err, audit.error().lines.front());
  records::DesignOptions design;
  design.wells = options.value("wells");
  design.constituents = options.value("constituents");
  design.evaluations = options.value("evaluations");
  design.swfpr = options.value("swfpr");
  design.n = options.value("n");
  design.j = options.value("j");
  design.audit = *audit;
  if (auto refused = records::checkDesign(design, options.value("format"))) return usageError(s.err, *refused);
  return records::runDesign(design, s.out, s.err);
}

int runPlan(const ToolOptions& options, Streams& s, const records::ToolProgress& progress) {
  if (auto unknown = options.unknownOption({"dcfp", "r", "rank", "test", "rule", "format"})) {
    return usageError(s.err, *unknown);
  }
  records::PlanOptions plan;
  plan.dcfp = options.value("dcfp");
  plan.r = options.value("r");
  plan.rank = options.value("rank");
  plan.test = options.value("test");
  plan.rule = options.value("rule");
  if (auto refused = records::checkPlan(plan, options.value("format"))) return usageError(s.err, *refused);
  return records::runPlan(plan, s.out, s.err, progress);
}

int runCurves(const ToolOptions& options, Streams& s, const records::ToolProgress& progress) {
  if (auto unknown = options.unknownOption({"dcfp", "n", "r", "j", "rule", "format"})) return usageError(s.err, *unknown);
  records::CurvesOptions curves;
  curves.dcfp = options.value("dcfp");
  curves.n = options.value("n");
  curves.r = options.value("r");
  curves.j = options.value("j");
  curves.rule = options.value("rule");
  if (auto refused = records::checkCurves(curves, options.value("format"))) return usageError(s.err, *refused);
  return records::runCurves(curves, s.out, s.err, progress);
}

int runStrategies(const ToolOptions& options, Streams& s) {
  if (auto unknown = options.unknownOption({"dcfp", "n", "r", "j", "rules", "rank", "shifted", "format"})) {
    return usageError(s.err, *unknown);
  }
  records::StrategiesOptions strategies;
  strategies.dcfp = options.value("dcfp");
  strategies.n = options.value("n");
  strategies.r = options.value("r");
  strategies.j = options.value("j");
  strategies.rules = options.value("rules");
  strategies.rank = options.value("rank");
  strategies.shifted = options.value("shifted");
  if (auto refused = records::checkStrategies(strategies, options.value("format"))) return usageError(s.err, *refused);
  return records::runStrategies(strategies, s.out, s.err);
}

int runEvaluate(const ToolOptions& options, Streams& s) {
  if (auto unknown = options.unknownOption({"data", "data-name", "rule", "rank", "dcfp", "r", "j", "constituent",
                                            "skip-bad-lines", "format"})) {
    return usageError(s.err, *unknown);
  }
  const Expected<bool> skip = options.flag("skip-bad-lines");
  if (!skip) return usageError(s.err, skip.error().lines.front());
  records::EvaluateOptions evaluate;
  const std::optional<std::string> data = options.value("data");
  // The file is named in the messages as the command line names it (its path there).
  if (data) evaluate.data = options.value("data-name").value_or("data");
  evaluate.rule = options.value("rule");
  evaluate.rank = options.value("rank");
  evaluate.dcfp = options.value("dcfp");
  evaluate.r = options.value("r");
  evaluate.j = options.value("j");
  evaluate.constituent = options.value("constituent");
  evaluate.skipBadLines = *skip;
  if (const std::optional<std::string> format = options.value("format")) {
    const std::optional<OutputFormat> named = records::formatNamed(*format);
    if (!named) return usageError(s.err, "unknown format '" + *format + "' here (use text, csv or json)");
    evaluate.format = *named;
  }
  const records::DataOpener open = [&data]() -> Expected<std::unique_ptr<std::istream>> {
    return std::make_unique<std::istringstream>(data.value_or(""));
  };
  return records::runEvaluate(evaluate, open, s.out, s.err);
}

// The fields of a design file as a JSON object, the keys in the file's order.
std::string designFields(const records::DesignFile& design) {
  const auto field = [](const char* key, const std::string& value) {
    return records::jsonString(key) + ": " + records::jsonString(value);
  };
  std::string out = "{" + field("dcfp", design.inputs.txtAL) + ", " + field("n", design.inputs.txtN) + ", " +
                    field("r", design.inputs.txtR) + ", " + field("j", design.inputs.txtMDET) + ", " +
                    field("site", design.site) + ", " + field("notes", design.notes) + ", \"program\": ";
  if (design.program) {
    const records::ProgramInputs& p = *design.program;
    out += "{" + field("wells", p.wells) + ", " + field("constituents", p.constituents) + ", " +
           field("evaluations", p.evaluations) + ", " + field("swfpr", p.swfpr) + "}";
  } else {
    out += "null";
  }
  return out + "}\n";
}

int readDesign(const ToolOptions& options, Streams& s) {
  if (auto unknown = options.unknownOption({"text", "text-name"})) return usageError(s.err, *unknown);
  const std::optional<std::string> text = options.value("text");
  if (!text) return usageError(s.err, "design-file-read: missing --text");
  const std::string name = options.value("text-name").value_or("design");
  // As velmora-cli --design refuses a file: data that cannot be used, with the reason.
  if (text->size() > records::kDesignFileMaxBytes) {
    return records::report(s.err, Problem{ProblemKind::unreadableData,
                                          {"design file '" + name + "': larger than any design file can be"}});
  }
  const Expected<records::DesignFile> design = records::readDesignFile(*text);
  if (!design) {
    return records::report(s.err, Problem{ProblemKind::unreadableData,
                                          {"design file '" + name + "': " + design.error().lines.front()}});
  }
  s.out << designFields(*design);
  return records::kExitOk;
}

int writeDesign(const ToolOptions& options, Streams& s) {
  if (auto unknown = options.unknownOption({"dcfp", "n", "r", "j", "site", "notes", "wells", "constituents",
                                            "evaluations", "swfpr"})) {
    return usageError(s.err, *unknown);
  }
  records::DesignFile design;
  design.inputs.txtAL = options.value("dcfp").value_or("");
  design.inputs.txtN = options.value("n").value_or("");
  design.inputs.txtR = options.value("r").value_or("");
  design.inputs.txtMDET = options.value("j").value_or("");
  design.site = options.value("site").value_or("");
  design.notes = options.value("notes").value_or("");
  if (options.value("wells") || options.value("constituents") || options.value("evaluations") ||
      options.value("swfpr")) {
    design.program = records::ProgramInputs{options.value("wells").value_or(""),
                                            options.value("constituents").value_or(""),
                                            options.value("evaluations").value_or(""),
                                            options.value("swfpr").value_or("")};
  }
  s.out << records::writeDesignFile(design);
  return records::kExitOk;
}

int run(const std::string& tool, const ToolOptions& options, Streams& s, const records::ToolProgress& progress) {
  if (tool == "audit") return runCases(options, true, s, progress);
  if (tool == "calculate") return runCases(options, false, s, progress);
  if (tool == "design") return runDesign(options, s);
  if (tool == "plan") return runPlan(options, s, progress);
  if (tool == "curves") return runCurves(options, s, progress);
  if (tool == "strategies") return runStrategies(options, s);
  if (tool == "evaluate") return runEvaluate(options, s);
  if (tool == "design-file-read") return readDesign(options, s);
  if (tool == "design-file-write") return writeDesign(options, s);
  if (tool == "version") {  // what velmora-cli --version writes, for the page's report
    s.out << "velmora-cli " << velmora::projectVersion << "\n";
    return records::kExitOk;
  }
  return usageError(s.err, "unknown tool '" + tool + "'");
}

}  // namespace

ToolOutcome runToolRequest(const std::string& tool, const std::string& optionsJson,
                           const records::ToolProgress& progress) {
  Streams s;
  ToolOutcome outcome;
  try {
    const Expected<ToolOptions> options = ToolOptions::read(optionsJson);
    outcome.exit = options ? run(tool, *options, s, progress) : records::report(s.err, options.error());
  } catch (const std::exception& e) {
    // What velmora-cli's main writes when a command fails inside.
    s.err << "velmora-cli: " << e.what() << "\n";
    outcome.exit = records::kExitSoftware;
  } catch (...) {
    s.err << "velmora-cli: unexpected failure\n";
    outcome.exit = records::kExitSoftware;
  }
  outcome.output = s.out.str();
  outcome.error = s.err.str();
  return outcome;
}

}  // namespace velmora::web

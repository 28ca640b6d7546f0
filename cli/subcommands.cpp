// velmora-cli design and velmora-cli plan.
#include "subcommands.h"

#include <cstdio>
#include <map>
#include <optional>
#include <string_view>

#include "case_result.h"
#include "command.h"
#include "velmora/design_helper.h"
#include "velmora/exact_cfp.h"
#include "velmora/planner.h"
#include "writers.h"

namespace velmora::cli {

namespace {

struct SubcommandArguments {
  std::map<std::string, std::string> values;
  bool audit = false;
  OutputFormat format = OutputFormat::text;
  std::string error;  // a usage error
};

// Options with a value ("--name VALUE" or "--name=VALUE"), each at most once, and --audit
// where allowed. csv is refused: these answers are not one row per case and test.
SubcommandArguments ParseSubcommand(const std::vector<std::string>& args, const std::vector<std::string>& names,
                                    bool auditAllowed) {
  SubcommandArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (auditAllowed && arg == "--audit") {
      parsed.audit = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name(arg.substr(0, equals));
    bool known = name == "--format";
    for (const std::string& candidate : names) known = known || name == candidate;
    if (!known || !arg.starts_with("--")) {
      parsed.error = arg.starts_with("-") ? "unknown option '" + name + "'" : "unexpected argument '" + std::string(arg) + "'";
      return parsed;
    }
    if (parsed.values.count(name) != 0) {
      parsed.error = "option " + name + " given more than once";
      return parsed;
    }
    if (equals != std::string_view::npos) {
      parsed.values[name] = std::string(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      parsed.values[name] = args[++i];
    } else {
      parsed.error = "option " + name + " needs a value";
      return parsed;
    }
  }
  if (const auto format = parsed.values.find("--format"); format != parsed.values.end()) {
    if (format->second == "text") {
      parsed.format = OutputFormat::text;
    } else if (format->second == "json") {
      parsed.format = OutputFormat::json;
    } else {
      parsed.error = "unknown format '" + format->second + "' here (use text or json)";
    }
  }
  return parsed;
}

std::string Value(const SubcommandArguments& parsed, const std::string& name) {
  const auto found = parsed.values.find(name);
  return found == parsed.values.end() ? std::string() : found->second;
}

int UsageError(std::ostream& err, const std::string& message) {
  err << "velmora-cli: " << message << "\nTry 'velmora-cli --help' for more information.\n";
  return kExitUsage;
}

int Finish(std::ostream& out, std::ostream& err, int status) {
  out.flush();
  if (!out) {
    err << "velmora-cli: cannot write the output\n";
    return kExitIoError;
  }
  return status;
}

std::string Float32Text(float value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
  return buffer;
}

}  // namespace

int runDesign(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const SubcommandArguments parsed =
      ParseSubcommand(args, {"--wells", "--constituents", "--evaluations", "--swfpr", "--n", "--j"}, true);
  if (!parsed.error.empty()) return UsageError(err, parsed.error);
  std::string missing;
  for (const char* name : {"--wells", "--constituents", "--evaluations"}) {
    if (parsed.values.count(name) == 0) missing += std::string(" ") + name;
  }
  if (!missing.empty()) return UsageError(err, "design: missing" + missing);
  const bool withN = parsed.values.count("--n") != 0;
  if (!withN && (parsed.values.count("--j") != 0 || parsed.audit)) {
    return UsageError(err, "design: --j and --audit need --n (the calculation runs only with a background size)");
  }

  const MonitoringDesign design = DesignMonitoringProgram(Value(parsed, "--wells"), Value(parsed, "--constituents"),
                                                          Value(parsed, "--evaluations"), Value(parsed, "--swfpr"),
                                                          Value(parsed, "--n"));
  if (design.error) {
    err << "velmora-cli: design: " << *design.error << "\n";
    return kExitUsage;
  }
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.15g", design.swfpr);

  std::optional<CaseResult> result;
  if (withN) {
    InputTexts texts;
    texts.txtAL = design.dcfpText;
    texts.txtN = Value(parsed, "--n");
    texts.txtR = std::to_string(design.r);
    texts.txtMDET = parsed.values.count("--j") != 0 ? Value(parsed, "--j") : texts.txtN;
    Calculation calculation;
    result = computeCase(calculation, texts, parsed.audit);
  }

  if (parsed.format == OutputFormat::json) {
    out << "{\"wells\": " << design.wells << ", \"constituents\": " << design.constituents
        << ", \"evaluations\": " << design.evaluations << ", \"swfpr\": " << jsonString(rate)
        << ", \"r\": " << design.r << ", \"dcfp\": " << jsonString(design.dcfpText)
        << ", \"formulas\": [" << jsonString(design.rFormula) << ", " << jsonString(design.dcfpFormula) << "]";
    if (result) out << ", \"calculation\": " << jsonRecord(*result);
    out << "}\n";
  } else {
    out << "Monitoring program: " << design.wells << " wells, " << design.constituents << " constituents, "
        << design.evaluations << " evaluations a year, site-wide annual false-positive rate A = " << rate << "\n"
        << design.rFormula << " comparisons per constituent per year\n"
        << design.dcfpFormula << " per constituent\n";
    if (result) {
      if (result->outcome.accepted()) out << "\n";
      makeRecordWriter(OutputFormat::text, out, err)->writeCase(*result, 0);
    }
  }
  return Finish(out, err, result && !result->outcome.accepted() ? kExitRefused : kExitOk);
}

int runPlan(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const SubcommandArguments parsed = ParseSubcommand(args, {"--dcfp", "--r", "--rank", "--test"}, false);
  if (!parsed.error.empty()) return UsageError(err, parsed.error);
  std::string missing;
  for (const char* name : {"--dcfp", "--r"}) {
    if (parsed.values.count(name) == 0) missing += std::string(" ") + name;
  }
  if (!missing.empty()) return UsageError(err, "plan: missing" + missing);
  if (parsed.values.count("--rank") != 0 && Value(parsed, "--rank").empty()) {
    return UsageError(err, "plan: --rank needs a whole number above zero");
  }
  if (parsed.values.count("--test") != 0 && Value(parsed, "--test").empty()) {
    return UsageError(err, "plan: --test needs one of 1:1, 1:2, 1:3 and 1:4");
  }

  const SampleSizePlan plan =
      PlanSampleSize(Value(parsed, "--dcfp"), Value(parsed, "--r"), Value(parsed, "--rank"), Value(parsed, "--test"));
  if (plan.error) {
    err << "velmora-cli: plan: " << *plan.error << "\n";
    return kExitUsage;
  }

  if (parsed.format == OutputFormat::json) {
    out << "{\"dcfp\": " << jsonString(plan.dcfpText) << ", \"r\": " << plan.r << ", \"rank\": " << plan.rank
        << ", \"smallest_n\": " << plan.smallestN << ", \"largest_n\": " << plan.largestN << ", \"tests\": [";
    for (std::size_t i = 0; i < plan.schemes.size(); ++i) {
      const SchemePlan& s = plan.schemes[i];
      if (i > 0) out << ", ";
      out << "{\"test\": " << jsonString(kSchemeNames[static_cast<std::size_t>(s.test - 1)])
          << ", \"exact_n\": " << (s.exactN ? std::to_string(*s.exactN) : "null")
          << ", \"exact_cfp\": " << jsonString(FormatSignificant(s.exactCfp))
          << ", \"design_n\": " << (s.designN ? std::to_string(*s.designN) : "null")
          << ", \"design_cfp\": " << jsonString(Float32Text(s.designCfp)) << "}";
    }
    out << "]}\n";
    return Finish(out, err, kExitOk);
  }

  out << "Smallest background size n for rank " << plan.rank << " to meet DCFP " << quotedText(plan.dcfpText)
      << " with r = " << plan.r << " comparisons (n from " << plan.smallestN << " to " << plan.largestN
      << ", n + 4r <= 32767)\n";
  out << "  exact:  the exact CFP, against the DCFP as typed\n"
         "  design: the calculator's float32 CFP, against the DCFP as a float32\n";
  for (const SchemePlan& s : plan.schemes) {
    const char* name = kSchemeNames[static_cast<std::size_t>(s.test - 1)];
    out << name << "  exact:  ";
    if (s.exactN) {
      out << "n = " << *s.exactN << ", CFP " << FormatSignificant(s.exactCfp) << "\n";
    } else {
      out << "no n up to " << plan.largestN << " meets it (CFP at n = " << plan.largestN << ": "
          << FormatSignificant(s.exactCfp) << ")\n";
    }
    out << std::string(std::string_view(name).size(), ' ') << "  design: ";
    if (s.designN) {
      out << "n = " << *s.designN << ", CFP " << Float32Text(s.designCfp) << "\n";
    } else {
      out << "no n up to " << plan.largestN << " meets it (CFP at n = " << plan.largestN << ": "
          << Float32Text(s.designCfp) << ")\n";
    }
  }
  return Finish(out, err, kExitOk);
}

}  // namespace velmora::cli

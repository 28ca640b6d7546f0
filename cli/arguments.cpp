// The command line of velmora-cli.
#include "arguments.h"

#include <array>
#include <string_view>

#ifndef VELMORA_VERSION
#error "VELMORA_VERSION must be defined by the build (the project version)"
#endif

namespace velmora::cli {

namespace {

ParsedArguments usageError(std::string message) {
  ParsedArguments parsed;
  parsed.action = ParsedArguments::Action::usageError;
  parsed.error = std::move(message);
  return parsed;
}

std::optional<OutputFormat> formatNamed(std::string_view name) {
  if (name == "text") return OutputFormat::text;
  if (name == "csv") return OutputFormat::csv;
  if (name == "json") return OutputFormat::json;
  return std::nullopt;
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  Options& options = parsed.options;
  std::optional<std::string> format;
  const std::array<std::pair<std::string_view, std::optional<std::string>*>, 6> valued = {{
      {"--dcfp", &options.dcfp},
      {"--n", &options.n},
      {"--r", &options.r},
      {"--j", &options.j},
      {"--batch", &options.batch},
      {"--format", &format},
  }};

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.action = ParsedArguments::Action::help;
      return parsed;
    }
    if (arg == "--version") {
      parsed.action = ParsedArguments::Action::version;
      return parsed;
    }
    if (arg == "--audit") {
      options.audit = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.starts_with("--") ? arg.substr(0, equals) : arg;
    std::optional<std::string>* target = nullptr;
    for (const auto& [optionName, slot] : valued) {
      if (name == optionName) target = slot;
    }
    if (target == nullptr) {
      if (!arg.starts_with("-") || arg == "-") {
        return usageError("unexpected argument '" + std::string(arg) + "'");
      }
      return usageError("unknown option '" + std::string(name) + "'");
    }
    // A value given twice is more likely a slip than an intended override.
    if (target->has_value()) return usageError("option " + std::string(name) + " given more than once");
    if (equals != std::string_view::npos) {
      *target = std::string(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      *target = args[++i];
    } else {
      return usageError("option " + std::string(name) + " needs a value");
    }
  }

  if (format) {
    const std::optional<OutputFormat> named = formatNamed(*format);
    if (!named) return usageError("unknown format '" + *format + "' (use text, csv or json)");
    options.format = *named;
  }
  if (options.batch) {
    if (options.dcfp || options.n || options.r || options.j) {
      return usageError("--batch reads every case from its file; it takes no --dcfp, --n, --r or --j");
    }
    return parsed;
  }
  if (!options.dcfp || !options.n || !options.r) {
    std::string missing;
    if (!options.dcfp) missing += " --dcfp";
    if (!options.n) missing += " --n";
    if (!options.r) missing += " --r";
    return usageError("missing" + missing + " (or give --batch FILE)");
  }
  return parsed;
}

std::string usageText() {
  return R"(Usage: velmora-cli --dcfp TEXT --n TEXT --r TEXT [--j TEXT] [--format FORMAT] [--audit]
       velmora-cli --batch FILE [--format FORMAT] [--audit]
       velmora-cli design --wells W --constituents C --evaluations E [--swfpr A]
                          [--n N [--j J] [--format text|json] [--audit]]
       velmora-cli plan --dcfp D --r R [--rank K] [--test 1:T] [--format text|json]
       velmora-cli --help | --version

Finds, for the non-parametric maximum tests 1:1 to 1:4, the optimal inverse rank of
the background, its achievable cumulative false-positive (CFP) error and percentile,
the number of samples, and the power at 2, 3 and 4 standard deviations with a rating.

Each TEXT is taken exactly as if typed into the calculator's box, blanks included:
  --dcfp TEXT      design cumulative false-positive error, 0 < DCFP <= 1
  --n TEXT         background sample size, a whole number above 1
  --r TEXT         number of comparisons to the same background, a whole number above 0
  --j TEXT         minimum allowable inverse rank; without it j is the n text
  --batch FILE     one case a line, DCFP,n,r[,j], with CSV quoting ("..." may hold
                   commas, blanks and line breaks; "" is a quote); FILE - reads
                   standard input. A line of three fields takes j from n; empty
                   lines are skipped.
  --format FORMAT  text  a grid like the calculator window's (the default)
                   csv   a header, then one row per case and test
                   json  one object per case and line
  --audit          add the exact audit of each test: the exact CFP of the chosen rank
                   and of the next one, the margin to the DCFP as typed, and the
                   exact rank, the largest whose exact CFP meets that DCFP
  --help, -h       show this text

design: r = W x E comparisons per constituent per year, and the per-constituent
DCFP = 1 - (1 - A)^(1/C) that keeps the site-wide annual false-positive rate at A
(--swfpr, default 0.10). With --n the calculation runs on them (j defaults to n).

plan: the smallest background size n for which rank K (default 1, the maximum) of
each test (or of --test 1:T) meets the DCFP with r comparisons, by exact arithmetic
and by the calculator's own float32 arithmetic.
  --version        show the version

Exit status: 0 when every case was computed; 2 when a case was refused or a batch
line could not be read (the message goes to standard error, or in json format is
the record of that case); 64 for a usage error or a design or plan request refused.
)";
}

std::string versionText() { return std::string("velmora-cli ") + VELMORA_VERSION + "\n"; }

}  // namespace velmora::cli

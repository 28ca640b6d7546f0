// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of velmora-cli, read by CLI11.
#include "velmora/cli/arguments.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "velmora/version.h"

namespace velmora::cli {

namespace {

using Action = ParsedArguments::Action;
using Command = ParsedArguments::Command;

constexpr const char* kDesignWord = "design";
constexpr const char* kPlanWord = "plan";
constexpr const char* kCurvesWord = "curves";

// How an argument that belongs to no option is named in its message. The calculation's
// options and the commands' have always named two corners differently: a lone "-" is an
// unexpected argument of the calculation but an unknown option of a command, and a
// single-dash option is named whole by the calculation ('-n=5') but up to its '=' by a
// command ('-n').
enum class StrayNames { calculation, command };

std::string strayMessage(std::string_view arg, StrayNames names) {
  const std::string_view beforeEquals = arg.substr(0, arg.find('='));
  const bool option = names == StrayNames::calculation ? arg.starts_with("-") && arg != "-" : arg.starts_with("-");
  if (!option) return "unexpected argument '" + std::string(arg) + "'";
  const bool wholeName = names == StrayNames::calculation && !arg.starts_with("--");
  return "unknown option '" + std::string(wholeName ? arg : beforeEquals) + "'";
}

// Options with a value, and where each one's text goes.
using OptionTargets = std::initializer_list<std::pair<const char*, std::optional<std::string>*>>;

// Thrown from an option's callback: the reading ends with this usage error.
struct UsageStop {
  std::string message;
};

// One reading of the arguments by CLI11, with this program's rules over the library's:
//   - the first problem in argument order is the one reported, and --help or --version
//     ends the reading where it stands (CLI11 gathers unknown arguments and goes on, so
//     every callback first asks whether one came before it);
//   - an option given twice is a problem (each callback runs as its option is read);
//   - a flag is its exact word (CLI11 also takes "--audit=true", and "-hx" as -h -x);
//   - "--r=" gives r the empty text (CLI11 takes the next argument for an empty value, so
//     such an argument is split into "--r" and an empty argument before the reading).
class Reader {
 public:
  // Reads args[first] on, for the command named `name`.
  Reader(const std::vector<std::string>& args, std::size_t first, const std::string& name, StrayNames names)
      : m_args(args), m_names(names), m_app("", name) {
    m_app.set_help_flag();  // --help is ours: it must not win over an earlier problem
    m_app.allow_extras();   // unknown arguments are gathered, and named by strayMessage
    for (std::size_t i = first; i < args.size(); ++i) {
      const std::string& arg = args[i];
      const bool emptyValue = arg.size() > 3 && arg.starts_with("--") && arg.back() == '=' &&
                              arg.find('=') == arg.size() - 1;
      m_words.push_back(emptyValue ? arg.substr(0, arg.size() - 1) : arg);
      m_origin.push_back(i);
      if (emptyValue) {
        m_words.emplace_back();
        m_origin.push_back(i);
      }
    }
  }

  void addOptions(OptionTargets options) {
    for (const auto& [name, target] : options) addOption(name, *target);
  }

  void addOption(const std::string& name, std::optional<std::string>& target) {
    m_app.add_option_function<std::string>(name,
                                         [this, name, &target](const std::string& value) {
                                           stopAtStray();
                                           if (target) throw UsageStop{"option " + name + " given more than once"};
                                           target = value;
                                         })
        ->trigger_on_parse();
  }

  void addFlag(std::initializer_list<const char*> words, std::function<void()> onFlag) {
    std::string names;
    for (const char* word : words) names += (names.empty() ? "" : ",") + std::string(word);
    m_app.add_flag_callback(names,
                          [this, exact = std::vector<std::string>(words.begin(), words.end()), onFlag] {
                            stopAtStray();
                            const std::string& word = currentArgument();
                            if (std::find(exact.begin(), exact.end(), word) == exact.end()) {
                              throw UsageStop{strayMessage(word, m_names)};
                            }
                            onFlag();
                          })
        ->disable_flag_override()
        ->trigger_on_parse();
  }

  // Reads every argument: Action::run when all of them were taken, otherwise why the
  // reading ended (with the usage error in `error`).
  [[nodiscard]] Action read(std::string& error) {
    std::vector<std::string> pending(m_words.rbegin(), m_words.rend());  // CLI11 reads from the back
    m_pending = &pending;
    try {
      m_app.parse(pending);
    } catch (const CLI::CallForHelp&) {
      return Action::help;
    } catch (const CLI::CallForVersion&) {
      return Action::version;
    } catch (const UsageStop& stop) {
      error = stop.message;
      return Action::usageError;
    } catch (const CLI::ArgumentMismatch&) {
      // An option without its value (it is then the last argument, since a value is
      // whatever follows), or a flag given one (which can only come after an '=':
      // "--audit=no").
      error = firstStray().value_or(currentArgument().find('=') == std::string::npos
                                        ? "option " + currentArgument() + " needs a value"
                                        : strayMessage(currentArgument(), m_names));
      return Action::usageError;
    } catch (const CLI::ParseError& e) {
      error = firstStray().value_or(e.what());
      return Action::usageError;
    }
    if (std::optional<std::string> stray = firstStray()) {
      error = std::move(*stray);
      return Action::usageError;
    }
    return Action::run;
  }

 private:
  [[nodiscard]] std::optional<std::string> firstStray() const {
    const std::vector<std::string> strays = m_app.remaining();
    if (strays.empty()) return std::nullopt;
    return strayMessage(strays.front(), m_names);
  }

  void stopAtStray() const {
    if (std::optional<std::string> stray = firstStray()) throw UsageStop{std::move(*stray)};
  }

  // The argument CLI11 is reading: the last one it took off the pending ones.
  [[nodiscard]] const std::string& currentArgument() const {
    return m_args[m_origin[m_words.size() - m_pending->size() - 1]];
  }

  const std::vector<std::string>& m_args;
  StrayNames m_names;
  std::vector<std::string> m_words;   // the arguments as CLI11 reads them
  std::vector<std::size_t> m_origin;  // the argument each word comes from
  const std::vector<std::string>* m_pending = nullptr;
  CLI::App m_app;
};

std::optional<OutputFormat> formatNamed(std::string_view name, bool csvAllowed) {
  if (name == "text") return OutputFormat::text;
  if (name == "csv" && csvAllowed) return OutputFormat::csv;
  if (name == "json") return OutputFormat::json;
  return std::nullopt;
}

// The names of the options in `wanted` that were not given, each after a blank.
std::string missingNames(OptionTargets wanted) {
  std::string missing;
  for (const auto& [name, value] : wanted) {
    if (!value->has_value()) missing += std::string(" ") + name;
  }
  return missing;
}

// The rules between the calculation's options, once every argument is read. Empty when
// the options make a request.
std::optional<std::string> checkCalculation(Options& options, const std::optional<std::string>& format,
                                            const std::optional<std::string>& jobs) {
  if (jobs) {
    if (!options.batch) return "--jobs needs --batch (a single case is computed on one core)";
    int count = 0;
    const char* end = jobs->data() + jobs->size();
    const auto [stop, status] = std::from_chars(jobs->data(), end, count);
    if (status != std::errc() || stop != end || count < 1 || count > kMaxJobs) {
      return "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not '" + *jobs + "'";
    }
    options.jobs = count;
  }
  if (format) {
    const std::optional<OutputFormat> named = formatNamed(*format, true);
    if (!named) return "unknown format '" + *format + "' (use text, csv or json)";
    options.format = *named;
  }
  if (options.batch) {
    if (options.dcfp || options.n || options.r || options.j) {
      return "--batch reads every case from its file; it takes no --dcfp, --n, --r or --j";
    }
    return std::nullopt;
  }
  const std::string missing = missingNames({{"--dcfp", &options.dcfp}, {"--n", &options.n}, {"--r", &options.r}});
  if (!missing.empty()) return "missing" + missing + " (or give --batch FILE)";
  return std::nullopt;
}

// csv is refused for the commands: their answers are not one row per case and test.
std::optional<std::string> checkCommandFormat(OutputFormat& target, const std::optional<std::string>& format) {
  if (!format) return std::nullopt;
  const std::optional<OutputFormat> named = formatNamed(*format, false);
  if (!named) return "unknown format '" + *format + "' here (use text or json)";
  target = *named;
  return std::nullopt;
}

std::optional<std::string> checkDesign(DesignOptions& design, const std::optional<std::string>& format) {
  if (auto error = checkCommandFormat(design.format, format)) return error;
  const std::string missing = missingNames({{"--wells", &design.wells},
                                            {"--constituents", &design.constituents},
                                            {"--evaluations", &design.evaluations}});
  if (!missing.empty()) return "design: missing" + missing;
  if (!design.n && (design.j || design.audit)) {
    return "design: --j and --audit need --n (the calculation runs only with a background size)";
  }
  return std::nullopt;
}

// The curves are tables of numbers: csv (the default) or json, no text grid.
std::optional<std::string> checkCurves(CurvesOptions& curves, const std::optional<std::string>& format) {
  if (format) {
    const std::optional<OutputFormat> named = formatNamed(*format, true);
    if (!named || *named == OutputFormat::text) return "unknown format '" + *format + "' here (use csv or json)";
    curves.format = *named;
  }
  const std::string missing = missingNames({{"--dcfp", &curves.dcfp}, {"--n", &curves.n}, {"--r", &curves.r}});
  if (!missing.empty()) return "curves: missing" + missing;
  return std::nullopt;
}

std::optional<std::string> checkPlan(PlanOptions& plan, const std::optional<std::string>& format) {
  if (auto error = checkCommandFormat(plan.format, format)) return error;
  const std::string missing = missingNames({{"--dcfp", &plan.dcfp}, {"--r", &plan.r}});
  if (!missing.empty()) return "plan: missing" + missing;
  if (plan.rank && plan.rank->empty()) return "plan: --rank needs a whole number above zero";
  if (plan.test && plan.test->empty()) return "plan: --test needs one of 1:1, 1:2, 1:3 and 1:4";
  return std::nullopt;
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  const std::string first = args.empty() ? std::string() : args.front();
  parsed.command = first == kDesignWord   ? Command::design
                   : first == kPlanWord   ? Command::plan
                   : first == kCurvesWord ? Command::curves
                                          : Command::calculate;
  std::optional<std::string> format;  // checked once every argument is read
  std::optional<std::string> jobs;    // the same
  std::string error;
  std::optional<std::string> refused;

  // Each command is an App of its own, chosen by the first word, rather than a CLI11
  // subcommand: a subcommand would hand "--" and "++" back to the calculation's options
  // and take its word anywhere, where design and plan are only ever the first word and
  // every argument after it is theirs.
  const bool calculation = parsed.command == Command::calculate;
  Reader reader(args, calculation ? 0 : 1, calculation ? "velmora-cli" : "velmora-cli " + first,
                calculation ? StrayNames::calculation : StrayNames::command);
  Options& options = parsed.options;
  DesignOptions& design = parsed.design;
  PlanOptions& plan = parsed.plan;
  CurvesOptions& curves = parsed.curves;
  switch (parsed.command) {
    case Command::calculate:
      reader.addOptions({{"--dcfp", &options.dcfp}, {"--n", &options.n}, {"--r", &options.r}, {"--j", &options.j},
                         {"--batch", &options.batch}, {"--jobs", &jobs}, {"--format", &format}});
      reader.addFlag({"--audit"}, [&options] { options.audit = true; });
      reader.addFlag({"--help", "-h"}, [] { throw CLI::CallForHelp(); });
      reader.addFlag({"--version"}, [] { throw CLI::CallForVersion(); });
      break;
    case Command::design:
      reader.addOptions({{"--wells", &design.wells}, {"--constituents", &design.constituents},
                         {"--evaluations", &design.evaluations}, {"--swfpr", &design.swfpr}, {"--n", &design.n},
                         {"--j", &design.j}, {"--format", &format}});
      reader.addFlag({"--audit"}, [&design] { design.audit = true; });
      break;
    case Command::plan:
      reader.addOptions({{"--dcfp", &plan.dcfp}, {"--r", &plan.r}, {"--rank", &plan.rank}, {"--test", &plan.test},
                         {"--format", &format}});
      break;
    case Command::curves:
      reader.addOptions({{"--dcfp", &curves.dcfp}, {"--n", &curves.n}, {"--r", &curves.r}, {"--j", &curves.j},
                         {"--format", &format}});
      break;
  }
  parsed.action = reader.read(error);
  if (parsed.action == Action::run) {
    refused = calculation                         ? checkCalculation(options, format, jobs)
              : parsed.command == Command::design ? checkDesign(design, format)
              : parsed.command == Command::curves ? checkCurves(curves, format)
                                                  : checkPlan(plan, format);
  }
  if (refused) {
    parsed.action = Action::usageError;
    error = std::move(*refused);
  }
  if (parsed.action == Action::usageError) parsed.error = Problem{ProblemKind::usage, {std::move(error)}};
  return parsed;
}

// The usage text is written out rather than generated by CLI11's formatter: it explains
// how each value is taken (as typed, the batch quoting, the exit statuses), which a
// generated list of option names does not.
std::string usageText() {
  return R"(Usage: velmora-cli --dcfp TEXT --n TEXT --r TEXT [--j TEXT] [--format FORMAT] [--audit]
       velmora-cli --batch FILE [--jobs N] [--format FORMAT] [--audit]
       velmora-cli design --wells W --constituents C --evaluations E [--swfpr A]
                          [--n N [--j J] [--format text|json] [--audit]]
       velmora-cli plan --dcfp D --r R [--rank K] [--test 1:T] [--format text|json]
       velmora-cli curves --dcfp TEXT --n TEXT --r TEXT [--j TEXT] [--format csv|json]
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
  --jobs N         compute up to N cases of a batch at once (default: one per
                   processor core); the records come out in the order of the lines
                   whatever N is. A batch that runs longer than a second shows its
                   progress on standard error when that is a terminal.
  --format FORMAT  text  a grid like the calculator window's (the default)
                   csv   a header, then one row per case and test
                   json  one object per case and line
  --audit          add the exact audit of each test: the exact CFP of the chosen rank
                   and of the next one, the margin to the DCFP as typed, and the
                   exact rank, the largest whose exact CFP meets that DCFP; the exact
                   power of the chosen rank at 2, 3 and 4 standard deviations and
                   the rating it earns under the same criteria
  --help, -h       show this text
  --version        show the version

design: r = W x E comparisons per constituent per year, and the per-constituent
DCFP = 1 - (1 - A)^(1/C) that keeps the site-wide annual false-positive rate at A
(--swfpr, default 0.10). With --n the calculation runs on them (j defaults to n).

plan: the smallest background size n for which rank K (default 1, the maximum) of
each test (or of --test 1:T) meets the DCFP with r comparisons, by exact arithmetic
and by the calculator's own float32 arithmetic.

curves: after the calculation on the four texts (refused as the calculation refuses
them), for each test the CFP by rank, from 1 to a few ranks past the largest chosen
rank (a sample of them beyond a few hundred ranks, or where ranks are costly, that
keeps every chosen rank and its neighbours), by the calculator's float32 arithmetic
and exactly, with the chosen rank and the j bound min(j, n) marked; and the power of
the chosen rank by shift, 0 to 5 standard deviations in steps of 0.25, by the
calculator's power arithmetic (at 2, 3 and 4 the cells before their rounding) and
exactly, with the reference power curve. The calculator's power is a normal-theory
model of the test, so the two power curves differ by model error and arithmetic
error together. --format csv (the default): a header, then one row per point;
json: one object.

Exit status: 0 when every case was computed; 2 when a case was refused or a batch
line could not be read (the message goes to standard error, or in json format is
the record of that case); 64 for a usage error or a design or plan request refused.
)";
}

std::string versionText() { return std::string("velmora-cli ") + projectVersion + "\n"; }

}  // namespace velmora::cli

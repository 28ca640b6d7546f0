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
constexpr const char* kStrategiesWord = "strategies";
constexpr const char* kEvaluateWord = "evaluate";

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

// A flag of a command, and what giving it does.
struct Flag {
  std::vector<std::string> words;
  std::function<void()> given;
};

// The command line read by CLI11: the calculation's options on the program itself, each
// command a subcommand with its own options. This program's rules over the library's:
//   - the first problem in argument order is the one reported, and --help or --version
//     ends the reading where it stands: every option's callback runs as its option is
//     read (trigger_on_parse) and only the first event of the reading counts;
//   - an option given twice is a problem, seen by its callback;
//   - a flag is its exact word: CLI11 reads flags loosely ("--audit=true", "-hx" as -h -x),
//     so no flag is given to it; the flags are read from the arguments it leaves over
//     (allow_extras), which keep their order and their exact text;
//   - "--r=" gives r the empty text (CLI11 takes the next argument for an empty value after
//     '=', so the arguments are handed to it with that value as an argument of its own);
//   - a command is only ever the first word, and every argument after it is the command's:
//     "--" and "++" (which CLI11 reads as the end of a command's arguments) are strays there.
class CommandLine {
 public:
  explicit CommandLine(ParsedArguments& parsed) : m_parsed(parsed), m_app("", "velmora-cli") {
    m_app.set_help_flag();  // --help is ours: it must not win over an earlier problem
    m_app.allow_extras();
    m_app.require_subcommand(0, 1);
    m_main.app = &m_app;
    m_main.names = StrayNames::calculation;
  }

  // The calculation's options and flags, on the program itself.
  void addOptions(OptionTargets options) { addOptions(m_main, options); }
  void addFlag(std::initializer_list<const char*> words, std::function<void()> given) {
    m_main.flags.push_back({{words.begin(), words.end()}, std::move(given)});
  }

  // Ends the reading where it stands (--help, --version), unless a problem came first.
  void endWith(Action action) { end(action, {}); }

  // A command: its options, and its flags beside --help and -h.
  void addCommand(const char* name, Command command, OptionTargets options, std::vector<Flag> flags = {}) {
    auto scope = std::make_unique<Scope>();
    scope->app = m_app.add_subcommand(name);
    scope->app->set_help_flag();
    scope->app->allow_extras();
    scope->names = StrayNames::command;
    scope->command = command;
    scope->flags = std::move(flags);
    scope->flags.push_back({{"--help", "-h"}, [this, command] { end(Action::help, {}, command); }});
    // A positional that takes nothing: with it CLI11 keeps "--" as a stray of the command
    // rather than ending the command there, and every other positional word, refused by
    // its check, stays a stray in its place.
    scope->app->add_option("word", m_noWords)->check(CLI::Validator(
        [](const std::string&) { return std::string("no positional arguments"); }, "", "no words"));
    scope->app->validate_positionals();
    // A command after the calculation's own arguments is a stray of the calculation.
    scope->app->preparse_callback([this, name, command](std::size_t) {
      takeLeftovers(m_main);
      if (!m_app.parse_order().empty() || !m_app.remaining().empty()) {
        end(Action::usageError, "unexpected argument '" + std::string(name) + "'");
      }
      m_parsed.command = command;
    });
    // Whatever the program itself reads after this came past a "++" that ended the command.
    scope->app->parse_complete_callback([this] { m_commandEnded = true; });
    addOptions(*scope, options);
    m_commands.push_back(std::move(scope));
  }

  // Reads every argument: Action::run when all of them were taken, otherwise why the
  // reading ended (with the usage error in the parsed arguments).
  void read(const std::vector<std::string>& args) {
    std::vector<std::string> words;
    for (const std::string& arg : args) {
      const bool emptyValue = arg.size() > 3 && arg.starts_with("--") && arg.find('=') == arg.size() - 1;
      words.push_back(emptyValue ? arg.substr(0, arg.size() - 1) : arg);
      if (emptyValue) words.emplace_back();
    }
    std::vector<const char*> argv = {"velmora-cli"};
    for (const std::string& word : words) argv.push_back(word.c_str());
    try {
      m_app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ArgumentMismatch&) {
      // An option without its value: a value is whatever follows, so it is the last argument.
      takeAllLeftovers();
      if (m_commandEnded) endAtCommandEnd();
      end(Action::usageError, "option " + args.back() + " needs a value");
    } catch (const CLI::ParseError& e) {
      takeAllLeftovers();
      end(Action::usageError, e.what());
    }
    takeAllLeftovers();
    if (Scope* command = parsedCommand(); command && args.back() == "++" && !lastArgumentIsAValue(*command, args)) {
      endAtCommandEnd();
    }
  }

 private:
  struct Scope {
    CLI::App* app = nullptr;
    StrayNames names = StrayNames::command;
    Command command = Command::calculate;
    std::vector<Flag> flags;
    std::vector<const std::optional<std::string>*> targets;
    std::vector<std::string> optionNames;
    std::size_t leftoversTaken = 0;
  };

  void addOptions(Scope& scope, OptionTargets options) {
    for (const auto& option : options) {
      // Named copies: clang before 16 (clang-tidy 14 among them) cannot capture a structured binding.
      const char* name = option.first;
      std::optional<std::string>* target = option.second;
      scope.targets.push_back(target);
      scope.optionNames.emplace_back(name);
      scope.app
          ->add_option_function<std::string>(name,
                                             [this, &scope, name = std::string(name), target](const std::string& value) {
                                               if (Scope* command = parsedCommand(); command && &scope == &m_main) {
                                                 takeLeftovers(*command);
                                                 endAtCommandEnd();
                                               }
                                               takeLeftovers(scope);
                                               if (target->has_value()) {
                                                 end(Action::usageError, "option " + name + " given more than once");
                                               } else {
                                                 *target = value;
                                               }
                                             })
          ->trigger_on_parse();
    }
  }

  // The first event of the reading is the one that counts.
  void end(Action action, std::string error, std::optional<Command> command = std::nullopt) {
    if (m_ended) return;
    m_ended = true;
    m_parsed.action = action;
    if (command) m_parsed.command = *command;
    if (action == Action::usageError) m_parsed.error = Problem{ProblemKind::usage, {std::move(error)}};
  }

  // The arguments CLI11 left over since the last look, in order: a flag of the scope, or a stray.
  void takeLeftovers(Scope& scope) {
    const std::vector<std::string> leftovers = scope.app->remaining();
    for (; scope.leftoversTaken < leftovers.size(); ++scope.leftoversTaken) {
      const std::string& word = leftovers[scope.leftoversTaken];
      const auto flag = std::find_if(scope.flags.begin(), scope.flags.end(), [&word](const Flag& f) {
        return std::find(f.words.begin(), f.words.end(), word) != f.words.end();
      });
      if (flag == scope.flags.end()) {
        end(Action::usageError, strayMessage(word, scope.names));
      } else if (!m_ended) {
        flag->given();
      }
    }
  }

  void takeAllLeftovers() {
    Scope* command = parsedCommand();
    if (command == nullptr) {
      takeLeftovers(m_main);
      return;
    }
    takeLeftovers(*command);
    // The program's own leftovers before the command were taken as it began; any more came
    // past a "++" that ended the command.
    if (m_app.remaining().size() > m_main.leftoversTaken) endAtCommandEnd();
  }

  void endAtCommandEnd() { end(Action::usageError, strayMessage("++", StrayNames::command)); }

  [[nodiscard]] Scope* parsedCommand() {
    for (const auto& scope : m_commands) {
      if (scope->app->parsed()) return scope.get();
    }
    return nullptr;
  }

  // Whether the last argument was taken as the value of the option before it.
  [[nodiscard]] static bool lastArgumentIsAValue(const Scope& scope, const std::vector<std::string>& args) {
    if (args.size() < 2) return false;
    const auto name = std::find(scope.optionNames.begin(), scope.optionNames.end(), args[args.size() - 2]);
    if (name == scope.optionNames.end()) return false;
    const std::optional<std::string>* target = scope.targets[static_cast<std::size_t>(name - scope.optionNames.begin())];
    return target->has_value() && **target == args.back();
  }

  ParsedArguments& m_parsed;
  CLI::App m_app;
  Scope m_main;
  std::vector<std::unique_ptr<Scope>> m_commands;
  std::vector<std::string> m_noWords;
  bool m_commandEnded = false;
  bool m_ended = false;
};

using records::formatNamed;

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
    const std::optional<OutputFormat> named = formatNamed(*format);
    if (!named) return "unknown format '" + *format + "' (use text, csv or json)";
    options.format = *named;
  }
  if (options.design) {
    if (options.batch || options.dcfp || options.n || options.r || options.j) {
      return "--design reads the four inputs from its file; it takes no --batch, --dcfp, --n, --r or --j";
    }
    return std::nullopt;
  }
  if (options.batch) {
    if (options.dcfp || options.n || options.r || options.j) {
      return "--batch reads every case from its file; it takes no --dcfp, --n, --r or --j";
    }
    return std::nullopt;
  }
  const std::string missing = missingNames({{"--dcfp", &options.dcfp}, {"--n", &options.n}, {"--r", &options.r}});
  if (!missing.empty()) return "missing" + missing + " (or give --batch FILE or --design FILE)";
  return std::nullopt;
}

// The other commands' rules are the records library's (velmora/records/tools.h), which the
// page's requests meet too.
using records::checkCurves;
using records::checkDesign;
using records::checkPlan;
using records::checkStrategies;

// The rest of evaluate's request (which options go together) is its own to check, as it
// reads the data file.
std::optional<std::string> checkEvaluate(EvaluateOptions& evaluate, const std::optional<std::string>& format) {
  if (!format) return std::nullopt;
  const std::optional<OutputFormat> named = formatNamed(*format);
  if (!named) return "unknown format '" + *format + "' here (use text, csv or json)";
  evaluate.format = *named;
  return std::nullopt;
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  std::optional<std::string> format;  // checked once every argument is read
  std::optional<std::string> jobs;    // the same
  Options& options = parsed.options;
  DesignOptions& design = parsed.design;
  PlanOptions& plan = parsed.plan;
  CurvesOptions& curves = parsed.curves;
  StrategiesOptions& strategies = parsed.strategies;
  EvaluateOptions& evaluate = parsed.evaluate;

  CommandLine line(parsed);
  line.addOptions({{"--dcfp", &options.dcfp}, {"--n", &options.n}, {"--r", &options.r}, {"--j", &options.j},
                   {"--batch", &options.batch}, {"--jobs", &jobs}, {"--design", &options.design},
                   {"--format", &format}});
  line.addFlag({"--audit"}, [&options] { options.audit = true; });
  line.addFlag({"--help", "-h"}, [&line] { line.endWith(Action::help); });
  line.addFlag({"--version"}, [&line] { line.endWith(Action::version); });
  line.addCommand(kDesignWord, Command::design,
                  {{"--wells", &design.wells}, {"--constituents", &design.constituents},
                   {"--evaluations", &design.evaluations}, {"--swfpr", &design.swfpr}, {"--n", &design.n},
                   {"--j", &design.j}, {"--format", &format}},
                  {{{"--audit"}, [&design] { design.audit = true; }}});
  line.addCommand(kPlanWord, Command::plan,
                  {{"--dcfp", &plan.dcfp}, {"--r", &plan.r}, {"--rank", &plan.rank}, {"--test", &plan.test},
                   {"--rule", &plan.rule}, {"--format", &format}});
  line.addCommand(kCurvesWord, Command::curves,
                  {{"--dcfp", &curves.dcfp}, {"--n", &curves.n}, {"--r", &curves.r}, {"--j", &curves.j},
                   {"--rule", &curves.rule}, {"--format", &format}});
  line.addCommand(kStrategiesWord, Command::strategies,
                  {{"--dcfp", &strategies.dcfp}, {"--n", &strategies.n}, {"--r", &strategies.r},
                   {"--j", &strategies.j}, {"--rules", &strategies.rules}, {"--rank", &strategies.rank},
                   {"--shifted", &strategies.shifted}, {"--format", &format}});
  line.addCommand(kEvaluateWord, Command::evaluate,
                  {{"--data", &evaluate.data}, {"--rule", &evaluate.rule}, {"--rank", &evaluate.rank},
                   {"--dcfp", &evaluate.dcfp}, {"--r", &evaluate.r}, {"--j", &evaluate.j},
                   {"--constituent", &evaluate.constituent}, {"--format", &format}},
                  {{{"--skip-bad-lines"}, [&evaluate] { evaluate.skipBadLines = true; }}});
  line.read(args);
  if (parsed.action != Action::run) return parsed;

  std::optional<std::string> refused;
  switch (parsed.command) {
    case Command::calculate: refused = checkCalculation(options, format, jobs); break;
    case Command::design: refused = checkDesign(design, format); break;
    case Command::plan: refused = checkPlan(plan, format); break;
    case Command::curves: refused = checkCurves(curves, format); break;
    case Command::strategies: refused = checkStrategies(strategies, format); break;
    case Command::evaluate: refused = checkEvaluate(evaluate, format); break;
  }
  if (refused) {
    parsed.action = Action::usageError;
    parsed.error = Problem{ProblemKind::usage, {std::move(*refused)}};
  }
  return parsed;
}

// The usage text is written out rather than generated by CLI11's formatter: it explains
// how each value is taken (as typed, the batch quoting, the exit statuses), which a
// generated list of option names does not. Each command's help is its usage lines and its
// paragraph of the whole.
namespace {

constexpr const char* kDesignUsage =
    R"(velmora-cli design --wells W --constituents C --evaluations E [--swfpr A]
                          [--n N [--j J] [--audit]] [--format text|csv|json])";
constexpr const char* kPlanUsage =
    "velmora-cli plan --dcfp D --r R [--rank K] [--test 1:T | --rule NAME] [--format text|csv|json]";
constexpr const char* kCurvesUsage =
    "velmora-cli curves --dcfp TEXT --n TEXT --r TEXT [--j TEXT] [--rule NAME] [--format csv|text|json]";
constexpr const char* kStrategiesUsage =
    R"(velmora-cli strategies --dcfp D --n N --r R [--j J] [--rules LIST] [--rank K]
                              [--shifted S] [--format text|csv|json])";
constexpr const char* kEvaluateUsage =
    R"(velmora-cli evaluate --data FILE --rule NAME (--rank K | --dcfp D --r R [--j J])
                            [--constituent NAME] [--format text|csv|json] [--skip-bad-lines])";

constexpr const char* kDesignText = R"(design: r = W x E comparisons per constituent per year, and the per-constituent
DCFP = 1 - (1 - A)^(1/C) that keeps the site-wide annual false-positive rate at A
(--swfpr, default 0.10). With --n the calculation runs on them (j defaults to n).
csv: the program's numbers, with --n before each row of the calculation's csv.
)";

constexpr const char* kPlanText = R"(plan: the smallest background size n for which rank K (default 1, the maximum) of
each test (or of --test 1:T) meets the DCFP with r comparisons, by exact arithmetic
and by the calculator's own float32 arithmetic. csv: a header and one row per test.
With --rule NAME, for that retest strategy instead (the names of the strategies
command: 1-of-2, 2-of-3, california-3, modified-california, 1-of-2/median-3, ...), by
exact arithmetic alone. A plan that runs longer than a second shows its progress on
standard error when that is a terminal.
)";

constexpr const char* kCurvesText = R"(curves: after the calculation on the four texts (refused as the calculation refuses
them), for each test and every rank from 1 to a few ranks past the largest chosen
rank: the CFP by the calculator's float32 arithmetic and exactly, whether the exact
CFP meets the DCFP as typed, the exact power at 2, 3 and 4 standard deviations and
the rating it earns, with the chosen rank and the j bound min(j, n) marked (the
rows of the analysis window's table of every rank); and the power of the chosen
rank by shift, 0 to 5 standard deviations in steps of 0.25, by the calculator's
power arithmetic (at 2, 3 and 4 the cells before their rounding) and exactly, with
the reference power curve. The calculator's power is a normal-theory model of the
test, so the two power curves differ by model error and arithmetic error together.
With --rule NAME (a retest strategy, as strategies takes it) the same for that
strategy alone, with its own chosen rank (the largest rank <= min(j, n) whose exact
CFP meets the DCFP), read and refused as strategies reads and refuses a design;
the calculator's float32 CFP only for a rule that is one of its tests (1-of-1 to
1-of-4). --format csv (the default): a header, then one row per rank and per
shift; text: two tables per test; json: one object.
)";

constexpr const char* kStrategiesText = R"(strategies: for each retest strategy of --rules (names separated by commas; by
default 1-of-1, 1-of-2, 1-of-3, 1-of-4, 2-of-3, 2-of-4, 3-of-4, california-3,
california-4, modified-california, 1-of-1/median-3, 1-of-2/median-3) the largest
rank k <= min(j, n) whose exact CFP meets the DCFP with r comparisons, or with
--rank K every strategy at rank K; its CFP, percentile, expected samples, and the
power of one shifted comparison at 2, 3 and 4 standard deviations with its rating
(with --shifted S also the power when S of the r comparisons are shifted), all by
exact arithmetic. text: a table, the strategies that meet the DCFP marked; csv: a
header and one row per strategy; json: one object.
)";

constexpr const char* kEvaluateText = R"(evaluate: the limit of each constituent's background in a monitoring data file
(the value of inverse rank K, or with --dcfp and --r the best rank of the strategy
for that design with n = the number of background values) and each compliance
well's verdict under the retest strategy --rule. Exit status 3 when a well fails,
2 when one is undetermined or needs a resample, 65 for data that cannot be used.
)";

constexpr const char* kExitText = R"(Exit status: 0 when every case was computed; 2 when a case was refused or a batch
line could not be read (the message goes to standard error, or in json format is
the record of that case); 64 for a usage error or a design or plan request refused.
)";

std::string commandHelp(const char* usage, const char* text) {
  const std::string_view line(usage);
  const std::string command(line.substr(0, line.find(" --")));  // "velmora-cli plan"
  return std::string("Usage: ") + usage + "\n       " + command + " --help\n\n" + text + "\n" + kExitText;
}

}  // namespace

std::string usageText() {
  return std::string(R"(Usage: velmora-cli --dcfp TEXT --n TEXT --r TEXT [--j TEXT] [--format FORMAT] [--audit]
       velmora-cli --batch FILE [--jobs N] [--format FORMAT] [--audit]
       velmora-cli --design FILE [--format FORMAT] [--audit]
       )") + kDesignUsage + "\n       " + kPlanUsage + "\n       " + kCurvesUsage + "\n       " +
         kStrategiesUsage + "\n       " + kEvaluateUsage + R"(
       velmora-cli COMMAND --help
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
                   lines, and a first line naming the columns, are skipped.
  --design FILE    the one case of a design saved by the window (File > Save Design,
                   a .velmora file): its four inputs exactly as typed there. A file
                   that is damaged, cut short or not a design is refused with the
                   reason (exit status 65).
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
  --help, -h       show this text (after a command: that command's help)
  --version        show the version

)" + kDesignText + "\n" + kPlanText + "\n" + kCurvesText + "\n" + kStrategiesText + "\n" + kEvaluateText + "\n" +
         kExitText;
}

std::string usageText(ParsedArguments::Command command) {
  switch (command) {
    case Command::calculate: return usageText();
    case Command::design: return commandHelp(kDesignUsage, kDesignText);
    case Command::plan: return commandHelp(kPlanUsage, kPlanText);
    case Command::curves: return commandHelp(kCurvesUsage, kCurvesText);
    case Command::strategies: return commandHelp(kStrategiesUsage, kStrategiesText);
    case Command::evaluate: return commandHelp(kEvaluateUsage, kEvaluateText);
  }
  return usageText();
}

std::string versionText() { return std::string("velmora-cli ") + projectVersion + "\n"; }

}  // namespace velmora::cli

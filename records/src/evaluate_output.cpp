// SPDX-License-Identifier: GPL-3.0-or-later
// evaluate: the limit of each constituent's background and each compliance
// well's verdict, as a report (text), one row per well (csv) or one object per constituent
// (json).
#include "velmora/records/evaluate_output.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <span>
#include <vector>

#include "json_values.h"
#include "velmora/analysis/verdicts.h"
#include "velmora/records/monitoring_data.h"

namespace velmora::records {

namespace {

using analysis::BackgroundLimit;
using analysis::ConstituentData;
using analysis::ConstituentEvaluation;
using analysis::Measurement;
using analysis::Strategy;
using analysis::Verdict;
using analysis::WellVerdict;

// The most background values the text report lists before the limit, first ones and last
// ones; the rest are counted.
constexpr std::size_t kListedBackground = 40;
constexpr std::size_t kListedAtEitherEnd = 10;

// One constituent's request and answer.
struct Evaluated {
  const ConstituentData* data = nullptr;
  int rank = 0;
  std::optional<DesignRank> designRank;  // --dcfp: the rank came from the design
  ConstituentEvaluation evaluation;
};

// How a multi-line problem reads on standard error: its first line after the program's
// name, each further line (a bad line of the data) on a line of its own.
int reportLines(std::ostream& err, std::string_view context, const Problem& problem) {
  std::string text = "velmora-cli: evaluate:";
  if (!context.empty()) text += " " + std::string(context);
  for (std::size_t i = 0; i < problem.lines.size(); ++i) text += (i == 0 ? " " : "\n  ") + problem.lines[i];
  err << text << "\n" << std::flush;
  return exitStatus(problem);
}

int refuse(std::ostream& err, std::string line) {
  return reportLines(err, "", Problem(ProblemKind::refusedRequest, {std::move(line)}));
}

// A rank as given: a whole number from 1 up, blanks around it aside.
std::optional<int> rankValue(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return std::nullopt;
  text = text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
  if (text.size() > 9) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value >= 1 ? std::optional<int>(value) : std::nullopt;
}

std::string joined(std::span<const Measurement> values, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += separator;
    out += values[i].text;
  }
  return out;
}

const Measurement& backgroundValue(const ConstituentData& data, const analysis::BackgroundEntry& entry) {
  return data.background[entry.well].values[entry.value];
}

std::string constituentHeading(const ConstituentData& data, bool named) {
  std::string out = named ? "Constituent " + data.name : std::string("Data");
  if (!data.unit.empty()) out += " (" + data.unit + ")";
  return out;
}

std::string rankText(const Evaluated& e, const Strategy& strategy, const EvaluateOptions& options) {
  const std::string rank = std::to_string(e.rank);
  if (!e.designRank) return "rank " + rank;
  return "rank " + rank + ", the best rank of " + strategy.canonicalName() + " for DCFP " + options.dcfp.value_or("") +
         " and r = " + options.r.value_or("") + (options.j ? " (j = " + *options.j + ")" : std::string()) +
         " with n = " + std::to_string(e.evaluation.limit.n) + " background values; its CFP " + e.designRank->cfp;
}

std::string backgroundText(const ConstituentData& data, const BackgroundLimit& limit) {
  // Down to the limit and every value equal to it, so that a tie at the limit shows.
  std::size_t shown = limit.position + 1;
  while (shown < limit.order.size()) {
    const Measurement& next = backgroundValue(data, limit.order[shown]);
    if (next.value != limit.limit) break;
    ++shown;
  }
  std::string out = "Background, n = " + std::to_string(limit.n) + ", largest first:";
  for (std::size_t i = 0; i < shown; ++i) {
    if (shown > kListedBackground && i == kListedAtEitherEnd) {
      const std::size_t skip = shown - 2 * kListedAtEitherEnd;
      out += " ... (" + std::to_string(skip) + " more) ...";
      i += skip - 1;
      continue;
    }
    out += (i == 0 ? " " : ", ") + backgroundValue(data, limit.order[i]).text;
    if (i == limit.position) out += " [limit]";
  }
  if (shown < limit.order.size()) out += ", and " + std::to_string(limit.order.size() - shown) + " smaller";
  return out + "\n";
}

std::string limitText(const ConstituentData& data, const BackgroundLimit& limit) {
  const analysis::BackgroundEntry& entry = limit.order[limit.position];
  const Measurement& value = backgroundValue(data, entry);
  const std::string where = "well " + data.background[entry.well].well + ", event " + analysis::eventText(value.event);
  std::string out = "Limit: " + limit.limitText + ", ";
  const std::string rank = std::to_string(limit.rank);
  if (limit.allNonDetects) {
    out += "the largest reporting limit (" + value.text + ", " + where + ")";
  } else if (limit.isReportingLimit) {
    out += "a reporting limit: the background value of inverse rank " + rank + " is the non-detect " + value.text +
           " (" + where + ")";
  } else {
    out += "the background value of inverse rank " + rank + " (" + where + ")";
  }
  return out + "\n";
}

std::string verdictBlock(const analysis::WellValues& well, const WellVerdict& verdict) {
  const std::span<const Measurement> values = well.values;
  std::string out = well.well + ": " + analysis::verdictName(verdict.verdict) + "\n";
  out += "  values used: " + joined(values.first(verdict.valuesUsed), ", ") + "\n";
  if (verdict.valuesUsed < values.size()) out += "  not used:    " + joined(values.subspan(verdict.valuesUsed), ", ") + "\n";
  return out + "  " + verdict.reason + "\n";
}

std::string textReport(const std::vector<Evaluated>& evaluated, const records::MonitoringData& data,
                       const Strategy& strategy, const EvaluateOptions& options) {
  std::string out;
  for (const Evaluated& e : evaluated) {
    const BackgroundLimit& limit = e.evaluation.limit;
    out += constituentHeading(*e.data, data.hasConstituentColumn) + ": " + strategy.canonicalName() + ", " +
           rankText(e, strategy, options) + "\n";
    out += backgroundText(*e.data, limit);
    out += limitText(*e.data, limit);
    if (!limit.warning.empty()) out += "Warning: " + limit.warning + "\n";
    if (e.data->compliance.empty()) out += "No compliance wells.\n";
    for (std::size_t w = 0; w < e.data->compliance.size(); ++w) {
      out += verdictBlock(e.data->compliance[w], e.evaluation.wells[w]);
    }
    out += "\n";
  }
  if (!data.skipped.empty()) {
    out += "Skipped lines (--skip-bad-lines):\n";
    for (const records::BadLine& bad : data.skipped) out += "  line " + std::to_string(bad.line) + ": " + bad.reason + "\n";
    if (data.skippedNotListed > 0) out += "  and " + std::to_string(data.skippedNotListed) + " more lines\n";
    out += "\n";
  }
  return out + analysis::verdictMethodText() + "\n";
}

constexpr const char* kCsvHeader =
    "constituent,unit,rule,rank,n,limit,limit_is_reporting_limit,well,verdict,values_used,values_not_used,reason\n";

std::string csvReport(const std::vector<Evaluated>& evaluated, const Strategy& strategy) {
  std::string out = kCsvHeader;
  for (const Evaluated& e : evaluated) {
    const BackgroundLimit& limit = e.evaluation.limit;
    const std::string common = csvField(e.data->name) + "," + csvField(e.data->unit) + "," + strategy.canonicalName() +
                               "," + std::to_string(e.rank) + "," + std::to_string(limit.n) + "," +
                               csvField(limit.limitText) + "," + (limit.isReportingLimit ? "true" : "false") + ",";
    for (std::size_t w = 0; w < e.data->compliance.size(); ++w) {
      const std::span<const Measurement> values = e.data->compliance[w].values;
      const WellVerdict& verdict = e.evaluation.wells[w];
      out += common + csvField(e.data->compliance[w].well) + "," + analysis::verdictName(verdict.verdict) + "," +
             csvField(joined(values.first(verdict.valuesUsed), "; ")) + "," +
             csvField(joined(values.subspan(verdict.valuesUsed), "; ")) + "," + csvField(verdict.reason) + "\n";
    }
  }
  return out;
}

std::string jsonReport(const std::vector<Evaluated>& evaluated, const records::MonitoringData& data,
                       const Strategy& strategy) {
  std::string out;
  for (const Evaluated& e : evaluated) {
    Json wells = Json::array();
    for (std::size_t w = 0; w < e.data->compliance.size(); ++w) {
      const std::vector<Measurement>& values = e.data->compliance[w].values;
      const WellVerdict& verdict = e.evaluation.wells[w];
      Json used = Json::array();
      for (std::size_t i = 0; i < verdict.valuesUsed; ++i) used.push_back(values[i].text);
      wells.push_back(Json::object({{"well", e.data->compliance[w].well},
                                    {"verdict", analysis::verdictName(verdict.verdict)},
                                    {"values_used", std::move(used)},
                                    {"reason", verdict.reason}}));
    }
    out += jsonText(Json::object({{"constituent", data.hasConstituentColumn ? Json(e.data->name) : Json(nullptr)},
                                  {"rule", strategy.canonicalName()},
                                  {"rank", e.rank},
                                  {"n", e.evaluation.limit.n},
                                  {"limit", e.evaluation.limit.limitText},
                                  {"limit_is_reporting_limit", e.evaluation.limit.isReportingLimit},
                                  {"wells", std::move(wells)}})) +
           "\n";
  }
  return out;
}

int exitStatusOf(const std::vector<Evaluated>& evaluated) {
  bool undecided = false;
  for (const Evaluated& e : evaluated) {
    for (const WellVerdict& verdict : e.evaluation.wells) {
      // A confirmed exceedance is never hidden behind another well's open question.
      if (verdict.verdict == Verdict::fail) return kExitWellFails;
      undecided = undecided || verdict.verdict != Verdict::pass;
    }
  }
  return undecided ? kExitUndecided : kExitOk;
}

// The request's own faults, before the file is read.
std::optional<std::string> requestProblem(const EvaluateOptions& options) {
  if (!options.data) return "--data FILE is required";
  if (!options.rule) return "--rule NAME is required (" + analysis::strategyGrammar() + ")";
  const bool design = options.dcfp || options.r || options.j;
  if (options.rank && design) return "give --rank K, or --dcfp D with --r R (and --j J), not both";
  if (!options.rank && !design) return "give --rank K, or --dcfp D with --r R (and --j J)";
  if (design && (!options.dcfp || !options.r)) return "--dcfp D and --r R go together (--j J with them)";
  if (options.rank && !rankValue(*options.rank)) return "--rank must be a whole number from 1 up, not \"" + *options.rank + "\"";
  return std::nullopt;
}

}  // namespace

int runEvaluate(const EvaluateOptions& options, const DataOpener& open, std::ostream& out, std::ostream& err) {
  if (const std::optional<std::string> problem = requestProblem(options)) return refuse(err, *problem);
  const Expected<Strategy> strategy = analysis::parseStrategy(*options.rule);
  if (!strategy) return reportLines(err, "", strategy.error());

  const std::string& path = *options.data;
  Expected<std::unique_ptr<std::istream>> file = open();
  if (!file) return reportLines(err, "", file.error());
  Expected<records::MonitoringData> read = records::readMonitoringData(**file, {options.skipBadLines});
  if ((*file)->bad()) return reportLines(err, "", Problem(ProblemKind::unreadableData, {"cannot read " + path}));
  if (!read) return reportLines(err, path + ":", read.error());
  const records::MonitoringData& data = *read;

  std::vector<const ConstituentData*> chosen;
  for (const ConstituentData& constituent : data.constituents) {
    if (!options.constituent || constituent.name == *options.constituent) chosen.push_back(&constituent);
  }
  if (chosen.empty()) {
    if (!data.hasConstituentColumn) return refuse(err, path + " has no constituent column (give no --constituent)");
    std::string names;
    for (const ConstituentData& constituent : data.constituents) names += (names.empty() ? "" : ", ") + constituent.name;
    return refuse(err, path + " has no constituent \"" + *options.constituent + "\" (it has " + names + ")");
  }

  std::vector<Evaluated> evaluated;
  for (const ConstituentData* constituent : chosen) {
    const std::string context = data.hasConstituentColumn ? "constituent " + constituent->name + ":" : std::string();
    Evaluated e;
    e.data = constituent;
    if (options.rank) {
      e.rank = *rankValue(*options.rank);
    } else {
      std::size_t n = 0;
      for (const analysis::WellValues& well : constituent->background) n += well.values.size();
      const std::optional<std::string_view> j = options.j ? std::optional<std::string_view>(*options.j) : std::nullopt;
      Expected<DesignRank> design = bestRankForDesign(*strategy, *options.dcfp, n, *options.r, j);
      if (!design) return reportLines(err, context, design.error());
      e.rank = design->rank;
      e.designRank = std::move(*design);
    }
    Expected<ConstituentEvaluation> evaluation = analysis::evaluateConstituent(*constituent, *strategy, e.rank);
    if (!evaluation) return reportLines(err, context, evaluation.error());
    e.evaluation = std::move(*evaluation);
    evaluated.push_back(std::move(e));
  }

  // What the machine formats have no place for goes to standard error.
  if (options.format != OutputFormat::text) {
    for (const records::BadLine& bad : data.skipped) {
      err << "velmora-cli: evaluate: skipped line " << bad.line << ": " << bad.reason << "\n";
    }
    if (data.skippedNotListed > 0) err << "velmora-cli: evaluate: and " << data.skippedNotListed << " more skipped lines\n";
    for (const Evaluated& e : evaluated) {
      if (e.evaluation.limit.warning.empty()) continue;
      err << "velmora-cli: evaluate: warning: "
          << (data.hasConstituentColumn ? "constituent " + e.data->name + ": " : std::string())
          << e.evaluation.limit.warning << "\n";
    }
  }
  switch (options.format) {
    case OutputFormat::text: out << textReport(evaluated, data, *strategy, options); break;
    case OutputFormat::csv: out << csvReport(evaluated, *strategy); break;
    case OutputFormat::json: out << jsonReport(evaluated, data, *strategy); break;
  }
  out.flush();
  if (!out) return reportLines(err, "", Problem(ProblemKind::ioFailure, {"cannot write the output"}));
  return exitStatusOf(evaluated);
}

}  // namespace velmora::records

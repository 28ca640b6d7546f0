// SPDX-License-Identifier: GPL-3.0-or-later
// velmora-cli plan: the smallest background size for which a rank meets the DCFP, by exact
// arithmetic and by the calculator's own float32 arithmetic; with --rule, for one retest
// strategy by exact arithmetic.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <string_view>

#include "json_values.h"
#include "velmora/records/tools.h"
#include "number_text.h"
#include "velmora/analysis/exact_cfp.h"
#include "velmora/analysis/planner.h"
#include "velmora/records/case_output.h"

namespace velmora::records {

namespace {

using analysis::formatSignificant;
using analysis::RulePlan;
using analysis::SampleSizePlan;
using analysis::SchemePlan;

std::string float32Text(float value) { return generalText(static_cast<double>(value), kFloat32Digits); }

const char* schemeName(const SchemePlan& scheme) { return kSchemeNames[static_cast<std::size_t>(scheme.test - 1)]; }

Json optionalNumber(const std::optional<int>& value) { return value ? Json(*value) : Json(nullptr); }

// The float32 CFP fell to 0 (no CFP of a finite background is 0: its sum underflowed) and the
// exact answer differs: the design's n then says more about float32's range than about the
// DCFP, which a reader must be told rather than left to find.
bool designUnderflows(const SchemePlan& s) { return s.designCfp == 0.0F && s.designN != s.exactN; }

Json planRecord(const SampleSizePlan& plan) {
  Json tests = Json::array();
  for (const SchemePlan& s : plan.schemes) {
    tests.push_back(Json::object({{"test", schemeName(s)},
                                  {"exact_n", optionalNumber(s.exactN)},
                                  {"exact_cfp", formatSignificant(s.exactCfp)},
                                  {"design_n", optionalNumber(s.designN)},
                                  {"design_cfp", float32Text(s.designCfp)},
                                  {"design_underflow", designUnderflows(s)}}));
  }
  return Json::object({{"dcfp", plan.dcfpText},
                       {"r", plan.r},
                       {"rank", plan.rank},
                       {"smallest_n", plan.smallestN},
                       {"largest_n", plan.largestN},
                       {"tests", std::move(tests)}});
}

// "n = 45, CFP 0.1", or what the largest n gives when no n meets the DCFP.
std::string answerText(const SampleSizePlan& plan, const std::optional<int>& n, const std::string& cfp) {
  if (n) return "n = " + std::to_string(*n) + ", CFP " + cfp + "\n";
  const std::string largest = std::to_string(plan.largestN);
  return "no n up to " + largest + " meets it (CFP at n = " + largest + ": " + cfp + ")\n";
}

std::string planText(const SampleSizePlan& plan) {
  std::string out = "Smallest background size n for rank " + std::to_string(plan.rank) + " to meet DCFP " +
                    quotedText(plan.dcfpText) + " with r = " + std::to_string(plan.r) + " comparisons (n from " +
                    std::to_string(plan.smallestN) + " to " + std::to_string(plan.largestN) +
                    ", n + 4r <= 32767)\n"
                    "  exact:  the exact CFP, against the DCFP as typed\n"
                    "  design: the calculator's float32 CFP, against the DCFP as a float32\n";
  for (const SchemePlan& s : plan.schemes) {
    const std::string_view name = schemeName(s);
    out += std::string(name) + "  exact:  " + answerText(plan, s.exactN, formatSignificant(s.exactCfp));
    std::string design = answerText(plan, s.designN, float32Text(s.designCfp));
    if (designUnderflows(s)) {
      design.pop_back();
      design += " (float32 underflow: the CFP is too small for a float32, and the exact answer differs)\n";
    }
    out += std::string(name.size(), ' ') + "  design: " + design;
  }
  return out;
}

// A header, then one row per test; an n that none meets is empty.
std::string planCsv(const SampleSizePlan& plan) {
  std::string out = "dcfp,r,rank,test,exact_n,exact_cfp,design_n,design_cfp,design_underflow\n";
  const auto optionalText = [](const std::optional<int>& n) { return n ? std::to_string(*n) : std::string(); };
  for (const SchemePlan& s : plan.schemes) {
    out += csvField(plan.dcfpText) + "," + std::to_string(plan.r) + "," + std::to_string(plan.rank) + "," +
           schemeName(s) + "," + optionalText(s.exactN) + "," + formatSignificant(s.exactCfp) + "," +
           optionalText(s.designN) + "," + float32Text(s.designCfp) + "," +
           (designUnderflows(s) ? "true" : "false") + "\n";
  }
  return out;
}

// --rule: one strategy, by exact arithmetic alone.
Json rulePlanRecord(const RulePlan& plan) {
  return Json::object({{"dcfp", plan.dcfpText},
                       {"r", plan.r},
                       {"rank", plan.rank},
                       {"smallest_n", plan.smallestN},
                       {"largest_n", plan.largestN},
                       {"rule", plan.rule},
                       {"exact_n", optionalNumber(plan.exactN)},
                       {"exact_cfp", formatSignificant(plan.exactCfp)}});
}

std::string rulePlanText(const RulePlan& plan) {
  std::string out = "Smallest background size n for rank " + std::to_string(plan.rank) + " of " + plan.rule +
                    " to meet DCFP " + quotedText(plan.dcfpText) + " with r = " + std::to_string(plan.r) +
                    " comparisons (n from " + std::to_string(plan.smallestN) + " to " +
                    std::to_string(plan.largestN) + ", n + 4r <= 32767)\n" +
                    "  exact:  the exact CFP, against the DCFP as typed\n";
  if (plan.scheme) out += "  (" + plan.rule + " is the calculator's scheme 1:" + std::to_string(*plan.scheme) + ")\n";
  const std::string cfp = formatSignificant(plan.exactCfp);
  if (plan.exactN) return out + plan.rule + "  exact:  n = " + std::to_string(*plan.exactN) + ", CFP " + cfp + "\n";
  const std::string largest = std::to_string(plan.largestN);
  return out + plan.rule + "  exact:  no n up to " + largest + " meets it (CFP at n = " + largest + ": " + cfp + ")\n";
}

std::string rulePlanCsv(const RulePlan& plan) {
  return "dcfp,r,rank,rule,exact_n,exact_cfp\n" + csvField(plan.dcfpText) + "," + std::to_string(plan.r) + "," +
         std::to_string(plan.rank) + "," + csvField(plan.rule) + "," +
         (plan.exactN ? std::to_string(*plan.exactN) : std::string()) + "," + formatSignificant(plan.exactCfp) + "\n";
}

void writePlan(const Json& record, const std::string& text, const std::string& csv, OutputFormat format,
               std::ostream& out) {
  switch (format) {
    case OutputFormat::text: out << text; break;
    case OutputFormat::csv: out << csv; break;
    case OutputFormat::json: out << jsonText(record) << "\n"; break;
  }
}

constexpr double kCfpsPerSearch = 30.0;
constexpr double kLastFraction = 0.99;

std::string progressText(int evaluations) {
  return "plan: " + std::to_string(evaluations) + (evaluations == 1 ? " CFP" : " CFPs") + " computed";
}

}  // namespace

int runPlan(const PlanOptions& options, std::ostream& out, std::ostream& err, const ToolProgress& progress) {
  // The planner counts its CFPs but cannot know how many it will need: each search over n
  // takes at most about twice log2(32767) of them (its gallop, then its bisection), one
  // search for a rule, two (exact and float32) per test otherwise, so the fraction is the
  // count against that bound, short of 1 until the plan is done.
  const int searches = options.rule ? 1 : options.test ? 2 : 2 * kSchemeCount;
  const double bound = kCfpsPerSearch * searches;
  const analysis::PlanProgress onEvaluation = [&progress, bound](int evaluations) {
    if (progress) progress(std::min(kLastFraction, evaluations / bound), progressText(evaluations));
  };
  if (options.rule) {
    const Expected<RulePlan> plan = analysis::planSampleSizeForRule(
        options.dcfp.value_or(""), options.r.value_or(""), options.rank.value_or(""), *options.rule, onEvaluation);
    if (!plan) return report(err, withContext("plan:", plan.error()));
    writePlan(rulePlanRecord(*plan), rulePlanText(*plan), rulePlanCsv(*plan), options.format, out);
    return kExitOk;
  }
  const Expected<SampleSizePlan> plan =
      analysis::planSampleSize(options.dcfp.value_or(""), options.r.value_or(""), options.rank.value_or(""),
                               options.test.value_or(""), onEvaluation);
  if (!plan) return report(err, withContext("plan:", plan.error()));
  switch (options.format) {
    case OutputFormat::text: out << planText(*plan); break;
    case OutputFormat::csv: out << planCsv(*plan); break;
    case OutputFormat::json: out << jsonText(planRecord(*plan)) << "\n"; break;
  }
  return kExitOk;
}

}  // namespace velmora::records

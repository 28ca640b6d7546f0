// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/analysis/strategy.h"

#include <cctype>
#include <optional>

namespace velmora::analysis {
namespace {

constexpr std::string_view kMedianPrefix = "/median-";
constexpr std::string_view kCaliforniaPrefix = "california-";
constexpr std::string_view kModifiedCalifornia = "modified-california";

// A small whole number written with digits only ("3", not "+3" or "3.0"); none otherwise.
std::optional<int> smallNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 3) return std::nullopt;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The name without blanks, in lower case.
std::string normalised(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (c == ' ' || c == '\t') continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return out;
}

std::optional<Strategy> strategyOf(std::string_view base) {
  Strategy strategy;
  if (base == kModifiedCalifornia) {
    strategy.kind = Strategy::Kind::modifiedCalifornia;
    strategy.units = 4;
    return strategy;
  }
  if (base.starts_with(kCaliforniaPrefix)) {
    const std::optional<int> m = smallNumber(base.substr(kCaliforniaPrefix.size()));
    if (!m || *m < 2 || *m > kMaxStrategyUnits) return std::nullopt;
    // california-2 takes one resample after a failing first value: it is 1-of-2.
    strategy.kind = *m == 2 ? Strategy::Kind::kOfM : Strategy::Kind::california;
    strategy.units = *m;
    return strategy;
  }
  std::optional<int> k;
  std::optional<int> m;
  if (const std::size_t of = base.find("-of-"); of != std::string_view::npos) {
    k = smallNumber(base.substr(0, of));
    m = smallNumber(base.substr(of + 4));
  } else if (const std::size_t colon = base.find(':'); colon != std::string_view::npos) {
    k = smallNumber(base.substr(0, colon));
    m = smallNumber(base.substr(colon + 1));
    if (k != 1) return std::nullopt;  // 1:T is the calculator's name of 1-of-T, and the only one
  }
  if (!k || !m || *k < 1 || *k > *m || *m > kMaxStrategyUnits) return std::nullopt;
  strategy.passesNeeded = *k;
  strategy.units = *m;
  return strategy;
}

}  // namespace

Decision Strategy::decide(std::span<const bool> unitPassed) const {
  int passed = 0;
  int failed = 0;
  for (std::size_t i = 0; i < unitPassed.size(); ++i) {
    if (kind != Kind::kOfM && i == 0) {
      // California plans: a passing first unit ends the comparison; a failing one only
      // starts the resamples, and does not count among them.
      if (unitPassed[0]) return Decision::pass;
      continue;
    }
    (unitPassed[i] ? passed : failed) += 1;
    switch (kind) {
      case Kind::kOfM:
        if (passed >= passesNeeded) return Decision::pass;
        if (failed >= units - passesNeeded + 1) return Decision::fail;
        break;
      case Kind::california:
        if (failed > 0) return Decision::fail;
        if (passed == units - 1) return Decision::pass;
        break;
      case Kind::modifiedCalifornia:
        if (passed >= 2) return Decision::pass;
        if (failed >= 2) return Decision::fail;
        break;
    }
  }
  return Decision::undecided;
}

std::string Strategy::canonicalName() const {
  std::string name;
  switch (kind) {
    case Kind::kOfM: name = std::to_string(passesNeeded) + "-of-" + std::to_string(units); break;
    case Kind::california: name = std::string(kCaliforniaPrefix) + std::to_string(units); break;
    case Kind::modifiedCalifornia: name = std::string(kModifiedCalifornia); break;
  }
  if (median > 1) name += std::string(kMedianPrefix) + std::to_string(median);
  return name;
}

std::optional<int> Strategy::scheme() const {
  const bool oneOfT = kind == Kind::kOfM && passesNeeded == 1 && median == 1 && units <= 4;
  if (!oneOfT) return std::nullopt;
  return units;
}

std::string strategyGrammar() {
  return "K-of-M (1 <= K <= M <= 8; 1:T is 1-of-T), california-M (2 <= M <= 8) or modified-california, "
         "each optionally followed by /median-B (B odd, 3 to 9)";
}

Expected<Strategy> parseStrategy(std::string_view name) {
  const std::string text = normalised(name);
  std::string_view base = text;
  int median = 1;
  if (const std::size_t slash = base.find('/'); slash != std::string_view::npos) {
    const std::string_view suffix = base.substr(slash);
    const std::optional<int> b =
        suffix.starts_with(kMedianPrefix) ? smallNumber(suffix.substr(kMedianPrefix.size())) : std::nullopt;
    if (!b || *b < 3 || *b > kMaxMedianSize || *b % 2 == 0) median = 0;
    else median = *b;
    base = base.substr(0, slash);
  }
  std::optional<Strategy> strategy = median > 0 ? strategyOf(base) : std::nullopt;
  if (!strategy) {
    return fail(ProblemKind::refusedRequest,
                "'" + std::string(name) + "' is not a retest strategy: use " + strategyGrammar());
  }
  strategy->median = median;
  return *strategy;
}

Expected<std::vector<Strategy>> parseStrategyList(std::string_view names) {
  std::vector<Strategy> strategies;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = names.find(',', start);
    const std::string_view name = names.substr(start, comma == std::string_view::npos ? names.npos : comma - start);
    Expected<Strategy> strategy = parseStrategy(name);
    if (!strategy) return fail(std::move(strategy.error()));
    strategies.push_back(*strategy);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return strategies;
}

std::vector<Strategy> defaultStrategies() {
  std::vector<Strategy> strategies;
  for (const char* name : {"1-of-1", "1-of-2", "1-of-3", "1-of-4", "2-of-3", "2-of-4", "3-of-4", "california-3",
                           "california-4", "modified-california", "1-of-1/median-3", "1-of-2/median-3"}) {
    strategies.push_back(*parseStrategy(name));
  }
  return strategies;
}

}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
// The retest walk that skips what it can prove against the walk of every candidate: for
// generated inputs across the whole domain, both give the same captions and the same
// record, field for field and bit for bit, working fields included.
//
// A few hundred cases run in every test run. VELMORA_DIFFERENTIAL_CASES=N runs N cases
// (with a larger budget for the reference walk, which takes up to minutes per case at the
// large designs; VELMORA_DIFFERENTIAL_BUDGET sets it), VELMORA_DIFFERENTIAL_SEED another seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "record_compare.h"
#include "velmora/engine/calculation.h"
#include "velmora/engine/design_arithmetic.h"
#include "velmora/engine/testing/calculation_seam.h"
#include "velmora/engine/testing/reference_walk_seam.h"

namespace velmora {
namespace {

long environmentNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

struct Case {
  std::string kind;
  std::string dcfp;
  int n = 0;
  int r = 0;
  int j = 0;
};

std::string describe(const Case& c) {
  return c.kind + ": DCFP " + c.dcfp + " n " + std::to_string(c.n) + " r " + std::to_string(c.r) + " j " + std::to_string(c.j);
}

class Generator {
 public:
  explicit Generator(std::uint64_t seed) : m_rng(seed) {}

  Case next() {
    Case c;
    const int pick = between(0, 19);
    // Sizes log-uniform over the domain n + 4r <= 32767.
    c.r = logBetween(1, 8191);
    c.n = logBetween(2, 32767 - 4 * c.r);
    c.j = between(0, 2) == 0 ? between(1, c.n) : (between(0, 3) == 0 ? c.n + between(1, 100) : c.n);
    if (pick <= 7) {
      c.kind = "DCFP in (0, 1)";
      c.dcfp = text(std::pow(10.0, -4.0 * uniform()));
    } else if (pick <= 10) {
      c.kind = "DCFP a candidate's float32 CFP";
      const int t = between(2, 4);
      const int k = between(1, std::min(c.n, between(0, 1) == 0 ? 12 : c.n));
      const float cfp = designCfp(c.n, c.r, t, k).value();
      c.dcfp = cfp > 0.0f && cfp <= 1.0f ? floatText(cfp) : "0.5";
    } else if (pick <= 12) {
      c.kind = "DCFP below 1e-8";
      c.dcfp = text(std::pow(10.0, -8.0 - 6.0 * uniform()));
    } else if (pick == 13) {
      c.kind = "DCFP 1";
      c.dcfp = "1";
    } else if (pick <= 15) {
      c.kind = "float32 sum beyond range";
      c.r = between(20, 80);
      c.n = between(100, 600);
      c.j = c.n;
      c.dcfp = text(1.0 - std::pow(10.0, -1.0 - 3.0 * uniform()));
    } else if (pick <= 18) {
      c.kind = "high DCFP";
      c.dcfp = text(0.5 + 0.5 * uniform());
    } else {
      c.kind = "DCFP within 1e-7 .. 1e-1 of 1";
      char text[40];
      std::snprintf(text, sizeof text, "%.9f", 1.0 - std::pow(10.0, -1.0 - 6.0 * uniform()));
      c.dcfp = text;
    }
    return c;
  }

 private:
  double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_rng); }
  int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
  int logBetween(int low, int high) {
    return std::clamp(static_cast<int>(std::exp(std::log(low) + uniform() * (std::log(high + 1.0) - std::log(low)))), low, high);
  }
  static std::string text(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", x);
    return text;
  }
  static std::string floatText(float x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(x));
    return text;
  }
  std::mt19937_64 m_rng;
};

// The reference walk's work for a run, from the ranks the run chose (candidate evaluations
// times their cost).
double referenceCost(const CalculationState& s) {
  double cost = 0.0;
  for (int t = 2; t <= 4; ++t) {
    const double walk = std::max(1, s.optRank[t] - s.optRank[t - 1] + 2);
    cost += walk * (0.5 * (t - 1) * (t - 1) * static_cast<double>(s.r) * s.r + s.r);
  }
  return cost;
}

::testing::AssertionResult sameRun(const InputTexts& texts, Calculation& walking, Calculation& reference) {
  const Expected<CalculationResult> fast = walking.calculate(texts);
  const Expected<CalculationResult> slow = ReferenceWalkSeam::calculate(reference, texts);
  if (fast.has_value() != slow.has_value()) return ::testing::AssertionFailure() << "acceptance differs";
  if (!fast.has_value()) return ::testing::AssertionSuccess();
  if (testsupport::allCaptions(fast->captions) != testsupport::allCaptions(slow->captions)) {
    return ::testing::AssertionFailure() << "captions differ";
  }
  const char* differs = testsupport::firstDifference(CalculationSeam::state(walking), CalculationSeam::state(reference));
  if (differs != nullptr) return ::testing::AssertionFailure() << differs << " differs";
  return ::testing::AssertionSuccess();
}

TEST(WalkDifferential, SameRecordAsTheWalkOfEveryCandidate) {
  const long cases = environmentNumber("VELMORA_DIFFERENTIAL_CASES", 300);
  const long seed = environmentNumber("VELMORA_DIFFERENTIAL_SEED", 20260412);
  // The reference walk's work allowed per case: about 0.2 s in a test run, some seconds in
  // a long run (VELMORA_DIFFERENTIAL_BUDGET, in float64 operations).
  const double budget = static_cast<double>(environmentNumber("VELMORA_DIFFERENTIAL_BUDGET", cases > 300 ? 20000000000L : 300000000L));
  Generator generator(static_cast<std::uint64_t>(seed));
  auto walkingReused = std::make_unique<Calculation>();
  auto referenceReused = std::make_unique<Calculation>();
  std::map<std::string, int> compared;
  int tooCostly = 0;
  for (long i = 0; i < cases; ++i) {
    const Case c = generator.next();
    const InputTexts texts{c.dcfp, std::to_string(c.n), std::to_string(c.r), std::to_string(c.j)};
    Calculation probe;
    if (!probe.calculate(texts).has_value()) continue;
    if (referenceCost(CalculationSeam::state(probe)) > budget) {
      ++tooCostly;
      continue;
    }
    // Fresh records, and records that carry what earlier runs left.
    Calculation walking;
    Calculation reference;
    ASSERT_TRUE(sameRun(texts, walking, reference)) << describe(c);
    ASSERT_TRUE(sameRun(texts, *walkingReused, *referenceReused)) << describe(c) << " (records reused)";
    ++compared[c.kind];
    if (cases > 300 && (i + 1) % 500 == 0) {
      std::printf("  %ld cases drawn\n", i + 1);
      std::fflush(stdout);
    }
  }
  int total = 0;
  for (const auto& [kind, count] : compared) {
    std::printf("  %-32s %d\n", kind.c_str(), count);
    total += count;
  }
  std::printf("  compared %d, left out as too costly for the reference walk %d\n", total, tooCostly);
  EXPECT_GE(total, cases / 2);
}

// The largest comparison counts of the domain, and designs whose float32 sums leave their
// range at the chosen ranks.
TEST(WalkDifferential, EdgesOfTheDomain) {
  const InputTexts edges[] = {
      {"0.5", "3", "8191", "3"},     {"0.99", "3", "8191", "3"},   {"0.001", "767", "8000", "767"},
      {"0.98", "200", "50", "200"},  {"0.9995", "200", "30", "200"}, {"1", "200", "50", "200"},
      {"1E-9", "2001", "1", "1446"}, {"0.1", "100", "2000", "100"}, {"0.3", "4000", "1000", "4000"},
      {"0.5", "300", "500", "300"},  {"1", "4000", "1000", "37"},    {"0.99", "4000", "1000", "4000"},
  };
  for (const InputTexts& texts : edges) {
    Calculation walking;
    Calculation reference;
    EXPECT_TRUE(sameRun(texts, walking, reference)) << texts.txtAL << " " << texts.txtN << " " << texts.txtR << " " << texts.txtMDET;
  }
}

}  // namespace
}  // namespace velmora

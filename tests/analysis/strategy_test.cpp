// SPDX-License-Identifier: GPL-3.0-or-later
// The strategies' names and stopping rules: every output and every verdict rests on them.
#include "velmora/analysis/strategy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::analysis {
namespace {

Decision play(const char* name, std::vector<bool> outcomes) {
  bool units[kMaxStrategyUnits] = {};
  for (std::size_t i = 0; i < outcomes.size(); ++i) units[i] = outcomes[i];
  return parseStrategy(name)->decide(std::span<const bool>(units, outcomes.size()));
}

TEST(Strategy, NamesAreReadLooselyAndWrittenOneWay) {
  EXPECT_EQ(parseStrategy(" 1 : 3 ")->canonicalName(), "1-of-3");
  EXPECT_EQ(parseStrategy("California-2")->canonicalName(), "1-of-2");
  EXPECT_EQ(parseStrategy("MODIFIED-california")->canonicalName(), "modified-california");
  EXPECT_EQ(parseStrategy("1-of-2 / Median-3")->canonicalName(), "1-of-2/median-3");
  EXPECT_EQ(parseStrategy("1-of-3")->scheme(), 3);
  EXPECT_EQ(parseStrategy("1-of-2/median-3")->scheme(), std::nullopt);
  for (const char* bad : {"", "0-of-2", "3-of-2", "1-of-9", "2:3", "california-1", "california-9", "1-of-2/median-4",
                          "1-of-2/median-11", "1-of-2/mean-3", "+1-of-2", "modified", "1-of-2,"}) {
    const Expected<Strategy> refused = parseStrategy(bad);
    ASSERT_FALSE(refused.has_value()) << bad;
    EXPECT_EQ(refused.error().kind, ProblemKind::refusedRequest);
    EXPECT_NE(refused.error().lines.front().find("california-M"), std::string::npos) << "the message lists the grammar";
  }
  EXPECT_FALSE(parseStrategyList("1-of-2,,2-of-3").has_value());
  EXPECT_EQ(parseStrategyList("1-of-2, 2-of-3")->size(), 2u);
  EXPECT_EQ(defaultStrategies().size(), 12u);
}

TEST(Strategy, EachRuleStopsWhereItIsDecided) {
  // K-of-M: K passes, or M - K + 1 failures.
  EXPECT_EQ(play("1-of-3", {false, false}), Decision::undecided);
  EXPECT_EQ(play("1-of-3", {false, false, true}), Decision::pass);
  EXPECT_EQ(play("1-of-3", {false, false, false}), Decision::fail);
  EXPECT_EQ(play("2-of-3", {true, false}), Decision::undecided);
  EXPECT_EQ(play("2-of-3", {false, false}), Decision::fail);
  EXPECT_EQ(play("3-of-4", {true, false, true}), Decision::undecided);
  EXPECT_EQ(play("3-of-4", {true, false, false}), Decision::fail);
  // California: the first value decides a pass; after it every resample must pass.
  EXPECT_EQ(play("california-3", {true}), Decision::pass);
  EXPECT_EQ(play("california-3", {false, true}), Decision::undecided);
  EXPECT_EQ(play("california-3", {false, true, true}), Decision::pass);
  EXPECT_EQ(play("california-3", {false, true, false}), Decision::fail);
  // Modified California: two of the three resamples, the first value not among them.
  EXPECT_EQ(play("modified-california", {false, true}), Decision::undecided);
  EXPECT_EQ(play("modified-california", {false, true, false}), Decision::undecided);
  EXPECT_EQ(play("modified-california", {false, true, false, true}), Decision::pass);
  EXPECT_EQ(play("modified-california", {false, false, false}), Decision::fail);
  // Outcomes after the decision are never read.
  EXPECT_EQ(play("1-of-2", {true, false}), Decision::pass);
  // A median unit passes with a majority of its values.
  const Strategy median = *parseStrategy("1-of-1/median-3");
  EXPECT_TRUE(median.unitPasses(2));
  EXPECT_FALSE(median.unitPasses(1));
}

}  // namespace
}  // namespace velmora::analysis

// SPDX-License-Identifier: GPL-3.0-or-later
// The limit of a background data set and the play of a well's values: exact decimals, ties,
// non-detects at and above the limit, median units and what a well still needs.
#include "velmora/analysis/verdicts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::analysis {
namespace {

Measurement value(const std::string& text, std::size_t line = 0) {
  Measurement m;
  m.nonDetect = text.front() == '<';
  m.value = *parseDecimal(m.nonDetect ? text.substr(1) : text);
  m.text = text;
  m.line = line;
  m.event.key = line;
  return m;
}

ConstituentData background(const std::vector<std::string>& texts) {
  ConstituentData data;
  data.background.push_back({"BG", {}});
  for (const std::string& text : texts) data.background[0].values.push_back(value(text, data.background[0].values.size() + 1));
  return data;
}

WellVerdict play(const char* strategy, const std::string& limitText, const std::vector<std::string>& texts) {
  BackgroundLimit limit;
  limit.limit = *parseDecimal(limitText);
  limit.limitText = limitText;
  std::vector<Measurement> values;
  for (const std::string& text : texts) values.push_back(value(text));
  return playWell(*parseStrategy(strategy), values, limit);
}

TEST(Decimal, ComparesExactlyAsTheTextsRead) {
  const auto d = [](const char* text) { return *parseDecimal(text); };
  EXPECT_EQ(d("0.2"), d("0.20"));
  EXPECT_EQ(d("0.2"), d("2e-1"));
  EXPECT_EQ(d("0.2"), d(" +.2000E0 "));
  EXPECT_EQ(d("0"), d("-0.0"));
  // Equal as doubles, not as decimals: a value a hair below the limit is below it.
  EXPECT_LT(d("0.29999999999999999"), d("0.3"));
  EXPECT_GT(d("1000000000000000001e-18"), d("1"));
  EXPECT_LT(d("9e999999998"), d("1e999999999"));
  EXPECT_LT(d("1e-999999999"), d("0.1"));
  EXPECT_GT(d("1e-999999999"), d("0"));
  EXPECT_LT(d("123"), d("1.24e2"));
}

TEST(BackgroundLimit, TiesCountOneByOneAndANonDetectStandsBelowItsEqual) {
  const ConstituentData ties = background({"0.23", "0.28", "0.23", "0.25", "0.24"});
  EXPECT_EQ(backgroundLimit(ties, 4)->limitText, "0.23");
  EXPECT_EQ(backgroundLimit(ties, 5)->limitText, "0.23");
  EXPECT_EQ(backgroundLimit(ties, 5)->position, 4u);

  // <0.3 counts as 0.3 and stands below the detected 0.30: rank 2 is a reporting limit.
  const ConstituentData atLimit = background({"<0.3", "0.2", "0.30"});
  const Expected<BackgroundLimit> first = backgroundLimit(atLimit, 1);
  EXPECT_EQ(first->limitText, "0.30");
  EXPECT_FALSE(first->isReportingLimit);
  const Expected<BackgroundLimit> second = backgroundLimit(atLimit, 2);
  EXPECT_EQ(second->limitText, "0.3");
  EXPECT_TRUE(second->isReportingLimit);
  EXPECT_FALSE(second->allNonDetects);
  EXPECT_TRUE(second->warning.empty());
  EXPECT_EQ(backgroundLimit(atLimit, 3)->limitText, "0.2");

  EXPECT_EQ(backgroundLimit(atLimit, 4).error().kind, ProblemKind::refusedRequest);
  EXPECT_EQ(backgroundLimit(atLimit, 4).error().lines.front(), "rank 4 is above the 3 background values");
  EXPECT_EQ(backgroundLimit(background({}), 1).error().kind, ProblemKind::unreadableData);
}

TEST(BackgroundLimit, AllNonDetectsTakeTheLargestReportingLimitWithTheWarning) {
  const Expected<BackgroundLimit> limit = backgroundLimit(background({"<0.2", "<0.5", "<0.3"}), 3);
  ASSERT_TRUE(limit.has_value());
  EXPECT_TRUE(limit->allNonDetects);
  EXPECT_TRUE(limit->isReportingLimit);
  EXPECT_EQ(limit->limitText, "0.5");
  EXPECT_EQ(limit->rank, 3);
  EXPECT_NE(limit->warning.find("do not hold"), std::string::npos);
  EXPECT_NE(limit->warning.find("two consecutive samples"), std::string::npos);
  EXPECT_NE(limit->warning.find("not applied"), std::string::npos);
}

TEST(WellVerdict, AValueOrAReportingLimitAtTheLimitPassesAndOneAboveCannotBeJudged) {
  EXPECT_EQ(play("1-of-1", "0.3", {"0.30"}).verdict, Verdict::pass);
  EXPECT_EQ(play("1-of-1", "0.3", {"<3e-1"}).verdict, Verdict::pass);
  EXPECT_EQ(play("1-of-1", "0.3", {"0.30000000000000001"}).verdict, Verdict::fail);

  // The play stops at the first value that cannot be judged...
  const WellVerdict stopped = play("1-of-3", "0.3", {"0.4", "<0.31", "0.1"});
  EXPECT_EQ(stopped.verdict, Verdict::undetermined);
  EXPECT_EQ(stopped.valuesUsed, 2u);
  EXPECT_NE(stopped.reason.find("<0.31 cannot be judged"), std::string::npos) << stopped.reason;
  // ...unless the strategy was decided before it; values after the decision are not used.
  const WellVerdict decided = play("1-of-2", "0.3", {"0.1", "<0.5"});
  EXPECT_EQ(decided.verdict, Verdict::pass);
  EXPECT_EQ(decided.valuesUsed, 1u);
  EXPECT_EQ(decided.deciding, (std::vector<std::size_t>{0}));
}

TEST(WellVerdict, AMedianUnitIsJudgedWhenItsJudgedValuesDecideIt) {
  // Two of three at or below: passes whatever <0.5 is.
  EXPECT_EQ(play("1-of-1/median-3", "0.3", {"<0.5", "0.1", "0.2"}).verdict, Verdict::pass);
  // One each way and one unknown: undetermined, with all three used.
  const WellVerdict open = play("1-of-1/median-3", "0.3", {"<0.5", "0.1", "0.4"});
  EXPECT_EQ(open.verdict, Verdict::undetermined);
  EXPECT_EQ(open.valuesUsed, 3u);
  // Two of three above before the third is taken: the median is above whatever it is.
  const WellVerdict early = play("1-of-1/median-3", "0.3", {"0.4", "0.5"});
  EXPECT_EQ(early.verdict, Verdict::fail);
  EXPECT_EQ(early.deciding, (std::vector<std::size_t>{0, 1}));
  // Two unknowns and one to come: the third cannot make a majority either way.
  EXPECT_EQ(play("1-of-1/median-3", "0.3", {"<0.5", "<0.9"}).verdict, Verdict::undetermined);
}

TEST(WellVerdict, AResampleSaysHowManyMoreValuesTheStrategyMayTake) {
  const auto more = [](const char* strategy, const std::vector<std::string>& texts) {
    const WellVerdict verdict = play(strategy, "0.3", texts);
    EXPECT_EQ(verdict.verdict, Verdict::resampleNeeded) << strategy;
    EXPECT_EQ(verdict.valuesUsed, texts.size()) << "every value of the well is used";
    return std::to_string(verdict.fewestMoreValues) + "-" + std::to_string(verdict.mostMoreValues);
  };
  EXPECT_EQ(more("1-of-3", {"0.4"}), "1-2");
  EXPECT_EQ(more("2-of-4", {"0.1"}), "1-3");
  EXPECT_EQ(more("california-3", {"0.4", "0.1"}), "1-1");
  EXPECT_EQ(more("modified-california", {"0.4", "0.1", "0.5"}), "1-1");
  // The second median unit has one of its three values.
  EXPECT_EQ(more("1-of-2/median-3", {"0.4", "0.5", "0.1", "0.4"}), "2-2");
  // The first unit is judged above by two values, but its third comes before the next
  // unit's three: a unit takes the next B values of the well.
  EXPECT_EQ(more("1-of-2/median-3", {"0.4", "0.5"}), "4-4");
  EXPECT_NE(play("1-of-3", "0.3", {"0.4"}).reason.find("1 to 2 more values needed"), std::string::npos);
}

}  // namespace
}  // namespace velmora::analysis
